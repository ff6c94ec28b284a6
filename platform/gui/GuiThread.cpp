#include "platform/gui/GuiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <exception>

void RunOnGuiThread(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    std::exception_ptr thrown;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                work();
            } catch (...) {
                thrown = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (thrown)
        std::rethrow_exception(thrown);
}
