#include "store/WorkDirectory.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileFault.h"
#include "platform/file/PrivateFiles.h"
#include "util/FileUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kPrefix = "quillory-";
constexpr const char* kMarker = "in-use.lock";

// Unlinks every non-directory entry of the open directory; closes it.
void EmptyDirectory(int dirFd) {
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0); // a link is removed, never followed
    }
    ::closedir(dir);
}

} // namespace

WorkDirectory::~WorkDirectory() {
    if (m_marker >= 0)
        ::close(m_marker);
}

bool WorkDirectory::Make() {
    m_path = MakePrivateDirectory(kPrefix);
    if (m_path.empty())
        return false;
    // The marker gets its name only once it is locked, so a starting run never takes a
    // directory that is being set up for a stale one.
    std::string temp = m_path + "markerXXXXXX";
    const int fd =
        FileStepAllowed(FileStep::Create, temp) ? ::mkostemp(temp.data(), O_CLOEXEC) : -1;
    if (fd < 0 || !FileStepAllowed(FileStep::Lock, temp) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        !RenameFile(temp, m_path + kMarker)) {
        if (fd >= 0)
            ::close(fd);
        Remove();
        return false;
    }
    m_marker = fd;
    return true;
}

bool WorkDirectory::CreateFile(const std::string& path) const {
    const int fd = CreatePrivateFile(path);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void WorkDirectory::Remove() {
    if (m_path.empty())
        return;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0)
        EmptyDirectory(fd);
    ::rmdir(m_path.c_str());
    if (m_marker >= 0)
        ::close(m_marker);
    m_marker = -1;
    m_path.clear();
}

void WorkDirectory::Keep() {
    if (m_marker >= 0) {
        ::unlink((m_path + kMarker).c_str());
        ::close(m_marker);
    }
    m_marker = -1;
}

int WorkDirectory::RemoveStale(const std::string& parent) {
    DIR* dir = ::opendir(parent.empty() ? "." : parent.c_str());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    const size_t prefixLength = std::strlen(kPrefix);
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, kPrefix, prefixLength) != 0 ||
            std::strlen(entry->d_name) != prefixLength + 6)
            continue;
        const int fd =
            ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        const int marker = ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid()
                               ? ::openat(fd, kMarker, O_RDONLY | O_NOFOLLOW | O_CLOEXEC)
                               : -1;
        if (marker < 0 || ::flock(marker, LOCK_EX | LOCK_NB) != 0) {
            if (marker >= 0)
                ::close(marker);
            ::close(fd);
            continue;
        }
        EmptyDirectory(fd); // the marker goes last with the rest, still locked by us
        ::close(marker);
        if (::unlinkat(::dirfd(dir), entry->d_name, AT_REMOVEDIR) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}
