#include "store/DocumentSync.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"
#include "store/EBdtError.h"
#include "store/EngineCalls.h"
#include "store/StateFolder.h"
#include "store/TQuery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>

namespace {

constexpr std::size_t kHistoryLength = 8;

// The bytes of the open file and its identity, read through one descriptor.
bool ReadFd(int fd, std::string& bytes, struct stat& st) {
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadPath(const std::string& path, std::string& bytes, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool ok = ReadFd(fd, bytes, st);
    ::close(fd);
    return ok;
}

std::string Hex(const engine::Checksum& sum) {
    char hex[33];
    for (std::size_t i = 0; i < 16; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", sum[i]);
    return std::string(hex, 32);
}

// The other version's table files take the working files' place, so its protection goes on;
// a table the other version was written without keeps ours, given that protection.
bool AdoptTables(const DocumentFiles& theirs, int theirTables, const WorkingSet& work) {
    for (TQuery* table : work.tables)
        table->propActive(false);
    bool copied = true;
    const auto slots = static_cast<std::size_t>(theirTables * kSlotsPerTable);
    for (std::size_t i = 0; i < slots && copied; ++i) {
        WholeFile bytes = ReadWholeFile(theirs[i]);
        copied = bytes && AtomicWriteFile(work.files[i], bytes.bytes);
    }
    for (std::size_t i = slots; i < kDocumentSlotCount && copied; i += kSlotsPerTable)
        copied = ProtectTableLike(work.files[i], work.files[0]);
    bool active = true;
    try {
        for (TQuery* table : work.tables) {
            table->propActive(true);
            active = active && table->propActive();
        }
    } catch (const EPasswordCancelled&) {
        return false;
    }
    return copied && active;
}

// Their values of the tables their version lacks are ours: it changed none of them.
FieldValues WithOursWhereMissing(const DocumentVersion& theirs, const FieldValues& ours) {
    FieldValues values = theirs.Values();
    const std::vector<DocumentField>& fields = DocumentFields();
    for (std::size_t i = 0; i < fields.size() && i < ours.size(); ++i) {
        if (static_cast<int>(fields[i].table) >= theirs.TablesHeld())
            values[i] = ours[i];
    }
    return values;
}

} // namespace

DocumentSync::Identity DocumentSync::IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

void DocumentSync::Seen(const std::string& bytes, const Identity& identity) {
    m_digest = engine::ChecksumOf(bytes);
    m_seen = identity;
}

std::string DocumentSync::Opened(const std::string& document) {
    m_document = document;
    m_key = StateFolder::KeyOf(document);
    m_conflicts.clear();
    m_report = {};
    LoadHistory();
    m_historyFromEarlierRun = !m_history.empty();
    m_tip = -1;
    std::string bytes;
    struct stat st {};
    if (!ReadPath(document, bytes, st))
        return document;
    Seen(bytes, IdentityOf(st));
    const std::string file = m_key + ".v-" + Hex(m_digest) + ".qlr";
    if (!m_history.empty() && m_history.back().file == file) {
        m_history.back().inOurs = true;
        m_tip = static_cast<int>(m_history.size()) - 1;
    } else {
        m_tip = Append(bytes, m_history.empty() ? -1 : -2, true);
    }
    const std::string dir = StateFolder::Path();
    WholeFile check = dir.empty() ? WholeFile{} : ReadWholeFile(dir + file);
    return check && check.bytes == bytes ? dir + file : document;
}

int DocumentSync::Append(const std::string& bytes, int parent, bool inOurs) {
    const std::string file = m_key + ".v-" + Hex(engine::ChecksumOf(bytes)) + ".qlr";
    StateFolder::Write(file, bytes);
    m_history.push_back({file, parent, inOurs, std::nullopt, {}});
    if (m_history.size() > kHistoryLength) {
        const int dropped = static_cast<int>(m_history.size() - kHistoryLength);
        m_history.erase(m_history.begin(), m_history.begin() + dropped);
        for (Entry& e : m_history) {
            if (e.parent >= 0)
                e.parent = std::max(-1, e.parent - dropped);
        }
        m_tip = std::max(-1, m_tip - dropped);
    }
    StoreHistory();
    return static_cast<int>(m_history.size()) - 1;
}

// One line per version, oldest first: its file and its parent's index.
void DocumentSync::StoreHistory() const {
    std::string text;
    std::set<std::string> used;
    for (const Entry& e : m_history) {
        text += e.file + " " + std::to_string(e.parent) + "\n";
        used.insert(e.file);
    }
    StateFolder::Write(m_key + ".history", text);
    const std::string dir = StateFolder::Path();
    for (const std::string& name : StateFolder::List(m_key + ".v-")) {
        if (!used.count(name) && !dir.empty())
            ::unlink((dir + name).c_str());
    }
}

void DocumentSync::LoadHistory() {
    m_history.clear();
    const std::string dir = StateFolder::Path();
    WholeFile index = dir.empty() ? WholeFile{} : ReadWholeFile(dir + m_key + ".history");
    std::istringstream lines(index ? index.bytes : std::string());
    std::string file;
    int parent = -1;
    while (lines >> file >> parent) {
        const bool ours = file.compare(0, m_key.size() + 3, m_key + ".v-") == 0;
        if (!ours || file.find('/') != std::string::npos)
            continue;
        if (parent >= static_cast<int>(m_history.size()) || parent < -2)
            parent = -1;
        m_history.push_back({file, parent, false, std::nullopt, {}});
    }
}

const FieldValues& DocumentSync::ValuesOf(std::size_t k) {
    Entry& e = m_history[k];
    if (!e.values) {
        e.values = FieldValues();
        const std::string dir = StateFolder::Path();
        WholeFile bytes = dir.empty() ? WholeFile{} : ReadWholeFile(dir + e.file);
        DocumentVersion version;
        if (bytes && version.Read(bytes.bytes, false) == DocumentVersion::Result::Read) {
            e.values = version.Values();
            e.protection = version.Protection();
        }
    }
    return *e.values;
}

std::vector<KnownVersion> DocumentSync::Known() {
    std::vector<KnownVersion> known;
    for (std::size_t k = 0; k < m_history.size(); ++k) {
        const FieldValues& values = ValuesOf(k);
        if (m_history[k].parent == -2) // read at the login: made from the newest it has seen
            m_history[k].parent = CommonBase(known, values, values, true);
        known.push_back({values, m_history[k].parent, m_history[k].inOurs});
    }
    return known;
}

void DocumentSync::Packed(int fd) {
    struct stat st {};
    m_packed.clear();
    // The packed file is open for writing only: read through a second, read-only opening.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (!ReadPath(self, m_packed, st)) {
        m_packed.clear();
        m_packedIdentity = {};
        return;
    }
    m_packedIdentity = IdentityOf(st);
}

void DocumentSync::Committed() {
    if (m_packedIdentity == Identity{})
        return; // not read: the next check compares the bytes on disk
    Seen(m_packed, m_packedIdentity);
    m_tip = Append(m_packed, m_tip, true);
    m_packed.clear();
}

bool DocumentSync::Changed() {
    struct stat st {};
    if (m_document.empty() || ::stat(m_document.c_str(), &st) != 0 || st.st_size == 0)
        return false;
    const Identity now = IdentityOf(st);
    if (now == m_seen)
        return false;
    std::string bytes;
    if (!ReadPath(m_document, bytes, st) || bytes.empty())
        return false;
    if (engine::ChecksumOf(bytes) == m_digest) {
        m_seen = now; // touched or copied, the same bytes
        return false;
    }
    return true;
}

DocumentSync::Outcome DocumentSync::TakeIn(const WorkingSet& work) {
    std::string bytes;
    struct stat st {};
    if (!ReadPath(m_document, bytes, st))
        return Outcome::Unreadable;
    const Outcome outcome = TakeInVersion(bytes, work, true);
    if (outcome == Outcome::Merged || outcome == Outcome::Unreadable)
        Seen(bytes, IdentityOf(st));
    if (outcome == Outcome::Unreadable) // written over by the next save, so kept here first
        StateFolder::Write(m_key + ".unreadable-" + Hex(engine::ChecksumOf(bytes)) + ".qlr", bytes);
    return outcome;
}

DocumentSync::Outcome DocumentSync::TakeInVersion(const std::string& theirsBytes,
                                                  const WorkingSet& work, bool rootsShared) {
    DocumentVersion theirs;
    switch (theirs.Read(theirsBytes, true)) {
    case DocumentVersion::Result::Read:
        break;
    case DocumentVersion::Result::Cancelled:
        return Outcome::Cancelled;
    case DocumentVersion::Result::Unreadable:
        return Outcome::Unreadable;
    }
    FieldValues ours;
    if (!ReadWorkingValues(work.tables, ours))
        return Outcome::Failed;
    const FieldValues theirValues = WithOursWhereMissing(theirs, ours);
    const std::vector<KnownVersion> known = Known();
    const int base = CommonBase(known, ours, theirValues, rootsShared);
    const auto b = static_cast<std::size_t>(base);
    const MergeOutcome merge =
        MergeFields(base < 0 ? nullptr : &known[b].values, ours, theirValues);
    // The newer protection wins: the other version's when only it changed since the base.
    const ProtectionMark mine = ProtectionOf(work.files[0]);
    const ProtectionMark before = base < 0 ? mine : m_history[b].protection;
    const bool adopt = theirs.Protection() != before && mine == before;
    std::vector<std::size_t> write = merge.fromTheirs;
    if (adopt) {
        if (!AdoptTables(theirs.Files(), theirs.TablesHeld(), work))
            return Outcome::Failed;
        write.clear();
        for (std::size_t i = 0; i < merge.merged.size(); ++i) {
            if (merge.merged[i] != theirValues[i])
                write.push_back(i);
        }
    }
    if (!WriteWorkingValues(work.tables, merge.merged, write))
        return Outcome::Failed;
    Keep(theirValues, merge.conflicts, theirsBytes);
    m_needsWrite = adopt || theirs.TablesHeld() < kTableCount;
    for (std::size_t i = 0, c = 0; i < merge.merged.size(); ++i) {
        const bool listed = c < merge.conflicts.size() && merge.conflicts[c].field == i;
        c += listed;
        m_needsWrite = m_needsWrite || (!listed && merge.merged[i] != theirValues[i]);
    }
    Append(theirsBytes, base, true);
    m_history.back().values = theirs.Values();
    m_history.back().protection = theirs.Protection();
    m_report.taken += merge.fromTheirs.size();
    m_report.conflicts += merge.conflicts.size();
    m_report.protectionTaken = m_report.protectionTaken || adopt;
    return Outcome::Merged;
}

void DocumentSync::Keep(const FieldValues& theirs, const std::vector<FieldConflict>& conflicts,
                        const std::string& theirsBytes) {
    if (conflicts.empty())
        return;
    const std::string copy = m_key + ".other-" + Hex(engine::ChecksumOf(theirsBytes)) + ".qlr";
    StateFolder::Write(copy, theirsBytes);
    for (const FieldConflict& c : conflicts) {
        auto same = [&](const KeptConflict& k) { return k.field == c.field; };
        m_conflicts.erase(std::remove_if(m_conflicts.begin(), m_conflicts.end(), same),
                          m_conflicts.end());
        m_conflicts.push_back({c.field, theirs[c.field], copy});
    }
    StoreConflicts();
}

// One line per conflict: the field's name and the file holding the other version.
void DocumentSync::StoreConflicts() const {
    std::string text;
    std::set<std::string> used;
    for (const std::string& line : m_unread) {
        text += line + "\n";
        used.insert(line.substr(line.find('\t') + 1));
    }
    for (const KeptConflict& c : m_conflicts) {
        text += DocumentFields()[c.field].name + "\t" + c.copy + "\n";
        used.insert(c.copy);
    }
    StateFolder::Write(m_key + ".conflicts", text);
    const std::string dir = StateFolder::Path();
    // Versions no conflict refers to any more go.
    for (const std::string& name : StateFolder::List(m_key + ".other-")) {
        if (!used.count(name) && !dir.empty())
            ::unlink((dir + name).c_str());
    }
}

void DocumentSync::LoadConflicts() {
    m_conflicts.clear();
    m_unread.clear();
    const std::string dir = StateFolder::Path();
    WholeFile list = dir.empty() ? WholeFile{} : ReadWholeFile(dir + m_key + ".conflicts");
    std::istringstream lines(list ? list.bytes : std::string());
    std::string line;
    std::string openCopy;
    auto version = std::make_unique<DocumentVersion>();
    bool readable = false;
    while (std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const int field = DocumentFieldIndex(line.substr(0, tab));
        const std::string copy = line.substr(tab + 1);
        if (field < 0 || copy.find('/') != std::string::npos)
            continue;
        if (copy != openCopy) {
            openCopy = copy;
            version = std::make_unique<DocumentVersion>();
            WholeFile bytes = ReadWholeFile(dir + copy);
            readable = bytes && version->Read(bytes.bytes, false) == DocumentVersion::Result::Read;
        }
        if (readable)
            m_conflicts.push_back({static_cast<std::size_t>(field),
                                   version->Values()[static_cast<std::size_t>(field)], copy});
        else
            m_unread.push_back(line); // another password: kept for a later run
    }
}

bool DocumentSync::Resolve(std::size_t index, bool keepTheirs, const WorkingSet& work) {
    if (index >= m_conflicts.size())
        return false;
    const KeptConflict conflict = m_conflicts[index];
    if (keepTheirs) {
        FieldValues values(DocumentFields().size());
        values[conflict.field] = conflict.theirs;
        if (!WriteWorkingValues(work.tables, values, {conflict.field}))
            return false;
    }
    m_conflicts.erase(m_conflicts.begin() + static_cast<std::ptrdiff_t>(index));
    StoreConflicts();
    return true;
}

SyncReport DocumentSync::TakeReport() {
    SyncReport report = m_report;
    m_report = {};
    return report;
}

bool DocumentSync::ReadsBack() const {
    std::string bytes;
    struct stat st {};
    DocumentVersion version;
    return ReadPath(m_document, bytes, st) && engine::ChecksumOf(bytes) == m_digest &&
           version.Read(bytes, false) == DocumentVersion::Result::Read;
}

bool DocumentSync::PutAside(const std::string& copy) const {
    const std::string dir = StateFolder::Path();
    std::string name;
    if (dir.empty() || !FileNameOf(copy, name))
        return false;
    const std::string target = dir + m_key + ".copy-" + name;
    if (RenameFile(copy, target))
        return SyncDirectoryOf(copy);
    // Another file system: copied whole first, then removed from the program folder.
    WholeFile bytes = ReadWholeFile(copy);
    return bytes && StateFolder::Write(m_key + ".copy-" + name, bytes.bytes) &&
           ::unlink(copy.c_str()) == 0;
}

void DocumentSync::HoldStrandedNote(int fd) {
    if (m_strandedNote >= 0)
        ::close(m_strandedNote);
    m_strandedNote = fd;
}

DocumentSync::~DocumentSync() {
    HoldStrandedNote(-1);
}
