#include "dialogs/help_view.h"

#include "dialogs/help_reader.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/fake_speech.h"
#include "tests/support/heard_log.h"
#include "tests/support/message_answers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <memory>

namespace lexivoce::dialogs {
namespace {

// Short lines, none wrapped: each paragraph is one line of the view.
const QByteArray kPage = R"(<html><head><meta charset="utf-8"></head><body>
<p><a href="#en">Outside every article</a></p>
<article id="vi"><h1>Trang một</h1><p>Dòng hai</p></article>
<article id="en"><h1>First line</h1><p>Second line</p><p>Go to <a href="#target">the target</a> now</p>
<p><a href="#vi">Tiếng Việt</a> or <a href="https://example.org/x">outside</a></p>
<h2 id="target">Target heading</h2><p>Last line</p></article>
</body></html>)";

class HelpViewTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        WriteFile(QStringLiteral("help.htm"), kPage);
        m_path = qgetenv("PATH");
    }

    void TearDown() override
    {
        m_form.reset();
        qputenv("PATH", m_path);
        TempDirTest::TearDown();
    }

    TfrmHelp &Open(const QString &language = QStringLiteral("eng"))
    {
        m_form = std::make_unique<TfrmHelp>();
        m_form->SpeakingComponent = &m_sp;
        EXPECT_TRUE(m_form->LoadPage(QStringLiteral("help.htm"), language));
        m_sp.HookControlTree(m_form.get());
        m_sp.SetSelfVoiced(m_form->rvHelp);
        m_form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
        test::THeardLog::Settle();
        m_log.Clear();
        return *m_form;
    }

    // Each key, then what it made heard.
    QStringList Press(std::initializer_list<QKeyCombination> keys)
    {
        QStringList heard;
        for (const QKeyCombination key : keys) {
            m_log.Clear();
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
            test::THeardLog::Settle();
            heard << m_log.Whole().join(u" | ");
        }
        return heard;
    }

    // Puts a fake xdg-open first in PATH that writes its argument into
    // opened.txt; or leaves none in PATH.
    void FakeHandler(bool present)
    {
        QDir().mkdir(QStringLiteral("bin"));
        QDir().mkdir(QStringLiteral("empty"));
        if (present) {
            WriteFile(QStringLiteral("bin/xdg-open"),
                      "#!/bin/sh\nprintf '%s' \"$1\" > '" + PathOf(QStringLiteral("opened.txt")).toUtf8() + "'\n");
            QFile::setPermissions(PathOf(QStringLiteral("bin/xdg-open")), QFile::ReadOwner | QFile::ExeOwner);
            qputenv("PATH", PathOf(QStringLiteral("bin")).toUtf8() + ':' + m_path);
        } else {
            qputenv("PATH", PathOf(QStringLiteral("empty")).toUtf8());
        }
    }

    QString Opened() const
    {
        const QString name = PathOf(QStringLiteral("opened.txt"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(name).size() > 0; }, 5000));
        return QString::fromUtf8(ReadFile(QStringLiteral("opened.txt")));
    }

    test::TFakeSpeech m_speech;
    speech::fake::TFakeVoice *m_voice = m_speech.Voice;
    speech::TSpeakingComponent &m_sp = m_speech.Sp;
    test::THeardLog m_log;
    std::unique_ptr<TfrmHelp> m_form;
    QByteArray m_path;
};

TEST_F(HelpViewTest, OpeningSaysTheCaptionThenTheFirstLine)
{
    m_form = std::make_unique<TfrmHelp>();
    m_form->SpeakingComponent = &m_sp;
    ASSERT_TRUE(m_form->LoadPage(QStringLiteral("help.htm"), QString()));
    m_form->show();
    test::THeardLog::Settle();
    EXPECT_EQ(m_log.Whole(), QStringList({QStringLiteral("Lexivoce Help"), QStringLiteral("First line")}));
}

TEST_F(HelpViewTest, LinesCharactersAndWordsAreReadWhereTheCaretArrives)
{
    FakeHandler(false);
    Open();
    // Enter off a link is the page's: it presses no button.
    EXPECT_EQ(Press({Qt::Key_Return}), QStringList(QString()));
    EXPECT_EQ(Press({Qt::Key_Down, Qt::Key_Down}),
              QStringList({QStringLiteral("Second line"), QStringLiteral("Go to the target now")}));
    EXPECT_EQ(Press({Qt::Key_Up, Qt::Key_Right, Qt::CTRL | Qt::Key_Right, Qt::Key_End, Qt::Key_Left}),
              QStringList({QStringLiteral("Second line"), QStringLiteral("e"), QStringLiteral("line"),
                           QStringLiteral("blank"), QStringLiteral("e")}));
    // The edges are said, never silence.
    EXPECT_EQ(Press({Qt::CTRL | Qt::Key_End, Qt::Key_Down}),
              QStringList({QStringLiteral("Last line"), QStringLiteral("End of the page")}));
    const QStringList page = Press({Qt::CTRL | Qt::Key_Home, Qt::Key_Up});
    EXPECT_TRUE(page[0].startsWith(QStringLiteral("First line"))) << page[0].toStdString();
    EXPECT_TRUE(page[0].contains(QStringLiteral("Target heading")));
    EXPECT_TRUE(page[0].endsWith(QStringLiteral("Last line")));
    EXPECT_EQ(page[1], QStringLiteral("Top of the page"));
    EXPECT_EQ(m_form->rvHelp->textCursor().position(), 0);
}

