#include "platform/FileServices.h"

#include "platform/file/FileFault.h"
#include "platform/file/PathParts.h"

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

bool ClearWriteProtection(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return false;
    }
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
}

DosFields SplitDosDateTime(DosDateTime dt) {
    DosFields f;
    f.day = dt.date & 0x1F;
    f.month = (dt.date >> 5) & 0x0F;
    f.year = 1980 + (dt.date >> 9);
    f.second = (dt.time & 0x1F) * 2;
    f.minute = (dt.time >> 5) & 0x3F;
    f.hour = dt.time >> 11;
    return f;
}

DosDateTime JoinDosDateTime(const DosFields& f) {
    DosDateTime dt;
    dt.date = static_cast<uint16_t>((f.day & 0x1F) | ((f.month & 0x0F) << 5) |
                                    (((f.year - 1980) & 0x7F) << 9));
    dt.time = static_cast<uint16_t>(((f.second / 2) & 0x1F) | ((f.minute & 0x3F) << 5) |
                                    ((f.hour & 0x1F) << 11));
    return dt;
}

std::optional<DosDateTime> GetDosFileTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return LocalDosDateTime(st.st_mtime);
}

std::optional<DosDateTime> LocalDosDateTime(std::int64_t secondsSinceEpoch) {
    const time_t t = static_cast<time_t>(secondsSinceEpoch);
    struct tm local {};
    if (::localtime_r(&t, &local) == nullptr) {
        return std::nullopt;
    }
    int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) {
        return std::nullopt;
    }
    DosFields f{year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return JoinDosDateTime(f);
}

bool SetDosFileTime(const std::string& path, DosDateTime dt) {
    DosFields f = SplitDosDateTime(dt);
    if (path.empty() || f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31 || f.hour > 23 ||
        f.minute > 59 || f.second > 59) {
        return false;
    }
    struct tm local {};
    local.tm_year = f.year - 1900;
    local.tm_mon = f.month - 1;
    local.tm_mday = f.day;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_sec = f.second;
    local.tm_isdst = -1;
    time_t t = ::mktime(&local);
    // mktime carries a day that the month lacks (31 February) into the next month: such a
    // date does not exist and is not applied.
    if (t == static_cast<time_t>(-1) || local.tm_mday != f.day || local.tm_mon != f.month - 1 ||
        local.tm_year != f.year - 1900) {
        return false;
    }
    struct timespec times[2];
    times[0].tv_sec = t;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool SyncFileSystemOf(const std::string& path) {
    std::string dir = path.empty() ? "." : path;
    for (;;) {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            const bool ok = ::syncfs(fd) == 0;
            ::close(fd);
            return ok;
        }
        if (dir == "/" || dir == ".") {
            return false;
        }
        while (dir.size() > 1 && dir.back() == '/') {
            dir.pop_back();
        }
        dir = DirectoryOf(dir);
    }
}

std::optional<uint64_t> FreeSpace(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    std::string probe = path;
    while (true) {
        struct statvfs vfs {};
        if (::statvfs(probe.c_str(), &vfs) == 0) {
            return static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
        }
        if ((errno != ENOENT && errno != ENOTDIR) || probe == "/" || probe == ".") {
            return std::nullopt;
        }
        while (probe.size() > 1 && probe.back() == '/') {
            probe.pop_back();
        }
        probe = DirectoryOf(probe);
    }
}

std::string CreateUniqueTempFile(const std::string& dir, const std::string& prefix,
                                 const std::string& suffix) {
    if (dir.empty() || !FileStepAllowed(FileStep::Create, dir)) {
        return "";
    }
    std::string pattern = dir;
    if (pattern.back() != '/') {
        pattern += '/';
    }
    pattern += prefix + "XXXXXX" + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    mode_t old = ::umask(077);
    int fd = ::mkstemps(buffer.data(), static_cast<int>(suffix.size()));
    ::umask(old);
    if (fd < 0) {
        return "";
    }
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    ::close(fd);
    return std::string(buffer.data());
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    std::error_code ec;
    bool same = std::filesystem::equivalent(a, b, ec);
    return !ec && same;
}
