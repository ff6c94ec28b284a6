#include "util/FileUtil.h"

#include "platform/FileServices.h"
#include "platform/SystemDirs.h"

#include <QString>

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies the bytes of in to out with the kernel's copy; false with errno when that is not
// available for this pair of files and nothing was copied (then `fallback` is set).
bool KernelCopy(int in, int out, bool& fallback) {
    fallback = false;
    bool copiedAny = false;
    while (true) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
        if (n > 0) {
            copiedAny = true;
            continue;
        }
        if (n == 0) {
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (!copiedAny && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                           errno == EOPNOTSUPP || errno == EBADF || errno == EPERM)) {
            fallback = true;
        }
        return false;
    }
}

bool StreamCopy(int in, int out, const std::string& dst) {
    char buffer[1 << 16];
    while (true) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (!WriteAllToFd(out, dst, std::string_view(buffer, static_cast<size_t>(n)))) {
            return false;
        }
    }
}

bool CopyBytes(const std::string& src, const std::string& dst) {
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    // A write hook (a staged failing disk in tests) sees only streamed writes.
    bool fallback = WriteHookActive();
    bool ok = false;
    if (!fallback) {
        ok = KernelCopy(in, out, fallback);
    }
    if (!ok && fallback) {
        ok = ::lseek(in, 0, SEEK_SET) == 0 && ::lseek(out, 0, SEEK_SET) == 0 &&
             ::ftruncate(out, 0) == 0 && StreamCopy(in, out, dst);
    }
    if (ok) {
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        ok = ::fsync(out) == 0;
    }
    ok = (::close(out) == 0) && ok;
    ::close(in);
    return ok;
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

bool CopyFileTo(const std::string& src, const std::string& dst, bool clearAttributes) {
    if (src.empty() || dst.empty()) {
        return false;
    }
    if (SameFile(src, dst)) {
        return true;
    }
    bool ok = CopyBytes(src, dst);
    if (clearAttributes && FileExists(dst)) {
        ClearWriteProtection(dst);
    }
    return ok;
}

std::string MakePrivateDirectory(const std::string& prefix) {
    auto make = [&prefix](std::string dir) -> std::string {
        if (!dir.empty() && dir.back() != '/') {
            dir += '/';
        }
        std::string pattern = dir + prefix + "XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            return "";
        }
        return pattern + '/';
    };
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

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    size_t slash = path.rfind('/');
    std::string file = path;
    if (slash != std::string::npos) {
        parts.dir = path.substr(0, slash + 1);
        file = path.substr(slash + 1);
    }
    size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        parts.name = file.substr(0, dot);
        parts.ext = file.substr(dot);
    } else {
        parts.name = file;
    }
    return parts;
}

void ChangeExtension(const std::string& path, std::string& out, const std::string& ext) {
    if (path.empty() || ext.empty()) {
        return;
    }
    PathParts p = SplitPath(path);
    out = p.drive + p.dir + p.name + ext;
}

bool FileNameOf(const std::string& path, std::string& out) {
    PathParts p = SplitPath(path);
    if (p.name.empty()) {
        return false;
    }
    out = p.name + p.ext;
    return true;
}

bool DirOfPath(const std::string& path, std::string& out) {
    if (path.empty() || path.front() != '/') {
        return false;
    }
    PathParts p = SplitPath(path);
    out = p.drive + p.dir;
    return true;
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .contains(QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())),
                  Qt::CaseInsensitive);
}
