// The data set manager's side of keeping a document in step with other machines.
#include "store/TDataSetManager.h"

#include "platform/Messages.h"
#include "store/StateFolder.h"
#include "util/VersionTitle.h"

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
