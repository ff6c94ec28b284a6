#include "platform/gui/TaskWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::vector<std::string> SplitCommandTail(const std::string& tail) {
    std::vector<std::string> words;
    if (tail.empty()) {
        return words;
    }
    std::size_t start = 0;
    for (;;) {
        const auto blank = tail.find(' ', start);
        if (blank == std::string::npos) {
            words.push_back(tail.substr(start));
            break;
        }
        words.push_back(tail.substr(start, blank - start));
        start = blank + 1;
    }
    return words;
}

namespace {

// A top-level window that runs one program in a pseudo-terminal, shows what it writes and
// passes typed keys to it.
class TTaskWindow : public QWidget {
public:
    TTaskWindow(const QString& title) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(title);
        m_view = new QPlainTextEdit(this);
        m_view->setReadOnly(true);
        m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        m_view->setFocusPolicy(Qt::NoFocus);
        m_view->setUndoRedoEnabled(false);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view);
        setFocusPolicy(Qt::StrongFocus);
        resize(640, 400);
    }

    ~TTaskWindow() override {
        if (m_master >= 0) {
            ::close(m_master);
        }
        if (m_pid > 0) {
            ::kill(m_pid, SIGHUP);
            if (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
            }
        }
    }

    // Forks the program into a new pseudo-terminal; false (with errno) when that fails.
    bool Start(const PifFields& fields) {
        // Everything the child needs is prepared before the fork: after it only
        // async-signal-safe calls are made.
        std::vector<std::string> words = SplitCommandTail(fields.parameters);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(fields.program.c_str()));
        for (auto& w : words) {
            argv.push_back(w.data());
        }
        argv.push_back(nullptr);
        const std::string failure =
            "Programm kann nicht gestartet werden: " + fields.program + "\r\n";

        struct winsize size {};
        size.ws_row = 25;
        size.ws_col = 80;
        int master = -1;
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
        if (pid < 0) {
            return false;
        }
        if (pid == 0) {
            // What the program writes (an archive of the user's files) is the user's alone.
            ::umask(077);
            if (!fields.startDirectory.empty() && ::chdir(fields.startDirectory.c_str()) != 0) {
                // Run in the inherited directory rather than not at all.
            }
            ::execv(fields.program.c_str(), argv.data());
            [[maybe_unused]] auto n = ::write(STDOUT_FILENO, failure.data(), failure.size());
            ::_exit(127);
        }
        m_pid = pid;
        m_master = master;
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] { ReadOutput(); });
        m_reaper = new QTimer(this);
        QObject::connect(m_reaper, &QTimer::timeout, this, [this] { CheckExit(); });
        m_reaper->start(100);
        return true;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (m_master < 0) {
            QWidget::keyPressEvent(event);
            return;
        }
        QByteArray bytes;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            bytes = "\r";
            break;
        case Qt::Key_Backspace:
            bytes = "\x7f";
            break;
        default:
            bytes = event->text().toUtf8();
        }
        if (!bytes.isEmpty()) {
            [[maybe_unused]] auto n = ::write(m_master, bytes.constData(), bytes.size());
        }
    }

private:
    void ReadOutput() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                Show(std::string_view(buffer, static_cast<std::size_t>(n)));
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                return;
            }
            // EOF or EIO: the program has closed its terminal.
            m_notifier->setEnabled(false);
            CheckExit();
            return;
        }
    }

    // Appends program output, dropping terminal control sequences and carriage returns.
    void Show(std::string_view text) {
        std::string plain;
        for (char c : text) {
            if (m_escape == 1) {
                m_escape = (c == '[') ? 2 : 0;
                continue;
            }
            if (m_escape == 2) {
                if (c >= '@' && c <= '~') {
                    m_escape = 0;
                }
                continue;
            }
            if (c == '\x1b') {
                m_escape = 1;
            } else if (c == '\b') {
                if (!plain.empty()) {
                    plain.pop_back();
                } else {
                    m_view->textCursor().deletePreviousChar();
                }
            } else if (c != '\r' && c != '\a') {
                plain.push_back(c);
            }
        }
        QTextCursor cursor = m_view->textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QString::fromUtf8(plain.data(), static_cast<qsizetype>(plain.size())));
        m_view->setTextCursor(cursor);
        m_view->ensureCursorVisible();
    }

    void CheckExit() {
        if (m_pid <= 0) {
            return;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) != m_pid) {
            return;
        }
        m_pid = -1;
        m_reaper->stop();
        ReadOutput();
        ::close(m_master);
        m_master = -1;
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (ok) {
            close();
            return;
        }
        const QString reason = WIFEXITED(status)
                                   ? QStringLiteral("mit Fehlercode %1").arg(WEXITSTATUS(status))
                                   : QStringLiteral("durch Signal %1").arg(WTERMSIG(status));
        Show(QStringLiteral("\n\nDas Programm wurde %1 beendet. Schließen Sie dieses Fenster.\n")
                 .arg(reason)
                 .toStdString());
    }

    QPlainTextEdit* m_view = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_reaper = nullptr;
    pid_t m_pid = -1;
    int m_master = -1;
    int m_escape = 0;
};

} // namespace

bool LaunchPif(const std::string& pifPath) {
    const auto fields = ReadPifFields(pifPath);
    if (!fields || fields->program.empty() || ::access(fields->program.c_str(), X_OK) != 0) {
        return false;
    }
    auto* window = new TTaskWindow(QString::fromStdString(fields->title));
    if (!window->Start(*fields)) {
        delete window;
        return false;
    }
    // A modal dialog blocks every window that is not its own; a window transient for it is,
    // so the program's prompt takes keys while the dialog waits. The window stays no child of
    // the dialog and outlives it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        window->winId();
        if (QWindow* handle = window->windowHandle()) {
            handle->setTransientParent(modal->window()->windowHandle());
        }
    }
    window->showMaximized();
    window->activateWindow();
    window->setFocus();
    return true;
}

QWidget* FindTopLevelWindow(const std::string& title) {
    const QString wanted = QString::fromStdString(title);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == wanted) {
            return w;
        }
    }
    return nullptr;
}
