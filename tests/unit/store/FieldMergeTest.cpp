#include "store/FieldMerge.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Values drawn from a small pool so that both sides often make the same change.
std::string RandomValue(std::mt19937& rng, bool memo) {
    static const char* const pool[] = {"",  "Dr. Weiß",           "Hauptstraße 1", "0711 123456",
                                       "ä", "Zeile 1\r\nZeile 2", "1234",          "x"};
    std::string value = pool[rng() % std::size(pool)];
    if (memo && rng() % 2)
        value += "\r\n";
    return value;
}

// One side's edit script: a random set of fields set to random values.
FieldValues Edited(const FieldValues& base, std::mt19937& rng) {
    FieldValues values = base;
    const std::size_t edits = rng() % 40;
    for (std::size_t e = 0; e < edits; ++e) {
        const std::size_t i = rng() % values.size();
        values[i] = RandomValue(rng, DocumentFields()[i].memo);
    }
    return values;
}

std::set<std::size_t> ConflictFields(const MergeOutcome& m) {
    std::set<std::size_t> fields;
    for (const FieldConflict& c : m.conflicts)
        fields.insert(c.field);
    return fields;
}

// The first two tables' fields keep the places earlier versions gave them (209, then 107); a
// later table's follow.
TEST(FieldMergeTest, EveryFieldOfEveryTableOnceInOrder) {
    constexpr std::size_t kFirstTableFieldCount = 209;
    constexpr std::size_t kSecondTableFieldCount = 107;
    const std::vector<DocumentField>& fields = DocumentFields();
    std::size_t later = 0;
    std::size_t laterMemos = 0;
    for (const TableInfo& t : kTables) {
        if (t.index <= TableIndex::Second)
            continue;
        for (const SchemaField& f : TableFields(t.index)) {
            ++later;
            laterMemos += f.memo;
        }
    }
    ASSERT_EQ(fields.size(), kFirstTableFieldCount + kSecondTableFieldCount + later);
    std::set<std::string> names;
    int memos = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        names.insert(fields[i].name);
        memos += fields[i].memo;
        EXPECT_EQ(DocumentFieldIndex(fields[i].name), static_cast<int>(i));
        if (i < kFirstTableFieldCount + kSecondTableFieldCount)
            EXPECT_EQ(fields[i].table,
                      i < kFirstTableFieldCount ? TableIndex::First : TableIndex::Second);
        else
            EXPECT_GT(fields[i].table, TableIndex::Second);
    }
    EXPECT_EQ(names.size(), fields.size());
    EXPECT_EQ(memos, 3 + static_cast<int>(laterMemos));
    EXPECT_EQ(DocumentFieldIndex("E9_100"), -1);
}

// Random diverging edit scripts: no one-sided edit is lost, every field both sides changed
// differently is listed with both values, and swapping the sides changes nothing but which
// value of a conflict stays.
TEST(FieldMergeTest, RandomDivergingEditsLoseNothingAndMergeAlikeEitherWay) {
    std::mt19937 rng(20261209);
    const std::size_t n = DocumentFields().size();
    for (int round = 0; round < 5000; ++round) {
        FieldValues base(n);
        for (std::size_t i = 0; i < n; ++i)
            base[i] = RandomValue(rng, DocumentFields()[i].memo);
        const FieldValues ours = Edited(base, rng);
        const FieldValues theirs = Edited(base, rng);
        const MergeOutcome m = MergeFields(&base, ours, theirs);
        const MergeOutcome swapped = MergeFields(&base, theirs, ours);
        ASSERT_EQ(m.merged.size(), n);
        std::set<std::size_t> expected;
        for (std::size_t i = 0; i < n; ++i) {
            const bool oursChanged = ours[i] != base[i];
            const bool theirsChanged = theirs[i] != base[i];
            if (oursChanged && theirsChanged && ours[i] != theirs[i]) {
                expected.insert(i);
                ASSERT_EQ(m.merged[i], ours[i]);
                ASSERT_EQ(swapped.merged[i], theirs[i]);
            } else {
                ASSERT_EQ(m.merged[i], theirsChanged ? theirs[i] : ours[i]) << round << ' ' << i;
                ASSERT_EQ(swapped.merged[i], m.merged[i]);
            }
        }
        ASSERT_EQ(ConflictFields(m), expected);
        ASSERT_EQ(ConflictFields(swapped), expected);
        for (std::size_t k = 0; k < m.conflicts.size(); ++k) {
            const FieldConflict& c = m.conflicts[k];
            ASSERT_EQ(c.ours, ours[c.field]);
            ASSERT_EQ(c.theirs, theirs[c.field]);
            ASSERT_EQ(swapped.conflicts[k].ours, c.theirs);
        }
        for (std::size_t i : m.fromTheirs)
            ASSERT_TRUE(theirs[i] != base[i] && ours[i] == base[i]);
    }
}

