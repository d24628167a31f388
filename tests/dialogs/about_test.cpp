#include "dialogs/about.h"

#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/fake_speech.h"
#include "tests/support/heard_log.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <memory>
#include <utility>

namespace lexivoce::dialogs {
namespace {

using TValues = QList<std::pair<QByteArray, QByteArray>>;

QByteArray le16(qsizetype value)
{
    return QByteArray(1, char(value & 0xFF)) + QByteArray(1, char((value >> 8) & 0xFF));
}

// A version record as about.h lays it out, built here so that the test
// program holds no ready-made record of its own.
QByteArray record(const TValues &values)
{
    QByteArray body;
    for (const auto &[key, data] : values)
        body += le16(key.size()) + key + le16(data.size()) + data;
    return VersionRecordMarker() + le16(values.size()) + le16(body.size()) + body;
}

const QByteArray kTranslationKey = "\\VarFileInfo\\Translation";
const QByteArray kUsEnglish("\x09\x04\xE4\x04", 4);

TValues usEnglish(const QByteArray &version)
{
    return {{kTranslationKey, kUsEnglish}, {"StringFileInfo\\040904E4\\FileVersion", version}};
}

class AboutVersionTest : public test::TempDirTest
{
protected:
    QString Version(const QByteArray &bytes)
    {
        WriteFile(QStringLiteral("program"), bytes);
        return GetFileVersionString(PathOf(QStringLiteral("program")));
    }
};

TEST_F(AboutVersionTest, TheProgramReadsItsOwnVersionFromItsFile)
{
    const QString program = QCoreApplication::applicationFilePath();
    EXPECT_EQ(GetFileVersionString(program), QStringLiteral(LEXIVOCE_EXPECTED_FILE_VERSION));
    // The record's marker is nowhere else in the program, its debugging
    // information included, where a reader could take it for a record.
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count(VersionRecordMarker()), 1);
}

TEST_F(AboutVersionTest, FilesWithoutARecordHaveNoVersion)
{
    WriteFile(QStringLiteral("text.txt"), "Phiên bản 1.2.3.4\n");
    WriteFile(QStringLiteral("empty"), QByteArray());
    for (const QString &name : {PathOf(QStringLiteral("text.txt")), PathOf(QStringLiteral("empty")),
                                PathOf(QStringLiteral("missing")), m_dir.path(), QStringLiteral("/bin/sh")})
        EXPECT_EQ(GetFileVersionString(name), QString()) << name.toStdString();
}

TEST_F(AboutVersionTest, TheFirstTranslationChoosesTheVersion)
{
    const QByteArray junk(5000, '\x90');
    EXPECT_EQ(Version(junk + record(usEnglish("8.4.0.0")) + junk), QStringLiteral("8.4.0.0"));
    // German, Unicode first: its key wins over a U.S. English value.
    const TValues german = {{kTranslationKey, QByteArray("\x07\x04\xB0\x04\x09\x04\xE4\x04", 8)},
                            {"StringFileInfo\\040904E4\\FileVersion", "1.1.1.1"},
                            {"StringFileInfo\\040704B0\\FileVersion", QByteArray("9.8.7.6\0", 8)}};
    EXPECT_EQ(Version(record(german)), QStringLiteral("9.8.7.6"));
    // A marker without a record before the real one is passed over.
    EXPECT_EQ(Version(VersionRecordMarker() + "\xFF\xFF" + junk + record(usEnglish("2.0.0.1"))),
              QStringLiteral("2.0.0.1"));
}

TEST_F(AboutVersionTest, ARecordWithoutTheFirstTranslationsVersionHasNone)
{
    EXPECT_EQ(Version(record({{"StringFileInfo\\040904E4\\FileVersion", "1.0.0.0"}})), QString());
    EXPECT_EQ(Version(record({{kTranslationKey, "\x09\x04"}, {"StringFileInfo\\040904E4\\FileVersion", "1"}})),
              QString());
    EXPECT_EQ(Version(record({{kTranslationKey, kUsEnglish}, {"StringFileInfo\\040704B0\\FileVersion", "1"}})),
              QString());
    EXPECT_EQ(Version(record(usEnglish("\xC3\x28"))), QString()) << "not UTF-8";
}

TEST_F(AboutVersionTest, CutOrMalformedRecordsGiveNoVersionAndNeverCrash)
{
    const QByteArray whole = record(usEnglish("0.1.0.0"));
    for (qsizetype size = 0; size < whole.size(); ++size)
        EXPECT_EQ(Version(whole.left(size)), QString()) << size;

    const qsizetype fields = VersionRecordMarker().size();
    QByteArray tooLong = whole;
    tooLong[fields + 2] = char(tooLong[fields + 2] + 1);
    QByteArray tooShort = whole;
    tooShort[fields + 2] = char(tooShort[fields + 2] - 1);
    QByteArray noValues = whole;
    noValues[fields] = 0;
    EXPECT_EQ(Version(tooLong + "x"), QString());
    EXPECT_EQ(Version(tooShort), QString());
    EXPECT_EQ(Version(noValues), QString());
    EXPECT_EQ(Version(record({{"", "x"}, {kTranslationKey, kUsEnglish}})), QString());
    EXPECT_EQ(Version(record({{"\\VarFileInfo\\Translation\x01", kUsEnglish}})), QString());
}

// ---------------------------------------------------------------------------

class AboutBoxTest : public test::TempDirTest
{
protected:
    TfrmAbout &Open()
    {
        m_box = std::make_unique<TfrmAbout>();
        m_box->SpeakingComponent = &m_sp;
        m_box->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_box.get()));
        return *m_box;
    }

    // The clauses heard, without their voices.
    QStringList Heard() const
    {
        test::THeardLog::Settle();
        QStringList clauses;
        for (const QString &spoken : m_voice->Spoken()) {
            for (const QString &clause : test::SpeechClauses(spoken))
                clauses << clause.section(u':', 1);
        }
        return clauses;
    }

    test::TFakeSpeech m_speech;
    speech::fake::TFakeVoice *m_voice = m_speech.Voice;
    speech::TSpeakingComponent &m_sp = m_speech.Sp;
    std::unique_ptr<TfrmAbout> m_box;
};

