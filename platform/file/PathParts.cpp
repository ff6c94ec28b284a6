#include "platform/file/PathParts.h"

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    size_t slash = path.rfind('/');
    std::string file = path;
    if (slash != std::string::npos) {
        parts.dir = path.substr(0, slash + 1);
        file = path.substr(slash + 1);
    }
    size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        parts.name = file.substr(0, dot);
        parts.ext = file.substr(dot);
    } else {
        parts.name = file;
    }
    return parts;
}

std::string DirectoryOf(const std::string& path) {
    std::string dir = SplitPath(path).dir;
    if (dir.empty()) {
        return ".";
    }
    return dir.size() == 1 ? dir : dir.substr(0, dir.size() - 1);
}

void ChangeExtension(const std::string& path, std::string& out, const std::string& ext) {
    if (path.empty() || ext.empty()) {
        return;
    }
    PathParts p = SplitPath(path);
    out = p.drive + p.dir + p.name + ext;
}

bool FileNameOf(const std::string& path, std::string& out) {
    PathParts p = SplitPath(path);
    if (p.name.empty()) {
        return false;
    }
    out = p.name + p.ext;
    return true;
}

bool DirOfPath(const std::string& path, std::string& out) {
    if (path.empty() || path.front() != '/') {
        return false;
    }
    PathParts p = SplitPath(path);
    out = p.drive + p.dir;
    return true;
}
