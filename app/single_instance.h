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

    // True when this process is the first for the profile (it then listens,
    // on a socket only this user may use, removed again when the object
    // goes). A socket left behind by a crashed instance does not count.
    // Throws lexivoce::Error when there is no private folder for the socket.
    bool Acquire();

    // Asks the running instance of the profile to come to the front; true when
    // it acknowledged within timeoutMs.
    static bool SendActivate(const QString &profileDirectory, int timeoutMs = 2000);

    // The path of the profile's socket: in the user's private runtime folder
    // (RuntimeFolder), named after the canonical path of the profile, so that
    // two profiles run side by side and no other user can take the name.
    // Empty when there is no private folder to be had.
    static QString ServerName(const QString &profileDirectory);

    // $XDG_RUNTIME_DIR when it is a folder of ours that only we may enter,
    // else <temp>/lexivoce-<uid>, made with mode 0700 and checked to be ours,
    // a folder, not a link and closed to others; empty when neither is.
    static QString RuntimeFolder();

Q_SIGNALS:
    void ActivateRequested();

private:
    bool listen();
    void acceptConnections();
    void readMessages(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

} // namespace lexivoce::app
