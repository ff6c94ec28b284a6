#pragma once

#include "platform/file/PathParts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// True when path names an existing file or directory; false for a null or empty path.
bool FileExists(const char* path);
bool FileExists(const std::string& path);

// The size of the regular file at path; nullopt for anything else or a missing file.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);

// Creates every directory on path that is followed by a '/': "/a/b/" creates /a and /a/b,
// "/a/b" only /a, "/" nothing. True when all of them exist afterwards.
bool CreatePath(const std::string& path);

// How CopyFile works: clearAttributes gives the copy owner read and write (a read-only source
// gives a writable copy); privateCopy makes it the owner's alone (0600, whatever the modes of the
// source, of an earlier copy and the umask); flush puts the copy on disk before CopyFile returns;
// proceed is asked between steps of a few megabytes, and false stops the copy.
struct CopyOptions {
    bool clearAttributes = false;
    bool privateCopy = false;
    bool flush = true;
    std::function<bool()> proceed;
};
enum class CopyResult { Copied, Failed, Stopped };

// Copies src over dst with the source's modification time. Same file identity (however spelt)
// counts as copied without copying. A stopped copy is removed, as is a failed one where no dst
// was before. With clearAttributes the destination gets owner read and write.
CopyResult CopyFile(const std::string& src, const std::string& dst, const CopyOptions& options);
// CopyFile flushed and without stops; true when copied.
bool CopyFileTo(const std::string& src, const std::string& dst, bool clearAttributes);

// A new directory prefix + six unique characters, mode 0700 (mkdtemp): in the temporary
// directory when that exists and takes it, otherwise in the current directory. Its path with a
// trailing '/'; "" when neither can hold it.
std::string MakePrivateDirectory(const std::string& prefix);

// True when part occurs in text, ignoring letter case (also of umlauts).
bool ContainsNoCase(const std::string& text, const std::string& part);
