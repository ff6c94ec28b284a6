#include "platform/FileServices.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
}

TEST(DosDateTime, SplitAndJoinTheSixFields) {
    DosFields f{2026, 12, 8, 18, 37, 58};
    DosDateTime dt = JoinDosDateTime(f);
    EXPECT_EQ(dt.date, (8 | 12 << 5 | (2026 - 1980) << 9));
    EXPECT_EQ(dt.time, (29 | 37 << 5 | 18 << 11));
    EXPECT_EQ(SplitDosDateTime(dt), f);
    // Odd seconds fall to the even second below; the range ends are kept.
    EXPECT_EQ(SplitDosDateTime(JoinDosDateTime({1980, 1, 1, 0, 0, 59})).second, 58);
    DosFields last{2107, 12, 31, 23, 59, 58};
    EXPECT_EQ(SplitDosDateTime(JoinDosDateTime(last)), last);
}

TEST(DosDateTime, FileTimeRoundTripAtTwoSecondResolution) {
    TempDir dir;
    std::string file = dir.file("a.db");
    WriteFileBytes(file, "x");
    DosDateTime dt = JoinDosDateTime({1999, 2, 28, 23, 59, 30});
    ASSERT_TRUE(SetDosFileTime(file, dt));
    EXPECT_EQ(GetDosFileTime(file), dt);
    // A summer date (daylight saving time in many zones) comes back unchanged as well.
    DosDateTime summer = JoinDosDateTime({2024, 7, 15, 12, 0, 2});
    ASSERT_TRUE(SetDosFileTime(file, summer));
    EXPECT_EQ(GetDosFileTime(file), summer);

    EXPECT_FALSE(GetDosFileTime(dir.file("missing")).has_value());
    EXPECT_FALSE(SetDosFileTime(dir.file("missing"), dt));
    EXPECT_FALSE(SetDosFileTime(file, JoinDosDateTime({2000, 13, 1, 0, 0, 0})));
    EXPECT_FALSE(SetDosFileTime(file, DosDateTime{0, 0})); // day and month 0
    // Days the month lacks are not carried into the next month.
    EXPECT_FALSE(SetDosFileTime(file, JoinDosDateTime({2021, 2, 31, 12, 0, 0})));
    EXPECT_FALSE(SetDosFileTime(file, JoinDosDateTime({2023, 2, 29, 12, 0, 0})));
    EXPECT_FALSE(SetDosFileTime(file, JoinDosDateTime({2024, 4, 31, 12, 0, 0})));
    EXPECT_EQ(GetDosFileTime(file), summer);
}

TEST(FileServices, ClearWriteProtectionAddsOwnerReadWrite) {
    TempDir dir;
    std::string file = dir.file("ro");
    WriteFileBytes(file, "x");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_TRUE(ClearWriteProtection(file));
    EXPECT_EQ(ModeOf(file), 0644u);
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    EXPECT_TRUE(ClearWriteProtection(file));
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_FALSE(ClearWriteProtection(dir.file("missing")));
}

TEST(FileServices, FreeSpaceOfPathOrNearestExistingAncestor) {
    TempDir dir;
    auto here = FreeSpace(dir.path());
    ASSERT_TRUE(here.has_value());
    EXPECT_GT(*here, 0u);
    EXPECT_TRUE(FreeSpace(dir.file("not/yet/there/")).has_value());
    EXPECT_TRUE(FreeSpace("relative-and-missing/x").has_value());
    EXPECT_FALSE(FreeSpace("").has_value());
}

TEST(FileServices, UniqueTempFilesArePrivateAndDistinct) {
    TempDir dir;
    std::string a = CreateUniqueTempFile(dir.path(), "tmp", ".tmp");
    std::string b =
        CreateUniqueTempFile(dir.path().substr(0, dir.path().size() - 1), "tmp", ".tmp");
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(dir.path() + "tmp", 0), 0u);
    EXPECT_EQ(a.substr(a.size() - 4), ".tmp");
    EXPECT_EQ(b.rfind(dir.path() + "tmp", 0), 0u);
    EXPECT_EQ(ModeOf(a), 0600u);
    EXPECT_EQ(ModeOf(b), 0600u);
    EXPECT_EQ(ReadFileBytes(a), "");
    EXPECT_EQ(CreateUniqueTempFile(dir.file("missing-dir"), "tmp", ".tmp"), "");
}

TEST(FileServices, SameFileByIdentity) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("x"));
    WriteFileBytes(dir.file("x/a.db"), "1");
    WriteFileBytes(dir.file("x/A.DB"), "2");
    EXPECT_TRUE(SameFile(dir.file("x/a.db"), dir.file("x/../x/a.db")));
    EXPECT_TRUE(SameFile(dir.file("x/a.db"), dir.file("x/./a.db")));
    ASSERT_EQ(::link(dir.file("x/a.db").c_str(), dir.file("hard").c_str()), 0);
    EXPECT_TRUE(SameFile(dir.file("x/a.db"), dir.file("hard")));
    // A case-sensitive file system holds two files here.
    EXPECT_FALSE(SameFile(dir.file("x/a.db"), dir.file("x/A.DB")));
    EXPECT_FALSE(SameFile(dir.file("x/a.db"), dir.file("missing")));
    EXPECT_FALSE(SameFile(dir.file("missing"), dir.file("missing")));
}

} // namespace
