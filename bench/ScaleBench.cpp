// The engine with large memos, each beside its baseline in the same run:
//   PostOnline / PlainWriteOfChangedBytes   OK of "Online" (48 fields) through the query, the
//       first table holding two 50 MB memos; against writing and flushing the bytes the post
//       writes (.DB and .PX) to a new file. PostOnline/0 is a typical document (2000-character
//       memos).
//   MemoWriteBack / BareToPlainText   the memo part of OK in "Persönliches": both 50 MB memo
//       controls' text in the table's line breaks, stored and posted (the memos unchanged);
//       against bare toPlainText of the same two controls.
//   Login / CpDocument   unpacking a 150 MB document and opening both tables; against reading
//       the document and writing a copy (cp). The counter peakMB is the process's peak memory
//       growth during the login, docMB the document's size.
//   OkOnlineWithSave   the same OK in the 150 MB document, followed by the document's save that
//       every form OK does; against cp of the document.
//   PasswordCycle   key derivations (Argon2id at the program's cost) of set, unlock, change and
//       remove on the two tables of a document.
#include "bench/BenchSupport.h"
#include "bench/SchemaTable.h"
#include "engine/Crypto.h"
#include "engine/Restructure.h"
#include "engine/Table.h"
#include "engine/TableStore.h"
#include "forms/TCategoryForm.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/DocumentContainer.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "store/TSession.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr size_t kMB = 1024 * 1024;

// Lines of 63 characters with umlauts, LF-separated, about bytes long.
std::string MemoText(size_t bytes, const char* lineBreak) {
    std::string line = "Zeile mit Umlauten äöü und Ziffern 0123456789 abcdefghijklmn";
    std::string text;
    text.reserve(bytes + line.size() + 2);
    while (text.size() < bytes)
        text.append(line).append(lineBreak);
    return text;
}

// A table of the schema at base; memos of memoBytes in the first table's two memo fields
// (2000 characters in every memo field when memoBytes is 0).
void MakeTable(TableIndex which, const std::string& base, size_t memoBytes,
               const std::string& memoEnd = {}) {
    WriteSchemaTable(which, base, 20, [&](const SchemaField& f) {
        if (memoBytes == 0)
            return std::string(2000, 'm');
        return f.name == "E1_123" || f.name == "E1_124" ? MemoText(memoBytes, "\r\n") + memoEnd
                                                        : std::string();
    });
}

std::unique_ptr<TQuery> OpenQuery(const std::string& tablePath) {
    auto q = std::make_unique<TQuery>();
    q->propRequestLive(true);
    q->propSQL().Add("SELECT * FROM \"" + tablePath + "\";");
    q->Open();
    return q;
}

void BM_PostOnline(benchmark::State& state) {
    const size_t memo = static_cast<size_t>(state.range(0)) * kMB;
    const std::string base = BenchDir() + "online" + std::to_string(state.range(0));
    MakeTable(TableIndex::First, base, memo);
    std::unique_ptr<TQuery> q = OpenQuery(base + ".DB");
    int n = 0;
    for (auto _ : state) {
        q->Edit();
        ++n;
        for (int k : FieldIds(4))
            q->objFieldByName(FieldName(4, k))->propAsString("Online " + std::to_string(n + k));
        q->Post();
    }
    state.counters["writtenKB"] = static_cast<double>(std::filesystem::file_size(base + ".DB") +
                                                      std::filesystem::file_size(base + ".PX")) /
                                  1024;
}
BENCHMARK(BM_PostOnline)->Arg(50)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_PlainWriteOfChangedBytes(benchmark::State& state) {
    const std::string base = BenchDir() + "online50";
    const size_t bytes =
        std::filesystem::file_size(base + ".DB") + std::filesystem::file_size(base + ".PX");
    const std::string data(bytes, 'x');
    for (auto _ : state) {
        if (!WritePlain(BenchDir() + "plain", data))
            state.SkipWithError("write failed");
    }
    state.counters["writtenKB"] = static_cast<double>(bytes) / 1024;
}
BENCHMARK(BM_PlainWriteOfChangedBytes)->Unit(benchmark::kMillisecond);

// The two memo controls of "Persönliches", filled once.
struct MemoControls {
    QPlainTextEdit a, b;
    MemoControls() {
        std::string lines = MemoText(50 * kMB, "\r\n");
        lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
        const QString text = QString::fromStdString(lines);
        a.setPlainText(text);
        b.setPlainText(text);
    }
};
MemoControls& Controls() {
    static MemoControls controls;
    return controls;
}

void BM_MemoWriteBack(benchmark::State& state) {
    MemoControls& c = Controls();
    const std::string base = BenchDir() + "persoenlich";
    // The memos as the controls hold them, stored: OK with unchanged memos.
    MakeTable(TableIndex::First, base, 50 * kMB, "\r\n");
    std::unique_ptr<TQuery> q = OpenQuery(base + ".DB");
    TDataSetManager& manager = DataSetManager();
    for (auto _ : state) {
        q->Edit();
        manager.StoreMemo(*q, TCategoryForm::ControlText(&c.a), "E1_123");
        manager.StoreMemo(*q, TCategoryForm::ControlText(&c.b), "E1_124");
        q->Post();
    }
}
BENCHMARK(BM_MemoWriteBack)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BareToPlainText(benchmark::State& state) {
    MemoControls& c = Controls();
    for (auto _ : state) {
        QString a = c.a.toPlainText();
        QString b = c.b.toPlainText();
        benchmark::DoNotOptimize(a.size() + b.size());
    }
}
BENCHMARK(BM_BareToPlainText)->Unit(benchmark::kMillisecond)->Iterations(3);

