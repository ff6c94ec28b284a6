#include "store/DocumentSync.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "store/DocumentVersion.h"
#include "store/EBdtError.h"
#include "store/EngineCalls.h"
#include "store/StateFolder.h"
#include "store/TQuery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <set>

namespace {

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "Rechner";
    return name;
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

TQuery& StateTable(const WorkingSet& work) {
    return *work.tables[static_cast<std::size_t>(kStateTable)];
}

// Which fields differ between two lists of texts.
std::vector<std::size_t> Differences(const FieldValues& a, const FieldValues& b) {
    std::vector<std::size_t> fields;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i])
            fields.push_back(i);
    }
    return fields;
}

std::size_t ConflictCount(const versions::State& state) {
    std::size_t n = 0;
    for (const versions::Register& r : state.fields)
        n += r.Texts() > 1;
    return n;
}

} // namespace

DocumentSync::~DocumentSync() {
    HoldStrandedNote(-1);
}

DocumentSync::Identity DocumentSync::IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

void DocumentSync::SetMachine(versions::MachineId id, std::string name) {
    m_clock = {id, 0};
    m_machineName = std::move(name);
    m_machineSet = true;
}

void DocumentSync::Opened(const std::string& document, const WorkingSet& work,
                          const struct stat* seen) {
    m_document = document;
    m_report = {};
    m_needsWrite = false;
    m_seen = seen ? IdentityOf(*seen) : Identity{};
    if (!m_machineSet) {
        const StateFolder::Machine machine = StateFolder::NextRun(document);
        m_clock = {machine.id, machine.run << 32};
        m_machineName = HostName();
        m_machineSet = true;
    }
    FieldValues values;
    if (!ReadWorkingValues(work.tables, values))
        values.assign(DocumentFields().size(), std::string());
    std::string text;
    ReadStampText(StateTable(work), text);
    versions::Decode(text, DocumentFieldNames(), std::move(values),
                     MarkText(ProtectionOf(*work.tables[0])), m_state);
    m_clock.Catch(m_state.vector);
    m_written = text;
}

bool DocumentSync::CaptureValues(const WorkingSet& work) {
    std::vector<const std::string*> known;
    known.reserve(m_state.fields.size());
    for (const versions::Register& r : m_state.fields)
        known.push_back(&r.values[0].text);
    std::vector<std::pair<std::size_t, std::string>> changed;
    if (!ReadChangedValues(work.tables, known, changed))
        return false;
    const std::string mark = MarkText(ProtectionOf(*work.tables[0]));
    const bool newMark = mark != versions::Newest(m_state.protection).text;
    if (changed.empty() && !newMark)
        return true;
    const versions::Stamp stamp = m_clock.Next(Now());
    for (auto& [i, text] : changed)
        versions::Change(m_state, i, text, stamp);
    if (newMark)
        versions::ChangeProtection(m_state, mark, stamp);
    m_state.machines[m_clock.machine] = m_machineName;
    return true;
}

bool DocumentSync::Capture(const WorkingSet& work) {
    if (!CaptureValues(work))
        return false;
    std::string text = versions::Encode(m_state, DocumentFieldNames());
    if (text == m_written)
        return true;
    if (!WriteStampText(StateTable(work), text))
        return false;
    m_written = std::move(text);
    return true;
}

void DocumentSync::Packed(int fd) {
    struct stat st {};
    m_packedIdentity = ::fstat(fd, &st) == 0 ? IdentityOf(st) : Identity{};
}

void DocumentSync::Committed() {
    m_seen = m_packedIdentity;
}

bool DocumentSync::Changed() {
    struct stat st {};
    if (m_document.empty() || ::stat(m_document.c_str(), &st) != 0 || st.st_size == 0)
        return false;
    return IdentityOf(st) != m_seen;
}

