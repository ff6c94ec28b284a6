#include "store/TDataSetManager.h"

#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/EBdtError.h"
#include "store/EngineCalls.h"
#include "store/TField.h"
#include "store/TStrings.h"
#include "store/TSysInfo.h"
#include "util/FileUtil.h"
#include "util/LineBreaks.h"
#include "util/VersionTitle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr const char* kOpenFailed = "Fehler beim Öffnen der Datenbank!";
constexpr const char* kTemplateFailed = "Fehler 04 beim Öffnen!";
constexpr const char* kWorkFileFailed = "Fehler 01 beim Öffnen!";
constexpr const char* kNotADocument = "Fehler 02 beim Öffnen!";
constexpr const char* kComesBack =
    " Die Eingaben dieser Sitzung bleiben erhalten und werden bei der nächsten Anmeldung in "
    "das Dokument übernommen.";
constexpr const char* kInUse =
    "Das Dokument wird bereits von einem anderen Quillory-Programm benutzt.";

void Inform(const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION);
}

// The byte length of the first max UTF-8 characters of text.
size_t Utf8Prefix(const std::string& text, size_t max) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == max)
                return i;
            ++chars;
        }
    }
    return text.size();
}

// A memo's bytes read as the lines of a string list: every line ends in CR LF (a lone LF or
// CR becomes CR LF); the last line break is dropped. No copy when nothing changes.
std::string MemoLines(std::string bytes) {
    MakeCrLfLineBreaks(bytes);
    if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
        bytes.resize(bytes.size() - 2);
    return bytes;
}

bool OpenQuery(TQuery& query, const std::string& path) {
    query.propActive(false);
    query.propRequestLive(true);
    query.propSQL().Clear();
    query.propSQL().Add("SELECT * FROM \"" + path + "\" ");
    query.propSQL().Add(";");
    query.Open();
    return query.propActive();
}

} // namespace

TDataSetManager::TDataSetManager() {
    for (std::unique_ptr<TQuery>& table : m_tables)
        table = std::make_unique<TQuery>();
    FirstTable = m_tables[0].get();
    SecondTable = m_tables[1].get();
}

TableQueries TDataSetManager::Tables() const {
    TableQueries queries{};
    for (std::size_t t = 0; t < m_tables.size(); ++t)
        queries[t] = m_tables[t].get();
    return queries;
}

TDataSetManager::~TDataSetManager() {
    if (IsOpen || m_prepared || m_lock.Held())
        Close();
}

bool TDataSetManager::Lock(bool create) {
    m_refused = false;
    switch (m_lock.Acquire(DocumentPath, create)) {
    case DocumentLock::Result::Held:
    case DocumentLock::Result::Missing: // nothing to lock; unpacking reports the missing document
        return true;
    case DocumentLock::Result::InUse:
        break;
    case DocumentLock::Result::NotRegular: // a FIFO, device or folder: never a new user
        m_refused = true;
        Inform(kNotADocument);
        return false;
    case DocumentLock::Result::Failed:
        m_refused = true;
        Inform(kOpenFailed);
        return false;
    }
    m_refused = true;
    Inform(kInUse);
    return false;
}

void TDataSetManager::Unlock(bool failed) {
    // After a failed start, a document this run made goes again while it is still the one.
    if (failed && m_lock.Created() && m_lock.NamesLockedFile())
        ::unlink(DocumentPath.c_str());
    m_lock.Release();
}

bool TDataSetManager::ReserveWorkFiles() {
    m_prepared = true;
    m_slotsRead = kDocumentSlotCount;
    if (!m_dir.Make())
        return false;
    for (std::string& reserved : ReservedFiles) {
        reserved = CreateUniqueTempFile(m_dir.Path(), "tmp", ".tmp");
        if (reserved.empty())
            return false;
    }
    // Every working file exists, private and empty, before a byte goes into it.
    for (int i = 0; i < kSlotCount; ++i) {
        ChangeExtension(ReservedFiles[static_cast<std::size_t>(i / kSlotsPerTable)], WorkFiles[i],
                        SlotExtension(i));
        if (!m_dir.CreateFile(WorkFiles[i]))
            return false;
    }
    return true;
}

