// Lexivoce: the talking dictionary. The main window comes with its own
// module; until then the program opens an empty window under its title.
// `lexivoce --demo-controls` shows every kind of control, spoken;
// `lexivoce --demo-message TEXT` shows TEXT in the spoken error box.
#include "app/demo_controls.h"
#include "dialogs/message_dialog.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivoce"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lexivoce"));
    const QStringList arguments = QApplication::arguments();
    const qsizetype message = arguments.indexOf(QStringLiteral("--demo-message"));
    if (message > 0)
        return lexivoce::dialogs::DemoMessageDialog(arguments.value(message + 1)) == 1 ? 0 : 1;
    if (arguments.contains(QStringLiteral("--demo-controls"))) {
        lexivoce::app::TfrmDemoControls demo;
        demo.show();
        return app.exec();
    }
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMainDict"));
    window.setWindowTitle(QStringLiteral("Talking Dictionary"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
