#pragma once

#include "store/DocumentContainer.h"
#include "store/DocumentVersion.h"
#include "store/FieldMerge.h"
#include "store/Versions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

class TQuery;

// The working tables a merge writes into.
struct WorkingSet {
    TableQueries tables;
    const DocumentFiles& files;
    TQuery* stamps = nullptr; // the table of the causal state; none in documents without it
};

// Who made a value, and when.
struct ChangeMark {
    std::string machine;   // the machine's name; "" for a value from before stamps
    std::int64_t time = 0; // seconds since 1970, UTC; 0 when not known
};

// A field two machines changed without seeing each other's change. Both values stay in the
// document (and so on every machine) until one is kept.
struct OpenConflict {
    std::size_t field; // index into DocumentFields()
    std::string ours;  // the value in the working tables
    ChangeMark oursMark;
    std::string theirs; // the other value
    ChangeMark theirsMark;
};

// An earlier value of a field.
struct EarlierValue {
    std::string value;
    ChangeMark mark;
};

// What merges took in since the last report.
struct SyncReport {
    std::size_t taken = 0;     // fields that came from another version
    std::size_t conflicts = 0; // conflicts the merges added
    bool protectionTaken = false;
    explicit operator bool() const { return taken || conflicts || protectionTaken; }
};

// Keeps a document in step with versions written elsewhere (another machine through a sync
// engine, a conflict copy, stranded working files). The document carries its causal state:
// every field's stamp, its version vector, open conflicts with both values and each field's
// last earlier values. Two versions merge exactly, with no base file and no copies kept here.
class DocumentSync {
public:
    DocumentSync() = default;
    DocumentSync(const DocumentSync&) = delete;
    DocumentSync& operator=(const DocumentSync&) = delete;
    ~DocumentSync();
    enum class Outcome { Merged, Cancelled, Unreadable, Failed };

    // --- Open, save, end (the data set manager's side) ---

    // The document was unpacked into work (its tables open): reads its causal state. seen is
    // the document file the working files came from (nullptr for none).
    void Opened(const std::string& document, const WorkingSet& work, const struct stat* seen);
    // Stamps what the working tables changed since the last call and writes the state into the
    // working files; before every pack. False when the state could not be written.
    bool Capture(const WorkingSet& work);
    // Just before the packed file (open as fd) replaces the document: its identity.
    void Packed(int fd);
    // The packed file replaced the document.
    void Committed();
    // Whether the document on disk is another file than the one last read or written. Costs
    // one stat; a missing or empty document is none.
    bool Changed();
    // Merges the document on disk into the working tables; asks for a password when the other
    // version needs one. A file that could not be read is not tried again while it stays.
    Outcome TakeIn(const WorkingSet& work);
    // Merges another version of the document (a conflict copy, stranded work).
    Outcome TakeInVersion(const std::string& theirs, const WorkingSet& work);
    // Whether the document on disk is the version last written and reads back whole.
    bool ReadsBack() const;
    // Keeps the note of this run's stranded work locked until this object goes. A second
    // failure of the same run keeps the first note.
    void HoldStrandedNote(int fd);
    bool HoldsStrandedNote() const { return m_strandedNote >= 0; }
    // Whether the last merge left the working tables with more than the version taken in holds:
    // only then does the merge need writing at once.
    bool NeedsWrite() const { return m_needsWrite; }
    const std::string& Document() const { return m_document; }
    SyncReport TakeReport();

    // --- Conflicts (the desk's note, "Konflikte") ---

    // Every open conflict, by field; a field with three values gives two rows.
    std::vector<OpenConflict> Conflicts() const;
    // How many fields are in conflict, and the categories (forms) they belong to, ascending.
    std::size_t ConflictFieldCount() const;
    std::vector<int> ConflictCategories() const;
    // Keeps one value of Conflicts()[index] as a new change; with keepTheirs the other value
    // goes into the working tables. The caller saves. False when index is out of range or the
    // table could not be written.
    bool Resolve(std::size_t index, bool keepTheirs, const WorkingSet& work);

    // --- Field history ("Verlauf…") ---

    // The field's earlier values, newest first, at most five.
    std::vector<EarlierValue> History(std::size_t field) const;
    // Restores History(field)[entry] as a new change into the working tables. The caller saves.
    bool Restore(std::size_t field, std::size_t entry, const WorkingSet& work);

    // --- Import: many fields as one change ---

    // Writes the values into the working tables as one change (one stamp): its id, 0 when
    // nothing changed or the tables could not be written (then nothing is). The caller saves.
    std::uint64_t ApplyAsOneChange(const std::vector<std::pair<std::size_t, std::string>>& values,
                                   const WorkingSet& work);
    // The same as the document's last import, which UndoImport can take back.
    std::uint64_t ApplyImport(const std::vector<std::pair<std::size_t, std::string>>& values,
                              const WorkingSet& work);
    // What undoing the last import would do now (nothing to put back: it cannot be undone).
    versions::ImportUndo PlanImportUndo() const { return versions::PlanImportUndo(m_state); }
    // Puts back the texts the last import replaced, in the fields that still hold its values,
    // as one new change; what it did, or nothing when the tables could not be read or written
    // (then nothing is). The caller saves.
    std::optional<versions::ImportUndo> UndoImport(const WorkingSet& work);

    // Another installation in the same process (tests): its id and name.
    void SetMachine(versions::MachineId id, std::string name);
    // This installation's id and name, as stamps carry them.
    versions::MachineId Machine() const { return m_clock.machine; }
    const std::string& MachineName() const { return m_machineName; }
    // The causal state as the working tables hold it (tests).
    const versions::State& State() const { return m_state; }

private:
    struct Identity {
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity IdentityOf(const struct stat& st);
    // Stamps what the working tables changed since the state last matched them.
    bool CaptureValues(const WorkingSet& work);
    Outcome Merge(const DocumentVersion& theirs, DocumentVersion::Result read,
                  const WorkingSet& work);
    // Stamps values into the working tables as one change; an import when asImport.
    std::uint64_t Apply(const std::vector<std::pair<std::size_t, std::string>>& values,
                        const WorkingSet& work, bool asImport);
    // Makes next the state, writing the values it shows differently into the working tables.
    bool Show(versions::State next, const WorkingSet& work);
    ChangeMark MarkOf(const versions::Stamp& stamp) const;

    std::string m_document;
    std::string m_machineName;
    versions::Clock m_clock;
    versions::State m_state;
    std::string m_written; // the state's text as the working table holds it
    bool m_machineSet = false;
    Identity m_seen;
    Identity m_packedIdentity;
    Identity m_unread; // the file on disk that could not be read, and why
    Outcome m_unreadOutcome = Outcome::Unreadable;
    SyncReport m_report;
    bool m_needsWrite = false;
    int m_strandedNote = -1;
};
