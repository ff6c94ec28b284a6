#pragma once

#include "store/DocumentContainer.h"
#include "store/DocumentLock.h"
#include "store/DocumentSync.h"
#include "store/TQuery.h"
#include "store/WorkDirectory.h"

#include <array>
#include <memory>
#include <set>
#include <string>

class TDataSet;

// Holds the user's document while it is in use: the table files unpacked into a directory of
// its own in the temporary directory, a query on every table and the lock on the document.
class TDataSetManager {
public:
    TDataSetManager();
    ~TDataSetManager();
    TDataSetManager(const TDataSetManager&) = delete;
    TDataSetManager& operator=(const TDataSetManager&) = delete;

    std::string DocumentPath;
    DocumentFiles WorkFiles;
    // The reserved temporary files the working files are named after, one per table.
    std::array<std::string, kTableCount> ReservedFiles;
    // The queries of the first two tables (Table() gives any).
    TQuery* FirstTable;
    TQuery* SecondTable;
    TQuery& Table(TableIndex table) { return *m_tables[static_cast<std::size_t>(table)]; }
    TableQueries Tables() const;
    bool IsOpen = false;

    void SetDocumentPath(const std::string& path) { DocumentPath = path; }
    // A new user: the tables from the templates in the program directory.
    void Create();
    // Unpacks the document at path and opens its tables; a 0-byte document is a new user.
    void Open(const std::string& path);
    // Closes the tables, packs them into the document and removes the working files. False when
    // an open document could not be written (said; its working files are kept).
    bool Close();
    // Packs the working files into the document as Close does, the tables staying open.
    // False when nothing is open or the document was not written (said; the working files are
    // kept for the user, the previous document stays).
    bool Save();
    // The directory holding the working files; "" while none is made.
    const std::string& WorkDirectoryPath() const { return m_dir.Path(); }
    // Removes the working directories that crashed runs of this user left in the temporary
    // and the current directory.
    static void RemoveLeftovers();
    // Keeps the document in step with versions written on other machines.
    DocumentSync& Sync() { return m_sync; }
    WorkingSet Work() { return {Tables(), WorkFiles}; }
    // Where a save goes: the document, a conflict copy beside it (the document on disk cannot
    // be read here and is never written over), or nowhere now (said).
    enum class Target { Document, ConflictCopy, None };
    // Merges what another program wrote to the document since this run last read or wrote it
    // into the working tables and takes the lock of the file on disk now.
    Target Reconcile();
    // At the login: merges the working files that earlier runs of this user could not save
    // into the document, and the conflict copies sync engines left beside it; both say what
    // happened. Return how many versions were taken in.
    int TakeInStrandedWork();
    int TakeInConflictCopies();
    // The last Open or Create found the document in use by another program, or no regular file.
    bool IsLocked() const { return m_refused; }

    void LoadField(TDataSet& table, std::string& text, const std::string& name);
    // Cuts the text at 255 characters.
    void StoreField(TDataSet& table, const std::string& text, const std::string& name);
    void LoadMemo(TDataSet& table, std::string& text, const std::string& name);
    void StoreMemo(TDataSet& table, std::string text, const std::string& name);

private:
    bool Lock(bool create);
    void Unlock(bool failed = false);
    bool ReserveWorkFiles();
    // The templates of the slots from the first given on.
    bool CopyTemplates(std::size_t fromSlot = 0);
    // Gives tables made from their templates the protection of the first table.
    bool ProtectLikeFirst();
    void CloseTables();
    void OpenTables();
    void RemoveWorkFiles();
    void Begin();
    bool Pack();
    // Packs this run's version as a new conflict copy beside the document, replacing the one
    // this run made before; says so the first time. False (said) when none could be made.
    bool PackConflictCopy();
    void PlaceLegacyVersions();
    // The working files stay for the next login after a failed save.
    void KeepForLater();

    std::array<std::unique_ptr<TQuery>, kTableCount> m_tables;
    std::size_t m_slotsRead = kDocumentSlotCount; // slots the document held; the rest templates
    DocumentLock m_lock;
    DocumentSync m_sync;
    WorkDirectory m_dir;
    bool m_refused = false;
    bool m_prepared = false;             // working files reserved
    std::string m_conflictCopy;          // the copy this run made last; "" for none
    bool m_otherPassword = false;        // why the document on disk could not be read
    std::set<std::string> m_namedCopies; // conflict copies named as left: once per run
    bool m_legacyPlaced = false;
};

// The one data set manager of the program.
TDataSetManager& DataSetManager();
