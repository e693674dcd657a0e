#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace klipo::platform {

// Keeps one running program per user. The first process listens on a local
// socket; a later one asks it to show itself ("show") and quits.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString serverName = defaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first: it now listens for later ones. A
    // socket left behind by a crashed first process is replaced. When the
    // socket cannot be made at all, the program runs anyway (true). The
    // socket file is removed when the object goes.
    bool start();

    // For a later process: asks the running one to show itself. True when a
    // running instance answered.
    static bool notifyRunningInstance(const QString& serverName = defaultServerName());

    // The socket of this user: in $XDG_RUNTIME_DIR when it is this user's
    // private folder, else in a folder of our own (mode 0700) in the temporary
    // folder or, when another user holds that name, in the cache folder. Empty
    // when there is no safe place (then there is no guard).
    static QString defaultServerName();

Q_SIGNALS:
    // A later process asked to be shown instead of starting.
    void activationRequested();

private:
    void serve(QLocalSocket* socket);

    QString m_name;
    QLocalServer* m_server = nullptr;
};

}  // namespace klipo::platform
