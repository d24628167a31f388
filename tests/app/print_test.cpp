// Printing from the main window: what reaches the page, in what order, and
// what the user hears when it works and when it cannot.
#include "tests/app/main_dict_fixture.h"

#include "tests/support/message_answers.h"
#include "tests/support/pdf_text.h"

#include <QPrinter>

namespace lexivoce::app {
namespace {

using namespace test_support;

class PrintTest : public MainDictTest
{
protected:
    void SetUp() override
    {
        MainDictTest::SetUp();
        WriteConfig(QStringLiteral("Sample"));
        Start();
        window->MakePrinter = [this] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        };
    }

    void LookUp(const QString &word)
    {
        window->edtLookup->setFocus();
        window->edtLookup->setText(word);
        Key(window->edtLookup, Qt::Key_Return);
    }

    // The command's key, with the boxes it brings up answered in turn; the
    // boxes' texts, each once its speech was heard.
    QStringList Press(Qt::KeyboardModifiers modifiers, QList<const char *> buttons = {})
    {
        QList<test::TMessageAnswers::THandler> handlers;
        for (const char *button : buttons) {
            handlers.append([this, button](dialogs::TMessageForm *form) {
                const QString text = form->findChild<QLabel *>(QStringLiteral("lblDlgMsg"))->text();
                if (!QTest::qWaitFor([&] { return InterfaceSaid().join(u' ').contains(text); }, 5000))
                    unsaid << text;
                captions << form->windowTitle();
                test::Click(form, button);
            });
        }
        test::TMessageAnswers answers(handlers);
        Key(QApplication::focusWidget(), Qt::Key_P, modifiers);
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return answers.Messages;
    }

    void TearDown() override
    {
        EXPECT_TRUE(unsaid.isEmpty()) << "shown, never said: " << unsaid.join(u'|').toStdString();
        MainDictTest::TearDown();
    }

    QString pdf = PathOf(QStringLiteral("printed.pdf"));
    QStringList captions;
    QStringList unsaid;
};

TEST_F(PrintTest, TheEntryOnScreenIsPrintedWithTheFooterAndThatIsSaid)
{
    LookUp(QStringLiteral("abroad"));
    Forget();
    EXPECT_TRUE(Press(Qt::ControlModifier).isEmpty());
    const QStringList pages = test::PdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("abroad"))) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("ở nước ngoài")));
    EXPECT_EQ(pages[0].trimmed().split(u'\n').last(), QStringLiteral("Printed by Lexivoce"));
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("Sent to the printer. Pages: 1")});
}

TEST_F(PrintTest, PrintAllAsksThenPrintsTheHistoryInTheOrderLookedUp)
{
    for (const char *word : {"apple tree", "abroad", "Việt Nam", "apple tree"})
        LookUp(QString::fromUtf8(word));
    ASSERT_EQ(HistoryWords().size(), 4) << HistoryWords().join(u'|').toStdString();

    // No: nothing printed.
    EXPECT_EQ(Press(Qt::ControlModifier | Qt::AltModifier, {"btnDlgNo"}),
              QStringList{QStringLiteral("Do you want to print all ?")});
    EXPECT_FALSE(QFile::exists(pdf));

    Forget();
    Press(Qt::ControlModifier | Qt::AltModifier, {"btnDlgYes"});
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Confirmation"), QStringLiteral("Confirmation")}));
    const QString text = test::PdfPages(pdf).join(u'\n');
    const qsizetype tree = text.indexOf(QStringLiteral("cây táo"));
    const qsizetype abroad = text.indexOf(QStringLiteral("ra nước ngoài"));
    const qsizetype vietnam = text.indexOf(QStringLiteral("nước Việt Nam"));
    const qsizetype treeAgain = text.indexOf(QStringLiteral("cây táo"), vietnam);
    EXPECT_TRUE(tree >= 0 && tree < abroad && abroad < vietnam && vietnam < treeAgain) << text.toStdString();
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Sent to the printer. Pages: 1")));
}

