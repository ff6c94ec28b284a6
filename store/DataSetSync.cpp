// The data set manager's side of keeping a document in step with other machines.
#include "store/TDataSetManager.h"

#include "platform/Messages.h"
#include "platform/SystemDirs.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"
#include "store/LeftVersions.h"
#include "store/StateFolder.h"

#include "util/VersionTitle.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

constexpr int kRounds = 4;
constexpr std::uint64_t kCopyFloor = 64ull << 20; // a copy may be this large, or twice ours
constexpr const char* kComesBack =
    " Die Eingaben dieser Sitzung bleiben erhalten und werden bei der nächsten Anmeldung in "
    "das Dokument übernommen.";

void Inform(const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION);
}

// "<Name> (Konflikt <Rechner> <Datum>).qlr" beside the document; n > 1 counts on.
std::string ConflictCopyName(const std::string& document, std::string machine, int n) {
    std::string name;
    FileNameOf(document, name);
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    std::replace(machine.begin(), machine.end(), '/', '_');
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H%M%S", &local);
    const std::string count = n > 1 ? "-" + std::to_string(n) : "";
    return DirectoryOf(document) + "/" + stem + " (Konflikt " + machine + " " + date + count + ")" +
           ext;
}

// A conflict copy as it may be merged: this user's own regular file (no link) of a size a
// document can have, checked on the descriptor it is read from. refusal says why not; empty
// with no bytes when it could not be read.
WholeFile ReadCopy(const std::string& copy, const std::string& document, std::string& refusal) {
    struct stat own {};
    const std::uint64_t ours = ::stat(document.c_str(), &own) == 0 ? 2ull * own.st_size : 0;
    WholeFile bytes = ReadOwnWholeFile(copy, std::max(kCopyFloor, ours));
    switch (bytes.fault) {
    case ReadFault::NotRegular:
        refusal = " (keine gewöhnliche Datei)";
        break;
    case ReadFault::Foreign:
        refusal = bytes.errnum == ELOOP ? " (keine gewöhnliche Datei)"
                                        : " (gehört einem anderen Benutzer)";
        break;
    case ReadFault::TooLarge:
        refusal = " (zu groß für ein Dokument)";
        break;
    default:
        refusal.clear();
    }
    return bytes;
}

} // namespace

TDataSetManager::Target TDataSetManager::Reconcile() {
    for (int round = 0; round < kRounds; ++round) {
        // A sync engine renames the other version over the document: the lock goes to the file
        // the name points to now (a deleted document is made again, empty, to take ours).
        if (!m_lock.NamesLockedFile() &&
            m_lock.Acquire(DocumentPath, true) != DocumentLock::Result::Held) {
            Inform("Das Dokument wird bereits von einem anderen Quillory-Programm benutzt.");
            return Target::None;
        }
        if (!m_sync.Changed())
            return Target::Document;
        switch (m_sync.TakeIn(Work())) {
        case DocumentSync::Outcome::Merged:
            break;
        case DocumentSync::Outcome::Unreadable:
            m_otherPassword = false;
            return Target::ConflictCopy;
        case DocumentSync::Outcome::Cancelled:
            m_otherPassword = true;
            return Target::ConflictCopy;
        case DocumentSync::Outcome::Failed:
            Inform(std::string("Die Änderungen von einem anderen Rechner konnten nicht übernommen "
                               "werden; das Dokument wird nicht überschrieben.") +
                   kComesBack);
            return Target::None;
        }
    }
    // Still changing: the save's own check refuses to write over a file it did not merge.
    return Target::Document;
}

bool TDataSetManager::PackConflictCopy() {
    std::string copy;
    bool linked = false;
    for (int n = 1; n <= 9 && !linked; ++n) {
        copy = ConflictCopyName(DocumentPath, m_sync.MachineName(), n);
        bool exists = false;
        // Written beside, flushed, then linked to its name: never over a file that is there.
        PackDocument(copy, WorkFiles, [&](int fd) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            linked =
                ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, copy.c_str(), AT_SYMLINK_FOLLOW) == 0;
            exists = !linked && errno == EEXIST;
            return false;
        });
        if (!exists)
            break;
    }
    if (linked)
        linked = SyncDirectoryOf(copy);
    std::string name;
    FileNameOf(copy, name);
    const std::string why = m_otherPassword
                                ? "wurde auf einem anderen Rechner mit einem anderen Paßwort "
                                  "gespeichert und läßt sich ohne dieses Paßwort nicht lesen"
                                : "wurde von einem anderen Programm geändert und läßt sich hier "
                                  "nicht lesen";
    if (!linked) {
        ::unlink(copy.c_str());
        Inform("Das Dokument " + DocumentPath + " " + why +
               "; es wird nicht überschrieben, und auch eine Konfliktkopie ließ sich nicht "
               "anlegen." +
               kComesBack);
        return false;
    }
    const bool first = m_conflictCopy.empty();
    if (!first && m_conflictCopy != copy) // this run's earlier copy: the new one holds all of it
        ::unlink(m_conflictCopy.c_str());
    m_conflictCopy = copy;
    if (first)
        Inform("Das Dokument " + DocumentPath + " " + why +
               "; es wird nicht überschrieben. Die Eingaben dieser Sitzung stehen in der "
               "Konfliktkopie \"" +
               name +
               "\" daneben und werden übernommen, sobald das Dokument wieder gelesen "
               "werden kann.");
    return true;
}

