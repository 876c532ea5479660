#include "platform/desktop/SignalWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The handler may only write to a descriptor; the event loop reads the other end.
int g_fds[2] = {-1, -1};
} // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent)
{
    if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        m_notifier->setEnabled(false);
        unsigned char sig = 0;
        if (::read(g_fds[1], &sig, 1) != 1)
            sig = SIGTERM;
        m_notifier->setEnabled(true);
        Q_EMIT terminationRequested(sig);
    });

    struct sigaction action = {};
    action.sa_handler = &SignalWatcher::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A closed terminal or a dropped remote session ends the program like a logout, unless it was started
    // to outlive them (nohup): then the hang-up stays ignored.
    struct sigaction hangUp = {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN) {
        sigaction(SIGHUP, &action, nullptr);
        m_hangUpWatched = true;
    }
}

SignalWatcher::~SignalWatcher()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    if (m_hangUpWatched)
        std::signal(SIGHUP, SIG_DFL);
}

void SignalWatcher::handler(int signalNumber)
{
    const unsigned char sig = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(g_fds[0], &sig, 1);
}
