// The document container: packing and unpacking a user's six working files, with a document
// of typical size (tables of a few kB) and one carrying a large memo.
#include "platform/Messages.h"
#include "store/DocumentContainer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string BenchDir() {
    static std::string dir = [] {
        std::string templ =
            (std::filesystem::temp_directory_path() / "containerbenchXXXXXX").string();
        return std::string(::mkdtemp(templ.data())) + "/";
    }();
    return dir;
}

// Six working files; the memo file of the first table holds memoBytes.
DocumentFiles MakeFiles(size_t memoBytes) {
    DocumentFiles files;
    const size_t sizes[kDocumentSlotCount] = {6000, 2048, memoBytes, 4000, 2048, 4096};
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
BENCHMARK(BM_Pack)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_Unpack)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    SetMessageHandler([](const MessageRequest& request) {
        std::fprintf(stderr, "%s\n", request.text.c_str());
        return static_cast<int>(IDOK);
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(BenchDir());
    return 0;
}
