#include "app/ProgramEnd.h"

#include "platform/gui/TDialog.h"
#include "util/gui/MessageQueue.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace {

bool g_ending = false;
bool g_unattended = false;

// Innermost first: closing a modal dialog makes the one below it the active modal widget.
void CloseModalDialogs() {
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* widget = QApplication::activeModalWidget();
        if (widget == nullptr) {
            return;
        }
        if (auto* dialog = qobject_cast<TDialog*>(widget)) {
            dialog->done(IDCANCEL); // not CmCancel: no question, nothing stored
        } else if (auto* other = qobject_cast<QDialog*>(widget)) {
            other->done(QDialog::Rejected);
        } else {
            widget->hide();
        }
    }
}

// Repeats the closing while the run winds down: a dialog's caller may go on and open another.
QTimer& Closer() {
    static QPointer<QTimer> timer;
    if (timer.isNull()) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [] {
            CloseModalDialogs();
            QCoreApplication::exit(0);
        });
    }
    return *timer;
}

} // namespace

void EndProgram() {
    g_ending = true;
    RequestAbort(true); // a running copy or wait stops at once
    CloseModalDialogs();
    QCoreApplication::exit(0);
    Closer().start();
}

void EndProgramUnattended() {
    g_unattended = true;
    EndProgram();
}

bool EndingUnattended() {
    return g_unattended;
}

void ClearUnattendedEnd() {
    g_unattended = false;
}

bool ProgramEnding() {
    return g_ending;
}

void FinishProgramEnd() {
    g_ending = false;
    RequestAbort(false);
    if (QCoreApplication::instance() != nullptr) {
        Closer().stop();
    }
}
