#include "platform/file/AtomicFile.h"

#include "platform/file/FileFault.h"
#include "platform/file/PathParts.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kTempSuffix = ".tmp";

// "." + the target's file name + ".": what the temporary names of earlier versions began with.
std::string LongPrefixOf(const PathParts& target) {
    return "." + target.name + target.ext + ".";
}

// ".~" + a digest of the target's file name + "-": what every temporary name of the target
// begins with. Short, so a temporary name is never longer than the file system allows when
// the target's name is not.
std::string TempPrefixOf(const PathParts& target) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : target.name + target.ext) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash));
    return ".~" + std::string(hex) + "-";
}

// A name nobody else picks: ten random letters and digits.
std::string TempNameBeside(const std::string& target) {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kDigits) - 2);
    const PathParts parts = SplitPath(target);
    std::string unique;
    for (int i = 0; i < 10; ++i) {
        unique += kDigits[pick(random)];
    }
    return parts.dir + TempPrefixOf(parts) + unique + std::string(kTempSuffix);
}

// Whether unique holds letters, digits, '-' and '_' only.
bool PlainUniquePart(std::string_view unique) {
    for (const char c : unique) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

// Whether name is prefix + a plain unique part + ".tmp".
bool MatchesTemporary(std::string_view name, const std::string& prefix) {
    if (name.size() <= prefix.size() + kTempSuffix.size() ||
        name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - kTempSuffix.size()) != kTempSuffix) {
        return false;
    }
    return PlainUniquePart(
        name.substr(prefix.size(), name.size() - prefix.size() - kTempSuffix.size()));
}

} // namespace

AtomicFile::AtomicFile(std::string target, unsigned mode) : m_target(std::move(target)) {
    if (m_target.empty() || m_target.back() == '/') {
        m_error = std::make_error_code(std::errc::invalid_argument);
        return;
    }
    struct stat st {};
    if (::stat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        m_error = std::make_error_code(std::errc::invalid_argument);
        return;
    }
    if (!FileStepAllowed(FileStep::Create, m_target)) {
        Fail();
        return;
    }
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = TempNameBeside(m_target);
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      static_cast<mode_t>(mode & 07777));
        if (m_fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (m_fd < 0) {
        m_temp.clear();
        Fail();
        return;
    }
    // The umask must not take bits from the mode asked for.
    if (::fchmod(m_fd, static_cast<mode_t>(mode & 07777)) != 0) {
        Fail();
    }
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_committed && !m_temp.empty()) {
        ::unlink(m_temp.c_str());
    }
}

bool AtomicFile::Fail() {
    if (!m_error) {
        m_error = std::error_code(errno, std::generic_category());
    }
    return false;
}

bool AtomicFile::Write(std::string_view bytes) {
    if (m_error || m_fd < 0) {
        return false;
    }
    return WriteAllToFd(m_fd, m_target, bytes) || Fail();
}

bool AtomicFile::Commit(Sync sync, const std::function<bool(int fd)>& beforeRename) {
    if (m_error || m_fd < 0) {
        return false;
    }
    const bool durable = sync == Sync::Durable;
    if (durable && (!FileStepAllowed(FileStep::Flush, m_target) || ::fsync(m_fd) != 0)) {
        return Fail();
    }
    if (beforeRename && !beforeRename(m_fd)) {
        m_error = std::make_error_code(std::errc::operation_canceled);
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        return Fail();
    }
    if (!RenameFile(m_temp, m_target)) {
        return Fail();
    }
    m_committed = true;
    if (durable && !SyncDirectoryOf(m_target)) {
        // The new contents are in place; only their survival of a power cut is in doubt.
        return Fail();
    }
    return true;
}

bool WriteAllToFd(int fd, const std::string& path, std::string_view bytes) {
    const std::size_t allowed = FileWriteAllowed(path, bytes.size());
    std::string_view part = bytes.substr(0, allowed);
    while (!part.empty()) {
        ssize_t n = ::write(fd, part.data(), part.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        part.remove_prefix(static_cast<std::size_t>(n));
    }
    if (allowed < bytes.size()) {
        errno = ENOSPC; // the fault seam's full disk
        return false;
    }
    return true;
}

bool AtomicWriteFile(const std::string& path, std::string_view bytes) {
    unsigned mode = 0600;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    }
    AtomicFile file(path, mode);
    return file.Write(bytes) && file.Commit();
}

bool SyncDirectoryOf(const std::string& path) {
    if (!FileStepAllowed(FileStep::SyncDirectory, path)) {
        return false;
    }
    const int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool LinkFile(const std::string& from, const std::string& to) {
    return FileStepAllowed(FileStep::Link, to) && ::link(from.c_str(), to.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return FileStepAllowed(FileStep::Rename, to) && ::rename(from.c_str(), to.c_str()) == 0;
}

std::string TemporaryPrefixOf(const std::string& target) {
    return TempPrefixOf(SplitPath(target));
}

bool IsTemporaryNameOf(const std::string& target, std::string_view name) {
    const PathParts parts = SplitPath(target);
    return MatchesTemporary(name, TempPrefixOf(parts)) ||
           MatchesTemporary(name, LongPrefixOf(parts));
}
