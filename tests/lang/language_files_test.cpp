// The shipped language files against what the program asks for.
#include "lang/control_texts.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/local_strings.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <map>
#include <span>

namespace lexivoce::lang {
namespace {

using LanguageFilesTest = test::TempDirTest;

const QString kControls = QStringLiteral("CONTROLS");
const QString kMessages = QStringLiteral("MESSAGES");
const QString kLocalStrings = QStringLiteral("LocalStrings");
const QString kLanguage = QString::fromLatin1(LanguageSectionKeys::Section);

QString shipped(const char *name)
{
    return QStringLiteral(LEXIVOCE_DATA_DIR "/LANG/") + QString::fromLatin1(name);
}

const QString kEnglish = shipped("Lexivoce.eng");
const QString kVietnamese = shipped("Lexivoce.vie");

// A key the program asks for, with every built-in default it is asked with
// (a name two windows share is asked with two).
struct Wanted
{
    QString Section;
    QString Key;
    QStringList Defaults;
};

using WantedKeys = std::map<std::pair<QString, QString>, Wanted>;

void want(WantedKeys &keys, const QString &section, const QString &key, const QString &fallback)
{
    Wanted &entry = keys[{section, key}];
    entry.Section = section;
    entry.Key = key;
    entry.Defaults.append(fallback);
}

std::span<const TControlText> const kWindows[] = {MainWindowTexts(), DictionaryManagerTexts(), FileDialogTexts(),
                                                  MessageDialogTexts()};

// What TLocalize is asked for: every window's components and every keyed text.
WantedKeys localizedKeys()
{
    WantedKeys keys;
    for (const auto &window : kWindows) {
        for (const TControlText &text : window)
            want(keys, kControls, text.NameText(), text.CaptionText());
    }
    for (const TMessage &message : AllMessages())
        want(keys, message.SectionName(), message.KeyName(), message.Text());
    return keys;
}

// Everything else a shipped file must hold: the screen reader's words and
// the language menu's names and the interface voice.
WantedKeys allKeys()
{
    WantedKeys keys = localizedKeys();
    for (const speech::TLocalStringKey &word : speech::LocalStringKeys())
        want(keys, kLocalStrings, QString::fromLatin1(word.Key), QString::fromUtf8(word.Default));
    for (const char *key : {"eng", "vie", LanguageSectionKeys::Voice, LanguageSectionKeys::Pitch,
                            LanguageSectionKeys::Speed})
        want(keys, kLanguage, QString::fromLatin1(key), QString());
    return keys;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression format(QStringLiteral("%[a-zA-Z%]"));
    QStringList found;
    for (const QRegularExpressionMatch &match : format.globalMatch(text))
        found.append(match.captured());
    return found;
}

// Every wanted key is there, not empty, and keeps what the caller relies on
// in one of its defaults: the same placeholders, and an accelerator where the
// default has one (never two; on a letter that can be typed with Alt).
void expectComplete(const QString &file, const WantedKeys &keys)
{
    const TIniFile ini(file);
    for (const auto &[id, wanted] : keys) {
        SCOPED_TRACE((file + u' ' + wanted.Section + u'/' + wanted.Key).toStdString());
        if (!ini.ValueExists(wanted.Section, wanted.Key)) {
            ADD_FAILURE() << "missing";
            continue;
        }
        const QString value = ini.ReadString(wanted.Section, wanted.Key, QString());
        EXPECT_FALSE(value.trimmed().isEmpty());
        EXPECT_EQ(value, value.normalized(QString::NormalizationForm_C)) << "decomposed letters";

        const qsizetype marks = value.count(u'&');
        bool matchesADefault = false;
        for (const QString &fallback : wanted.Defaults) {
            matchesADefault = matchesADefault
                || (placeholders(value) == placeholders(fallback) && marks == fallback.count(u'&'));
        }
        EXPECT_TRUE(matchesADefault) << value.toStdString();
        if (marks == 1) {
            const qsizetype at = value.indexOf(u'&');
            const QChar letter = at + 1 < value.size() ? value[at + 1] : QChar();
            EXPECT_TRUE(letter.isLetterOrNumber() && letter.unicode() < 0x80) << value.toStdString();
        }
    }
}

TEST(LanguageFiles, ShippedFilesHoldEveryKeyTheProgramAsksFor)
{
    const WantedKeys keys = allKeys();
    for (const QString &file : {kEnglish, kVietnamese})
        expectComplete(file, keys);
}

TEST(LanguageFiles, ShippedFilesHoldNoKeyTheProgramNeverAsksFor)
{
    const WantedKeys keys = allKeys();
    for (const QString &file : {kEnglish, kVietnamese}) {
        const TIniFile ini(file);
        EXPECT_EQ(ini.ReadSections(), QStringList({kControls, kMessages, kLocalStrings, kLanguage}));
        for (const QString &section : ini.ReadSections()) {
            for (const QString &key : ini.ReadSection(section))
                EXPECT_TRUE(keys.count({section, key})) << (file + u' ' + section + u'/' + key).toStdString();
        }
    }
}

TEST(LanguageFiles, VietnameseFileTranslatesEveryText)
{
    const TIniFile english(kEnglish);
    const TIniFile vietnamese(kVietnamese);
    for (const auto &[id, wanted] : allKeys()) {
        if (wanted.Section == kLanguage && (wanted.Key == QLatin1String(LanguageSectionKeys::Pitch)
                                            || wanted.Key == QLatin1String(LanguageSectionKeys::Speed)))
            continue;
        EXPECT_NE(english.ReadString(wanted.Section, wanted.Key, QString()).toStdString(),
                  vietnamese.ReadString(wanted.Section, wanted.Key, QString()).toStdString())
            << (wanted.Section + u'/' + wanted.Key).toStdString();
    }
}

// The language menu shows, in the current interface language, the name of
// the other language read from that language's file under the current code.
TEST(LanguageFiles, LanguageSectionNamesTheFilesLanguageInEachLanguage)
{
    const struct {
        QString file;
        const char *code;
        const char *name;
    } cases[] = {
        {kEnglish, "eng", "English"},
        {kEnglish, "vie", "Tiếng Anh"},
        {kVietnamese, "eng", "Vietnamese"},
        {kVietnamese, "vie", "Tiếng Việt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.file + u' ' + QString::fromLatin1(c.code)).toStdString());
        EXPECT_EQ(TIniFile(c.file).ReadString(kLanguage, QString::fromLatin1(c.code), QString()),
                  QString::fromUtf8(c.name));
    }
    for (const QString &file : {kEnglish, kVietnamese}) {
        const TIniFile ini(file);
        for (const char *key : {LanguageSectionKeys::Pitch, LanguageSectionKeys::Speed}) {
            const int position = ini.ReadInteger(kLanguage, QString::fromLatin1(key), -1);
            EXPECT_GE(position, 0) << key;
            EXPECT_LE(position, 20) << key;
        }
    }
}

TEST(LanguageFiles, FilesAreUtf16LittleEndianWithMarkAndCrLf)
{
    for (const QString &name : {kEnglish, kVietnamese}) {
        SCOPED_TRACE(name.toStdString());
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
        ASSERT_EQ(bytes.size() % 2, 0);
        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(bytes.sliced(2));
        EXPECT_FALSE(decoder.hasError());
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        EXPECT_TRUE(text.endsWith(QLatin1String("\r\n")));
        QString withoutCrLf = text;
        withoutCrLf.remove(QStringLiteral("\r\n"));
        EXPECT_FALSE(withoutCrLf.contains(u'\r') || withoutCrLf.contains(u'\n')) << "bare line end";
    }
}

TEST_F(LanguageFilesTest, ProgramFillsAnEmptyLanguageFileByItself)
{
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("LANG")));
    WriteFile(QStringLiteral("LANG/Lexivoce.xyz"), QByteArray());
    const WantedKeys keys = localizedKeys();
    {
        TLocalize localize;
        localize.SetLanguage(QStringLiteral("xyz"));
        for (const auto &[id, wanted] : keys)
            localize.ReadString(wanted.Section, wanted.Key, wanted.Defaults.first());
    }
    expectComplete(QStringLiteral("LANG/Lexivoce.xyz"), keys);
    EXPECT_TRUE(ReadFile(QStringLiteral("LANG/Lexivoce.xyz")).startsWith("\xFF\xFE"));
}

} // namespace
} // namespace lexivoce::lang
