// The document container: packing and unpacking a user's six working files (a typical document
// of a few kB, one with a 1 MB memo, and six 10 MB files), each beside a plain copy of the same
// bytes: one file written and flushed for the pack, six files written for the unpack.
#include "bench/BenchSupport.h"
#include "store/DocumentContainer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Six working files: a typical set whose first memo file holds memoBytes, or, for 0, six
// files of 10 MB.
DocumentFiles MakeFiles(size_t memoBytes) {
    DocumentFiles files;
    size_t sizes[kDocumentSlotCount] = {6000, 2048, memoBytes, 4000, 2048, 4096};
    if (memoBytes == 0)
        for (size_t& size : sizes)
            size = 10u << 20;
    for (size_t i = 0; i < files.size(); ++i) {
        files[i] = BenchDir() + "work" + std::to_string(i);
        std::ofstream out(files[i], std::ios::binary | std::ios::trunc);
        const std::string bytes(sizes[i], static_cast<char>('a' + i));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    return files;
}

void BM_Pack(benchmark::State& state) {
    const DocumentFiles files = MakeFiles(static_cast<size_t>(state.range(0)));
    const std::string document = BenchDir() + "pack.qlr";
    for (auto _ : state) {
        if (!PackDocument(document, files))
            state.SkipWithError("pack failed");
    }
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(document));
}
BENCHMARK(BM_Pack)->Arg(4096)->Arg(1 << 20)->Arg(0)->Unit(benchmark::kMillisecond);

std::string ReadAll(const std::string& path) {
    std::string bytes(std::filesystem::file_size(path), '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The same bytes read from the six files and written, flushed, into one file.
void BM_PlainCopyIntoOne(benchmark::State& state) {
    const DocumentFiles files = MakeFiles(static_cast<size_t>(state.range(0)));
    const std::string target = BenchDir() + "copy.bin";
    size_t total = 0;
    for (const std::string& file : files)
        total += std::filesystem::file_size(file);
    for (auto _ : state) {
        std::string bytes;
        bytes.reserve(total);
        for (const std::string& file : files)
            bytes += ReadAll(file);
        WritePlain(target, bytes, true);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}
BENCHMARK(BM_PlainCopyIntoOne)->Arg(4096)->Arg(1 << 20)->Arg(0)->Unit(benchmark::kMillisecond);

// The same bytes read from one file and written into six.
void BM_PlainCopyIntoSix(benchmark::State& state) {
    const DocumentFiles files = MakeFiles(static_cast<size_t>(state.range(0)));
    std::vector<size_t> sizes;
    std::string whole;
    for (const std::string& file : files) {
        const std::string bytes = ReadAll(file);
        sizes.push_back(bytes.size());
        whole += bytes;
    }
    const std::string source = BenchDir() + "whole.bin";
    WritePlain(source, whole, false);
    for (auto _ : state) {
        const std::string bytes = ReadAll(source);
        const std::string_view view(bytes);
        size_t at = 0;
        for (size_t i = 0; i < sizes.size(); ++i) {
            WritePlain(BenchDir() + "six" + std::to_string(i), view.substr(at, sizes[i]), false);
            at += sizes[i];
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * whole.size()));
}
BENCHMARK(BM_PlainCopyIntoSix)->Arg(4096)->Arg(1 << 20)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_Unpack(benchmark::State& state) {
    const DocumentFiles files = MakeFiles(static_cast<size_t>(state.range(0)));
    const std::string document = BenchDir() + "unpack.qlr";
    PackDocument(document, files);
    DocumentFiles out;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = BenchDir() + "out" + std::to_string(i);
    for (auto _ : state) {
        if (!UnpackDocument(document, out))
            state.SkipWithError("unpack failed");
    }
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(document));
}
BENCHMARK(BM_Unpack)->Arg(4096)->Arg(1 << 20)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
