#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (a desktop logging out, a system shutting down), SIGHUP (the
// terminal closing) and SIGINT (Ctrl-C in that terminal) as a Qt signal on
// the thread that made this object, so that the game ends as the player ends
// it. The C signal handler only
// writes a byte into a pipe of its own; nothing else is safe there.
// One object at a time; the default handling comes back when it goes.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Whether the handlers are in place (logged when not).
    bool isActive() const { return m_notifier != nullptr; }

Q_SIGNALS:
    // `signal` is SIGTERM, SIGHUP or SIGINT.
    void terminationRequested(int signal);

private:
    void readSignal();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
