#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QTimer;

// One game at a time for a user on one display. The first game holds a lock
// file and listens on a local socket, both in the runtime folder
// ($XDG_RUNTIME_DIR; the temporary folder without one); a later start finds
// the lock held and asks the running game, through the socket, to come to
// the front.
//
// The lock is the kernel's (flock) on that file, which ends with the
// process that holds it: a game that crashed leaves no lock, and what the
// file holds counts for nothing (empty, junk, another host's name). Nothing
// found there keeps a game from starting: something that is not a plain file
// is moved out of the way, a running game that does not answer is left to
// itself, and a game that is closing is waited for.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    // How a start went.
    enum class Start {
        Claimed,           // this game holds the lock
        RaisedRunningGame, // the running game came to the front: nothing to start
        Alone,             // the lock could not be had (logged): this game plays without it
    };
    // What the game that holds the lock answered.
    enum class Answer {
        Shown,        // it came to the front
        NoAnswer,     // it took the connection but did not answer in time
        NotListening, // nobody listens: it is starting, closing, or gone
    };

    // Most connections served at once. A later one takes the place of the
    // one that has waited longest without sending a word (or, failing
    // that, without a whole request); when every one has its request in,
    // the later one is closed at once.
    static constexpr int kMaximumConnections = 16;
    // The longest a connection stays open, and the most it may send.
    static constexpr int kConnectionMilliseconds = 1000;
    static constexpr int kMaximumRequestBytes = 64;

    // Names the lock and socket after the display ($WAYLAND_DISPLAY, or
    // $DISPLAY as X11 reads it: ":1", ":1.0" and "unix:1" are one) in
    // `folder` (empty: the runtime folder).
    explicit SingleInstance(const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks the game that holds it to come to the front
    // (waiting at most `answerMs` for its answer). A game that is starting
    // or closing does not listen: the lock is tried again until `waitMs`
    // have passed, after which, as after a game that did not answer, this
    // one starts alone. Needs no application object.
    Start start(int answerMs, int waitMs);

    // Takes the lock now; false when another running game holds it. True
    // too when no lock can be made here (logged): the game plays all the same.
    bool claim();
    // Asks the game that holds the lock to come to the front, waiting at most
    // `timeoutMs` for its answer.
    Answer askRunningGameToShow(int timeoutMs);
    // Once claimed: listens for later starts (needs an event loop to report),
    // and listens again whenever the server stops.
    bool listen();
    // The game is closing: later starts wait for the lock instead of asking.
    void stopListening();

    const QString &lockPath() const { return m_lockPath; }
    const QString &socketPath() const { return m_socketPath; }
    // The display's part of the names ("1" for ":1"; "wayland-0").
    static QString displayTag(const QByteArray &waylandDisplay, const QByteArray &x11Display);

Q_SIGNALS:
    // A later start asked this game to come to the front.
    void showRequested();

private:
    enum class LockAttempt { Taken, Held, Impossible, Retry };
    LockAttempt tryLock();
    bool listenNow();
    void keepListening();
    void takeConnection();
    bool makeRoom();
    void serve(QLocalSocket *socket);

    QString m_lockPath;
    QString m_socketPath;
    int m_lockFd = -1;
    bool m_noLock = false;
    bool m_closing = false;
    // The connections being served, the oldest first.
    QList<QLocalSocket *> m_served;
    QLocalServer *m_server = nullptr;
    QTimer *m_watch = nullptr;
};
