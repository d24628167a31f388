// The Help menu and F1 from the main window: each opens its window, which
// speaks, and the window comes back afterwards.
#include "tests/app/main_dict_fixture.h"

#include "dialogs/about.h"
#include "dialogs/help_view.h"

namespace lexivoce::app {
namespace {

using namespace test_support;

TEST_F(MainDictTest, F1AndAboutOpenTheirWindowsWhichSpeak)
{
    WriteConfig(QStringLiteral("Sample"));
    WriteFile(QStringLiteral("readme.htm"),
              "<html><body><article id=\"en\"><h1>Help title</h1><p>First line.</p></article></body></html>");
    Start();

    // Closes the next modal window of type T once it has spoken, keeping
    // what was said.
    const auto closeWhenSaid = [this]<class T>(T *, QString *said) {
        QTimer::singleShot(0, [this, said] {
            auto *opened = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!opened)
                return;
            (void)QTest::qWaitFor([&] { return !InterfaceSaid().isEmpty(); }, 5000);
            *said = InterfaceSaid().join(u' ');
            opened->close();
        });
    };

    Forget();
    QString help;
    closeWhenSaid(static_cast<dialogs::TfrmHelp *>(nullptr), &help);
    Key(window->edtLookup, Qt::Key_F1);
    EXPECT_TRUE(help.contains(QStringLiteral("Help title"))) << help.toStdString();

    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Forget();
    QString about;
    closeWhenSaid(static_cast<dialogs::TfrmAbout *>(nullptr), &about);
    window->mnuAbout->trigger();
    EXPECT_TRUE(about.contains(QStringLiteral("Phiên bản"))) << about.toStdString();
    EXPECT_TRUE(about.contains(QStringLiteral("Lexivoce")));
}

} // namespace
} // namespace lexivoce::app
