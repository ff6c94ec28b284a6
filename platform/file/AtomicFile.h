#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>

// A file replaced whole or not at all. The bytes go to a new temporary file beside the target
// (created exclusively, never through a link, with the given mode); Commit() renames it over
// the target. Until then the target is untouched, and a file that is not committed is removed
// when the object goes.
class AtomicFile {
public:
    enum class Sync {
        Durable, // flush the file before and its folder after the rename
        Deferred // neither: the caller flushes the file system once at the end of its run
    };

    explicit AtomicFile(std::string target, unsigned mode = 0600);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once any step failed; error() then says why.
    explicit operator bool() const { return !m_error; }
    const std::error_code& error() const { return m_error; }
    const std::string& target() const { return m_target; }
    // The descriptor of the temporary file (-1 after a failure or the commit).
    int fd() const { return m_fd; }

    // Appends bytes; may be called any number of times.
    bool Write(std::string_view bytes);
    // beforeRename, when given, sees the finished file (flushed when Durable, still open) just
    // before it replaces the target; when it returns false the target is left as it was.
    bool Commit(Sync sync = Sync::Durable, const std::function<bool(int fd)>& beforeRename = {});

private:
    bool Fail();

    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    bool m_committed = false;
    std::error_code m_error;
};

// Whether name, a file name in the target's folder, is one of the target's temporary files:
// ".~" + eight hexadecimal digits of a digest of the target's file name + "-" + a unique part +
// ".tmp" (at most 25 bytes, whatever the target's name), or the longer form earlier versions
// gave, "." + the target's file name + "." + a unique part + ".tmp". The unique part holds
// letters, digits, '-' and '_' only, so the temporaries of another file whose name begins with
// the target's never match.
bool IsTemporaryNameOf(const std::string& target, std::string_view name);
// How the temporary names of target begin: ".~" + the digest of its file name + "-".
std::string TemporaryPrefixOf(const std::string& target);

// Writes all of bytes to fd through the fault seam; false (errno set) on any short write.
bool WriteAllToFd(int fd, const std::string& path, std::string_view bytes);

// Replaces the file at path with bytes through an AtomicFile. A new file gets mode 0600, an
// existing one keeps its mode; false (path untouched) when path is no regular file.
bool AtomicWriteFile(const std::string& path, std::string_view bytes);

// Flushes the folder holding path (its entries: new names, renames, removals).
bool SyncDirectoryOf(const std::string& path);
// A second name for an existing file, through the fault seam.
bool LinkFile(const std::string& from, const std::string& to);
// Renames from over to, through the fault seam; false (errno set) when it did not happen.
bool RenameFile(const std::string& from, const std::string& to);
