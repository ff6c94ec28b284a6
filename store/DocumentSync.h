#pragma once

#include "engine/Checksum.h"
#include "store/DocumentContainer.h"
#include "store/DocumentVersion.h"
#include "store/FieldMerge.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

class TQuery;

// The working tables a merge writes into.
struct WorkingSet {
    TableQueries tables;
    const DocumentFiles& files;
};

// A field where the other version's value was not taken: it stays recoverable until the user
// picks one of the two.
struct KeptConflict {
    std::size_t field; // index into DocumentFields()
    std::string theirs;
    std::string copy; // the state folder's file holding that version
};

// What merges took in since the last report.
struct SyncReport {
    std::size_t taken = 0;     // fields that came from another version
    std::size_t conflicts = 0; // fields listed as conflicts
    bool protectionTaken = false;
    explicit operator bool() const { return taken || conflicts || protectionTaken; }
};

// Keeps a document in step with versions written elsewhere (another machine through a sync
// engine, a conflict copy, stranded working files). This machine's history of the document,
// the exact bytes of the versions it read or wrote, newest last, lives in the state folder;
// the newest is the base a change on disk is noticed against. A version from elsewhere is
// merged field by field into the working tables against the newest version both were made from.
class DocumentSync {
public:
    DocumentSync() = default;
    DocumentSync(const DocumentSync&) = delete;
    DocumentSync& operator=(const DocumentSync&) = delete;
    enum class Outcome { Merged, Cancelled, Unreadable, Failed };

    // Reads the document as it is now and records it; returns the path of the exact bytes read
    // (their copy in the state folder, or the document when that cannot be stored).
    std::string Opened(const std::string& document);
    // A new user's empty document.
    void Created(const std::string& document) { Opened(document); }
    // Just before the packed file (open as fd) replaces the document: its bytes and identity.
    void Packed(int fd);
    // The packed file replaced the document: it becomes the base.
    void Committed();
    // Whether the document on disk holds another version than the base. Costs one stat when
    // nothing changed; a missing or empty document is no other version.
    bool Changed();
    // Merges the document on disk into the working tables; asks for a password when the other
    // version needs one.
    Outcome TakeIn(const WorkingSet& work);
    // Merges another version of the document. Without rootsShared, the first version this
    // machine read is not assumed to be the other version's origin (a version found at login).
    Outcome TakeInVersion(const std::string& theirs, const WorkingSet& work, bool rootsShared);
    // A version found at the login (a conflict copy, stranded work): without a history from an
    // earlier run, every difference is a conflict.
    Outcome TakeInLeftVersion(const std::string& theirs, const WorkingSet& work) {
        return TakeInVersion(theirs, work, m_historyFromEarlierRun);
    }
    // Whether the document on disk is the version last written and reads back whole.
    bool ReadsBack() const;
    // Moves a conflict copy that is merged into the state folder; false when it stays.
    bool PutAside(const std::string& copy) const;
    // Keeps the note of this run's stranded work locked until this object goes.
    void HoldStrandedNote(int fd);
    ~DocumentSync();

    // Whether the last merge left the working tables with more than the version taken in holds
    // (besides the conflicts listed): only then does the merge need writing at once. Two machines
    // that each keep their own value of a conflict so do not write the document back and forth.
    bool NeedsWrite() const { return m_needsWrite; }
    const std::string& Document() const { return m_document; }
    const std::vector<KeptConflict>& Conflicts() const { return m_conflicts; }
    // Reads the conflicts kept for this document by earlier runs.
    void LoadConflicts();
    // Ends conflict index: with keepTheirs the other value goes into the working tables.
    bool Resolve(std::size_t index, bool keepTheirs, const WorkingSet& work);
    SyncReport TakeReport();

private:
    struct Identity {
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const Identity&) const = default;
    };
    struct Entry {
        std::string file; // in the state folder
        int parent = -1;  // -2: not yet estimated
        bool inOurs = false;
        std::optional<FieldValues> values; // read when first needed
        ProtectionMark protection;
    };
    static Identity IdentityOf(const struct stat& st);
    void Seen(const std::string& bytes, const Identity& identity);
    int Append(const std::string& bytes, int parent, bool inOurs);
    void LoadHistory();
    void StoreHistory() const;
    const FieldValues& ValuesOf(std::size_t k);
    std::vector<KnownVersion> Known();
    void Keep(const FieldValues& theirs, const std::vector<FieldConflict>& conflicts,
              const std::string& theirsBytes);
    void StoreConflicts() const;

    std::string m_document;
    std::string m_key;
    engine::Checksum m_digest{};
    Identity m_seen;
    std::vector<Entry> m_history;
    int m_tip = -1; // the version the working tables were last read from or written as
    std::string m_packed;
    Identity m_packedIdentity;
    std::vector<KeptConflict> m_conflicts;
    std::vector<std::string> m_unread; // kept lines whose version cannot be read now
    SyncReport m_report;
    bool m_needsWrite = false;
    bool m_historyFromEarlierRun = false;
    int m_strandedNote = -1;
};