TEST_F(PrintTest, WhatCannotBePrintedIsShownAndSaidAndNothingIsReportedAsPrinted)
{
    // Print all with no word looked up.
    EXPECT_EQ(Press(Qt::ControlModifier | Qt::AltModifier, {"btnDlgOK"}),
              QStringList{QStringLiteral("The list is empty")});
    EXPECT_EQ(captions, QStringList{QStringLiteral("Error")});
    // Print current with nothing on screen.
    Forget();
    Press(Qt::ControlModifier);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("There is no entry to print")});

    LookUp(QStringLiteral("abroad"));
    // No printer on the system.
    window->MakePrinter = [] { return std::unique_ptr<QPrinter>(); };
    EXPECT_EQ(Press(Qt::ControlModifier, {"btnDlgOK"}),
              QStringList{QStringLiteral("No printer is set up, so nothing was printed")});
    // A printer that does not take the job.
    window->MakePrinter = [this] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(PathOf(QStringLiteral("no/such/folder/printed.pdf")));
        return printer;
    };
    Forget();
    const QStringList boxes = Press(Qt::ControlModifier, {"btnDlgOK"});
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Printing failed"))) << boxes[0].toStdString();
    EXPECT_FALSE(InterfaceSaid().join(u' ').contains(QStringLiteral("Sent to the printer")));
    EXPECT_FALSE(QFile::exists(pdf));
}

// No print server at all: Qt still offers a printer object, which must not
// be taken for a printer.
TEST_F(PrintTest, WithoutAPrintServerThereIsNoPrinterAndThatIsSaid)
{
    qputenv("CUPS_SERVER", PathOf(QStringLiteral("no-server.sock")).toLocal8Bit());
    EXPECT_FALSE(DefaultPrinter());
    window->MakePrinter = nullptr;
    LookUp(QStringLiteral("abroad"));
    EXPECT_EQ(Press(Qt::ControlModifier, {"btnDlgOK"}),
              QStringList{QStringLiteral("No printer is set up, so nothing was printed")});
    EXPECT_FALSE(InterfaceSaid().join(u' ').contains(QStringLiteral("Sent to the printer")));
}

// The real default printer: a cups-pdf queue of the private print server
// that tests/support/with_cups starts.
TEST_F(PrintTest, TheJobReachesTheDefaultPrinterUnderItsTitleWithItsFooters)
{
    const QString spool = qEnvironmentVariable("LEXIVOCE_CUPS_SPOOL");
    const QString pageLog = qEnvironmentVariable("LEXIVOCE_CUPS_PAGE_LOG");
    if (spool.isEmpty() || pageLog.isEmpty())
        GTEST_SKIP() << "no private print server (tests/support/with_cups)";
    const std::unique_ptr<QPrinter> printer = DefaultPrinter();
    ASSERT_TRUE(printer);
    EXPECT_EQ(printer->printerName(), QStringLiteral("lexivoce-test"));

    window->MakePrinter = nullptr;
    LookUp(QStringLiteral("abroad"));
    Forget();
    Press(Qt::ControlModifier);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("Sent to the printer. Pages: 1")});

    // The server logs the job's pages under its title once cups-pdf is done.
    const auto logged = [&] {
        QFile log(pageLog);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("Lexivoce printing...");
    };
    EXPECT_TRUE(QTest::qWaitFor(logged, 60000)) << "no job titled \"Lexivoce printing...\" in " << pageLog.toStdString();
    // The file spooled for the job is what the program sent: every page
    // with its footer.
    const QStringList jobs = QDir(spool).entryList({QStringLiteral("d*-001")}, QDir::Files, QDir::Time);
    ASSERT_FALSE(jobs.isEmpty());
    const QStringList pages = test::PdfPages(QDir(spool).filePath(jobs.first()));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("abroad")));
    EXPECT_EQ(pages[0].trimmed().split(u'\n').last(), QStringLiteral("Printed by Lexivoce"));
}

} // namespace
} // namespace lexivoce::app
