// What the check before every save costs when no other machine changed the document: the
// comparison of the document on disk with the version last read or written (one stat), beside
// a bare stat of the same file as the baseline; and what it costs when the file was touched
// but holds the same bytes (read and merged, which changes nothing). The document is a typical one:
// every field of both tables holds a short text, every memo a few lines.
#include "bench/BenchSupport.h"
#include "bench/TypicalUser.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/TDataSetManager.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <utime.h>

#include <cstdio>

namespace {

void BM_BareStat(benchmark::State& state) {
    const std::string path = TypicalUser().DocumentPath;
    struct stat st {};
    for (auto _ : state)
        benchmark::DoNotOptimize(::stat(path.c_str(), &st));
}
BENCHMARK(BM_BareStat);

void BM_CheckBeforeSave(benchmark::State& state) {
    TDataSetManager& m = TypicalUser();
    for (auto _ : state) {
        if (m.Sync().Changed())
            state.SkipWithError("the document counts as changed");
    }
}
BENCHMARK(BM_CheckBeforeSave);

// Touched (a sync engine that copies the same bytes again): another file, so it is read and
// merged, which changes nothing and writes nothing.
void BM_CheckTouchedSameBytes(benchmark::State& state) {
    TDataSetManager& m = TypicalUser();
    for (auto _ : state) {
        state.PauseTiming();
        ::utime(m.DocumentPath.c_str(), nullptr);
        state.ResumeTiming();
        if (m.Reconcile() != TDataSetManager::Target::Document || m.Sync().NeedsWrite())
            state.SkipWithError("the same bytes changed something");
    }
    struct stat st {};
    ::stat(m.DocumentPath.c_str(), &st);
    state.counters["bytes"] = static_cast<double>(st.st_size);
}
BENCHMARK(BM_CheckTouchedSameBytes);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, [] { DataSetManager().Close(); });
}
