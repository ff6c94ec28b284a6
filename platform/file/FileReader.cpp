#include "platform/file/FileReader.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileReader::FileReader(const std::string& path, bool ownOnly) {
    m_fd = ::open(path.c_str(),
                  O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (ownOnly ? O_NOFOLLOW : 0));
    if (m_fd < 0 && ownOnly && errno == ELOOP) {
        Fail(ReadFault::Foreign, errno);
        return;
    }
    if (m_fd < 0) {
        Fail(errno == ENOENT || errno == ENOTDIR ? ReadFault::Missing : ReadFault::Unreadable,
             errno);
        return;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        Fail(ReadFault::Io, errno);
    } else if (!S_ISREG(st.st_mode)) {
        Fail(ReadFault::NotRegular, EINVAL);
    } else if (ownOnly && st.st_uid != ::geteuid()) {
        Fail(ReadFault::Foreign, EPERM);
    } else {
        m_size = static_cast<std::uint64_t>(st.st_size);
    }
}

FileReader::~FileReader() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void FileReader::Fail(ReadFault fault, int errnum) {
    m_fault = fault;
    m_errno = errnum;
}

bool FileReader::Read(char* data, std::size_t n) {
    if (m_fault != ReadFault::None) {
        return false;
    }
    std::size_t done = 0;
    while (done < n) {
        ssize_t got = ::read(m_fd, data + done, n - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Fail(ReadFault::Io, errno);
            return false;
        }
        if (got == 0) {
            Fail(ReadFault::Short, 0);
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

namespace {

WholeFile ReadWhole(FileReader& in, std::uint64_t maxBytes) {
    WholeFile result;
    if (in && in.size() > maxBytes) {
        result.fault = ReadFault::TooLarge;
        result.errnum = EFBIG;
        return result;
    }
    if (in) {
        result.bytes.resize(static_cast<std::size_t>(in.size()));
        in.Read(result.bytes.data(), result.bytes.size());
    }
    if (!in) {
        result.bytes.clear();
        result.fault = in.fault();
        result.errnum = in.errnum();
    }
    return result;
}

} // namespace

WholeFile ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    FileReader in(path);
    return ReadWhole(in, maxBytes);
}

WholeFile ReadOwnWholeFile(const std::string& path, std::uint64_t maxBytes) {
    FileReader in(path, true);
    return ReadWhole(in, maxBytes);
}
