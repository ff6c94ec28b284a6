#include "platform/file/PrivateFiles.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileFault.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string MakePrivateDirectoryIn(const std::string& parent, const std::string& prefix) {
    std::string pattern = parent;
    if (!pattern.empty() && pattern.back() != '/') {
        pattern += '/';
    }
    pattern += prefix + "XXXXXX";
    if (!FileStepAllowed(FileStep::MakeDirectory, pattern) ||
        ::mkdtemp(pattern.data()) == nullptr) {
        return "";
    }
    return pattern + '/';
}

int CreatePrivateFile(const std::string& path) {
    if (!FileStepAllowed(FileStep::Create, path)) {
        return -1;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    // The umask must not leave the file readable by others, nor take the owner's bits.
    if (fd >= 0 && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        const int saved = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = saved;
        return -1;
    }
    return fd;
}

bool WritePrivateFile(const std::string& path, std::string_view bytes) {
    const int fd = CreatePrivateFile(path);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAllToFd(fd, path, bytes);
    if (::close(fd) != 0 || !written) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

void RemovePrivateDirectory(const std::string& dir) {
    if (dir.empty()) {
        return;
    }
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    DIR* stream = ::fdopendir(fd);
    if (stream == nullptr) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(stream)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            ::unlinkat(::dirfd(stream), entry->d_name, 0);
        }
    }
    ::closedir(stream);
    ::rmdir(dir.c_str());
}

int OpenRegularFile(const std::string& path, int flags) {
    if (!FileStepAllowed(FileStep::Open, path)) {
        return -1;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool KeepToOwner(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool kept = ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() &&
                      ::fchmod(fd, st.st_mode & S_IRWXU) == 0;
    ::close(fd);
    return kept;
}