TEST(FieldMergeTest, WithoutBaseEveryDifferenceIsAConflict) {
    const std::size_t n = DocumentFields().size();
    FieldValues ours(n), theirs(n);
    ours[0] = "a";
    theirs[1] = "b";
    ours[2] = theirs[2] = "same";
    const MergeOutcome m = MergeFields(nullptr, ours, theirs);
    EXPECT_EQ(ConflictFields(m), (std::set<std::size_t>{0, 1}));
    EXPECT_EQ(m.merged, ours);
    EXPECT_TRUE(m.fromTheirs.empty());
}

// Versions as edits of an all-empty document: field index -> value.
FieldValues Version(std::initializer_list<std::pair<std::size_t, const char*>> edits) {
    FieldValues values(DocumentFields().size());
    for (const auto& [field, value] : edits)
        values[field] = value;
    return values;
}

// Which version a merge starts from, in the ways two machines come apart: the other one saved
// after ours (normal), both saved while the link was down (offline), a conflict copy of our
// own older save after its merge, the same at the next login, and a first start.
TEST(FieldMergeTest, CommonBaseIsTheNewestVersionBothSidesHaveSeen) {
    const std::size_t x = 3, y = 250; // a field of each table
    const FieldValues a = Version({}), pc = Version({{x, "PC"}}), laptop = Version({{y, "L"}});
    const FieldValues both = Version({{x, "PC"}, {y, "L"}});
    struct Case {
        const char* name;
        std::vector<KnownVersion> known;
        FieldValues ours, theirs;
        bool rootsShared;
        int base;
        FieldValues merged;
        std::size_t conflicts;
    };
    const Case cases[] = {
        {"normal", {{a, -1, true}, {pc, 0, true}}, pc, both, true, 1, both, 0},
        {"offline", {{a, -1, true}, {pc, 0, true}}, pc, laptop, true, 0, both, 0},
        {"own copy after merge",
         {{a, -1, true}, {pc, 0, true}, {laptop, 0, true}, {both, 1, true}},
         both,
         pc,
         true,
         1,
         both,
         0},
        {"own copy at login",
         {{a, -1, false}, {pc, 0, false}, {laptop, 0, true}},
         laptop,
         pc,
         true,
         0,
         both,
         0},
        {"first start", {{laptop, -1, true}}, laptop, pc, false, -1, laptop, 2},
        {"same field", {{a, -1, true}, {pc, 0, true}}, pc, Version({{x, "L"}}), true, 0, pc, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int base = CommonBase(c.known, c.ours, c.theirs, c.rootsShared);
        EXPECT_EQ(base, c.base);
        const MergeOutcome m = MergeFields(
            base < 0 ? nullptr : &c.known[static_cast<std::size_t>(base)].values, c.ours, c.theirs);
        EXPECT_EQ(m.merged, c.merged);
        EXPECT_EQ(m.conflicts.size(), c.conflicts);
    }
}

} // namespace
