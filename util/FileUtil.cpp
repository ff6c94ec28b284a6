#include "util/FileUtil.h"

#include "platform/FileServices.h"
#include "platform/SystemDirs.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileFault.h"
#include "platform/file/PrivateFiles.h"

#include <QString>

#include <cerrno>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A copy moves at most this many bytes between two questions whether to go on.
constexpr size_t kCopyStep = size_t{4} << 20;

// Copies the bytes of in to out in steps, asking proceed between them. Kernel copies where the
// file systems allow them; streamed writes (which the write hook sees) otherwise.
CopyResult CopySteps(int in, int out, const std::string& dst,
                     const std::function<bool()>& proceed) {
    bool kernel = !ScopedFileFault::Active();
    bool copiedAny = false;
    bool fullStep = false; // more may follow: ask before the next step
    std::vector<char> buffer;
    for (;;) {
        if (fullStep && proceed && !proceed()) {
            return CopyResult::Stopped;
        }
        if (kernel) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kCopyStep, 0);
            if (n > 0) {
                copiedAny = true;
                fullStep = static_cast<size_t>(n) == kCopyStep;
                continue;
            }
            if (n == 0) {
                return CopyResult::Copied;
            }
            if (errno == EINTR) {
                continue;
            }
            if (copiedAny || !(errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                               errno == EOPNOTSUPP || errno == EBADF || errno == EPERM)) {
                return CopyResult::Failed;
            }
            kernel = false; // not for this pair of files: stream instead
        }
        buffer.resize(kCopyStep);
        size_t filled = 0;
        while (filled < buffer.size()) {
            const ssize_t n = ::read(in, buffer.data() + filled, buffer.size() - filled);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return CopyResult::Failed;
            }
            if (n == 0) {
                break;
            }
            filled += static_cast<size_t>(n);
        }
        if (!WriteAllToFd(out, dst, std::string_view(buffer.data(), filled))) {
            return CopyResult::Failed;
        }
        if (filled < buffer.size()) {
            return CopyResult::Copied;
        }
        fullStep = true;
    }
}

} // namespace

bool FileExists(const char* path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    struct stat st {};
    return ::stat(path, &st) == 0;
}

bool FileExists(const std::string& path) {
    return FileExists(path.c_str());
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

bool CreatePath(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/' || path[i - 1] == '/') {
            continue;
        }
        std::string prefix = path.substr(0, i);
        if (IsDirectory(prefix)) {
            continue;
        }
        if (::mkdir(prefix.c_str(), 0777) != 0 && !(errno == EEXIST && IsDirectory(prefix))) {
            return false;
        }
    }
    return true;
}

CopyResult CopyFile(const std::string& src, const std::string& dst, const CopyOptions& options) {
    if (src.empty() || dst.empty()) {
        return CopyResult::Failed;
    }
    if (SameFile(src, dst)) {
        return CopyResult::Copied;
    }
    // A FIFO, device or socket is refused before it could block the copy.
    const int in = OpenRegularFile(src, O_RDONLY);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0) {
        if (in >= 0) {
            ::close(in);
        }
        return CopyResult::Failed;
    }
    // Written beside dst and renamed over it only when whole: a failed or stopped copy leaves
    // dst as it was (or absent).
    // dst keeps its mode when it exists, as an overwrite in place would; a new one gets the
    // source's.
    struct stat old {};
    mode_t mode =
        (::stat(dst.c_str(), &old) == 0 && S_ISREG(old.st_mode) ? old.st_mode : st.st_mode) & 0777;
    if (options.clearAttributes) {
        mode |= S_IRUSR | S_IWUSR;
    }
    if (options.privateCopy) {
        mode = S_IRUSR | S_IWUSR;
    }
    AtomicFile out(dst, mode);
    CopyResult result = out ? CopySteps(in, out.fd(), dst, options.proceed) : CopyResult::Failed;
    ::close(in);
    if (result == CopyResult::Copied) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(out.fd(), times) != 0 ||
            !out.Commit(options.flush ? AtomicFile::Sync::Durable : AtomicFile::Sync::Deferred)) {
            result = CopyResult::Failed;
        }
    }
    return result;
}

bool CopyFileTo(const std::string& src, const std::string& dst, bool clearAttributes) {
    CopyOptions options;
    options.clearAttributes = clearAttributes;
    return CopyFile(src, dst, options) == CopyResult::Copied;
}

std::string MakePrivateDirectory(const std::string& prefix) {
    auto make = [&prefix](const std::string& dir) { return MakePrivateDirectoryIn(dir, prefix); };
    std::string temp = SystemDirs::TempDirectory();
    if (IsDirectory(temp)) {
        std::string made = make(temp);
        if (!made.empty()) {
            return made;
        }
    }
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    return ec ? std::string() : make(cwd);
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .contains(QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())),
                  Qt::CaseInsensitive);
}
