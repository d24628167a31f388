// lexivoce-dict: the dictionary tools on the command line, for dictionary
// authors, scripts and tests. Output goes to stdout as UTF-8; an error is one
// line on stderr. Exit status: 0 success, 1 error, 2 not found.
#include "app/profile.h"
#include "dict/dict_file.h"
#include "dict/dict_sorter.h"
#include "dict/entry_renderer.h"
#include "dict/import_dictionary.h"
#include "dict/import_register.h"
#include "dict/index_builder.h"
#include "dict/index_view.h"
#include "dict/word_list.h"
#include "lang/error.h"
#include "lang/ini_file.h"
#include "speech/output_format.h"
#include "speech/speakers.h"
#include "speech/voice_object.h"
#include "view/styled_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace lexivoce;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitNotFound = 2;

const char kUsage[] =
    "Usage: lexivoce-dict COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  index [--sort] FILE        build FILE's index (sorting FILE first with --sort)\n"
    "  find [--nearest] FILE WORD print POS<TAB>WORD of WORD in FILE's word list\n"
    "                             (exact, letter case ignored; --nearest: the first\n"
    "                             word not less than WORD, POS alone past the end)\n"
    "  render FILE POS            print the items of the entry at word-list\n"
    "                             position POS: ITEM<TAB>STYLE<TAB>PARA<TAB>TEXT\n"
    "  show FILE WORD             print WORD's entry as plain text\n"
    "  import FORMAT SOURCE OUT.dict [--name NAME] [--register [--profile DIR]]\n"
    "                             convert another program's dictionary into OUT.dict,\n"
    "                             sorted, with its index (neither may exist yet).\n"
    "                             FORMAT: dictd (SOURCE: the .index, beside its\n"
    "                             .dict.dz or .dict), stardict (the .ifo, beside its\n"
    "                             .idx and .dict.dz or .dict) or dsl (the .dsl or\n"
    "                             .dsl.dz). --register adds it to the registry of\n"
    "                             lexivoce's profile (or of DIR), named NAME or as\n"
    "                             the source names itself, read in the English voice\n"
    "                             and the Vietnamese\n"
    "  voices                     list the installed voices, one a line, in engine order\n"
    "  say [--voice NAME] [--rate N] [--pitch N] [--volume N] [--punctuation]\n"
    "      [--out FILE.wav [--format ofNAME]] TEXT\n"
    "                             speak TEXT (rate and pitch -10..10, volume 0..100),\n"
    "                             or write it to a wave file (default of11kHz16BitMono)\n"
    "\n"
    "Exit status: 0 success, 1 error, 2 not found.\n";

class UsageError : public Error
{
public:
    using Error::Error;
};

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// Progress and notices on a terminal only, so that scripts see clean output.
class ConsoleReporter : public dict::TJobReporter
{
public:
    ConsoleReporter() : m_terminal(::isatty(STDERR_FILENO) != 0) {}

    void Notice(const lang::TMessage &message) override
    {
        if (m_terminal)
            print(stderr, message.Text() + QLatin1Char('\n'));
    }
    void Progress(int percent) override
    {
        if (!m_terminal)
            return;
        print(stderr, QStringLiteral("\r%1 %").arg(percent));
        m_midLine = percent != 100;
        if (!m_midLine)
            print(stderr, QStringLiteral("\n"));
    }

    void EndLine()
    {
        if (m_midLine)
            print(stderr, QStringLiteral("\n"));
        m_midLine = false;
    }

private:
    bool m_terminal;
    bool m_midLine = false;
};

// Splits "--flag" and "--option VALUE" options off the arguments.
struct Arguments
{
    QStringList Flags;
    QHash<QString, QString> Options;
    QStringList Values;

    // Options come before the values, so that a word or a text may begin
    // with "--"; with optionsAnywhere they may follow the values too.
    Arguments(QStringList arguments, const QStringList &flags, const QStringList &options = {},
              bool optionsAnywhere = false)
    {
        while (!arguments.isEmpty()) {
            const QString argument = arguments.takeFirst();
            if (!argument.startsWith(QLatin1String("--")) || (!Values.isEmpty() && !optionsAnywhere)) {
                Values.append(argument);
            } else if (flags.contains(argument)) {
                Flags.append(argument);
            } else if (options.contains(argument)) {
                if (arguments.isEmpty())
                    throw UsageError(QStringLiteral("%1 needs a value").arg(argument));
                Options.insert(argument, arguments.takeFirst());
            } else {
                throw UsageError(QStringLiteral("unknown option %1").arg(argument));
            }
        }
    }