TEST_F(HelpViewTest, TabReadsLinksAndEnterFollowsThemWithinThePage)
{
    TfrmHelp &form = Open();
    EXPECT_EQ(Press({Qt::Key_Tab, Qt::Key_Tab, Qt::SHIFT | Qt::Key_Backtab}),
              QStringList({QStringLiteral("the target link"), QStringLiteral("Tiếng Việt link"),
                           QStringLiteral("the target link")}));
    EXPECT_EQ(Press({Qt::Key_Return, Qt::Key_Down}),
              QStringList({QStringLiteral("Target heading"), QStringLiteral("Last line")}));
    EXPECT_TRUE(form.isVisible()) << "Enter pressed no button";

    // A link to the other language's article shows it.
    Press({Qt::CTRL | Qt::Key_Home, Qt::Key_Tab, Qt::Key_Tab});
    EXPECT_EQ(Press({Qt::Key_Enter}), QStringList(QStringLiteral("Trang một")));
    EXPECT_EQ(form.ArticleId(), QStringLiteral("vi"));
    Press({Qt::Key_Escape});
    EXPECT_FALSE(form.isVisible());
}

TEST_F(HelpViewTest, TheInterfaceLanguageChoosesTheArticle)
{
    const auto firstLine = [](const QString &page, const QString &language) {
        TfrmHelp form;
        EXPECT_TRUE(form.LoadPage(page, language));
        return form.rvHelp->toPlainText().section(u'\n', 0, 0).trimmed();
    };
    const QString shipped = QStringLiteral(LEXIVOCE_DATA_DIR "/readme.htm");
    EXPECT_EQ(firstLine(shipped, QStringLiteral("vie")), QStringLiteral("Hướng dẫn sử dụng Lexivoce"));
    EXPECT_EQ(firstLine(shipped, QStringLiteral("eng")), QStringLiteral("Lexivoce Help"));
    EXPECT_EQ(firstLine(shipped, QString()), QStringLiteral("Lexivoce Help"));
    EXPECT_EQ(firstLine(QStringLiteral("help.htm"), QStringLiteral("vie")), QStringLiteral("Trang một"));
    // A page without articles is shown whole.
    WriteFile(QStringLiteral("plain.htm"), "<p>Just this</p>");
    EXPECT_EQ(firstLine(QStringLiteral("plain.htm"), QStringLiteral("vie")), QStringLiteral("Just this"));
    EXPECT_FALSE(TfrmHelp().LoadPage(QStringLiteral("missing.htm"), QString()));
}

TEST_F(HelpViewTest, TheBrowserGetsTheAbsolutePathThroughTheHandlerInPath)
{
    FakeHandler(true);
    EXPECT_TRUE(OpenHelpInBrowser(QStringLiteral("help.htm")));
    EXPECT_EQ(Opened(), PathOf(QStringLiteral("help.htm")));
    EXPECT_FALSE(OpenHelpInBrowser(QStringLiteral("missing.htm")));
    FakeHandler(false);
    EXPECT_FALSE(OpenHelpInBrowser(QStringLiteral("help.htm")));
}

TEST_F(HelpViewTest, TheWindowsBrowserCommandAndOutsideLinksSayWhatHappened)
{
    FakeHandler(false);
    Open();
    EXPECT_EQ(Press({Qt::CTRL | Qt::Key_B}), QStringList(QStringLiteral("No program to show web pages was found")));
    FakeHandler(true);
    EXPECT_EQ(Press({Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}).last(),
              QStringLiteral("Opening https://example.org/x in the browser"));
    EXPECT_EQ(Opened(), QStringLiteral("https://example.org/x"));
}

TEST_F(HelpViewTest, AMissingPageIsSaidInAnErrorBox)
{
    test::TMessageAnswers answers({[](TMessageForm *form) { test::Click(form, "btnDlgOK"); }});
    OpenHelp(nullptr, QStringLiteral("readme.htm"), QStringLiteral("eng"), &m_sp, nullptr);
    EXPECT_EQ(answers.Messages, QStringList(QStringLiteral("The help page readme.htm cannot be opened")));
    test::THeardLog::Settle();
    EXPECT_TRUE(m_log.Whole().join(u' ').contains(QStringLiteral("readme.htm cannot be opened")));
}

TEST_F(HelpViewTest, WithoutABrowserTheHelpCommandOpensTheHelpWindow)
{
    FakeHandler(false);
    WriteFile(QStringLiteral("readme.htm"), kPage);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(
            QTest::qWaitFor([] { return qobject_cast<TfrmHelp *>(QApplication::activeModalWidget()); }, 5000));
        if (auto *form = qobject_cast<TfrmHelp *>(QApplication::activeModalWidget())) {
            shown = form->FileName() == PathOf(QStringLiteral("readme.htm"));
            test::THeardLog::Settle();
            QTest::keyClick(form->rvHelp, Qt::Key_Escape);
        }
    });
    OpenHelp(nullptr, QStringLiteral("readme.htm"), QStringLiteral("eng"), &m_sp, nullptr);
    EXPECT_TRUE(shown);
    EXPECT_EQ(m_log.Whole().mid(0, 3), QStringList({QStringLiteral("No program to show web pages was found"),
                                                    QStringLiteral("Lexivoce Help"), QStringLiteral("First line")}));
}

} // namespace
} // namespace lexivoce::dialogs
