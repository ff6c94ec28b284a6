#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Why a file could not be read.
enum class ReadFault {
    None,
    Missing,    // no such file
    NotRegular, // a directory, FIFO, device or socket
    Unreadable, // it exists but cannot be opened (permissions, a dangling link, ...)
    TooLarge,   // larger than the caller accepts
    Io,         // a read failed
    Short,      // the file ended before the size it had when it was opened
    Foreign,    // another user's file, or a link, where only the user's own files are read
};

// Reads one regular file from the start. Opening never blocks (a FIFO is refused, not waited
// for); nothing throws: a failure is kept in fault() and errnum().
class FileReader {
public:
    // With ownOnly, a final link or a file of another user is refused (Foreign), judged on the
    // descriptor that is then read.
    explicit FileReader(const std::string& path, bool ownOnly = false);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    explicit operator bool() const { return m_fault == ReadFault::None; }
    ReadFault fault() const { return m_fault; }
    int errnum() const { return m_errno; }
    // The size the file had when it was opened.
    std::uint64_t size() const { return m_size; }
    // Reads exactly n bytes; false (and the fault kept) on a read error or an early end.
    bool Read(char* data, std::size_t n);

private:
    void Fail(ReadFault fault, int errnum);

    int m_fd = -1;
    std::uint64_t m_size = 0;
    ReadFault m_fault = ReadFault::None;
    int m_errno = 0;
};

// A whole file, or why it could not be read.
struct WholeFile {
    std::string bytes;
    ReadFault fault = ReadFault::None;
    int errnum = 0;
    explicit operator bool() const { return fault == ReadFault::None; }
};

inline constexpr std::uint64_t kMaxWholeFile = std::uint64_t{1} << 30;

// Reads the regular file at path whole; files beyond maxBytes are refused unread.
WholeFile ReadWholeFile(const std::string& path, std::uint64_t maxBytes = kMaxWholeFile);
// The same for a file that must be the user's own and no link (a file others could plant).
WholeFile ReadOwnWholeFile(const std::string& path, std::uint64_t maxBytes);
