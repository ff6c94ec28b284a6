// The data set manager's side of keeping a document in step with other machines.
#include "store/TDataSetManager.h"

#include "platform/Messages.h"
#include "platform/SystemDirs.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"
#include "store/LeftVersions.h"
#include "store/StateFolder.h"

#include "util/VersionTitle.h"
#include <unistd.h>

namespace {

constexpr int kRounds = 4;

void Inform(const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION);
}

} // namespace

bool TDataSetManager::Reconcile() {
    for (int round = 0; round < kRounds; ++round) {
        // A sync engine renames the other version over the document: the lock goes to the file
        // the name points to now (a deleted document is made again, empty, to take ours).
        if (!m_lock.NamesLockedFile() &&
            m_lock.Acquire(DocumentPath, true) != DocumentLock::Result::Held) {
            Inform("Das Dokument wird bereits von einem anderen Quillory-Programm benutzt.");
            return false;
        }
        if (!m_sync.Changed())
            return true;
        switch (m_sync.TakeIn(Work())) {
        case DocumentSync::Outcome::Merged:
            break;
        case DocumentSync::Outcome::Unreadable:
            Inform("Das Dokument " + DocumentPath +
                   " wurde von einem anderen Programm geändert und läßt sich nicht lesen. Es "
                   "wird durch die Daten dieser Sitzung ersetzt; eine Kopie liegt in " +
                   StateFolder::Path());
            break;
        case DocumentSync::Outcome::Cancelled:
            Inform("Das Dokument wurde auf einem anderen Rechner mit einem anderen Paßwort "
                   "gespeichert und bleibt ohne dieses Paßwort unverändert. Die Eingaben dieser "
                   "Sitzung bleiben erhalten und werden bei der nächsten Anmeldung übernommen.");
            return false;
        case DocumentSync::Outcome::Failed:
            Inform("Die Änderungen von einem anderen Rechner konnten nicht übernommen werden; "
                   "das Dokument wird nicht überschrieben. Die Eingaben dieser Sitzung bleiben "
                   "erhalten und werden bei der nächsten Anmeldung übernommen.");
            return false;
        }
    }
    // Still changing: the save's own check refuses to write over a file it did not merge.
    return true;
}

void TDataSetManager::KeepForLater() {
    m_dir.Keep();
    if (!m_dir.Path().empty())
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
                m_sync.TakeInLeftVersion(bytes.bytes, Work()) == DocumentSync::Outcome::Merged &&
                Save()) {
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
    int taken = 0;
    std::string left;
    for (const std::string& copy : FindConflictCopies(DocumentPath)) {
        std::string name;
        FileNameOf(copy, name);
        WholeFile bytes = ReadWholeFile(copy);
        if (!IsOpen || !bytes ||
            m_sync.TakeInLeftVersion(bytes.bytes, Work()) != DocumentSync::Outcome::Merged) {
            left += "\n" + name;
            continue;
        }
        // Moved out of the program folder only once the merge is on disk.
        if (!Save() || !m_sync.ReadsBack() || !m_sync.PutAside(copy)) {
            left += "\n" + name;
            break;
        }
        ++taken;
    }
    if (!left.empty())
        Inform("Diese Konfliktkopien ließen sich nicht übernehmen und bleiben im Programmordner "
               "liegen:" +
               left);
    return taken;
}
