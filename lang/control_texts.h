#pragma once

#include <QString>
#include <QStringView>

#include <span>

namespace lexivoce::lang {

// One translatable component of a window: its name, which is its key in
// section CONTROLS, and the caption the window shows until a language file
// replaces it.
struct TControlText
{
    const char *Name;
    const char *Caption; // UTF-8

    QString NameText() const { return QString::fromLatin1(Name); }
    QString CaptionText() const { return QString::fromUtf8(Caption); }
};

// The built-in captions, one table per window, in the order the windows lay
// out their components. The windows take their captions from here, so a
// language file and the windows cannot drift apart. The main window and the
// dictionary manager speak English by default, the two shared dialogs
// Vietnamese.
//
// All windows share the one CONTROLS section: a name used by two windows is
// one key with one text (btnOK, btnCancel and lblFileName are in both the
// dictionary manager and the file dialog), and whichever window asks first
// writes its default.
std::span<const TControlText> MainWindowTexts();
std::span<const TControlText> DictionaryManagerTexts();
std::span<const TControlText> FileDialogTexts();
// The form's caption per message type (frmMsgDlgWarning ...) and every
// button (btnDlgYes ... btnDlgHelp). A custom message box is captioned with
// the application's title and has no entry here.
std::span<const TControlText> MessageDialogTexts();

// The caption of name in table, or an empty string when the table has no
// such component. Names match exactly.
QString DefaultCaption(std::span<const TControlText> table, QStringView name);

// Section "Language" of a language file.
struct LanguageSectionKeys
{
    static constexpr const char *Section = "Language";
    // Under each language code the file holds the name of its own language
    // as said in that code's language, which is what the language menu shows
    // to a user of that language.
    static constexpr const char *EnglishCode = "eng";
    static constexpr const char *Voice = "voice";
    static constexpr const char *Pitch = "pitch";
    static constexpr const char *Speed = "speed";

    // What a reader falls back to when the file lacks a key.
    static constexpr const char *UnknownName = "Unknown";
    static constexpr const char *DefaultVoice = "Microsoft Sam";
};

} // namespace lexivoce::lang
