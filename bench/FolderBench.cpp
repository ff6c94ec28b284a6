// The emergency folder as a PDF: all nine categories, every field filled to its limit, secrets
// masked, with the cover page, against a bare Qt PDF writer putting one line on one page, and
// the same folder written to disk through the atomic writer against a plain flushed write of its
// bytes.
#include "bench/BenchSupport.h"
#include "print/FolderContent.h"
#include "print/FolderPainter.h"
#include "store/CategorySchema.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

namespace {

std::vector<FolderCategory> Filled() {
    auto categories = ReadFolderCategories({1, 2, 8, 3, 7, 4, 5, 10, 6});
    std::vector<FolderCategory> result = categories ? *categories : std::vector<FolderCategory>{};
    for (FolderCategory& c : result) {
        for (int id : FieldIds(c.category)) {
            const int limit = FieldCharLimit(c.category, id);
            c.values[id] =
                limit == 0 ? QStringLiteral("Eine Zeile einer längeren Bemerkung\r\n").repeated(8)
                           : QStringLiteral("Wert Müßig %1 ").arg(id).repeated(5).left(limit);
        }
    }
    return result;
}

const FolderFacts kFacts{QStringLiteral("Hans Müßig"), QStringLiteral("08.12.2026"), false, {}};

void FolderToPdf(benchmark::State& state) {
    const auto categories = Filled();
    size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray pdf = FolderPdf(kFacts, categories, FolderOptions{});
        bytes = static_cast<size_t>(pdf.size());
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["kB"] = static_cast<double>(bytes) / 1024.0;
}

void BareQtPdfOneLine(benchmark::State& state) {
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&buffer);
            QPainter p(&writer);
            p.setFont(FolderFont(PrintRole::Value));
            p.drawText(QPointF(500, 500), QStringLiteral("Notfallmappe von Hans Müßig"));
        }
        benchmark::DoNotOptimize(bytes.data());
    }
}

void FolderSaved(benchmark::State& state) {
    const auto categories = Filled();
    const std::string path = BenchDir() + "folder.pdf";
    for (auto _ : state) {
        if (!SaveFolderPdf(path, kFacts, categories, FolderOptions{}))
            state.SkipWithError("save failed");
    }
}

void PlainWriteOfTheBytes(benchmark::State& state) {
    const QByteArray pdf = FolderPdf(kFacts, Filled(), FolderOptions{});
    const std::string path = BenchDir() + "plain.pdf";
    for (auto _ : state) {
        if (!WritePlain(path, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size()))))
            state.SkipWithError("write failed");
    }
}

} // namespace

BENCHMARK(FolderToPdf)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BareQtPdfOneLine)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(FolderSaved)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(PlainWriteOfTheBytes)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}
