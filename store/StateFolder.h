#pragma once

#include <string>
#include <string_view>
#include <vector>

// This machine's own folder for what must not travel with a synced program folder: the bases
// of the documents, the other machines' versions kept for conflicts, conflict copies taken in.
// SystemDirs::StateDirectory(), made with mode 0700; its files 0600.
namespace StateFolder {

// With a trailing '/', made when missing; "" when it cannot be made.
std::string Path();
// The prefix of this machine's files about one document: its file name and a digest of its
// absolute path, so equal names in two program folders never share a base.
std::string KeyOf(const std::string& document);

// Writes bytes to Path() + name through the atomic writer (0600); false when that failed.
bool Write(const std::string& name, std::string_view bytes);

// The names of the files in Path() that begin with prefix.
std::vector<std::string> List(const std::string& prefix);

} // namespace StateFolder