    void Expect(qsizetype count) const
    {
        if (Values.size() != count)
            throw UsageError(QStringLiteral("wrong number of arguments"));
    }

    int Number(const QString &option, int fallback) const
    {
        if (!Options.contains(option))
            return fallback;
        bool ok = false;
        const int value = Options.value(option).toInt(&ok);
        if (!ok)
            throw UsageError(QStringLiteral("%1 must be a number").arg(option));
        return value;
    }
};

int commandIndex(const Arguments &args)
{
    args.Expect(1);
    const QString &file = args.Values[0];
    ConsoleReporter reporter;
    try {
        if (args.Flags.contains(QLatin1String("--sort")))
            dict::SortDictionary(file, &reporter);
        dict::BuildIndex(file, &reporter);
    } catch (...) {
        // The error gets a line of its own, not the end of a progress line.
        reporter.EndLine();
        throw;
    }
    reporter.Notice(lang::MSG15);
    return kExitOk;
}

// The index of a dictionary, answered from the file where it can be: one
// look-up needs no word list. FindExact falls back to loading the list when
// the file cannot tell (words out of order, letters whose case folding
// differs from their lower-casing).
class IndexOf
{
public:
    explicit IndexOf(const QString &file) : m_file(file), m_view(dict::IndexFileName(file)) {}

    int Count() const { return m_view.Count(); }
    QString Word(int position) const { return m_view.Word(position); }
    dict::TLocation Location(int position) const { return m_view.Location(position); }
    int FindNearest(const QString &word) const { return m_view.FindNearest(word); }

    int FindExact(const QString &word)
    {
        if (const std::optional<int> position = m_view.FindExact(word))
            return *position;
        if (!m_list) {
            m_list = std::make_unique<dict::TWordList>();
            dict::LoadIndex(dict::IndexFileName(m_file), *m_list);
        }
        return dict::FindExact(word, *m_list);
    }

private:
    QString m_file;
    dict::TIndexView m_view;
    std::unique_ptr<dict::TWordList> m_list;
};

int commandFind(const Arguments &args)
{
    args.Expect(2);
    IndexOf index(args.Values[0]);
    const QString &word = args.Values[1];
    if (args.Flags.contains(QLatin1String("--nearest"))) {
        const int position = index.FindNearest(word);
        print(stdout, position < index.Count()
                          ? QStringLiteral("%1\t%2\n").arg(position).arg(index.Word(position))
                          : QStringLiteral("%1\n").arg(position));
        return kExitOk;
    }
    const int position = index.FindExact(word);
    if (position < 0) {
        print(stderr, QStringLiteral("lexivoce-dict: %1: not found\n").arg(word));
        return kExitNotFound;
    }
    print(stdout, QStringLiteral("%1\t%2\n").arg(position).arg(index.Word(position)));
    return kExitOk;
}

// Renders the entry of word at location. Throws when the index leads
// elsewhere (it is older than the dictionary, or damaged); tells on stderr
// when the entry was too long to be rendered whole.
void renderAt(const QString &file, const QString &word, dict::TLocation location, view::TStyledDocument &document)
{
    dict::TDictFile dictFile;
    dictFile.Open(file);
    bool cut = false;
    const QByteArray entry = dictFile.ReadEntry(location, &cut);
    if (!dict::IsEntryOf(entry, word))
        throw Error(QStringLiteral("the index of %1 is out of date: it does not lead to the entry of \"%2\"; "
                                   "rebuild it with: lexivoce-dict index %1")
                        .arg(file, word));
    if (dict::RenderEntry(document, entry) || cut)
        print(stderr, QStringLiteral("lexivoce-dict: the entry of \"%1\" is too long; only its beginning is shown\n")
                          .arg(word));
}

