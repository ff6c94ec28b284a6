#include "platform/file/OwnFolder.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileFault.h"

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed on one path at most, as the kernel allows.
constexpr int kMaxLinks = 40;

bool OwnersAre(uid_t owner) {
    return owner == ::geteuid() || owner == 0;
}

// Whether nobody but its owner can put or replace an entry in the folder.
bool OnlyOwnerChanges(const struct stat& st) {
    return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0;
}

std::string Joined(const std::string& shown, const std::string& name) {
    return shown.empty() || shown.back() == '/' ? shown + name : shown + "/" + name;
}

int OpenFolderAt(int dir, const char* name) {
    return ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The next component of rest (cut from it), skipping empty ones and ".".
bool NextComponent(std::string& rest, std::string& name) {
    for (;;) {
        if (rest.empty()) {
            return false;
        }
        const size_t slash = rest.find('/');
        name = rest.substr(0, slash);
        rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
        if (!name.empty() && name != ".") {
            return true;
        }
    }
}

// Makes name in dir with mode 0700 whatever the umask, and opens it; -1 (errno) on failure.
int MakeFolderAt(int dir, const std::string& name, const std::string& shown) {
    if (!FileStepAllowed(FileStep::MakeDirectory, shown) ||
        ::mkdirat(dir, name.c_str(), 0700) != 0) {
        return -1;
    }
    const int fd = OpenFolderAt(dir, name.c_str());
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || ::fchmod(fd, 0700) != 0)) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    return fd;
}

} // namespace

OwnFolder::~OwnFolder() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

OwnFolder::OwnFolder(OwnFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_refused(std::move(other.m_refused)),
      m_errno(other.m_errno) {}

OwnFolder& OwnFolder::operator=(OwnFolder&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_refused = std::move(other.m_refused);
        m_errno = other.m_errno;
    }
    return *this;
}

OwnFolder OwnFolder::Enter(const std::string& path) {
    const bool absolute = !path.empty() && path[0] == '/';
    const int start = ::open(absolute ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return Walk(start, absolute ? "/" : ".", path);
}

OwnFolder OwnFolder::EnterBelow(const std::string& relative) const {
    if (m_fd < 0) {
        OwnFolder failed;
        failed.m_errno = EBADF;
        return failed;
    }
    return Walk(::fcntl(m_fd, F_DUPFD_CLOEXEC, 0), "", relative);
}

// Takes start (an open folder; -1 fails) and walks path from it. shown is start's name in
// messages ("" below a folder already entered: messages then name the part below it).
OwnFolder OwnFolder::Walk(int start, std::string shown, const std::string& path) {
    OwnFolder result;
    const auto fail = [&result](int fd, int errnum, std::string refused = {}) {
        if (fd >= 0) {
            ::close(fd);
        }
        result.m_errno = errnum;
        result.m_refused = std::move(refused);
        return std::move(result);
    };
    if (start < 0) {
        return fail(-1, errno);
    }
    struct stat st {};
    // The folder the walk starts in was not made by it: it must be the user's as well.
    if (::fstat(start, &st) != 0 || !OwnersAre(st.st_uid) || !OnlyOwnerChanges(st)) {
        return fail(start, EPERM, shown.empty() ? "." : shown);
    }
    int fd = start;
    int links = 0;
    std::string rest = path;
    std::string name;
    while (NextComponent(rest, name)) {
        const std::string here = Joined(shown, name);
        int next = OpenFolderAt(fd, name.c_str());
        if (next < 0 && errno == ENOENT) {
            next = MakeFolderAt(fd, name, here);
            if (next < 0) {
                return fail(fd, errno);
            }
        } else if (next < 0) {
            const int openError = errno;
            struct stat link {};
            if (::fstatat(fd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISLNK(link.st_mode)) {
                return fail(fd, openError);
            }
            if (!OwnersAre(link.st_uid)) {
                return fail(fd, EPERM, here);
            }
            std::string target(static_cast<size_t>(link.st_size) + 1, '\0');
            const ssize_t n = ::readlinkat(fd, name.c_str(), target.data(), target.size());
            if (n <= 0 || static_cast<size_t>(n) >= target.size() || ++links > kMaxLinks) {
                return fail(fd, n < 0 ? errno : ELOOP);
            }
            target.resize(static_cast<size_t>(n));
            rest = rest.empty() ? target : target + "/" + rest;
            if (target[0] == '/') {
                ::close(fd);
                fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                shown.assign(1, '/');
                if (fd < 0 || ::fstat(fd, &st) != 0 || !OwnersAre(st.st_uid) ||
                    !OnlyOwnerChanges(st)) {
                    return fail(fd, fd < 0 ? errno : EPERM, fd < 0 ? "" : "/");
                }
            }
            continue;
        } else if (::fstat(next, &st) != 0 || !OwnersAre(st.st_uid) || !OnlyOwnerChanges(st)) {
            ::close(next);
            return fail(fd, EPERM, here);
        }
        ::close(fd);
        fd = next;
        shown = here;
    }
    result.m_fd = fd;
    return result;
}

int OwnFolder::RemoveTemporariesOf(const std::vector<std::string>& fileNames) const {
    if (m_fd < 0 || fileNames.empty()) {
        return 0;
    }
    std::unordered_map<std::string, const std::string*> byPrefix;
    for (const std::string& name : fileNames) {
        byPrefix.emplace(TemporaryPrefixOf(name), &name);
    }
    const int dup = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = dup >= 0 ? ::fdopendir(dup) : nullptr;
    if (dir == nullptr) {
        if (dup >= 0) {
            ::close(dup);
        }
        return 0;
    }
    const size_t prefixSize = byPrefix.begin()->first.size();
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        const auto it = byPrefix.find(std::string(entryName.substr(0, prefixSize)));
        if (it == byPrefix.end() || !IsTemporaryNameOf(*it->second, entryName)) {
            continue;
        }
        struct stat st {};
        if (::fstatat(m_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && ::unlinkat(m_fd, entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}
