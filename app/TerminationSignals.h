#pragma once

#include <memory>

class QSocketNotifier;

// While it lives, SIGTERM, SIGHUP and SIGINT and the end of the desktop session end the
// program through EndProgram. The signal handler only writes the signal's number into a pipe;
// the event loop reads it and does the work, so nothing unsafe runs inside the handler.
// One instance at a time; the previous handlers come back when it goes.
class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void Drain();

    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};