int commandRender(const Arguments &args)
{
    args.Expect(2);
    bool ok = false;
    const int position = args.Values[1].toInt(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("POS must be a number"));
    IndexOf index(args.Values[0]);
    if (position < 0 || position >= index.Count())
        throw Error(QStringLiteral("position %1 is outside the word list (0..%2)").arg(position).arg(index.Count() - 1));
    view::TStyledDocument document;
    renderAt(args.Values[0], index.Word(position), index.Location(position), document);
    QString out;
    for (int i = 0; i < document.ItemCount(); ++i) {
        const view::TDocItem &item = document.Item(i);
        const QString text = item.StyleNo == view::kPictureStyle
                                 ? QStringLiteral("#%1").arg(item.ImageIndex)
                                 : item.Text;
        out += QStringLiteral("%1\t%2\t%3\t%4\n").arg(i).arg(item.StyleNo).arg(item.ParaNo).arg(text);
    }
    print(stdout, out);
    return kExitOk;
}

int commandShow(const Arguments &args)
{
    args.Expect(2);
    IndexOf index(args.Values[0]);
    const int position = index.FindExact(args.Values[1]);
    if (position < 0) {
        print(stderr, QStringLiteral("lexivoce-dict: %1: not found\n").arg(args.Values[1]));
        return kExitNotFound;
    }
    view::TStyledDocument document;
    renderAt(args.Values[0], index.Word(position), index.Location(position), document);
    print(stdout, document.PlainText() + QLatin1Char('\n'));
    return kExitOk;
}

// Where --register writes: the registry of the profile that lexivoce itself
// would use from here.
struct RegistryTarget
{
    app::TProfileChoice Profile;
    QString Path;
};

RegistryTarget registryTarget(const Arguments &args)
{
    QStringList profileArguments;
    if (args.Options.contains(QStringLiteral("--profile")))
        profileArguments << QStringLiteral("--profile") << args.Options.value(QStringLiteral("--profile"));
    RegistryTarget target;
    target.Profile = app::ResolveProfile(profileArguments, QProcessEnvironment::systemEnvironment(),
                                         QDir::currentPath(), app::InstalledDataDirectory());
    target.Path = QDir(target.Profile.Directory).filePath(dict::RegistryFileName());
    return target;
}

// Adds the imported dictionary to the registry. A profile that is still
// empty is first filled as lexivoce fills it on first use, so that the
// shipped dictionary is not lost, and its voices are placed by name, as
// lexivoce would place them.
void registerImported(const RegistryTarget &target, const QString &name, const QString &dictPath,
                      const QStringList &voiceNames)
{
    const bool fresh = !QFileInfo::exists(target.Path);
    if (fresh)
        app::PrepareProfile(target.Profile.Directory,
                            target.Profile.FillFromData ? app::InstalledDataDirectory() : QString());
    lang::TIniFile registry(target.Path);
    dict::RegisterImported(registry, name, QFileInfo(dictPath).absoluteFilePath(), voiceNames);
    if (fresh)
        dict::ResolveVoicesByName(registry, voiceNames);
}

int commandImport(const Arguments &args)
{
    args.Expect(3);
    const std::optional<dict::TImportFormat> format = dict::ImportFormatFromName(args.Values[0]);
    if (!format)
        throw UsageError(QStringLiteral("unknown format %1 (dictd, stardict or dsl)").arg(args.Values[0]));
    const QString &source = args.Values[1];
    const QString &out = args.Values[2];
    const bool registering = args.Flags.contains(QStringLiteral("--register"));
    if (args.Options.contains(QStringLiteral("--profile")) && !registering)
        throw UsageError(QStringLiteral("--profile goes with --register"));

    // Every refusal comes before anything is written.
    dict::RefuseExistingOutput(out);
    dict::TImportedText imported = dict::ConvertDictionary(*format, source);
    QString name = args.Options.value(QStringLiteral("--name"), imported.Name).simplified();
    if (name.isEmpty())
        name = QFileInfo(out).completeBaseName();
    std::optional<RegistryTarget> target;
    QStringList voiceNames;
    if (registering) {
        target = registryTarget(args);
        // A profile still to be filled gets the shipped registry first.
        const bool toFill = !QFileInfo::exists(target->Path) && target->Profile.FillFromData;
        const QString registry =
            toFill ? QDir(app::InstalledDataDirectory()).filePath(dict::RegistryFileName()) : target->Path;
        if (QFileInfo::exists(registry))
            dict::RefuseRegisteredName(lang::TIniFile(registry), name);
        voiceNames = speech::TSpeaker5().VoiceNames;
    }

    dict::WriteImportedDictionary(out, std::move(imported.Text));
    QString said = QStringLiteral("%1 entries imported into %2\n").arg(imported.Entries).arg(out);
    if (target) {
        try {
            registerImported(*target, name, out, voiceNames);
        } catch (...) {
            QFile::remove(out);
            QFile::remove(dict::IndexFileName(out));
            throw;
        }
        said += QStringLiteral("registered as \"%1\" in %2\n").arg(name, target->Path);
    }
    print(stdout, said);
    return kExitOk;
}

