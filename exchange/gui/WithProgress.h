#pragma once

#include "util/VersionTitle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

#include <atomic>
#include <chrono>
#include <exception>
#include <optional>
#include <thread>

// work() on a thread of its own while the window stays painted; a progress window shows once
// it has taken a second. User input waits until it is done. For work that touches neither the
// tables nor the user (key derivation, parsing): timers still run meanwhile. An exception work()
// throws is thrown again here.
template <class Work> auto WithProgress(QWidget* parent, const char* text, Work work) {
    std::optional<decltype(work())> result;
    std::exception_ptr thrown;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            result = work();
        } catch (...) {
            thrown = std::current_exception();
        }
        done = true;
    });
    QProgressDialog progress(QString::fromUtf8(text), QString(), 0, 0, parent);
    progress.setWindowTitle(QString::fromUtf8(kVersionTitle));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.reset();
    QElapsedTimer clock;
    clock.start();
    while (!done) {
        if (clock.elapsed() > 1000 && !progress.isVisible())
            progress.show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    if (thrown)
        std::rethrow_exception(thrown);
    return std::move(*result);
}
