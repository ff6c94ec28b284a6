// The table engine: open a user's two tables and read every field, post one record, and set a
// password (the key derivation measured on its own at the program's cost).
#include "bench/BenchSupport.h"
#include "bench/SchemaTable.h"
#include "engine/Crypto.h"
#include "engine/Restructure.h"
#include "engine/Table.h"
#include "engine/TableStore.h"
#include "store/CategorySchema.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// A filled table of the schema: every text 47 characters, every memo 2000.
std::string MakeTable(TableIndex which, const std::string& name) {
    WriteSchemaTable(which, BenchDir() + name, 47,
                     [](const SchemaField&) { return std::string(2000, 'm'); });
    return BenchDir() + name + ".DB";
}

void BM_OpenBothAndReadAllFields(benchmark::State& state) {
    std::string a = MakeTable(TableIndex::First, "first");
    std::string b = MakeTable(TableIndex::Second, "second");
    engine::Session session;
    for (auto _ : state) {
        size_t bytes = 0;
        for (const std::string& path : {a, b}) {
            auto t = engine::Table::Open(path, session);
            for (size_t i = 0; i < t->Fields().size(); ++i)
                bytes += t->Value(static_cast<int>(i)).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_OpenBothAndReadAllFields)->Unit(benchmark::kMillisecond);

void BM_PostOneRecord(benchmark::State& state) {
    std::string a = MakeTable(TableIndex::First, "post");
    engine::Session session;
    auto t = engine::Table::Open(a, session);
    std::vector<std::string> values;
    for (size_t i = 0; i < t->Fields().size(); ++i)
        values.push_back(t->Value(static_cast<int>(i)));
    int n = 0;
    for (auto _ : state) {
        values[0] = std::to_string(++n);
        t->Post(values);
    }
}
BENCHMARK(BM_PostOneRecord)->Unit(benchmark::kMillisecond);

// Arg 0: the program's own cost; 1 and 2: the most a table header may ask for (four times the
// memory, or four times the passes), the price of one password try against a crafted file.
void BM_KeyDerivation(benchmark::State& state) {
    engine::EnsureSodium();
    engine::Salt salt{};
    engine::SecretKey key;
    engine::KdfParams p = engine::DefaultKdf();
    if (state.range(0) == 1)
        p.memLimit *= 4;
    if (state.range(0) == 2)
        p.opsLimit *= 4;
    state.counters["MiB"] = static_cast<double>(p.memLimit) / (1024 * 1024);
    state.counters["passes"] = static_cast<double>(p.opsLimit);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine::DeriveKey("Kennwort", salt, p, key));
}
BENCHMARK(BM_KeyDerivation)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// The restructure without the key derivation's cost (lowest cost).
void BM_SetPasswordWithoutKdf(benchmark::State& state) {
    std::string a = MakeTable(TableIndex::First, "protect");
    engine::Session session;
    session.newTableKdf = {1, 8192};
    session.AddPassword("Kennwort");
    for (auto _ : state) {
        engine::RestructureTables(session, {{a, true, "Kennwort"}});
        engine::RestructureTables(session, {{a, false, ""}});
    }
    state.SetLabel("set and clear");
}
BENCHMARK(BM_SetPasswordWithoutKdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
