#!/usr/bin/env bash
# install_test.sh CHECK STAGE BUILD SOURCE VERSION ID CMAKE
# One check of what `cmake --install BUILD` lays out in STAGE (see
# CMakeLists.txt beside this file). Every failure is reported before the
# check ends with 1; 77 means a tool it needs is missing.
set -u

check=$1 stage=$2 build=$3 source=$4 version=$5 id=$6 cmake=$7
failures=0
skipped=
program=
runtime=

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

skip() {
  echo "SKIP: $*"
  skipped=1
}

finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  [ -n "$skipped" ] && exit 77
  exit 0
}

desktop=$stage/share/applications/$id.desktop
metainfo=$stage/share/metainfo/$id.metainfo.xml
man1=$stage/share/man/man1
data=$stage/share/lexivoce

# Everything the install must hold besides the shipped data.
expected_files() {
  printf '%s\n' \
    bin/lexivoce \
    bin/lexivoce-dict \
    "share/applications/$id.desktop" \
    "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" \
    "share/icons/hicolor/48x48/apps/$id.png" \
    "share/icons/hicolor/256x256/apps/$id.png" \
    share/man/man1/lexivoce.1 \
    share/man/man1/lexivoce-dict.1
}

# png_size FILE: "WIDTHxHEIGHT" from the PNG header, empty when it is none.
png_size() {
  local bytes
  read -r -a bytes <<<"$(od -An -tu1 -w24 -N24 "$1")"
  [ "${#bytes[@]}" -eq 24 ] && [ "${bytes[1]}" -eq 80 ] && [ "${bytes[2]}" -eq 78 ] && [ "${bytes[3]}" -eq 71 ] || return
  echo "$(((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19]))x$(((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23]))"
}

desktop_key() {
  sed -n "s/^$1=//p" "$desktop" | head -n 1
}

# roff source with \- made plain, so that options read as typed.
plain_roff() {
  sed 's/\\-/-/g' "$1"
}

# The programs run without the desktop the tests may have around them.
isolated() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u LEXIVOCE_PROFILE "$@"
}

stage() {
  rm -rf "$stage"
  "$cmake" --install "$build" --prefix "$stage" >/dev/null || fail "cmake --install $build failed"
}

unstage() {
  rm -rf "$stage"
}

layout() {
  local file
  while read -r file; do
    [ -f "$stage/$file" ] || fail "$file is not installed"
  done < <(expected_files)
  for file in bin/lexivoce bin/lexivoce-dict; do
    [ -x "$stage/$file" ] || fail "$file is not executable"
  done

  # The shipped data as it is in the source tree, no more and no less.
  diff -r "$source/data" "$data" || fail "share/lexivoce differs from data/"

  # Nothing else: no build tool, library or header slips in.
  local unexpected
  unexpected=$(cd "$stage" && find . -type f ! -path './share/lexivoce/*' | sed 's|^\./||' | sort \
               | comm -23 - <(expected_files | sort))
  [ -z "$unexpected" ] || fail "unexpected files installed: $unexpected"

  cmp -s "$source/packaging/lexivoce.svg" "$stage/share/icons/hicolor/scalable/apps/$id.svg" \
    || fail "the scalable icon is not packaging/lexivoce.svg"
  local size
  for size in 48 256; do
    file=$stage/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$file" ] || continue
    [ "$(png_size "$file")" = "${size}x${size}" ] || fail "$file is not a ${size}x${size} PNG: $(png_size "$file")"
  done

  for file in "$desktop" "$metainfo" "$man1/lexivoce.1" "$man1/lexivoce-dict.1"; do
    [ -f "$file" ] && grep -n '@[A-Z_]\+@' "$file" && fail "$file keeps a placeholder"
  done
  finish
}

programs() {
  local out
  out=$(isolated "$stage/bin/lexivoce" --version) || fail "lexivoce --version failed"
  [ "$out" = "lexivoce $version" ] || fail "lexivoce --version says \"$out\", not \"lexivoce $version\""

  out=$(isolated "$stage/bin/lexivoce-dict" --help) || fail "lexivoce-dict --help failed"
  case $out in Usage:\ lexivoce-dict*) ;; *) fail "lexivoce-dict --help printed: $out" ;; esac

  # The installed tool reads the installed sample through its shipped index.
  out=$(isolated "$stage/bin/lexivoce-dict" show "$data/dict/en-vi.dict" able) \
    || fail "lexivoce-dict show found no entry \"able\" in the installed sample"
  case $out in able*) ;; *) fail "the installed sample's entry of \"able\" reads: $out" ;; esac
  finish
}

desktop_entry() {
  [ -f "$desktop" ] || { fail "$desktop is not installed"; finish; }
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate found errors"
  else
    skip "desktop-file-validate is not installed"
  fi
  local exec program
  exec=$(desktop_key Exec)
  program=${exec%% *}
  [ -n "$program" ] && [ -x "$stage/bin/$program" ] || fail "Exec=$exec starts no installed program"
  [ "$(desktop_key TryExec)" = "$program" ] || fail "TryExec names another program than Exec"
  [ "$(desktop_key Icon)" = "$id" ] || fail "Icon=$(desktop_key Icon), not $id"
  local category
  for category in Office Dictionary; do
    case ";$(desktop_key Categories)" in *";$category;"*) ;; *) fail "Categories lacks $category" ;; esac
  done
  local key
  for key in 'Name\[vi\]' 'Comment\[vi\]' Keywords 'Keywords\[vi\]'; do
    [ -n "$(desktop_key "$key")" ] || fail "no $key"
  done
  finish
}

