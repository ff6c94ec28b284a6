#pragma once

#include "store/CategorySchema.h"

#include <cstddef>
#include <string>
#include <vector>

// A three-way merge of a user's document, field by field: pure logic, no files.

// One named field of a user's document.
struct DocumentField {
    int category;
    int id;
    TableIndex table;
    bool memo;
    std::string name; // "E<category>_<id>"
};

// Every field of a document in a fixed order: table by table, a later table's after the earlier
// ones' (so values of a document written before it keep their places).
const std::vector<DocumentField>& DocumentFields();
// The index of a field name in DocumentFields(); -1 for a name that is none.
int DocumentFieldIndex(const std::string& name);

// A value for every field, indexed like DocumentFields().
using FieldValues = std::vector<std::string>;

// A field both sides changed to different values.
struct FieldConflict {
    std::size_t field;
    std::string ours;
    std::string theirs;
};

struct MergeOutcome {
    FieldValues merged;
    std::vector<std::size_t> fromTheirs; // fields that took the other side's value
    std::vector<FieldConflict> conflicts;
};

// Merges theirs into ours against base: a field one side changed takes that side's value, a
// field both changed alike keeps it, a field both changed differently keeps ours and is listed.
// Without a base (nullptr) every difference between ours and theirs is a conflict.
MergeOutcome MergeFields(const FieldValues* base, const FieldValues& ours,
                         const FieldValues& theirs);

// A version of the document this machine has known, as its field values, with the version it
// was made from: the one this machine worked from before a save, the merge's base for a version
// read from elsewhere. Written to and read from disk, it is the history a base is chosen from.
struct KnownVersion {
    FieldValues values;
    int parent = -1;     // index of that version in the history; -1 for none known
    bool inOurs = false; // the working tables hold it (read, merged or written by this run)
};

// The newest known version both sides were made from, the base of their merge; -1 for none.
// A side has seen a version when it is that version, or holds at least one of the changes the
// version made to its parent. A version without a parent counts as seen by every side when
// rootsShared (the document everyone had when this machine first read it), else only by itself.
// A version made elsewhere from an older one than this machine's last save (a laptop that was
// offline) then merges against that older one, so this machine's save is not taken back.
int CommonBase(const std::vector<KnownVersion>& known, const FieldValues& ours,
               const FieldValues& theirs, bool rootsShared);
