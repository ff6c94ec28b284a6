// What a keystroke in the search window costs: every field of both tables filled, the memos
// holding 1 MB between them, the query run over the folded index, beside a plain substring scan
// of the same raw text. The index itself is built once per window; its cost is measured too.
#include "search/SearchIndex.h"
#include "store/CategorySchema.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr size_t kMemoBytes = 1 << 20;

// German-looking text with umlauts, ß, accents and numbers in their many forms.
std::string Filler(size_t bytes, uint32_t seed) {
    static const char* const words[] = {
        "Straße",    "Müller",       "Köln",         "Hausarzt",       "Versicherung", "Größe",
        "Café",      "Kontonummer",  "0170/1234567", "DE89 3704 0044", "Überweisung",  "Geschäft",
        "Schlüssel", "Seriennummer", "AB-1234-XY",   "Notiz"};
    constexpr size_t count = sizeof(words) / sizeof(words[0]);
    std::string text;
    text.reserve(bytes + 32);
    uint32_t x = seed * 2654435761u + 1;
    while (text.size() < bytes) {
        x = x * 1664525u + 1013904223u;
        text += words[(x >> 16) % count];
        text += (x & 0x3F) == 0 ? "\r\n" : " ";
    }
    return text;
}

std::vector<SearchEntry> FilledFields() {
    std::vector<SearchEntry> entries;
    size_t memos = 0;
    for (const FieldFacts& f : AllFields())
        memos += f.kind == FieldKind::Memo;
    uint32_t seed = 1;
    for (const CategoryInfo& info : Categories()) {
        for (int id : FieldIds(info.number)) {
            const bool memo = IsMemoField(info.number, id);
            entries.push_back({info.number, id, "Feld " + std::to_string(id),
                               Filler(memo ? kMemoBytes / memos : 40, seed++), false});
        }
    }
    return entries;
}

const std::vector<SearchEntry>& Fields() {
    static const std::vector<SearchEntry> fields = FilledFields();
    return fields;
}

const SearchIndex& Index() {
    static const SearchIndex index(Fields());
    return index;
}

const char* const kQueries[] = {"koeln", "mueller 0170", "+49 170 1234567", "zzqx"};

void BM_Keystroke(benchmark::State& state) {
    const SearchIndex& index = Index();
    const char* query = kQueries[state.range(0)];
    size_t hits = 0;
    for (auto _ : state) {
        hits = index.Find(query, true).size();
        benchmark::DoNotOptimize(hits);
    }
    state.SetLabel(std::string(query) + ", " + std::to_string(hits) + " hits");
}

// The baseline: the query as typed, found or not in every raw value.
void BM_PlainSubstring(benchmark::State& state) {
    const std::vector<SearchEntry>& fields = Fields();
    const std::string query = kQueries[state.range(0)];
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const SearchEntry& e : fields)
            hits += e.value.find(query) != std::string::npos;
        benchmark::DoNotOptimize(hits);
    }
    state.SetLabel(query);
}

void BM_IndexBuild(benchmark::State& state) {
    for (auto _ : state) {
        SearchIndex index(Fields());
        benchmark::DoNotOptimize(index.Entries().size());
    }
}

BENCHMARK(BM_Keystroke)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSubstring)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
