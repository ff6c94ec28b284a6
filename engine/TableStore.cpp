#include "engine/TableStore.h"

#include "engine/EngineError.h"
#include "engine/FaultInjection.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace engine {

namespace {

constexpr uint64_t kMaxFileSize = 1ull << 30;

[[noreturn]] void IoError(const std::string& what, const std::string& path) {
    throw EngineError(Errc::Io, what + " " + path + ": " + std::strerror(errno));
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// nullopt when missing; throws for unreadable or oversized files.
std::optional<std::string> ReadFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        IoError("cannot open", path);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
        ::close(fd);
        throw EngineError(Errc::Format, "not a table file: " + path);
    }
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

std::string Require(const std::optional<std::string>& bytes, const std::string& path) {
    if (!bytes)
        throw EngineError(Errc::Io, "table file missing: " + path);
    return *bytes;
}

void WriteDurably(const std::string& path, const std::string& bytes) {
    FaultInjection::Step("write");
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        IoError("cannot create", path);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            IoError("cannot write", path);
        }
        done += static_cast<size_t>(n);
    }
    FaultInjection::Step("fsync");
    if (::fsync(fd) != 0) {
        ::close(fd);
        IoError("cannot flush", path);
    }
    if (::close(fd) != 0)
        IoError("cannot close", path);
}

void SyncDirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string dir =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void Rename(const std::string& from, const std::string& to) {
    FaultInjection::Step("rename");
    if (::rename(from.c_str(), to.c_str()) != 0)
        IoError("cannot rename", from);
}

// The memo file read in large pieces, straight into the caller's buffers where they are large.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path) : m_path(path) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            IoError("cannot open", path);
        struct stat st;
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
            ::close(m_fd);
            throw EngineError(Errc::Format, "not a table file: " + path);
        }
        m_size = static_cast<uint64_t>(st.st_size);
    }
    ~FileSource() override { ::close(m_fd); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    uint64_t Size() const override { return m_size; }
    bool Read(char* out, size_t n) override {
        size_t have = std::min(n, m_end - m_pos);
        std::memcpy(out, m_buffer.data() + m_pos, have);
        m_pos += have;
        out += have;
        n -= have;
        if (n >= m_buffer.size())
            return Fill(out, n) == n;
        if (n > 0) {
            m_end = Fill(m_buffer.data(), m_buffer.size());
            m_pos = std::min(n, m_end);
            std::memcpy(out, m_buffer.data(), m_pos);
            return m_pos == n;
        }
        return true;
    }

private:
    size_t Fill(char* out, size_t n) {
        size_t got = 0;
        while (got < n) {
            ssize_t r = ::read(m_fd, out + got, n - got);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                IoError("cannot read", m_path);
            if (r == 0)
                break;
            got += static_cast<size_t>(r);
        }
        return got;
    }
    std::string m_path;
    int m_fd = -1;
    uint64_t m_size = 0;
    std::array<char, 64 * 1024> m_buffer{};
    size_t m_pos = 0, m_end = 0;
};

// What MemoFileBelongs needs of a memo file: its first bytes, or all of a first-layout one.
std::optional<std::string> MemoHead(int layout, const std::string& path) {
    if (layout == 1)
        return ReadFile(path);
    if (!Exists(path))
        return std::nullopt;
    FileSource source(path);
    std::string head(static_cast<size_t>(std::min<uint64_t>(kMemoHeadSize, source.Size())), '\0');
    if (!source.Read(head.data(), head.size()))
        IoError("cannot read", path);
    return head;
}

} // namespace

std::string TableStore::BaseOf(const std::string& tablePath) {
    if (tablePath.size() > 3) {
        std::string ext = tablePath.substr(tablePath.size() - 3);
        if (ext[0] == '.' && (ext[1] == 'D' || ext[1] == 'd') && (ext[2] == 'B' || ext[2] == 'b'))
            return tablePath.substr(0, tablePath.size() - 3);
    }
    return tablePath;
}

TableFiles TableStore::ReadRaw() const {
    TableFiles f;
    f.db = Require(ReadFile(Path(".DB")), Path(".DB"));
    f.px = Require(ReadFile(Path(".PX")), Path(".PX"));
    f.mb = Require(ReadFile(Path(".MB")), Path(".MB"));
    return f;
}

ParsedTable TableStore::Read() const {
    const std::string db = Require(ReadFile(Path(".DB")), Path(".DB"));
    const std::string px = Require(ReadFile(Path(".PX")), Path(".PX"));
    const std::optional<std::string> oldPx = ReadFile(Path(".PX.old"));
    // An interrupted commit leaves the .DB in place the old one; the .PX and .MB it names are
    // in place or in their ".old" copies.
    std::optional<ParsedTable> parsed;
    bool pxFromOld = false;
    try {
        parsed = ParseTable(db, px);
    } catch (const EngineError&) {
        if (!oldPx)
            throw;
        parsed = ParseTable(db, *oldPx);
        pxFromOld = true;
    }
    bool mbFromOld = false;
    std::optional<std::string> head = MemoHead(parsed->layout, Path(".MB"));
    if (!head)
        throw EngineError(Errc::Io, "table file missing: " + Path(".MB"));
    if (!MemoFileBelongs(*parsed, *head)) {
        std::optional<std::string> oldHead = MemoHead(parsed->layout, Path(".MB.old"));
        if (!oldHead || !MemoFileBelongs(*parsed, *oldHead))
            throw EngineError(Errc::Format, "memo file does not belong to this table");
        mbFromOld = true;
    }
    if (pxFromOld && ::rename(Path(".PX.old").c_str(), Path(".PX").c_str()) != 0)
        IoError("cannot restore", Path(".PX"));
    if (mbFromOld && ::rename(Path(".MB.old").c_str(), Path(".MB").c_str()) != 0)
        IoError("cannot restore", Path(".MB"));
    ::unlink(Path(".PX.old").c_str());
    ::unlink(Path(".MB.old").c_str());
    if (pxFromOld || mbFromOld)
        SyncDirectoryOf(Path(".DB"));
    return std::move(*parsed);
}

std::unique_ptr<ByteSource> TableStore::MemoFile() const {
    return std::make_unique<FileSource>(Path(".MB"));
}

void TableStore::Commit(const TableFiles& files, bool withMemo) const {
    if (Exists(Path(".PX.old")) || Exists(Path(".MB.old")))
        Read(); // finish the recovery of an earlier interrupted commit first
    std::vector<std::pair<const char*, const std::string*>> parts = {{".PX", &files.px}};
    if (withMemo)
        parts.push_back({".MB", &files.mb});
    parts.push_back({".DB", &files.db}); // last: its rename is the commit
    try {
        for (const auto& [ext, bytes] : parts)
            WriteDurably(Path(ext) + ".new", *bytes);
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            FaultInjection::Step("link");
            const std::string path = Path(parts[i].first);
            if (Exists(path) && ::link(path.c_str(), (path + ".old").c_str()) != 0)
                IoError("cannot keep", path);
        }
        FaultInjection::Step("sync directory");
        SyncDirectoryOf(Path(".DB"));
        for (const auto& part : parts)
            Rename(Path(part.first) + ".new", Path(part.first));
    } catch (const EngineError&) {
        for (const auto& part : parts)
            ::unlink((Path(part.first) + ".new").c_str());
        throw;
    }
    SyncDirectoryOf(Path(".DB"));
    ::unlink(Path(".PX.old").c_str());
    ::unlink(Path(".MB.old").c_str());
}

} // namespace engine
