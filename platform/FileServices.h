#pragma once

#include "platform/file/AtomicFile.h" // AtomicWriteFile, WriteAllToFd

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Adds owner read and write permission to path. False when the path cannot be changed.
bool ClearWriteProtection(const std::string& path);

// A last-write time in DOS form: date = day | month << 5 | (year - 1980) << 9,
// time = seconds / 2 | minute << 5 | hour << 11.
struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;

    friend bool operator==(const DosDateTime&, const DosDateTime&) = default;
};

struct DosFields {
    int year = 1980; // 1980 to 2107
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0; // kept at two-second resolution

    friend bool operator==(const DosFields&, const DosFields&) = default;
};

DosFields SplitDosDateTime(DosDateTime dt);
DosDateTime JoinDosDateTime(const DosFields& fields);

// The file's last-write time in local time; nullopt when it cannot be read or lies outside the
// DOS range.
std::optional<DosDateTime> GetDosFileTime(const std::string& path);
// A time in local DOS form; nullopt outside the DOS range.
std::optional<DosDateTime> LocalDosDateTime(std::int64_t secondsSinceEpoch);

// Flushes the file system holding path (or its nearest existing ancestor) to disk.
bool SyncFileSystemOf(const std::string& path);

// Sets the file's last-write (and access) time from a local DOS time. A date or time that does
// not exist (month 13, 31 February) is not applied: false.
bool SetDosFileTime(const std::string& path, DosDateTime dt);

// Bytes free for an unprivileged user on the file system of path, or of its nearest existing
// ancestor; nullopt on failure.
std::optional<uint64_t> FreeSpace(const std::string& path);

// Creates a new empty file dir + prefix + XXXXXX + suffix with mode 0600 and returns its path;
// "" on failure. dir may lack its trailing '/'.
std::string CreateUniqueTempFile(const std::string& dir, const std::string& prefix,
                                 const std::string& suffix);

// True when both paths name the same existing file (same identity); false on any error.
bool SameFile(const std::string& a, const std::string& b);
