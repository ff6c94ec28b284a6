#pragma once

#include <string>

// The parts of a path: drive is always "" (an absolute path's root plays the drive), the
// directory with its trailing '/', the name, and the extension from the last '.' of the file
// name (a leading '.' belongs to the name: ".profile" has no extension).
struct PathParts {
    std::string drive;
    std::string dir;
    std::string name;
    std::string ext;
};
PathParts SplitPath(const std::string& path);

// The directory holding path, without a trailing '/': "." for a bare name, "/" for the root.
std::string DirectoryOf(const std::string& path);

// out = drive + dir + name + ext when both path and ext are non-empty; else out unchanged.
void ChangeExtension(const std::string& path, std::string& out, const std::string& ext);

// out = name + extension and true when path has a file name; else out unchanged and false.
bool FileNameOf(const std::string& path, std::string& out);

// out = drive + directory (trailing '/') and true when path is absolute; else false.
bool DirOfPath(const std::string& path, std::string& out);