TEST_F(AboutBoxTest, ShowsTheVersionAndHolderAndSaysEveryLineOnOpening)
{
    const test::THeardLog log;
    TfrmAbout &box = Open();
    const QString version = QStringLiteral("Phiên bản " LEXIVOCE_EXPECTED_FILE_VERSION);
    EXPECT_EQ(box.lblFileVersion->text(), version);
    EXPECT_EQ(box.lblCopyright->text(), QStringLiteral("© 2026 Lexivoce developers"));
    EXPECT_EQ(box.size(), QSize(321, 225));
    EXPECT_EQ(Heard(), QStringList({QStringLiteral("Giới thiệu"), QStringLiteral("Lexivoce"), version,
                                    box.lblInfo->text(), box.lblCopyright->text(), box.lblWebsite->text(),
                                    box.lblTelFax->text()}));
}

TEST_F(AboutBoxTest, AFileWithoutVersionAndACopyrightWithoutPlaceShowTheBareLines)
{
    m_box = std::make_unique<TfrmAbout>();
    WriteFile(QStringLiteral("plain"), "no record");
    m_box->ProgramFile = PathOf(QStringLiteral("plain"));
    m_box->lblCopyright->setText(QStringLiteral("Bản quyền"));
    m_box->show();
    EXPECT_EQ(m_box->lblFileVersion->text(), QStringLiteral("Phiên bản "));
    EXPECT_EQ(m_box->lblCopyright->text(), QStringLiteral("Lexivoce developers"));
}

TEST_F(AboutBoxTest, OnlyEnterAndEscapeClose)
{
    const struct {
        Qt::Key key;
        bool closes;
    } cases[] = {{Qt::Key_Return, true}, {Qt::Key_Enter, true},  {Qt::Key_Escape, true},
                 {Qt::Key_A, false},     {Qt::Key_Space, false}, {Qt::Key_Tab, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        TfrmAbout &box = Open();
        QTest::keyClick(&box, c.key);
        EXPECT_EQ(box.isVisible(), !c.closes);
    }
    TfrmAbout &box = Open();
    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(160, 150));
    QTest::mouseClick(box.lblProductName, Qt::LeftButton);
    EXPECT_TRUE(box.isVisible());
}

} // namespace
} // namespace lexivoce::dialogs
