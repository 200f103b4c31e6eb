#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One game at a time for a user on one display. The first game holds a lock
// file and listens on a local socket, both in the runtime folder
// ($XDG_RUNTIME_DIR; the temporary folder without one); a later start finds
// the lock held and asks the running game, through the socket, to come to
// the front. A lock left by a game that crashed is taken over: the lock file
// names its process, which is gone.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    // Names the lock and socket after the display ($WAYLAND_DISPLAY or
    // $DISPLAY) in `folder` (empty: the runtime folder).
    explicit SingleInstance(const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock; false when another running game holds it. Needs no
    // application object.
    bool claim();
    // Asks the game that holds the lock to come to the front, waiting at most
    // `timeoutMs` for it to take the request. Returns whether it did.
    bool askRunningGameToShow(int timeoutMs);
    // Once claimed: listens for later starts (needs an event loop to report).
    bool listen();

    const QString &lockPath() const { return m_lockPath; }
    const QString &socketPath() const { return m_socketPath; }

Q_SIGNALS:
    // A later start asked this game to come to the front.
    void showRequested();

private:
    void takeConnection();

    QString m_lockPath;
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};
