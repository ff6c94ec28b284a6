#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// This machine's own folder for what must not travel with a synced program folder: the
// machine's id and run number, nothing that names a value. SystemDirs::StateDirectory(), made
// with mode 0700; its files 0600, named by short digests, so any user name works.
namespace StateFolder {

// With a trailing '/', made when missing; "" when it cannot be made.
std::string Path();

// This copy of a document as stamps name it: a random id made once per installation and
// document path (two program folders on one machine are two copies), and a run number raised by
// every run, so counters never repeat. Kept in a file named by a short digest of the path. When
// the folder cannot hold them the run gets an id of its own (persistent is then false).
struct Machine {
    std::uint64_t id = 0;
    std::uint64_t run = 0;
    bool persistent = false;
};
Machine NextRun(const std::string& document);

// Writes bytes to Path() + name through the atomic writer (0600); false when that failed.
bool Write(const std::string& name, std::string_view bytes);

// Earlier versions kept copies of a document here (its versions, the other versions of
// conflicts, unreadable versions, conflict copies taken in), under the document's name and a
// digest of its path. Versions that may hold what the document lacks (unreadable ones, the
// other sides of open conflicts) are returned, oldest first, for the caller to put beside the
// document; every other copy is removed. The caller removes the returned ones once placed.
std::vector<std::string> LegacyVersions(const std::string& document);

} // namespace StateFolder
