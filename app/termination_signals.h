#pragma once

#include <QObject>

class QSocketNotifier;

namespace lexivoce::app {

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C in a terminal) as a
// signal on the GUI thread, so that the program ends as it does when its
// window is closed: the active dictionary saved, the single-instance socket
// removed. One object at a time; the handlers are the defaults again once it
// is gone.
class TTerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TTerminationSignals(QObject *parent = nullptr);
    ~TTerminationSignals() override;

Q_SIGNALS:
    void Terminated();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace lexivoce::app
