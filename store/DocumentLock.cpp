#include "store/DocumentLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool Names(const std::string& path, int fd) {
    struct stat named {
    }, held{};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &held) == 0 && SameFile(named, held);
}

} // namespace

DocumentLock::Result DocumentLock::Acquire(const std::string& path, bool create) {
    Release();
    m_path = path;
    // A few rounds: the name may move on to a new file (another program's save) between the
    // open and the lock; the lock counts only when the name still points to the locked file.
    for (int round = 0; round < 8; ++round) {
        m_created = false;
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT && create) {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
            if (fd < 0 && errno == EEXIST)
                continue;
            m_created = fd >= 0;
        }
        if (fd < 0)
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Result::Missing;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return Result::InUse;
        }
        if (Names(path, fd)) {
            m_fd = fd;
            return Result::Held;
        }
        ::close(fd);
    }
    return Result::InUse;
}

void DocumentLock::Release() {
    Abandon();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool DocumentLock::NamesLockedFile() const {
    return m_fd >= 0 && Names(m_path, m_fd);
}

bool DocumentLock::Prepare(int fd) {
    Abandon();
    if (!NamesLockedFile())
        return false;
    const int next = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (next < 0 || ::flock(next, LOCK_EX | LOCK_NB) != 0) {
        if (next >= 0)
            ::close(next);
        return false;
    }
    m_next = next;
    return true;
}

void DocumentLock::Commit() {
    if (m_next < 0)
        return;
    ::close(m_fd);
    m_fd = m_next;
    m_next = -1;
}

void DocumentLock::Abandon() {
    if (m_next >= 0)
        ::close(m_next);
    m_next = -1;
}
