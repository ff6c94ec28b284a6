#include "platform/SystemDirs.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

// A per-user folder of links to an installed program: the program directory is the folder the
// program was started from, never the link's target, whether the start path was absolute,
// relative or found through PATH.
TEST(SystemDirs, ProgramDirectoryFollowsTheStartPathNotTheLink) {
    namespace fs = std::filesystem;
    TempDir temp;
    const std::string installed = temp.file("lib/");
    const std::string own = temp.file("own folder/");
    fs::create_directories(installed);
    fs::create_directories(own);
    WriteFileBytes(installed + "quillory", "#!/bin/sh\n");
    fs::permissions(installed + "quillory", fs::perms::owner_all);
    fs::create_symlink(installed + "quillory", own + "quillory");

    EXPECT_EQ(SystemDirs::DirectoryOfStartPath(own + "quillory", "/elsewhere", ""), own);
    EXPECT_EQ(SystemDirs::DirectoryOfStartPath("own folder/./quillory", temp.path(), ""), own);
    EXPECT_EQ(SystemDirs::DirectoryOfStartPath("quillory", "/", "/nonexistent:" + own), own);
    EXPECT_EQ(SystemDirs::DirectoryOfStartPath("quillory", "/", "/nonexistent"), "");
}
