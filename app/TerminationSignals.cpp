#include "app/TerminationSignals.h"

#include "app/ProgramEnd.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};

// The pipe's write end for the handler; -1 while no instance lives.
volatile sig_atomic_t g_writeFd = -1;
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void OnTerminationSignal(int number) {
    const int saved = errno;
    const int fd = g_writeFd;
    if (fd >= 0) {
        const char byte = static_cast<char>(number);
        // A full pipe already holds a request; nothing is lost by dropping this one.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals() {
    if (g_writeFd >= 0 || ::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_pipe[0] = m_pipe[1] = -1;
        return;
    }
    g_writeFd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Drain(); });

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        // A handler that cannot be set leaves that signal's previous handling.
        ::sigaction(kSignals[i], &action, &g_previous[i]);
        // A signal the starter chose to ignore (nohup, a background job) stays ignored.
        if (g_previous[i].sa_handler == SIG_IGN) {
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        }
    }

#ifndef QT_NO_SESSIONMANAGER
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The desktop session ends: the program ends as through its exit hot spot.
        QObject::connect(gui, &QGuiApplication::commitDataRequest, m_notifier.get(),
                         [](QSessionManager&) { EndProgramUnattended(); });
    }
#endif
}

TerminationSignals::~TerminationSignals() {
    if (m_pipe[1] < 0) {
        return;
    }
    for (size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    g_writeFd = -1;
    m_notifier.reset();
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TerminationSignals::Drain() {
    char bytes[64];
    bool requested = false;
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
        requested = true;
    }
    if (requested) {
        EndProgramUnattended();
    }
}
