#pragma once

// What every benchmark program shares: a scratch folder, the plain write its baselines use, and
// a main that reports message boxes on stderr instead of showing them.
#include "platform/Messages.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

// A folder of this run under the temporary directory, with a trailing '/'; RunBenchmarks
// removes it.
inline std::string BenchDir() {
    static const std::string dir = [] {
        std::string templ =
            (std::filesystem::temp_directory_path() / "quillorybenchXXXXXX").string();
        if (!::mkdtemp(templ.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return templ + "/";
    }();
    return dir;
}

// The baseline write: the bytes into path with nothing around them, flushed when asked.
inline bool WritePlain(const std::string& path, std::string_view bytes, bool flush = true) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    const bool ok = done == bytes.size() && (!flush || ::fsync(fd) == 0);
    return ::close(fd) == 0 && ok;
}

// Runs the benchmarks named on the command line; atEnd runs before the folder is removed.
inline int RunBenchmarks(int argc, char** argv, void (*atEnd)() = nullptr) {
    SetMessageHandler([](const MessageRequest& request) {
        std::fprintf(stderr, "%s\n", request.text.c_str());
        return static_cast<int>(IDOK);
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (atEnd)
        atEnd();
    std::filesystem::remove_all(BenchDir());
    return 0;
}