bool TDataSetManager::CopyTemplates(std::size_t fromSlot) {
    const std::string dir = TSysInfo().ProgramDirectory();
    m_slotsRead = fromSlot;
    for (int i = static_cast<int>(fromSlot); i < kSlotCount; ++i) {
        if (!CopyFileTo(dir + SlotTemplateName(i), WorkFiles[i], true)) {
            Inform(kTemplateFailed);
            return false;
        }
    }
    return true;
}

void TDataSetManager::CloseTables() {
    for (std::unique_ptr<TQuery>& table : m_tables)
        table->propActive(false);
}

// A table an earlier document lacked is made from its template, unprotected: it is sealed like
// the first table before anything is written to it.
bool TDataSetManager::ProtectLikeFirst() {
    for (const TableInfo& t : kTables) {
        if (t.index == TableIndex::First || static_cast<std::size_t>(t.FirstSlot()) < m_slotsRead)
            continue;
        const std::size_t db = static_cast<std::size_t>(t.FirstSlot());
        if (!ProtectTableLike(WorkFiles[db], FirstTable->CursorHandle()))
            return false;
    }
    return true;
}

void TDataSetManager::OpenTables() {
    IsOpen = false;
    bool opened = true;
    try {
        for (const TableInfo& t : kTables) {
            opened = opened && OpenQuery(*m_tables[static_cast<std::size_t>(t.index)],
                                         WorkFiles[static_cast<std::size_t>(t.FirstSlot())]);
            if (opened && t.index == TableIndex::First)
                opened = ProtectLikeFirst();
        }
    } catch (const EPasswordCancelled&) {
        CloseTables();
        RemoveWorkFiles();
        Unlock(true);
        throw;
    }
    if (!opened) {
        CloseTables();
        Inform(kOpenFailed);
        return;
    }
    IsOpen = true;
}

void TDataSetManager::RemoveWorkFiles() {
    m_dir.Remove(); // with the engine's own files beside the tables
    for (std::string& file : WorkFiles)
        file.clear();
    for (std::string& file : ReservedFiles)
        file.clear();
    m_prepared = false;
}

// Ends whatever is in use before a new document is taken up.
void TDataSetManager::Begin() {
    if (IsOpen || m_prepared || m_lock.Held())
        Close();
    m_refused = false;
}

void TDataSetManager::Create() {
    Begin();
    if (!Lock(true))
        return;
    RemoveInterruptedPacks(DocumentPath);
    const bool reserved = ReserveWorkFiles();
    if (!reserved)
        Inform(kTemplateFailed);
    if (!reserved || !CopyTemplates()) {
        RemoveWorkFiles();
        Unlock(true);
        return;
    }
    OpenTables();
    if (!IsOpen) {
        RemoveWorkFiles();
        Unlock(true);
    } else {
        m_sync.Opened(DocumentPath, Work(), nullptr);
    }
}

