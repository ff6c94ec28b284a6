#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The steps of the file layer that a test may make fail.
enum class FileStep {
    Create,
    Write,
    Flush,
    Link,
    Rename,
    SyncDirectory,
    Open,
    Lock,
    MakeDirectory
};

// Test seam of every file the program writes through the file layer. While one lives,
// each step asks it whether to go ahead; a failed step sets errno (ENOSPC for a write, EIO
// otherwise) and reports failure as the real one would. It ends with the scope it was made in;
// one at a time.
class ScopedFileFault {
public:
    using WriteQuota = std::function<std::size_t(const std::string& path, std::size_t requested)>;

    // Counts the steps and fails none.
    static ScopedFileFault Counting() { return ScopedFileFault(-1, {}); }
    // Fails the step with this number (0-based, counted from now on).
    static ScopedFileFault FailingStep(int step) { return ScopedFileFault(step, {}); }
    // Each write asks how many of its bytes may reach the file; fewer writes those and fails,
    // as a full disk would.
    static ScopedFileFault Quota(WriteQuota quota) { return ScopedFileFault(-1, std::move(quota)); }

    ~ScopedFileFault();
    ScopedFileFault(const ScopedFileFault&) = delete;
    ScopedFileFault& operator=(const ScopedFileFault&) = delete;

    // Steps seen so far.
    int steps() const;
    // Whether a fault is in scope.
    static bool Active();

private:
    ScopedFileFault(int failAt, WriteQuota quota);
};

// For the file layer: false (errno set) when the fault in scope fails this step.
bool FileStepAllowed(FileStep step, const std::string& path);
// For the file layer: how many of the requested bytes a write may put into the file.
std::size_t FileWriteAllowed(const std::string& path, std::size_t requested);