DocumentSync::Outcome DocumentSync::TakeIn(const WorkingSet& work) {
    const int fd = ::open(m_document.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return Outcome::Unreadable;
    }
    if (IdentityOf(st) == m_unread) { // tried already: asked once, named once
        ::close(fd);
        return m_unreadOutcome;
    }
    DocumentVersion theirs;
    const DocumentVersion::Result read =
        theirs.ReadFile("/proc/self/fd/" + std::to_string(fd), true);
    ::close(fd);
    const Outcome outcome = Merge(theirs, read, work);
    if (outcome == Outcome::Merged)
        m_seen = IdentityOf(st);
    if (outcome == Outcome::Unreadable || outcome == Outcome::Cancelled) {
        m_unread = IdentityOf(st);
        m_unreadOutcome = outcome;
    }
    return outcome;
}

DocumentSync::Outcome DocumentSync::TakeInVersion(const std::string& bytes,
                                                  const WorkingSet& work) {
    DocumentVersion theirs;
    const DocumentVersion::Result read = theirs.Read(bytes, true);
    return Merge(theirs, read, work);
}

DocumentSync::Outcome DocumentSync::Merge(const DocumentVersion& theirs,
                                          DocumentVersion::Result read, const WorkingSet& work) {
    if (read == DocumentVersion::Result::Cancelled)
        return Outcome::Cancelled;
    if (read == DocumentVersion::Result::Unreadable)
        return Outcome::Unreadable;
    if (!CaptureValues(work))
        return Outcome::Failed;
    versions::State other = theirs.State();
    // The tables their version was written without: none of their fields changed there.
    const std::vector<DocumentField>& fields = DocumentFields();
    for (std::size_t i = 0; i < fields.size() && i < other.fields.size(); ++i) {
        if (static_cast<int>(fields[i].table) >= theirs.TablesHeld()) {
            other.fields[i] = m_state.fields[i];
            other.history[i] = m_state.history[i];
        }
    }
    const versions::State merged = versions::Merge(m_state, other);
    const std::size_t conflicts = ConflictCount(m_state);
    const std::string theirMark = MarkText(theirs.Protection());
    const bool adopt =
        versions::Newest(merged.protection).text != MarkText(ProtectionOf(*work.tables[0])) &&
        versions::Newest(merged.protection).text == theirMark;
    if (adopt && !AdoptTables(theirs.Files(), theirs.TablesHeld(), work))
        return Outcome::Failed;
    if (adopt)
        m_written.clear(); // the state table is theirs now
    const FieldValues before = adopt ? versions::Shown(other) : versions::Shown(m_state);
    const FieldValues after = versions::Shown(merged);
    const std::vector<std::size_t> write = Differences(before, after);
    if (!WriteWorkingValues(work.tables, after, write))
        return Outcome::Failed;
    // Written back at once only when ours holds more than theirs: two machines that each show
    // their own value of a conflict do not write the document back and forth.
    m_needsWrite = adopt || !versions::SameFacts(versions::Merge(other, merged), other);
    m_report.taken += Differences(versions::Shown(m_state), after).size();
    m_report.conflicts += ConflictCount(merged) > conflicts ? ConflictCount(merged) - conflicts : 0;
    m_report.protectionTaken = m_report.protectionTaken || adopt;
    m_state = merged;
    return Outcome::Merged;
}

bool DocumentSync::ReadsBack() const {
    struct stat st {};
    DocumentVersion version;
    return ::stat(m_document.c_str(), &st) == 0 && IdentityOf(st) == m_seen &&
           version.ReadFile(m_document, false) == DocumentVersion::Result::Read;
}

void DocumentSync::HoldStrandedNote(int fd) {
    if (m_strandedNote >= 0)
        ::close(m_strandedNote);
    m_strandedNote = fd;
}

SyncReport DocumentSync::TakeReport() {
    SyncReport report = m_report;
    m_report = {};
    return report;
}

ChangeMark DocumentSync::MarkOf(const versions::Stamp& stamp) const {
    const auto it = m_state.machines.find(stamp.machine);
    return {stamp.Stamped() && it != m_state.machines.end() ? it->second : std::string(),
            stamp.time};
}

