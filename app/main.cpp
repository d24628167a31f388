// Lexivoce: the talking dictionary. The main window comes with its own
// module; until then the program opens an empty window under its title.
// `lexivoce --demo-controls` shows every kind of control, spoken.
#include "app/demo_controls.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivoce"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lexivoce"));
    if (QApplication::arguments().contains(QStringLiteral("--demo-controls"))) {
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
