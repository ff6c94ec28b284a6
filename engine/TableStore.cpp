#include "engine/TableStore.h"

#include "engine/EngineError.h"
#include "engine/FaultInjection.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
    TableFiles f = ReadRaw();
    std::optional<std::string> oldPx = ReadFile(Path(".PX.old"));
    std::optional<std::string> oldMb = ReadFile(Path(".MB.old"));
    try {
        ParsedTable p = ParseTable(f);
        ::unlink(Path(".PX.old").c_str());
        ::unlink(Path(".MB.old").c_str());
        return p;
    } catch (const EngineError&) {
        if (!oldPx && !oldMb)
            throw;
        // An interrupted commit: the .DB in place is the old one; so are the ".old" copies.
        for (int mask = 1; mask < 4; ++mask) {
            TableFiles g = f;
            if ((mask & 1) && oldPx)
                g.px = *oldPx;
            if ((mask & 2) && oldMb)
                g.mb = *oldMb;
            try {
                ParsedTable p = ParseTable(g);
                if (g.px != f.px && ::rename(Path(".PX.old").c_str(), Path(".PX").c_str()) != 0)
                    IoError("cannot restore", Path(".PX"));
                if (g.mb != f.mb && ::rename(Path(".MB.old").c_str(), Path(".MB").c_str()) != 0)
                    IoError("cannot restore", Path(".MB"));
                ::unlink(Path(".PX.old").c_str());
                ::unlink(Path(".MB.old").c_str());
                SyncDirectoryOf(Path(".DB"));
                return p;
            } catch (const EngineError& e) {
                if (e.code() == Errc::Io)
                    throw;
            }
        }
        throw;
    }
}

void TableStore::Commit(const TableFiles& files) const {
    if (Exists(Path(".PX.old")) || Exists(Path(".MB.old")))
        Read(); // finish the recovery of an earlier interrupted commit first
    static const char* const kExt[3] = {".PX", ".MB", ".DB"};
    const std::string* bytes[3] = {&files.px, &files.mb, &files.db};
    try {
        for (int i = 0; i < 3; ++i)
            WriteDurably(Path(kExt[i]) + ".new", *bytes[i]);
        for (int i = 0; i < 2; ++i) {
            FaultInjection::Step("link");
            if (Exists(Path(kExt[i])) &&
                ::link(Path(kExt[i]).c_str(), (Path(kExt[i]) + ".old").c_str()) != 0)
                IoError("cannot keep", Path(kExt[i]));
        }
        FaultInjection::Step("sync directory");
        SyncDirectoryOf(Path(".DB"));
        Rename(Path(".PX.new"), Path(".PX"));
        Rename(Path(".MB.new"), Path(".MB"));
        Rename(Path(".DB.new"), Path(".DB")); // the commit
    } catch (const EngineError&) {
        for (const char* ext : kExt)
            ::unlink((Path(ext) + ".new").c_str());
        throw;
    }
    SyncDirectoryOf(Path(".DB"));
    ::unlink(Path(".PX.old").c_str());
    ::unlink(Path(".MB.old").c_str());
}

} // namespace engine