int commandVoices(const Arguments &args)
{
    args.Expect(0);
    speech::TSpeaker5 speaker;
    QString out;
    for (const QString &name : std::as_const(speaker.VoiceNames))
        out += name + u'\n';
    print(stdout, out);
    return kExitOk;
}

int commandSay(const Arguments &args)
{
    args.Expect(1);
    speech::TSpeaker5 speaker;
    speaker.setObjectName(QStringLiteral("say"));
    if (args.Options.contains(QStringLiteral("--voice")))
        speaker.SelectVoice(args.Options.value(QStringLiteral("--voice")));
    speaker.SetSpeed(args.Number(QStringLiteral("--rate"), 0));
    speaker.SetPitch(args.Number(QStringLiteral("--pitch"), 0));
    speaker.SetVolume(args.Number(QStringLiteral("--volume"), 100));
    speaker.SpeakPunctuation = args.Flags.contains(QStringLiteral("--punctuation"));
    speaker.Text = QStringList{args.Values[0]};
    if (args.Options.contains(QStringLiteral("--out"))) {
        speaker.Output = speech::soFile;
        speaker.FileName = args.Options.value(QStringLiteral("--out"));
        if (args.Options.contains(QStringLiteral("--format"))) {
            const auto format = speech::OutputFormatFromName(args.Options.value(QStringLiteral("--format")));
            if (!format)
                throw UsageError(QStringLiteral("unknown format %1").arg(args.Options.value(QStringLiteral("--format"))));
            speaker.OutputFormat = *format;
        }
        speaker.Speak();
        return kExitOk;
    }
    QEventLoop loop;
    QObject::connect(speaker.VoiceObject(), &speech::TVoiceObject::EndStream, &loop, &QEventLoop::quit);
    speaker.Speak();
    if (speaker.State() == speech::ssSpeaking)
        loop.exec();
    return kExitOk;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() || arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h")
        || arguments[0] == QLatin1String("help")) {
        std::fputs(kUsage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? kExitError : kExitOk;
    }
    const QString command = arguments.takeFirst();
    try {
        if (command == QLatin1String("index"))
            return commandIndex(Arguments(arguments, {QStringLiteral("--sort")}));
        if (command == QLatin1String("find"))
            return commandFind(Arguments(arguments, {QStringLiteral("--nearest")}));
        if (command == QLatin1String("render"))
            return commandRender(Arguments(arguments, {}));
        if (command == QLatin1String("show"))
            return commandShow(Arguments(arguments, {}));
        if (command == QLatin1String("import"))
            return commandImport(Arguments(arguments, {QStringLiteral("--register")},
                                           {QStringLiteral("--name"), QStringLiteral("--profile")}, true));
        if (command == QLatin1String("voices"))
            return commandVoices(Arguments(arguments, {}));
        if (command == QLatin1String("say"))
            return commandSay(Arguments(arguments, {QStringLiteral("--punctuation")},
                                        {QStringLiteral("--voice"), QStringLiteral("--rate"), QStringLiteral("--pitch"),
                                         QStringLiteral("--volume"), QStringLiteral("--out"), QStringLiteral("--format")}));
        throw UsageError(QStringLiteral("unknown command %1").arg(command));
    } catch (const UsageError &error) {
        print(stderr, QStringLiteral("lexivoce-dict: %1 (see lexivoce-dict --help)\n").arg(error.message()));
    } catch (const Error &error) {
        print(stderr, QStringLiteral("lexivoce-dict: %1\n").arg(error.message()));
    } catch (const std::exception &error) {
        print(stderr, QStringLiteral("lexivoce-dict: %1\n").arg(QString::fromLocal8Bit(error.what())));
    }
    return kExitError;
}
