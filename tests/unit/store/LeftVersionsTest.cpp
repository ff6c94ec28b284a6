#include "store/LeftVersions.h"

#include <gtest/gtest.h>

namespace {

TEST(LeftVersionsTest, ConflictCopiesOfTheDocumentAreKnownByTheirEnginesNames) {
    struct Case {
        const char* name;
        bool copy;
    };
    const Case cases[] = {
        {"Prüfer.sync-conflict-20261209-101500-ABCDEF1.qlr", true},
        {"Prüfer (conflicted copy 2026-12-09 101500).qlr", true},
        {"Prüfer (Conflict Anna 2026-12-09 10.15.00).qlr", true},
        {"Prüfer (Konflikt-Kopie 2026-12-09 101500).qlr", true},
        {"Prüfer (Laptop's conflicted copy 2026-12-09).qlr", true},
        {"Prüfer (In Konflikt stehende Kopie von Laptop 2026-12-09).qlr", true},
        {"Prüfer.qlr", false},
        {"Prüferin.sync-conflict-20261209-101500-ABCDEF1.qlr", false}, // another user
        {"Prüfer (Kopie).qlr", false},
        {"Prüfer.sync-conflict-20261209-101500-ABCDEF1.qlr.tmp", false},
        {".Prüfer.qlr.a1B2c3.tmp", false},
        {"Prüfer.sync-conflict-.qlr", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsConflictCopyName("Prüfer.qlr", c.name), c.copy) << c.name;
}

} // namespace