std::vector<OpenConflict> DocumentSync::Conflicts() const {
    std::vector<OpenConflict> rows;
    for (std::size_t f = 0; f < m_state.fields.size(); ++f) {
        const std::vector<versions::Value>& values = m_state.fields[f].values;
        std::set<std::string> listed{values[0].text};
        for (std::size_t k = 1; k < values.size(); ++k) {
            if (listed.insert(values[k].text).second)
                rows.push_back({f, values[0].text, MarkOf(values[0].stamp), values[k].text,
                                MarkOf(values[k].stamp)});
        }
    }
    return rows;
}

std::size_t DocumentSync::ConflictFieldCount() const {
    return ConflictCount(m_state);
}

std::vector<int> DocumentSync::ConflictCategories() const {
    std::set<int> categories;
    for (std::size_t f = 0; f < m_state.fields.size(); ++f) {
        if (m_state.fields[f].Texts() > 1)
            categories.insert(DocumentFields()[f].category);
    }
    return {categories.begin(), categories.end()};
}

bool DocumentSync::Resolve(std::size_t index, bool keepTheirs, const WorkingSet& work) {
    const std::vector<OpenConflict> rows = Conflicts();
    if (index >= rows.size() || !CaptureValues(work))
        return false;
    const OpenConflict& row = rows[index];
    versions::State next = m_state;
    versions::Resolve(next, row.field, keepTheirs ? row.theirs : row.ours,
                      keepTheirs ? row.ours : row.theirs, m_clock.Next(Now()));
    next.machines[m_clock.machine] = m_machineName;
    return Show(next, work);
}

bool DocumentSync::Show(versions::State next, const WorkingSet& work) {
    const FieldValues after = versions::Shown(next);
    if (!WriteWorkingValues(work.tables, after, Differences(versions::Shown(m_state), after)))
        return false;
    m_state = std::move(next);
    return true;
}

std::vector<EarlierValue> DocumentSync::History(std::size_t field) const {
    std::vector<EarlierValue> earlier;
    if (field >= m_state.history.size())
        return earlier;
    for (const versions::Value& v : m_state.history[field]) {
        if (v.stamp.time != 0 || !v.text.empty()) // "empty, before stamps" says nothing
            earlier.push_back({v.text, MarkOf(v.stamp)});
    }
    return earlier;
}

bool DocumentSync::Restore(std::size_t field, std::size_t entry, const WorkingSet& work) {
    const std::vector<EarlierValue> earlier = History(field);
    if (entry >= earlier.size())
        return false;
    return ApplyAsOneChange({{field, earlier[entry].value}}, work) != 0;
}

std::uint64_t
DocumentSync::ApplyAsOneChange(const std::vector<std::pair<std::size_t, std::string>>& values,
                               const WorkingSet& work) {
    return Apply(values, work, false);
}

std::uint64_t
DocumentSync::ApplyImport(const std::vector<std::pair<std::size_t, std::string>>& values,
                          const WorkingSet& work) {
    return Apply(values, work, true);
}

std::uint64_t DocumentSync::Apply(const std::vector<std::pair<std::size_t, std::string>>& values,
                                  const WorkingSet& work, bool asImport) {
    if (!CaptureValues(work))
        return 0;
    versions::State next = m_state;
    const versions::Stamp stamp = m_clock.Next(Now());
    if ((asImport ? versions::Import(next, values, stamp)
                  : versions::ChangeAll(next, values, stamp))
            .empty())
        return 0;
    next.machines[m_clock.machine] = m_machineName;
    if (!Show(std::move(next), work))
        return 0;
    return stamp.counter;
}

std::optional<versions::ImportUndo> DocumentSync::UndoImport(const WorkingSet& work) {
    if (!CaptureValues(work))
        return std::nullopt;
    versions::State next = m_state;
    const versions::ImportUndo plan = versions::PlanImportUndo(next);
    if (!versions::UndoImport(next, m_clock.Next(Now())))
        return std::nullopt;
    next.machines[m_clock.machine] = m_machineName;
    if (!Show(std::move(next), work))
        return std::nullopt;
    return plan;
}
