// Lexivoce: the talking dictionary. The main window comes with its own
// module; until then the program opens an empty window under its title.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivoce"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lexivoce"));
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMainDict"));
    window.setWindowTitle(QStringLiteral("Talking Dictionary"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
