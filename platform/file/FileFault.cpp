#include "platform/file/FileFault.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <stdexcept>

namespace {

struct FaultState {
    bool active = false;
    int failAt = -1;
    int steps = 0;
    ScopedFileFault::WriteQuota quota;
};

std::mutex g_mutex;
FaultState g_fault;

} // namespace

ScopedFileFault::ScopedFileFault(int failAt, WriteQuota quota) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_fault.active) {
        throw std::logic_error("a file fault is already in scope");
    }
    g_fault = {true, failAt, 0, std::move(quota)};
}

ScopedFileFault::~ScopedFileFault() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_fault = {};
}

int ScopedFileFault::steps() const {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_fault.steps;
}

bool ScopedFileFault::Active() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_fault.active;
}

bool FileStepAllowed(FileStep step, const std::string&) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_fault.active || g_fault.steps++ != g_fault.failAt) {
        return true;
    }
    errno = step == FileStep::Write ? ENOSPC : EIO;
    return false;
}

std::size_t FileWriteAllowed(const std::string& path, std::size_t requested) {
    ScopedFileFault::WriteQuota quota;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        quota = g_fault.quota;
    }
    if (!FileStepAllowed(FileStep::Write, path)) {
        return 0;
    }
    return quota ? std::min(quota(path, requested), requested) : requested;
}
