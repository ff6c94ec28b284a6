#include "platform/file/AtomicFile.h"
#include "platform/file/FileFault.h"
#include "platform/file/FileReader.h"
#include "platform/file/OwnFolder.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class AtomicFileTest : public ::testing::Test {
protected:
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        return names;
    }
    TempDir dir;
    std::string file = dir.file("doc.qlr");
};

TEST_F(AtomicFileTest, ChunksBecomeTheFileOnlyAtTheCommit) {
    WriteFileBytes(file, "old");
    {
        AtomicFile out(file, 0640);
        ASSERT_TRUE(out.Write("new ") && out.Write(std::string("con\0tents", 9)));
        EXPECT_EQ(ReadFileBytes(file), "old");
        EXPECT_EQ(Names().size(), 2u);
        for (const std::string& name : Names()) // the temporary is known as the target's
            EXPECT_EQ(IsTemporaryNameOf(file, name), name != "doc.qlr") << name;
        ASSERT_TRUE(out.Commit());
        EXPECT_FALSE(out.Write("late")); // a committed file takes nothing more
    }
    EXPECT_EQ(ReadFileBytes(file), std::string("new con\0tents", 13));
    EXPECT_EQ(ModeOf(file), 0640u);
    EXPECT_EQ(Names(), std::vector<std::string>{"doc.qlr"});

    {
        AtomicFile abandoned(file); // never committed: gone, the old file kept
        ASSERT_TRUE(abandoned.Write("x"));
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"doc.qlr"});
    EXPECT_EQ(ReadFileBytes(file).size(), 13u);
}

TEST_F(AtomicFileTest, WholeFileWriteKeepsTheModeOfAnExistingFileAndRefusesNonFiles) {
    ASSERT_TRUE(AtomicWriteFile(file, "first"));
    EXPECT_EQ(ModeOf(file), 0600u);
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_TRUE(AtomicWriteFile(file, "second"));
    EXPECT_EQ(ModeOf(file), 0644u);

    fs::create_directory(dir.file("sub"));
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const char* bad : {"sub", "sub/", "none/file", "fifo"})
        EXPECT_FALSE(AtomicWriteFile(dir.file(bad), "x")) << bad;
    EXPECT_TRUE(fs::is_directory(dir.file("sub")));
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo")));
}

TEST_F(AtomicFileTest, FailureAtEveryStepKeepsTheOldFileAndLeavesNoTemporary) {
    WriteFileBytes(file, "old");
    int steps = 0;
    {
        auto count = ScopedFileFault::Counting();
        ASSERT_TRUE(AtomicWriteFile(file, "new"));
        steps = count.steps();
    }
    EXPECT_EQ(steps, 5); // create, write, flush, rename, flush the folder
    for (int n = 0; n < steps; ++n) {
        WriteFileBytes(file, "old");
        bool ok = true;
        {
            auto fault = ScopedFileFault::FailingStep(n);
            EXPECT_TRUE(ScopedFileFault::Active());
            ok = AtomicWriteFile(file, "new");
        }
        EXPECT_FALSE(ScopedFileFault::Active());
        EXPECT_FALSE(ok) << "step " << n;
        // Only the last step comes after the rename.
        EXPECT_EQ(ReadFileBytes(file), n == steps - 1 ? "new" : "old") << "step " << n;
        EXPECT_EQ(Names(), std::vector<std::string>{"doc.qlr"}) << "step " << n;
    }
}

TEST_F(AtomicFileTest, FullDiskWritesWhatFitsThenFails) {
    auto fault = ScopedFileFault::Quota([](const std::string&, size_t) { return size_t{3}; });
    EXPECT_THROW(ScopedFileFault::Counting(), std::logic_error); // one at a time
    AtomicFile out(file);
    EXPECT_FALSE(out.Write("too long"));
    EXPECT_EQ(out.error(), std::errc::no_space_on_device);
    EXPECT_FALSE(out.Commit());
    EXPECT_FALSE(fs::exists(file));
}

// The user's own links are followed (relative ones from their folder, ".." as named); a loop
// of them, a file in the way or a failing step of the file layer fails the walk unnamed.
TEST(OwnFolder, FollowsOwnLinksAndEndsOnLoopsFilesAndFaults) {
    TempDir dir;
    fs::create_symlink("echt", dir.file("kurz"));
    fs::create_symlink(dir.file("kurz/innen"), dir.file("weit"));
    fs::create_symlink("schleife", dir.file("schleife"));
    WriteFileBytes(dir.file("datei"), "x");
    ASSERT_TRUE(OwnFolder::Enter(dir.file("echt/innen")));
    EXPECT_TRUE(OwnFolder::Enter(dir.file("weit/neu/")).EnterBelow("tiefer/../noch"));
    EXPECT_TRUE(fs::is_directory(dir.file("echt/innen/neu/noch")));
    for (const auto& [path, errnum] :
         {std::pair{"schleife/x", ELOOP}, std::pair{"datei/x", ENOTDIR}}) {
        const OwnFolder failed = OwnFolder::Enter(dir.file(path));
        EXPECT_EQ(failed.errnum(), errnum) << path;
        EXPECT_TRUE(!failed && failed.refused().empty()) << path;
    }
    auto fault = ScopedFileFault::FailingStep(0);
    EXPECT_FALSE(OwnFolder::Enter(dir.file("gescheitert")));
}

TEST(FileReader, ReadsRegularFilesAndRefusesEverythingElseWithoutBlocking) {
    TempDir dir;
    WriteFileBytes(dir.file("data"), std::string("a\0b", 3));
    WholeFile data = ReadWholeFile(dir.file("data"));
    ASSERT_TRUE(data);
    EXPECT_EQ(data.bytes, std::string("a\0b", 3));
    WriteFileBytes(dir.file("empty"), "");
    EXPECT_TRUE(ReadWholeFile(dir.file("empty")));
    EXPECT_EQ(ReadWholeFile(dir.file("data"), 2).fault, ReadFault::TooLarge);

    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0); // nobody writes: opening must not wait
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling").c_str()), 0);
    const std::pair<std::string, ReadFault> cases[] = {
        {dir.file("missing"), ReadFault::Missing},
        {dir.file("data/below-a-file"), ReadFault::Missing},
        {dir.file("dangling"), ReadFault::Missing},
        {dir.path(), ReadFault::NotRegular},
        {dir.file("fifo"), ReadFault::NotRegular},
        {"/dev/null", ReadFault::NotRegular},
    };
    for (const auto& [path, fault] : cases) {
        WholeFile result = ReadWholeFile(path);
        EXPECT_FALSE(result) << path;
        EXPECT_EQ(result.fault, fault) << path;
        EXPECT_TRUE(result.bytes.empty()) << path;
    }

    FileReader in(dir.file("data"));
    char buffer[4];
    ASSERT_TRUE(in.Read(buffer, 2));
    EXPECT_FALSE(in.Read(buffer, 2)); // one byte left
    EXPECT_EQ(in.fault(), ReadFault::Short);
}

} // namespace
