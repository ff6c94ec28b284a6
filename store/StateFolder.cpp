#include "store/StateFolder.h"

#include "engine/Checksum.h"
#include "platform/SystemDirs.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/PathParts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace StateFolder {

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

std::string KeyOf(const std::string& document) {
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(document, ec).lexically_normal();
    const engine::Checksum sum = engine::ChecksumOf(ec ? document : absolute);
    std::string name;
    FileNameOf(document, name);
    char hex[17];
    for (int i = 0; i < 8; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", sum[static_cast<std::size_t>(i)]);
    return name + "-" + std::string(hex, 16);
}

bool Write(const std::string& name, std::string_view bytes) {
    const std::string dir = Path();
    if (dir.empty())
        return false;
    AtomicFile file(dir + name, 0600);
    return file.Write(bytes) && file.Commit();
}

} // namespace StateFolder

std::vector<std::string> StateFolder::List(const std::string& prefix) {
    std::vector<std::string> names;
    const std::string dir = Path();
    std::error_code ec;
    if (dir.empty())
        return names;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0)
            names.push_back(name);
    }
    return names;
}
