#pragma once

#include <QApplication>
#include <QString>

namespace lexivoce::lang {
class TLocalize;
}
namespace lexivoce::speech {
class TSpeakingComponent;
}

namespace lexivoce::dialogs {

// What the error display speaks through and translates with; either may be
// null. Not owned: the speaking component is forgotten when it is destroyed,
// the localizer must be reset before it goes.
void SetErrorDisplayContext(speech::TSpeakingComponent *speaker, lang::TLocalize *localizer);
void ResetErrorDisplayContext();

// The program's standard error display: an Error box with OK, spoken and
// translated through the installed context (spoken through a voice of its
// own when none is installed; in the built-in texts when the translated box
// cannot be made). While another error is being shown, or when no box can
// be made, the message is spoken and goes to stderr. Without a GUI (no
// QApplication, another thread) it goes to stderr only.
void ShowError(const QString &message);

// The application object: an exception thrown out of any event handler or
// slot is shown by ShowError and never travels on into Qt.
class TApplication : public QApplication
{
    Q_OBJECT

public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace lexivoce::dialogs
