// The backup's copy run against `cp` on the same files: many small files, and a few large ones.
// The backup flushes every copy to disk; `cp` is measured with and without a flush.
#include "backup/ArchivePacking.h"
#include "backup/CopyEngine.h"
#include "backup/TBackupOptions.h"
#include "platform/FileServices.h"
#include "platform/Messages.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string BenchDir() {
    static std::string dir = [] {
        std::string templ = (fs::temp_directory_path() / "backupbenchXXXXXX").string();
        return std::string(::mkdtemp(templ.data())) + "/";
    }();
    return dir;
}

// count files of size bytes each in a source folder of their own; their paths.
std::vector<std::string> MakeSources(int count, size_t size) {
    const std::string dir = BenchDir() + "src" + std::to_string(count) + "/";
    fs::create_directories(dir);
    std::vector<std::string> files;
    const std::string bytes(size, 'q');
    for (int i = 0; i < count; ++i) {
        files.push_back(dir + "datei" + std::to_string(i) + ".qlr");
        std::ofstream(files.back(), std::ios::binary) << bytes;
    }
    return files;
}

class NoLauncher : public IProgramLauncher {
public:
    void StartPif(const std::string&) override {}
    bool WindowExists(const std::string&) override { return false; }
    void PumpMessages() override {}
    std::uint32_t TickCount() override { return 0; }
};

void BM_RunBackup(benchmark::State& state) {
    const std::vector<std::string> files =
        MakeSources(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    BackupServices services;
    services.status = [](const std::string&) {};
    services.message = [](const std::string&, const std::string&, unsigned) { return 1; };
    services.checkAbort = [](bool*) {};
    services.freeSpace = [](const std::string& path) { return FreeSpace(path); };
    NoLauncher launcher;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(BenchDir() + "target");
        state.ResumeTiming();
        TBackupOptions options;
        options.BackupPath = BenchDir() + "target";
        options.OnlyNewerFiles = false;
        RunBackup(options, files, services, BenchDir(), BenchDir(), launcher);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_RunBackup)
    ->Args({500, 16 << 10})
    ->Args({4, 25 << 20})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Cp(benchmark::State& state) {
    const std::vector<std::string> files =
        MakeSources(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    const std::string source = fs::path(files.front()).parent_path().string();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(BenchDir() + "cptarget");
        fs::create_directories(BenchDir() + "cptarget");
        state.ResumeTiming();
        std::string command = "cp -p -r '" + source + "' '" + BenchDir() + "cptarget/'";
        if (state.range(2))
            command += " && sync -d '" + BenchDir() + "cptarget/'*/*";
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1));
}
// Third argument 1: the copies flushed to disk afterwards, as the backup does for each file.
BENCHMARK(BM_Cp)
    ->Args({500, 16 << 10, 0})
    ->Args({500, 16 << 10, 1})
    ->Args({4, 25 << 20, 0})
    ->Args({4, 25 << 20, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv); // the string table lives in the embedded resources
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(BenchDir());
    return 0;
}
