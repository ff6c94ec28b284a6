#include "store/FieldMerge.h"
#include "store/Versions.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The first two tables' fields keep the places earlier versions gave them (209, then 107); a
// later table's follow.
TEST(FieldMergeTest, EveryFieldOfEveryTableOnceInOrder) {
    constexpr std::size_t kFirstTableFieldCount = 209;
    constexpr std::size_t kSecondTableFieldCount = 107;
    const std::vector<DocumentField>& fields = DocumentFields();
    std::size_t later = 0;
    std::size_t laterMemos = 0;
    for (const TableInfo& t : kTables) {
        if (t.index <= TableIndex::Second || t.index == kStateTable)
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

// Versions as two machines make them from one document without stamps, and how they merge:
// the other one saved after ours (normal), both saved while the link was down (offline), our
// own older save coming back as a conflict copy after the merge, two versions without stamps.
TEST(FieldMergeTest, StampsMergeExactlyWithoutABase) {
    using namespace versions;
    const std::size_t n = DocumentFields().size();
    const std::size_t x = 3, y = 250; // a field of each table
    const State a = Unstamped(FieldValues(n));
    auto edit = [](State s, std::size_t field, const char* text, MachineId m, std::uint64_t c) {
        Change(s, field, text, {m, c, static_cast<std::int64_t>(c)});
        return s;
    };
    const State pc = edit(a, x, "PC", 1, 1), laptop = edit(a, y, "L", 2, 1);
    const State both = Merge(pc, laptop);
    FieldValues twoUnstamped(n);
    twoUnstamped[x] = "anders";
    twoUnstamped[y] = "auch";
    struct Case {
        const char* name;
        State ours, theirs;
        const char* xShown;
        const char* yShown;
        std::size_t conflicts;
    };
    const Case cases[] = {
        {"normal", pc, edit(Merge(laptop, pc), y, "L2", 2, 2), "PC", "L2", 0},
        {"offline", pc, laptop, "PC", "L", 0},
        {"own copy after merge", both, pc, "PC", "L", 0},
        {"late copy", edit(both, x, "PC2", 1, 2), pc, "PC2", "L", 0},
        {"same field", pc, edit(a, x, "L", 2, 1), "PC", "", 1},
        {"same value", pc, edit(a, x, "PC", 2, 1), "PC", "", 0},
        {"emptied", edit(both, x, "", 1, 2), edit(both, y, "L3", 2, 3), "", "L3", 0},
        {"without stamps", a, Unstamped(twoUnstamped), "", "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool swapped : {false, true}) {
            const State m = swapped ? Merge(c.theirs, c.ours) : Merge(c.ours, c.theirs);
            std::size_t conflicts = 0;
            for (const Register& r : m.fields)
                conflicts += r.Texts() > 1;
            EXPECT_EQ(conflicts, c.conflicts);
            if (!swapped) {
                EXPECT_EQ(Shown(m)[x], c.xShown);
                EXPECT_EQ(Shown(m)[y], c.yShown);
            }
            EXPECT_TRUE(SameFacts(m, Merge(m, c.theirs))) << "idempotent";
        }
    }
}

// The text form keeps every fact but the shown values, which the tables hold; a damaged text
// reads as a document without stamps, never as half a state.
TEST(FieldMergeTest, TheCausalStateSurvivesItsTextForm) {
    using namespace versions;
    const std::vector<std::string> names = {"E1_100", "E1_101", "E8_123"};
    State s = Unstamped({"", "", ""});
    State other = s;
    Change(s, 0, "Zeile 1\r\nZeile 2 % 100", {0xabcdef, 7, 1765370000});
    Change(s, 0, "neu", {0x12, 3, 1765370100});
    Change(s, 2, "", {0x12, 4, 1765370200});
    Change(other, 1, "dort", {0x99, 1, 1765370300});
    s = Merge(s, other);
    Change(other, 0, "Konflikt", {0x99, 2, 1765370400});
    s = Merge(s, other);
    ChangeProtection(s, "00ff", {0x12, 5, 1765370500});
    s.machines = {{0x12, "Laptop"}, {0x99, "PC mit Leerzeichen"}};
    State back;
    ASSERT_TRUE(Decode(Encode(s, names), names, Shown(s), "", back));
    EXPECT_TRUE(back == s);
    EXPECT_EQ(back.fields[0].Texts(), 2u);
    // Fields renamed or added by a later layout: unknown names dropped, new ones unstamped.
    ASSERT_TRUE(Decode(Encode(s, names), {"E1_101", "E9_100"}, {"dort", ""}, "", back));
    EXPECT_EQ(back.fields[0].values[0].stamp.counter, 1u);
    EXPECT_FALSE(back.fields[1].values[0].stamp.Stamped());
    for (const char* bad : {"Q2\n", "Q1\nV zz 1\n", "Q1\nC E1_100 1:2\n", "Q1\nH E1_100 1:x:0 a\n",
                            "Q1\nF E1_100 0:5:0\n", "Q1\nC E1_100 1:2:3 %4\n",
                            "Q1\nF E1_100 1:2:3\nF E8_123 1:3:4\nV zz 1\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Decode(bad, names, {"a", "b", "c"}, "ab", back));
        EXPECT_TRUE(back == Unstamped({"a", "b", "c"}, "ab"));
    }
}

} // namespace
