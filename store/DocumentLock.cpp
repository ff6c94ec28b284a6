#include "store/DocumentLock.h"

#include "platform/file/FileFault.h"
#include "platform/file/PathParts.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool Names(const std::string& path, int fd) {
    struct stat named {
    }, held{};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &held) == 0 && SameFile(named, held);
}

bool LockFd(int fd, const std::string& path) {
    return FileStepAllowed(FileStep::Lock, path) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// Opens the document without blocking on a FIFO or device; -2 when it is no regular file.
int OpenDocument(const std::string& path, int flags, mode_t mode = 0) {
    if (!FileStepAllowed(FileStep::Open, path)) {
        return -1;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -2;
    }
    return fd;
}

} // namespace

// Every program takes the folder's lock for the few steps from its check of the document's
// name to the rename over it (or the creation of a new document); the folder itself is
// locked, so no file is left beside the documents.
bool DocumentLock::LockFolder() {
    if (!FileStepAllowed(FileStep::Lock, m_path)) {
        return false;
    }
    // A folder this program cannot open (missing, not readable) no other program of the user
    // can lock either: the document's own lock and the name check then stand alone.
    m_folder = ::open(DirectoryOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        return true;
    }
    // Held for microseconds by others; a folder that stays locked (a hung program) gives up.
    for (int round = 0; round < 400; ++round) {
        if (::flock(m_folder, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const int saved = errno;
    UnlockFolder();
    errno = saved;
    return false;
}

void DocumentLock::UnlockFolder() {
    if (m_folder >= 0) {
        ::close(m_folder);
    }
    m_folder = -1;
}

DocumentLock::Result DocumentLock::Acquire(const std::string& path, bool create) {
    Release();
    m_path = path;
    if (!LockFolder()) {
        return errno == EWOULDBLOCK ? Result::InUse : Result::Failed;
    }
    const Result result = AcquireLocked(create);
    UnlockFolder();
    return result;
}

DocumentLock::Result DocumentLock::AcquireLocked(bool create) {
    // A few rounds: the name may move on to a new file (another program's save) between the
    // open and the lock; the lock counts only when the name still points to the locked file.
    for (int round = 0; round < 8; ++round) {
        m_created = false;
        int fd = OpenDocument(m_path, O_RDWR);
        if (fd == -1 && errno == ENOENT && create) {
            fd = OpenDocument(m_path, O_RDWR | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
            if (fd == -1 && errno == EEXIST)
                continue;
            m_created = fd >= 0;
        }
        if (fd == -1 && errno != ENOENT)
            fd = OpenDocument(m_path, O_RDONLY);
        if (fd == -2)
            return Result::NotRegular;
        if (fd < 0)
            return Result::Missing;
        if (!LockFd(fd, m_path)) {
            const bool taken = errno == EWOULDBLOCK;
            ::close(fd);
            return taken ? Result::InUse : Result::Failed;
        }
        if (Names(m_path, fd)) {
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
    if (!LockFolder())
        return false;
    if (!NamesLockedFile()) {
        UnlockFolder();
        return false;
    }
    const int next = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (next < 0 || !LockFd(next, m_path)) {
        if (next >= 0)
            ::close(next);
        UnlockFolder();
        return false;
    }
    m_next = next;
    return true;
}

void DocumentLock::Commit() {
    UnlockFolder();
    if (m_next < 0)
        return;
    ::close(m_fd);
    m_fd = m_next;
    m_next = -1;
}

void DocumentLock::Abandon() {
    UnlockFolder();
    if (m_next >= 0)
        ::close(m_next);
    m_next = -1;
}
