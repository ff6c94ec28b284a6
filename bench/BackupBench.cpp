// The backup started from its dialog against `cp -r` of the same files followed by one `sync`
// of the target's file system: 2,000 files of 16 kB, and one file of 500 MB. Beside them the
// settings file "Backup.Ini" with 2,000 listed files, loaded and saved.
#include "backup/TBackupDialog.h"
#include "backup/TBackupOptions.h"
#include "bench/BenchSupport.h"
#include "platform/Profile.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// count files of size bytes each in a source folder of their own (made once); its path.
std::string Sources(int count, size_t size) {
    const std::string dir =
        BenchDir() + "src" + std::to_string(count) + "x" + std::to_string(size) + "/";
    if (!fs::exists(dir)) {
        fs::create_directories(dir);
        const std::string bytes(size, 'q');
        for (int i = 0; i < count; ++i)
            std::ofstream(dir + "datei" + std::to_string(i) + ".qlr", std::ios::binary) << bytes;
    }
    return dir;
}

// A settings directory whose Backup.Ini lists every file of the source folder for target.
std::string Settings(const std::string& sources, const std::string& target) {
    const std::string dir =
        BenchDir() + "ini" + std::to_string(std::hash<std::string>{}(sources)) + "/";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<ProfileEntry> entries = {{"COMMON", "BACKUP_PATH", target},
                                         {"COMMON", "ONLYNEWERFILES", "0"},
                                         {"COMMON", "CREATESUBDIR", "0"}};
    int n = 0;
    for (const auto& file : fs::directory_iterator(sources))
        entries.push_back({"FILES", "FILE" + std::to_string(++n), file.path().string()});
    entries.push_back({"COMMON", "NUMFILES", std::to_string(n)});
    WritePrivateProfileStrings(entries, dir + TBackupOptions::kFileName);
    return dir;
}

void Counters(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1));
}

// Start pressed in the dialog, until the run has ended (the copies on disk).
void BM_BackupFromDialog(benchmark::State& state) {
    const std::string sources =
        Sources(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    const std::string target = BenchDir() + "target/";
    TBackupDialog dialog(nullptr, Settings(sources, target), "");
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(target);
        dialog.show();
        QApplication::processEvents();
        state.ResumeTiming();
        dialog.RunBackup();
    }
    if (!fs::exists(target + "datei0.qlr"))
        state.SkipWithError("nothing copied");
    Counters(state);
}

void BM_CpAndSync(benchmark::State& state) {
    const std::string sources =
        Sources(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    const std::string target = BenchDir() + "cptarget/";
    const std::string command =
        "cp -r '" + sources + "' '" + target + "' && sync -f '" + target + "'";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(target);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    }
    Counters(state);
}

void SmallAndLarge(benchmark::internal::Benchmark* b) {
    b->Args({2000, 16 << 10})->Args({1, 500 << 20})->Repetitions(5)->ReportAggregatesOnly(true);
    b->UseRealTime()->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_BackupFromDialog)->Apply(SmallAndLarge);
BENCHMARK(BM_CpAndSync)->Apply(SmallAndLarge);

void BM_BackupIniLoad(benchmark::State& state) {
    const std::string dir =
        Settings(Sources(static_cast<int>(state.range(0)), 16), BenchDir() + "target/");
    for (auto _ : state) {
        TBackupOptions options;
        options.Load(dir);
        benchmark::DoNotOptimize(options.Files.size());
    }
}
BENCHMARK(BM_BackupIniLoad)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_BackupIniSave(benchmark::State& state) {
    const std::string dir =
        Settings(Sources(static_cast<int>(state.range(0)), 16), BenchDir() + "target/");
    TBackupOptions options;
    options.Load(dir);
    for (auto _ : state)
        options.Save(dir);
}
BENCHMARK(BM_BackupIniSave)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // the dialog and the string table need it
    return RunBenchmarks(argc, argv);
}
