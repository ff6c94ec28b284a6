// What a form OK costs now that it writes the document: the fields of one form stored and
// posted (the OK as it was), the same followed by the save of the whole document (the OK as it
// is), and beside them a plain write of the document's bytes into a new file, flushed.
// The document is a typical one: every field of both tables holds a short text, every memo a
// few lines.
#include "bench/BenchSupport.h"
#include "bench/TypicalUser.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/TDataSetManager.h"
#include "store/TField.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

constexpr int kDoctors = 8; // the doctors' form: fifteen text fields

void StoreForm(TDataSetManager& m, int round) {
    TQuery& table = *m.FirstTable;
    table.Edit();
    for (int id : FieldIds(kDoctors))
        m.StoreField(table, "Dr. " + std::to_string(round) + " " + FieldName(kDoctors, id),
                     FieldName(kDoctors, id));
    table.Post();
}

void BM_FormOkWithoutSave(benchmark::State& state) {
    TDataSetManager& m = TypicalUser();
    int round = 0;
    for (auto _ : state)
        StoreForm(m, ++round);
}
BENCHMARK(BM_FormOkWithoutSave)->Unit(benchmark::kMillisecond);

void BM_FormOkWithSave(benchmark::State& state) {
    TDataSetManager& m = TypicalUser();
    int round = 0;
    for (auto _ : state) {
        StoreForm(m, ++round);
        if (!m.Save())
            state.SkipWithError("save failed");
    }
    state.counters["document_bytes"] =
        static_cast<double>(std::filesystem::file_size(m.DocumentPath));
}
BENCHMARK(BM_FormOkWithSave)->Unit(benchmark::kMillisecond);

// The document's bytes written into a new file, flushed and renamed over the last one.
void BM_PlainWriteOfTheDocument(benchmark::State& state) {
    TDataSetManager& m = TypicalUser();
    std::ifstream in(m.DocumentPath, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string target = BenchDir() + "plain.bin";
    for (auto _ : state) {
        const std::string temp = target + ".new";
        if (!WritePlain(temp, bytes))
            state.SkipWithError("write failed");
        ::rename(temp.c_str(), target.c_str());
    }
}
BENCHMARK(BM_PlainWriteOfTheDocument)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, [] { DataSetManager().Close(); });
}
