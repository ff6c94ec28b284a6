#include "store/FieldMerge.h"

#include <algorithm>

const std::vector<DocumentField>& DocumentFields() {
    static const std::vector<DocumentField> fields = [] {
        std::vector<DocumentField> all;
        for (const TableInfo& table : kTables) {
            for (int category : CategoriesOf(table.index)) {
                for (const FieldFacts& f : FieldsOf(category))
                    all.push_back({category, f.id, table.index, f.kind == FieldKind::Memo,
                                   FieldName(category, f.id)});
            }
        }
        return all;
    }();
    return fields;
}

int DocumentFieldIndex(const std::string& name) {
    const std::vector<DocumentField>& fields = DocumentFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

MergeOutcome MergeFields(const FieldValues* base, const FieldValues& ours,
                         const FieldValues& theirs) {
    MergeOutcome out;
    out.merged = ours;
    const std::size_t count = std::min(ours.size(), theirs.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (ours[i] == theirs[i])
            continue;
        const bool known = base && i < base->size();
        if (known && (*base)[i] == ours[i]) {
            out.merged[i] = theirs[i];
            out.fromTheirs.push_back(i);
        } else if (!known || (*base)[i] != theirs[i]) {
            out.conflicts.push_back({i, ours[i], theirs[i]});
        }
    }
    return out;
}

namespace {

bool HasSeen(const std::vector<KnownVersion>& known, std::size_t k, const FieldValues& side,
             bool rootsShared) {
    const KnownVersion& v = known[k];
    if (side == v.values)
        return true;
    if (v.parent < 0 || static_cast<std::size_t>(v.parent) >= known.size())
        return rootsShared;
    const FieldValues& before = known[static_cast<std::size_t>(v.parent)].values;
    bool changed = false;
    for (std::size_t f = 0; f < v.values.size() && f < before.size() && f < side.size(); ++f) {
        if (v.values[f] == before[f])
            continue;
        changed = true;
        if (side[f] == v.values[f])
            return true;
    }
    // A version that changed nothing is seen where its parent is.
    return !changed && HasSeen(known, static_cast<std::size_t>(v.parent), side, rootsShared);
}

} // namespace

int CommonBase(const std::vector<KnownVersion>& known, const FieldValues& ours,
               const FieldValues& theirs, bool rootsShared) {
    for (std::size_t k = known.size(); k-- > 0;) {
        if (known[k].values.size() != ours.size())
            continue; // a version that could not be read
        if ((known[k].inOurs || HasSeen(known, k, ours, rootsShared)) &&
            HasSeen(known, k, theirs, rootsShared))
            return static_cast<int>(k);
    }
    return -1;
}