void TDataSetManager::KeepForLater() {
    m_dir.Keep();
    // One note per run: a second failure keeps the first one, whose lock this run holds.
    if (!m_dir.Path().empty() && !m_sync.HoldsStrandedNote())
        m_sync.HoldStrandedNote(MarkStrandedWork(m_dir.Path(), DocumentPath, WorkFiles));
}

int TDataSetManager::TakeInStrandedWork() {
    int taken = 0;
    for (const std::string& parent : {SystemDirs::TempDirectory(), std::string("./")}) {
        for (const StrandedWork& work : FindStrandedWork(parent, DocumentPath)) {
            if (!IsOpen || work.directory == m_dir.Path())
                continue;
            // Packed inside this run's own private directory, read, and merged.
            const std::string packed = m_dir.Path() + "stranded.qlr";
            WholeFile bytes;
            if (PackDocument(packed, work.files))
                bytes = ReadWholeFile(packed);
            ::unlink(packed.c_str());
            if (bytes &&
                m_sync.TakeInVersion(bytes.bytes, Work()) == DocumentSync::Outcome::Merged &&
                Save() && m_conflictCopy.empty()) {
                RemoveStrandedWork(work);
                ++taken;
            }
        }
    }
    if (taken > 0)
        Inform("Die Eingaben einer früheren Sitzung, die nicht gespeichert werden konnten, "
               "wurden in das Dokument übernommen.");
    return taken;
}

int TDataSetManager::TakeInConflictCopies() {
    if (!IsOpen)
        return 0;
    PlaceLegacyVersions();
    int taken = 0;
    std::string left;
    for (const std::string& copy : FindConflictCopies(DocumentPath)) {
        if (copy == m_conflictCopy || !m_namedCopies.insert(copy).second)
            continue; // this run's own, or named already
        std::string name;
        FileNameOf(copy, name);
        std::string refusal;
        const WholeFile bytes = ReadCopy(copy, DocumentPath, refusal);
        if (!bytes || m_sync.TakeInVersion(bytes.bytes, Work()) != DocumentSync::Outcome::Merged) {
            left += "\n" + name + refusal;
            continue;
        }
        // Removed only once the merge is in the document on disk, which then carries it.
        if (!Save() || !m_conflictCopy.empty() || !m_sync.ReadsBack() ||
            ::unlink(copy.c_str()) != 0) {
            m_namedCopies.erase(copy); // tried again later
            break;
        }
        m_namedCopies.erase(copy);
        SyncDirectoryOf(copy);
        ++taken;
    }
    if (!left.empty())
        Inform("Diese Konfliktkopien ließen sich nicht übernehmen und bleiben im Programmordner "
               "liegen:" +
               left);
    return taken;
}

// Versions earlier program versions kept in the state folder go beside the document as
// conflict copies, where this and every other machine merges them.
void TDataSetManager::PlaceLegacyVersions() {
    if (m_legacyPlaced)
        return;
    m_legacyPlaced = true;
    for (const std::string& version : StateFolder::LegacyVersions(DocumentPath)) {
        WholeFile bytes = ReadWholeFile(version);
        bool linked = false;
        for (int n = 1; n <= 9 && bytes && !linked; ++n) {
            const std::string copy = ConflictCopyName(DocumentPath, m_sync.MachineName(), n);
            const int fd =
                ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0)
                continue;
            linked = WriteAllToFd(fd, copy, bytes.bytes) && ::fsync(fd) == 0;
            ::close(fd);
            if (!linked)
                ::unlink(copy.c_str());
        }
        if (linked)
            ::unlink(version.c_str());
    }
}
