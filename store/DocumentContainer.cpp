#include "store/DocumentContainer.h"

#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileFault.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"
#include "util/VersionTitle.h"

#include <algorithm>
#include <limits>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

void Report(const char* text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION);
}

// Closes the descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool close() {
        int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

void PutInt32(std::string& out, int32_t value) {
    auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
}

int32_t GetInt32(const char* p) {
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i) {
        u = (u << 8) | static_cast<unsigned char>(p[i]);
    }
    return static_cast<int32_t>(u);
}

std::string EncodePrefix(const FileEntryHeader& h, int32_t length) {
    std::string out;
    out.reserve(kEntryPrefixSize);
    for (int32_t v : {h.second2, h.minute, h.hour, h.day, h.month, h.year, length}) {
        PutInt32(out, v);
    }
    return out;
}

FileEntryHeader HeaderOf(const std::string& path) {
    FileEntryHeader h;
    if (std::optional<DosDateTime> dt = GetDosFileTime(path)) {
        DosFields f = SplitDosDateTime(*dt);
        h.second2 = f.second / 2;
        h.minute = f.minute;
        h.hour = f.hour;
        h.day = f.day;
        h.month = f.month;
        h.year = f.year - 1980;
    }
    return h;
}

DosDateTime DateTimeOf(const FileEntryHeader& h) {
    DosFields f;
    f.second = (h.second2 & 0x1F) * 2;
    f.minute = h.minute & 0x3F;
    f.hour = h.hour & 0x1F;
    f.day = h.day & 0x1F;
    f.month = h.month & 0x0F;
    f.year = 1980 + (h.year & 0x7F);
    return JoinDosDateTime(f);
}

// Appends one entry for the file to out; the message number on failure, 0 on success.
int PackEntry(AtomicFile& out, const std::string& file) {
    FileReader in(file);
    if (!in) {
        return 1;
    }
    if (in.size() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        return 2;
    }
    auto length = static_cast<std::size_t>(in.size());
    if (!out.Write(EncodePrefix(HeaderOf(file), static_cast<int32_t>(length)))) {
        return 3;
    }
    std::vector<char> buffer(std::min(length, kChunkSize));
    std::size_t left = length;
    while (left > 0) {
        std::size_t piece = std::min(left, buffer.size());
        if (!in.Read(buffer.data(), piece)) {
            return 2;
        }
        if (!out.Write(std::string_view(buffer.data(), piece))) {
            return 3;
        }
        left -= piece;
    }
    return 0;
}

} // namespace

bool PackDocument(const std::string& document, const DocumentFiles& files,
                  const std::function<bool(int newFile)>& beforeReplace) {
    static const char* const kMessages[] = {
        "", "Fehler 01 beim Speichern!", "Fehler 02 beim Speichern!", "Fehler 03 beim Speichern!"};
    AtomicFile out(document);
    int failure = out ? 0 : 3;
    for (std::size_t slot = 0; failure == 0 && slot < kDocumentSlotCount; ++slot) {
        // Only a later table may be left out, whole; an empty name elsewhere fails.
        const bool laterTable = slot >= kEarliestSlotCount && slot % kSlotsPerTable == 0;
        if (laterTable && files[slot].empty())
            break;
        failure = PackEntry(out, files[slot]);
    }
    bool refused = false;
    const auto check = [&](int newFile) {
        refused = beforeReplace && !beforeReplace(newFile);
        return !refused;
    };
    if (failure == 0 && !out.Commit(AtomicFile::Sync::Durable, check)) {
        failure = 3;
    }
    if (failure != 0) {
        if (!refused) {
            Report(kMessages[failure]);
        }
        return false;
    }
    return true;
}

void RemoveInterruptedPacks(const std::string& document) {
    const std::string dir = DirectoryOf(document);
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(stream)) {
        if (!IsTemporaryNameOf(document, entry->d_name)) {
            continue;
        }
        const std::string path = dir + "/" + entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(stream);
}

bool UnpackDocument(const std::string& document, const DocumentFiles& files, std::size_t* entries,
                    bool report) {
    static const char* const kMessages[] = {"", "Fehler 01 beim Öffnen!", "Fehler 02 beim Öffnen!",
                                            "Fehler 03 beim Öffnen!"};
    auto Report = [report](const char* text) {
        if (report)
            ::Report(text);
    };
    FileReader in(document);
    uint64_t left = in ? in.size() : 0;
    std::vector<char> buffer;
    if (entries)
        *entries = 0;
    for (std::size_t slot = 0; slot < kDocumentSlotCount; ++slot) {
        const std::string& file = files[slot];
        Fd out(
            FileStepAllowed(FileStep::Open, file)
                ? ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600)
                : -1);
        if (out.get() < 0) {
            Report(kMessages[1]);
            return false;
        }
        if (!in) {
            Report(kMessages[2]);
            return false;
        }
        if (left == 0) {
            continue; // ends at an entry boundary: the remaining files stay empty
        }
        char prefix[kEntryPrefixSize];
        if (left < kEntryPrefixSize || !in.Read(prefix, kEntryPrefixSize)) {
            Report(kMessages[2]);
            return false;
        }
        left -= kEntryPrefixSize;
        FileEntryHeader h;
        h.second2 = GetInt32(prefix);
        h.minute = GetInt32(prefix + 4);
        h.hour = GetInt32(prefix + 8);
        h.day = GetInt32(prefix + 12);
        h.month = GetInt32(prefix + 16);
        h.year = GetInt32(prefix + 20);
        int32_t length = GetInt32(prefix + 24);
        if (length < 0 || static_cast<uint64_t>(length) > left) {
            Report(kMessages[2]);
            return false;
        }
        auto remaining = static_cast<std::size_t>(length);
        buffer.resize(std::min(remaining, kChunkSize));
        while (remaining > 0) {
            std::size_t piece = std::min(remaining, buffer.size());
            if (!in.Read(buffer.data(), piece)) {
                Report(kMessages[2]);
                return false;
            }
            if (!WriteAllToFd(out.get(), file, std::string_view(buffer.data(), piece))) {
                Report(kMessages[3]);
                return false;
            }
            remaining -= piece;
        }
        left -= static_cast<uint64_t>(length);
        if (!out.close()) {
            Report(kMessages[3]);
            return false;
        }
        SetDosFileTime(file, DateTimeOf(h)); // an invalid date is not applied
        if (entries)
            *entries = slot + 1;
    }
    return true;
}