// A document of two tables, the first holding two memos of 75 MB.
std::string LargeDocument() {
    static std::string document = [] {
        DocumentFiles files;
        for (int t = 0; t < 2; ++t) {
            const std::string base = BenchDir() + "doc" + std::to_string(t);
            MakeTable(t == 0 ? TableIndex::First : TableIndex::Second, base, t == 0 ? 75 * kMB : 0);
            for (int e = 0; e < 3; ++e)
                files[t * 3 + e] = base + kTableExtensions[e];
        }
        const std::string path = BenchDir() + "large.qlr";
        PackDocument(path, files);
        return path;
    }();
    return document;
}

uint64_t StatusKB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::strtoull(line.c_str() + std::strlen(key), nullptr, 10);
    }
    return 0;
}

void BM_Login(benchmark::State& state) {
    const std::string document = LargeDocument();
    SystemDirs::SetTempDirectory(BenchDir());
    TDataSetManager manager;
    double peakMB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak
        const uint64_t before = StatusKB("VmRSS:");
        state.ResumeTiming();
        manager.Open(document);
        state.PauseTiming();
        peakMB = static_cast<double>(StatusKB("VmHWM:") - before) / 1024;
        if (!manager.IsOpen)
            state.SkipWithError("document did not open");
        manager.Close();
        state.ResumeTiming();
    }
    state.counters["peakMB"] = peakMB;
    state.counters["docMB"] = static_cast<double>(std::filesystem::file_size(document)) / kMB;
}
BENCHMARK(BM_Login)->Unit(benchmark::kMillisecond)->Iterations(5);

// The unpacking part of the login on its own.
void BM_UnpackOnly(benchmark::State& state) {
    const std::string document = LargeDocument();
    DocumentFiles files;
    for (size_t i = 0; i < files.size(); ++i)
        files[i] = BenchDir() + "unpacked" + std::to_string(i);
    for (auto _ : state) {
        if (!UnpackDocument(document, files))
            state.SkipWithError("unpack failed");
    }
}
BENCHMARK(BM_UnpackOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CpDocument(benchmark::State& state) {
    const std::string document = LargeDocument();
    for (auto _ : state) {
        const std::string command = "cp '" + document + "' '" + BenchDir() + "copy.qlr'";
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    }
}
BENCHMARK(BM_CpDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole OK in "Online" as the form does it: the post, then the document saved (packed and
// flushed). Beside BM_CpDocument: the save writes every byte of the document again.
void BM_OkOnlineWithSave(benchmark::State& state) {
    const std::string document = BenchDir() + "ok.qlr";
    std::filesystem::copy_file(LargeDocument(), document,
                               std::filesystem::copy_options::overwrite_existing);
    SystemDirs::SetTempDirectory(BenchDir());
    TDataSetManager manager;
    manager.Open(document);
    if (!manager.IsOpen) {
        state.SkipWithError("document did not open");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        TQuery& table = *manager.FirstTable;
        table.Edit();
        ++n;
        for (int k : FieldIds(4))
            manager.StoreField(table, "Online " + std::to_string(n + k), FieldName(4, k));
        table.Post();
        if (!manager.Save())
            state.SkipWithError("save failed");
    }
    manager.Close();
}
BENCHMARK(BM_OkOnlineWithSave)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PasswordCycle(benchmark::State& state) {
    const std::string a = BenchDir() + "pw0", b = BenchDir() + "pw1";
    MakeTable(TableIndex::First, a, 0);
    MakeTable(TableIndex::Second, b, 0);
    uint64_t set = 0, unlock = 0, change = 0, remove = 0;
    for (auto _ : state) {
        engine::Session session;
        uint64_t n = engine::KeyDerivationCount();
        engine::RestructureTables(session,
                                  {{a + ".DB", true, "erstes"}, {b + ".DB", true, "erstes"}});
        set = engine::KeyDerivationCount() - n;
        engine::Session login;
        login.AddPassword("erstes");
        n = engine::KeyDerivationCount();
        engine::Table::Open(a + ".DB", login, false);
        engine::Table::Open(b + ".DB", login, false);
        unlock = engine::KeyDerivationCount() - n;
        n = engine::KeyDerivationCount();
        engine::RestructureTables(login,
                                  {{a + ".DB", true, "zweites"}, {b + ".DB", true, "zweites"}});
        login.AddPassword("zweites");
        engine::Table::Open(a + ".DB", login, false);
        engine::Table::Open(b + ".DB", login, false);
        change = engine::KeyDerivationCount() - n;
        n = engine::KeyDerivationCount();
        engine::RestructureTables(login, {{a + ".DB", false, ""}, {b + ".DB", false, ""}});
        remove = engine::KeyDerivationCount() - n;
    }
    state.counters["set"] = static_cast<double>(set);
    state.counters["unlock"] = static_cast<double>(unlock);
    state.counters["change"] = static_cast<double>(change);
    state.counters["remove"] = static_cast<double>(remove);
}
BENCHMARK(BM_PasswordCycle)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SystemDirs::SetProgramDirectory(QUILLORY_TEMPLATE_DIR);
    return RunBenchmarks(argc, argv);
}
