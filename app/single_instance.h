#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace lexivoce::app {

// One running instance per profile. The first process to Acquire() listens on a
// local socket named after the profile; a later start asks it through
// SendActivate() to come to the front instead of opening a second window.
//
// Protocol: the client sends the line "activate", the instance answers "ok"
// and emits ActivateRequested(). Unknown lines are ignored.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit TSingleInstance(const QString &profileDirectory, QObject *parent = nullptr);
    ~TSingleInstance() override;

    // True when this process is the first for the profile (it then listens).
    // A socket left behind by a crashed instance does not count.
    bool Acquire();

    // Asks the running instance of the profile to come to the front; true when
    // it acknowledged within timeoutMs.
    static bool SendActivate(const QString &profileDirectory, int timeoutMs = 2000);

    // The local server name of a profile: per user and per canonical path, so
    // that two profiles run side by side.
    static QString ServerName(const QString &profileDirectory);

Q_SIGNALS:
    void ActivateRequested();

private:
    void acceptConnections();
    void readMessages(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

} // namespace lexivoce::app
