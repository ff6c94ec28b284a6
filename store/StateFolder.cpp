#include "store/StateFolder.h"

#include "engine/Checksum.h"
#include "platform/SystemDirs.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

namespace StateFolder {

namespace {

std::uint64_t RandomId() {
    std::uint64_t id = 0;
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        if (::read(fd, &id, sizeof id) != static_cast<ssize_t>(sizeof id))
            id = 0;
        ::close(fd);
    }
    if (id == 0) // no random source: still never 0, the id of no machine
        id = (std::random_device{}() * 0x9E3779B97F4A7C15ull) ^
             static_cast<std::uint64_t>(::getpid());
    return id == 0 ? 1 : id;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

// Sixteen hex digits of a digest of the document's absolute path.
std::string DigestOf(const std::string& document) {
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(document, ec).lexically_normal();
    const engine::Checksum sum = engine::ChecksumOf(ec ? document : absolute);
    char hex[17];
    for (int i = 0; i < 8; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", sum[static_cast<std::size_t>(i)]);
    return std::string(hex, 16);
}

// The prefix earlier versions gave a document's files here.
std::string LegacyKeyOf(const std::string& document) {
    std::string name;
    FileNameOf(document, name);
    return name + "-" + DigestOf(document);
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

} // namespace

std::string Path() {
    const std::string dir = SystemDirs::StateDirectory();
    if (dir.empty())
        return "";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir).parent_path().parent_path(), ec);
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return "";
    if ((st.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0)
        return "";
    return dir;
}

Machine NextRun(const std::string& document) {
    Machine machine;
    const std::string dir = Path();
    const std::string file = DigestOf(document) + ".id";
    if (!dir.empty()) {
        WholeFile text = ReadWholeFile(dir + file);
        std::istringstream in(text ? text.bytes : std::string());
        std::string id;
        in >> id >> machine.run;
        const char* end = id.data() + id.size();
        if (!text || std::from_chars(id.data(), end, machine.id, 16).ptr != end || !in)
            machine = {RandomId(), 0, false};
        ++machine.run;
        char line[64];
        std::snprintf(line, sizeof line, "%llx %llu\n", static_cast<unsigned long long>(machine.id),
                      static_cast<unsigned long long>(machine.run));
        machine.persistent = machine.id != 0 && Write(file, line);
    }
    if (!machine.persistent)
        machine = {RandomId(), 1, false};
    return machine;
}

bool Write(const std::string& name, std::string_view bytes) {
    const std::string dir = Path();
    if (dir.empty())
        return false;
    AtomicFile file(dir + name, 0600);
    return file.Write(bytes) && file.Commit();
}

std::vector<std::string> LegacyVersions(const std::string& document) {
    const std::string dir = Path();
    if (dir.empty())
        return {};
    const std::string key = LegacyKeyOf(document);
    std::set<std::string> wanted; // the other sides of open conflicts
    WholeFile conflicts = ReadWholeFile(dir + key + ".conflicts");
    std::istringstream lines(conflicts ? conflicts.bytes : std::string());
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos)
            wanted.insert(line.substr(tab + 1));
    }
    std::vector<std::string> keep;
    for (const std::string& name : Names(dir)) {
        if (!StartsWith(name, key + "."))
            continue;
        if (StartsWith(name, key + ".unreadable-") ||
            (StartsWith(name, key + ".other-") && wanted.count(name)))
            keep.push_back(dir + name);
        else
            ::unlink((dir + name).c_str());
    }
    std::sort(keep.begin(), keep.end());
    return keep;
}

} // namespace StateFolder
