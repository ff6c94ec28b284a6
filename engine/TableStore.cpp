#include "engine/TableStore.h"

#include "engine/EngineError.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
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

[[noreturn]] void IoError(const std::string& what, const AtomicFile& file) {
    throw EngineError(Errc::Io, what + " " + file.target() + ": " + file.error().message());
}

// Throws for anything but a readable table file of acceptable size; false when missing.
bool CheckReadable(const std::string& path, ReadFault fault, int errnum) {
    switch (fault) {
    case ReadFault::None:
        return true;
    case ReadFault::Missing:
        return false;
    case ReadFault::NotRegular:
    case ReadFault::TooLarge:
        throw EngineError(Errc::Format, "not a table file: " + path);
    default:
        errno = errnum;
        IoError("cannot read", path);
    }
}

// nullopt when missing; throws for unreadable or oversized files.
std::optional<std::string> ReadFile(const std::string& path) {
    WholeFile file = ReadWholeFile(path, kMaxFileSize);
    if (!CheckReadable(path, file.fault, file.errnum))
        return std::nullopt;
    return std::move(file.bytes);
}

std::string Require(const std::optional<std::string>& bytes, const std::string& path) {
    if (!bytes)
        throw EngineError(Errc::Io, "table file missing: " + path);
    return *bytes;
}

// The memo file read in large pieces, straight into the caller's buffers where they are large.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path) : m_path(path), m_in(path) {
        if (!CheckReadable(path, m_in.fault(), m_in.errnum()))
            IoError("cannot open", path);
        if (m_in.size() > kMaxFileSize)
            throw EngineError(Errc::Format, "not a table file: " + path);
        m_left = m_in.size();
    }
    uint64_t Size() const override { return m_in.size(); }
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
    // Up to n bytes, fewer only at the end of the file.
    size_t Fill(char* out, size_t n) {
        const auto got = static_cast<size_t>(std::min<uint64_t>(n, m_left));
        if (!m_in.Read(out, got))
            IoError("cannot read", m_path);
        m_left -= got;
        return got;
    }
    std::string m_path;
    FileReader m_in;
    uint64_t m_left = 0;
    std::array<char, 64 * 1024> m_buffer{};
    size_t m_pos = 0, m_end = 0;
};

// What MemoFileBelongs needs of a memo file: its first bytes, or all of a first-layout one.
std::optional<std::string> MemoHead(int layout, const std::string& path) {
    if (layout == 1)
        return ReadFile(path);
    FileReader in(path);
    if (!CheckReadable(path, in.fault(), in.errnum()))
        return std::nullopt;
    std::string head(static_cast<size_t>(std::min<uint64_t>(kMemoHeadSize, in.size())), '\0');
    if (!in.Read(head.data(), head.size()))
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
    if (pxFromOld && !RenameFile(Path(".PX.old"), Path(".PX")))
        IoError("cannot restore", Path(".PX"));
    if (mbFromOld && !RenameFile(Path(".MB.old"), Path(".MB")))
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
    parts.push_back({".DB", &files.db});          // last: its rename is the commit
    std::vector<std::unique_ptr<AtomicFile>> out; // uncommitted new files go with these
    for (const auto& [ext, bytes] : parts) {
        out.push_back(std::make_unique<AtomicFile>(Path(ext)));
        if (!out.back()->Write(*bytes))
            IoError("cannot write", *out.back());
    }
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string path = Path(parts[i].first);
        if (Exists(path) && !LinkFile(path, path + ".old"))
            IoError("cannot keep", path);
    }
    if (!SyncDirectoryOf(Path(".DB")))
        IoError("cannot flush the folder of", Path(".DB"));
    for (const auto& file : out) {
        if (!file->Commit())
            IoError("cannot replace", *file);
    }
    ::unlink(Path(".PX.old").c_str());
    ::unlink(Path(".MB.old").c_str());
}

} // namespace engine
