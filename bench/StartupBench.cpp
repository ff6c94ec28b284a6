// Start-up and shutdown of the whole program, each run in a fresh process (offscreen):
//   StartToPrompt  process start to the login prompt painted
//   OkToDesk       the prompt's OK to the desk painted (an existing, unprotected user)
//   ExitToEnd      the press on the exit hot spot to the process end (document written)
// The benchmark runs itself as the child with "--child <fd> <dir>"; the child reports
// CLOCK_MONOTONIC stamps through a pipe. Usage: StartupBench [benchmark flags] [program dir]
// where the program dir holds the template tables (default: the installed folder beside
// the build, or the directory of this program).

#include "app/TQuilloryApp.h"
#include "app/TSDIDecFrame.h"
#include "desk/HotSpotTable.h"
#include "desk/TQuilloryDlgClient.h"
#include "platform/Messages.h"
#include "platform/SystemDirs.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QTimer>

#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

enum Stamp { PromptPainted, OkPressed, DeskPainted, ExitPressed, StampCount };

// ---- child ------------------------------------------------------------------------------

class Probe : public QObject {
public:
    Probe(int fd) : m_fd(fd) {}
    std::array<int64_t, StampCount> stamps{};
    bool deskPainted = false;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        if (auto* dialog = qobject_cast<QDialog*>(object); dialog && !stamps[PromptPainted]) {
            const bool handled = static_cast<QObject*>(dialog)->event(event);
            stamps[PromptPainted] = NowNs();
            QTimer::singleShot(0, dialog, [this, dialog] {
                stamps[OkPressed] = NowNs();
                dialog->accept();
            });
            return handled;
        }
        if (qobject_cast<TQuilloryDlgClient*>(object) && !deskPainted) {
            const bool handled = static_cast<QObject*>(object)->event(event);
            stamps[DeskPainted] = NowNs();
            deskPainted = true;
            QTimer::singleShot(0, object, [this, object] { PressExit(object); });
            return handled;
        }
        return false;
    }

private:
    void PressExit(QObject* desk) {
        const auto& row = kHotSpotTable[0]; // the exit hot spot
        const QPointF point(row.x + row.w / 2, row.y + row.h / 2);
        stamps[ExitPressed] = NowNs();
        if (write(m_fd, stamps.data(), sizeof(stamps)) != sizeof(stamps)) {
            std::_Exit(3);
        }
        QMouseEvent press(QEvent::MouseButtonPress, point, point, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(desk, &press);
    }
    int m_fd;
};

int Child(int argc, char** argv, int fd, const std::string& dir) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SystemDirs::SetProgramDirectory(dir);
    SystemDirs::SetWindowsDirectory(dir);
    Probe probe(fd);
    application.installEventFilter(&probe);
    TQuilloryApp::Options options;
    options.askName = [](const std::string& prompt, std::string& name) {
        // The only question a run can ask is whether to create the user: yes.
        SetMessageHandler([](const MessageRequest& request) {
            return (request.flags & MB_TYPEMASK) == MB_YESNO ? int(IDYES) : int(IDOK);
        });
        name = "Bench";
        return AskUserNameDialog(prompt, name);
    };
    return RunQuillory(application, options);
}

// ---- parent -----------------------------------------------------------------------------

std::string g_self;
std::string g_templates;

struct Run {
    int64_t start = 0, end = 0;
    std::array<int64_t, StampCount> stamps{};
    bool ok = false;
};

Run SpawnOnce(const std::string& dir) {
    Run run;
    int fds[2];
    if (pipe(fds) != 0) {
        return run;
    }
    const std::string fd = std::to_string(fds[1]);
    std::vector<char*> args{g_self.data(), const_cast<char*>("--child"),
                            const_cast<char*>(fd.c_str()), const_cast<char*>(dir.c_str()), nullptr};
    pid_t pid = 0;
    run.start = NowNs();
    if (posix_spawn(&pid, g_self.c_str(), nullptr, nullptr, args.data(), environ) != 0) {
        close(fds[0]);
        close(fds[1]);
        return run;
    }
    close(fds[1]);
    const ssize_t got = read(fds[0], run.stamps.data(), sizeof(run.stamps));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.end = NowNs();
    run.ok = got == sizeof(run.stamps) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

std::string PrepareProgramDir() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("quillory-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(g_templates)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("QUILLORY ", 0) == 0 || name == "kontur.dat") {
            fs::copy_file(entry.path(), dir / name, fs::copy_options::overwrite_existing);
        }
    }
    return dir.string() + "/";
}

const std::string& ProgramDir() {
    static const std::string dir = [] {
        const std::string d = PrepareProgramDir();
        SpawnOnce(d); // creates the unprotected user Bench, outside the measurement
        return d;
    }();
    return dir;
}

void Measure(benchmark::State& state, int64_t (*interval)(const Run&)) {
    const std::string& dir = ProgramDir();
    for (auto _ : state) {
        const Run run = SpawnOnce(dir);
        if (!run.ok) {
            state.SkipWithError("the program run failed");
            break;
        }
        state.SetIterationTime(double(interval(run)) / 1e9);
    }
}

void StartToPrompt(benchmark::State& state) {
    Measure(state, [](const Run& r) { return r.stamps[PromptPainted] - r.start; });
}
void OkToDesk(benchmark::State& state) {
    Measure(state, [](const Run& r) { return r.stamps[DeskPainted] - r.stamps[OkPressed]; });
}
void ExitToEnd(benchmark::State& state) {
    Measure(state, [](const Run& r) { return r.end - r.stamps[ExitPressed]; });
}

BENCHMARK(StartToPrompt)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(OkToDesk)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(ExitToEnd)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) {
        return Child(argc, argv, std::atoi(argv[2]), argv[3]);
    }
    g_self = std::filesystem::read_symlink("/proc/self/exe").string();
    benchmark::Initialize(&argc, argv);
    g_templates = argc > 1 ? argv[1] : std::filesystem::path(g_self).parent_path().string();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(ProgramDir());
    return 0;
}