metainfo() {
  [ -f "$metainfo" ] || { fail "$metainfo is not installed"; finish; }
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli found problems"
  else
    skip "appstreamcli is not installed"
  fi
  local released launchable binary
  # The newest release comes first.
  released=$(sed -n 's/.*<release [^>]*version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
  [ "$released" = "$version" ] || fail "the newest release is \"$released\", not the project's version $version"
  [ "$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")" = "$id" ] || fail "the component's id is not $id"
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ "$launchable" = "$id.desktop" ] && [ -f "$stage/share/applications/$launchable" ] \
    || fail "the launchable \"$launchable\" is not the installed desktop file"
  while read -r binary; do
    [ -x "$stage/bin/$binary" ] || fail "the metainfo provides $binary, which is not installed"
  done < <(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo")
  grep -q '<content_rating type="oars-[0-9.]*"' "$metainfo" || fail "no content rating"
  finish
}

man_pages() {
  local page warnings
  for page in lexivoce lexivoce-dict; do
    [ -f "$man1/$page.1" ] || { fail "$page.1 is not installed"; continue; }
    if command -v groff >/dev/null; then
      warnings=$(groff -man -Tutf8 -ww -z "$man1/$page.1" 2>&1) || fail "groff cannot render $page.1"
      [ -z "$warnings" ] || fail "groff warns about $page.1: $warnings"
    else
      skip "groff is not installed"
    fi
  done

  # Every option and command the programs list is documented.
  local option command
  for option in $(isolated "$stage/bin/lexivoce" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    plain_roff "$man1/lexivoce.1" | grep -q -- "$option" || fail "lexivoce.1 does not document $option"
  done
  local usage
  usage=$(isolated "$stage/bin/lexivoce-dict" --help)
  for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$usage" | sort -u); do
    plain_roff "$man1/lexivoce-dict.1" | grep -q -- "$option" || fail "lexivoce-dict.1 does not document $option"
  done
  for command in $(sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' <<<"$usage"); do
    plain_roff "$man1/lexivoce-dict.1" | grep -q "^\.B lexivoce-dict $command\b" \
      || fail "lexivoce-dict.1 does not document the command $command"
  done
  finish
}

# The installed program, started on a fresh profile, fills it from the
# installed data (not from the source tree it was built from) and opens the
# shipped dictionary. It runs from a private copy of the staged programs and
# data, the data made read-only as a system's would be and marked, so that
# the profile shows where its files came from.
first_start() {
  local work
  work=$(mktemp -d "$(dirname "$stage")/first-start.XXXXXX") || { fail "no temporary folder"; finish; }
  # shellcheck disable=SC2064
  trap "[ -n \"\$program\" ] && kill -KILL \$program 2>/dev/null; chmod -R u+w '$work'; rm -rf '$work' \"\$runtime\"" EXIT
  local prefix=$work/prefix profile=$work/profile log=$work/speech.log
  mkdir -p "$prefix/share" "$work/home"
  # A socket's path has room for some 100 bytes only: the runtime folder
  # is short, as a real one is.
  runtime=$(mktemp -d) || { fail "no temporary folder"; finish; }
  cp -al "$stage/bin" "$prefix/bin" 2>/dev/null || cp -a "$stage/bin" "$prefix/bin"
  cp -a "$data" "$prefix/share/lexivoce"
  echo "the installed copy" >"$prefix/share/lexivoce/installed-marker"
  chmod -R a-w "$prefix/share/lexivoce"

  (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u LEXIVOCE_PROFILE \
     -u XDG_DATA_HOME HOME="$work/home" XDG_RUNTIME_DIR="$runtime" \
     XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
     QT_QPA_PLATFORM=offscreen LEXIVOCE_AUDIO=null LEXIVOCE_SPEECH_LOG="$log" \
     "$prefix/bin/lexivoce" --profile "$profile") >"$work/output" 2>&1 &
  program=$!

  local waited=0
  until grep -q 'English-Vietnamese dictionary is ready' "$log" 2>/dev/null; do
    if ! kill -0 "$program" 2>/dev/null || [ $waited -ge 600 ]; then
      fail "the installed program did not open the shipped dictionary"
      echo "--- its output:"; cat "$work/output"
      echo "--- what it said:"; cat "$log" 2>/dev/null
      break
    fi
    sleep 0.1
    waited=$((waited + 1))
  done

  # Ended as the desktop ends it: as if its window were closed.
  kill -TERM "$program" 2>/dev/null
  waited=0
  while kill -0 "$program" 2>/dev/null && [ $waited -lt 300 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$program" 2>/dev/null; then
    fail "the program did not end on SIGTERM"
  else
    wait "$program" || fail "the program ended with status $? on SIGTERM"
  fi
  program=

  [ -f "$profile/installed-marker" ] || fail "the profile was not filled from the installed data"
  local file
  while read -r file; do
    [ -f "$profile/$file" ] || fail "the profile lacks $file"
  done < <(cd "$prefix/share/lexivoce" && find . -type f | sed 's|^\./||')
  # The registry and the language files are the program's to update.
  for file in readme.htm dict/en-vi.dict dict/en-vi.index; do
    cmp -s "$prefix/share/lexivoce/$file" "$profile/$file" || fail "the profile's $file is not the shipped one"
  done
  local locked
  locked=$(find "$profile" -type f ! -perm -u+w)
  [ -z "$locked" ] || fail "the user cannot change the profile's files: $locked"
  finish
}

case $check in
  stage | unstage) "$check"; finish ;;
  layout | programs | desktop_entry | metainfo | man_pages | first_start) "$check" ;;
  *) echo "unknown check $check"; exit 2 ;;
esac
