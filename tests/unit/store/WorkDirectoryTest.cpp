#include "store/WorkDirectory.h"

#include "platform/SystemDirs.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Only what a crashed run of this user left, and nothing that is in use, kept or foreign.
TEST(WorkDirectory, StartRemovesOnlyThisUsersDirectoriesNobodyHolds) {
    TempDir temp;
    const std::string crashed = temp.file("quillory-Ab12Cd/");
    fs::create_directory(crashed);
    WriteFileBytes(crashed + "in-use.lock", "");
    WriteFileBytes(crashed + "tmpAb12Cd.DB", "Kontonummer");
    fs::create_symlink(temp.file("target"), crashed + "link");
    WriteFileBytes(temp.file("target"), "bleibt");

    const std::string foreign = temp.file("quillory-Xy98Zw/");
    fs::create_directory(foreign);
    WriteFileBytes(foreign + "in-use.lock", "");
    const bool chowned = ::chown(foreign.c_str(), 4242, 4242) == 0; // only where allowed

    const std::string unmarked = temp.file("quillory-Nomark/");
    fs::create_directory(unmarked);
    WriteFileBytes(unmarked + "tmpNomark.DB", "");
    fs::create_directory(temp.file("other-Ab12Cd"));
    WriteFileBytes(temp.file("other-Ab12Cd/in-use.lock"), "");
    fs::create_directory_symlink(crashed, temp.file("quillory-Linked"));

    SystemDirs::SetTempDirectory(temp.path());
    WorkDirectory live;
    WorkDirectory kept;
    ASSERT_TRUE(live.Make());
    ASSERT_TRUE(kept.Make());
    SystemDirs::SetTempDirectory("");
    kept.Keep();

    EXPECT_EQ(WorkDirectory::RemoveStale(temp.path()), chowned ? 1 : 2);
    EXPECT_FALSE(fs::exists(crashed));
    EXPECT_EQ(ReadFileBytes(temp.file("target")), "bleibt");
    EXPECT_EQ(fs::exists(foreign), chowned);
    EXPECT_TRUE(fs::exists(unmarked));
    EXPECT_TRUE(fs::exists(temp.file("other-Ab12Cd/in-use.lock")));
    EXPECT_TRUE(fs::exists(live.Path() + "in-use.lock"));
    EXPECT_TRUE(fs::exists(kept.Path()));
    EXPECT_TRUE(fs::is_symlink(temp.file("quillory-Linked")));
}

} // namespace
