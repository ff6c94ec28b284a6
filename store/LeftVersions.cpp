#include "store/LeftVersions.h"

#include "platform/file/PathParts.h"
#include "util/FileUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

constexpr const char* kNote = "stranded.txt";
constexpr const char* kWorkPrefix = "quillory-";

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

} // namespace

bool IsConflictCopyName(const std::string& documentName, const std::string& name) {
    const std::size_t dot = documentName.rfind('.');
    const std::string stem = dot == std::string::npos ? documentName : documentName.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : documentName.substr(dot);
    if (stem.empty() || name.size() <= documentName.size() || !StartsWith(name, stem) ||
        !EndsWith(name, ext))
        return false;
    const std::string middle = name.substr(stem.size(), name.size() - stem.size() - ext.size());
    if (StartsWith(middle, ".sync-conflict-"))
        return middle.size() > 15 && middle.find('/') == std::string::npos;
    if (!StartsWith(middle, " (") || !EndsWith(middle, ")"))
        return false;
    const std::string tag = middle.substr(2, middle.size() - 3);
    return StartsWith(tag, "conflicted copy ") || StartsWith(tag, "Conflict ") ||
           StartsWith(tag, "Konflikt") || ContainsNoCase(tag, "'s conflicted copy ") ||
           ContainsNoCase(tag, "in Konflikt stehende Kopie");
}

std::vector<std::string> FindConflictCopies(const std::string& document) {
    std::vector<std::string> copies;
    std::string name;
    if (!FileNameOf(document, name))
        return copies;
    const std::string dir = DirectoryOf(document);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (IsConflictCopyName(name, candidate) && entry.is_regular_file(ec))
            copies.push_back(dir + "/" + candidate);
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

int MarkStrandedWork(const std::string& directory, const std::string& document,
                     const DocumentFiles& files) {
    const std::string note = directory + kNote;
    const int fd = ::open(note.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    std::string text = Absolute(document) + "\n";
    for (const std::string& file : files) {
        std::string base;
        FileNameOf(file, base);
        text += base + "\n";
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (!written || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        ::unlink(note.c_str());
        return -1;
    }
    return fd;
}

std::vector<StrandedWork> FindStrandedWork(const std::string& parent, const std::string& document) {
    std::vector<StrandedWork> found;
    const std::string wanted = Absolute(document);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec)) {
        const std::string dir = entry.path().string() + "/";
        struct stat st {};
        if (!StartsWith(entry.path().filename().string(), kWorkPrefix) ||
            ::lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        const int fd = ::open((dir + kNote).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        std::string text(4096, '\0');
        const ssize_t n = ::read(fd, text.data(), text.size());
        const bool free = ::flock(fd, LOCK_SH | LOCK_NB) == 0; // its run has ended
        ::close(fd);
        text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        std::istringstream lines(text);
        std::string owner;
        StrandedWork work{dir, {}};
        bool complete = free && std::getline(lines, owner) && owner == wanted;
        for (std::size_t slot = 0; slot < work.files.size() && complete; ++slot) {
            std::string base;
            // An earlier run's note names the tables there were then: whole ones, six files on.
            const bool read = static_cast<bool>(std::getline(lines, base));
            if (!read && slot >= kEarliestSlotCount && slot % kSlotsPerTable == 0)
                break;
            complete = read && !base.empty() && base.find('/') == std::string::npos;
            work.files[slot] = dir + base;
        }
        if (complete)
            found.push_back(std::move(work));
    }
    return found;
}

void RemoveStrandedWork(const StrandedWork& work) {
    std::error_code ec;
    std::filesystem::remove_all(work.directory, ec);
}
