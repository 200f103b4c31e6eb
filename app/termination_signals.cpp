#include "app/termination_signals.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

Q_LOGGING_CATEGORY(lcSignals, "frostpane.signals")

namespace {

// Ctrl-C in the terminal that started the game counts as a request to close
// too: the player's values are saved either way.
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The pipe's writing end, for the handler.
volatile sig_atomic_t g_writeEnd = -1;

void onSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request: this one may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcSignals) << "cannot make a pipe for SIGTERM, SIGHUP and SIGINT; they end the game unsaved";
        return;
    }
    g_writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action
    { };
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction action
    { };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    g_writeEnd = -1;
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void TerminationSignals::readSignal()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1) {
        qCInfo(lcSignals) << "signal" << int(byte) << ": closing the game";
        Q_EMIT terminationRequested(int(byte));
    }
}