void TDataSetManager::Open(const std::string& path) {
    Begin();
    DocumentPath = path;
    if (!Lock(false))
        return;
    RemoveInterruptedPacks(DocumentPath);
    struct stat st {};
    const bool empty = ::stat(DocumentPath.c_str(), &st) == 0 && st.st_size == 0;
    bool ready = ReserveWorkFiles();
    if (!ready)
        Inform(empty ? kTemplateFailed : kWorkFileFailed);
    struct stat seen {};
    bool unpacked = false;
    std::size_t entries = 0;
    if (ready && !empty) {
        // Read once, through one descriptor: the working files and the identity of one file.
        const int fd = ::open(DocumentPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        unpacked = fd >= 0 && ::fstat(fd, &seen) == 0;
        ready = UnpackDocument(unpacked ? "/proc/self/fd/" + std::to_string(fd) : DocumentPath,
                               WorkFiles, &entries);
        if (fd >= 0)
            ::close(fd);
    }
    // An earlier document: its later tables come from their templates.
    if (ready && (empty || (entries >= kEarliestSlotCount && entries < kDocumentSlotCount &&
                            entries % kSlotsPerTable == 0)))
        ready = CopyTemplates(entries);
    if (ready)
        OpenTables();
    if (!IsOpen) {
        RemoveWorkFiles();
        Unlock();
    } else {
        m_sync.Opened(DocumentPath, Work(), unpacked ? &seen : nullptr);
    }
}

// Writes the document, but only over the file this run locked; when that is gone or replaced
// (another program may have made a new one), the working files are kept and the user told.
bool TDataSetManager::Pack() {
    bool replaced = false;
    const bool written = PackDocument(DocumentPath, WorkFiles, [this, &replaced](int newFile) {
        if (m_lock.Held() && m_lock.Prepare(newFile)) {
            m_sync.Packed(newFile);
            return true;
        }
        replaced = !m_lock.NamesLockedFile(); // else a lock could not be taken
        return false;
    });
    if (written) {
        m_lock.Commit();
        m_sync.Committed();
        return true;
    }
    m_lock.Abandon();
    if (replaced)
        Inform("Das Dokument " + DocumentPath +
               " wurde während der Sitzung gelöscht oder durch eine andere Datei ersetzt und wird "
               "nicht überschrieben." +
               kComesBack);
    else
        Inform(std::string("Das Dokument konnte nicht gespeichert werden.") + kComesBack);
    KeepForLater();
    return false;
}

bool TDataSetManager::Save() {
    if (!IsOpen)
        return false;
    const Target target = Reconcile();
    if (target != Target::None && !m_sync.Capture(Work())) {
        Inform(std::string("Das Dokument konnte nicht gespeichert werden.") + kComesBack);
        KeepForLater();
        return false;
    }
    if (target == Target::Document)
        return Pack();
    if (target == Target::ConflictCopy && PackConflictCopy())
        return true;
    KeepForLater();
    return false;
}

bool TDataSetManager::Close() {
    const Target target = IsOpen ? Reconcile() : Target::Document;
    // The state goes into its table while the tables are open; the pack then finds it there.
    const bool captured = !IsOpen || target == Target::None || m_sync.Capture(Work());
    if (!captured)
        Inform(std::string("Das Dokument konnte nicht gespeichert werden.") + kComesBack);
    const bool copied = IsOpen && target == Target::ConflictCopy && captured && PackConflictCopy();
    CloseTables();
    bool written = true;
    if (IsOpen && (target != Target::Document || !captured)) {
        IsOpen = false;
        written = copied;
        if (copied) {
            RemoveWorkFiles();
        } else {
            m_prepared = false; // kept on purpose
            KeepForLater();
        }
    } else if (IsOpen) {
        IsOpen = false;
        written = Pack();
        if (written)
            RemoveWorkFiles();
        else
            m_prepared = false; // kept on purpose
    } else if (m_prepared) {
        RemoveWorkFiles();
    }
    Unlock();
    m_sync.HoldStrandedNote(-1); // the session is over: work kept now waits for the next login
    return written;
}

void TDataSetManager::RemoveLeftovers() {
    WorkDirectory::RemoveStale(SystemDirs::TempDirectory());
    WorkDirectory::RemoveStale(".");
}

void TDataSetManager::LoadField(TDataSet& table, std::string& text, const std::string& name) {
    text = table.objFieldByName(name)->propAsString();
}

void TDataSetManager::StoreField(TDataSet& table, const std::string& text,
                                 const std::string& name) {
    table.objFieldByName(name)->propAsString(
        text.substr(0, Utf8Prefix(text, static_cast<size_t>(kTextFieldSize))));
}

void TDataSetManager::LoadMemo(TDataSet& table, std::string& text, const std::string& name) {
    TField* field = table.objFieldByName(name);
    text = field->propAsString();
    if (AsBlob(field))
        text = MemoLines(std::move(text));
}

void TDataSetManager::StoreMemo(TDataSet& table, std::string text, const std::string& name) {
    TField* field = table.objFieldByName(name);
    // As a blob: the memo as one line of a string list written to a stream, the text and CR LF.
    if (AsBlob(field))
        text.append("\r\n", 2);
    field->propAsString(std::move(text));
}

TDataSetManager& DataSetManager() {
    // The global outlives the window system: by its destruction, messages go to the console.
    static struct Global {
        ~Global() { SetMessageHandler({}); }
        TDataSetManager manager;
    } global;
    return global.manager;
}
