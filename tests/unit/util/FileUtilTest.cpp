#include "util/FileUtil.h"

#include "platform/FileServices.h"
#include "platform/SystemDirs.h"
#include "platform/file/FileFault.h"

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
    return st.st_mode & 0777;
}

TEST(FileExists, FilesAndDirectoriesCount) {
    TempDir dir;
    WriteFileBytes(dir.file("a"), "");
    EXPECT_TRUE(FileExists(dir.file("a")));
    EXPECT_TRUE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.file("b")));
    EXPECT_FALSE(FileExists(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(FileExists(std::string()));
}

TEST(CreatePath, CreatesOnlyDirectoriesFollowedByASlash) {
    TempDir dir;
    EXPECT_TRUE(CreatePath("/"));
    EXPECT_TRUE(CreatePath(""));

    EXPECT_TRUE(CreatePath(dir.file("a/b/")));
    EXPECT_TRUE(fs::is_directory(dir.file("a")));
    EXPECT_TRUE(fs::is_directory(dir.file("a/b")));

    EXPECT_TRUE(CreatePath(dir.file("c/d")));
    EXPECT_TRUE(fs::is_directory(dir.file("c")));
    EXPECT_FALSE(fs::exists(dir.file("c/d")));

    EXPECT_TRUE(CreatePath(dir.file("e//f/"))); // a doubled slash is one separator
    EXPECT_TRUE(fs::is_directory(dir.file("e/f")));
    EXPECT_TRUE(CreatePath(dir.file("a/b/"))); // existing directories are fine
}

TEST(CreatePath, FailsWhereAFileBlocksTheWay) {
    TempDir dir;
    WriteFileBytes(dir.file("file"), "x");
    EXPECT_FALSE(CreatePath(dir.file("file/sub/")));
    ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
    bool created = CreatePath(dir.file("locked/"));
    ::chmod(dir.path().c_str(), 0700);
    if (::geteuid() != 0) {
        EXPECT_FALSE(created);
    }
}

TEST(CopyFileTo, CopiesOverwritingAndKeepsTheTime) {
    TempDir dir;
    std::string big(3 * 65536 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 31);
    }
    WriteFileBytes(dir.file("src"), big);
    WriteFileBytes(dir.file("dst"), "an older and longer destination file than needed");
    DosDateTime stamp = JoinDosDateTime({2001, 5, 6, 7, 8, 10});
    ASSERT_TRUE(SetDosFileTime(dir.file("src"), stamp));
    EXPECT_TRUE(CopyFileTo(dir.file("src"), dir.file("dst"), false));
    EXPECT_EQ(ReadFileBytes(dir.file("dst")), big);
    EXPECT_EQ(GetDosFileTime(dir.file("dst")), stamp);
    EXPECT_TRUE(CopyFileTo(dir.file("src"), dir.file("new"), false));
    EXPECT_EQ(ReadFileBytes(dir.file("new")), big);
}

TEST(CopyFileTo, SameFileReturnsTrueAndCopiesNothing) {
    TempDir dir;
    fs::create_directory(dir.file("x"));
    std::string a = dir.file("x/a.db");
    WriteFileBytes(a, "data");
    ASSERT_EQ(::chmod(a.c_str(), 0400), 0);
    struct stat before {};
    ASSERT_EQ(::stat(a.c_str(), &before), 0);
    EXPECT_TRUE(CopyFileTo(a, a, false));
    EXPECT_TRUE(CopyFileTo(a, dir.file("x/../x/a.db"), true));
    EXPECT_EQ(ReadFileBytes(a), "data");
    EXPECT_EQ(ModeOf(a), 0400u); // not even the attributes change
    ::chmod(a.c_str(), 0600);
}

TEST(CopyFileTo, ReadOnlySourceGivesWritableCopy) {
    TempDir dir;
    WriteFileBytes(dir.file("ro.db"), "locked");
    ASSERT_EQ(::chmod(dir.file("ro.db").c_str(), 0444), 0);
    EXPECT_TRUE(CopyFileTo(dir.file("ro.db"), dir.file("copy.db"), true));
    EXPECT_EQ(ModeOf(dir.file("copy.db")) & 0600, 0600u);
    WriteFileBytes(dir.file("copy.db"), "changed");
    // Without the flag the copy keeps the source's protection.
    EXPECT_TRUE(CopyFileTo(dir.file("ro.db"), dir.file("plain.db"), false));
    EXPECT_EQ(ModeOf(dir.file("plain.db")) & 0200, 0u);
}

TEST(CopyFileTo, FailuresAreReported) {
    TempDir dir;
    WriteFileBytes(dir.file("src"), "x");
    EXPECT_FALSE(CopyFileTo(dir.file("missing"), dir.file("dst"), false));
    EXPECT_FALSE(fs::exists(dir.file("dst")));
    EXPECT_FALSE(CopyFileTo(dir.file("src"), dir.file("no/dir/dst"), true));
    EXPECT_FALSE(CopyFileTo(dir.path(), dir.file("dst"), false)); // a directory is no file
    EXPECT_FALSE(CopyFileTo("", dir.file("dst"), false));
    EXPECT_FALSE(CopyFileTo(dir.file("src"), "", false));
}

TEST(CopyFileTo, ADiskFullHalfWayLeavesNoPartialFileAndTheOldTargetAsItWas) {
    TempDir dir;
    WriteFileBytes(dir.file("src"), std::string(10000, 'q'));
    WriteFileBytes(dir.file("old"), "the previous copy");
    {
        auto fault = ScopedFileFault::Quota(
            [](const std::string&, size_t requested) { return requested / 2; });
        EXPECT_FALSE(CopyFileTo(dir.file("src"), dir.file("dst"), true));
        EXPECT_FALSE(CopyFileTo(dir.file("src"), dir.file("old"), true));
    }
    EXPECT_FALSE(fs::exists(dir.file("dst")));
    EXPECT_EQ(ReadFileBytes(dir.file("old")), "the previous copy");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "no temporary file left";
}

TEST(MakePrivateDirectory, InTheTemporaryDirectoryElseTheCurrentOneAlways0700) {
    TempDir temp;
    TempDir work;
    SystemDirs::SetTempDirectory(temp.path());
    std::string a = MakePrivateDirectory("quillory-");
    std::string b = MakePrivateDirectory("quillory-");
    fs::path previous = fs::current_path();
    fs::current_path(work.path());
    SystemDirs::SetTempDirectory(temp.file("gone/"));
    std::string fallback = MakePrivateDirectory("quillory-");
    SystemDirs::SetTempDirectory("");
    fs::current_path(previous);
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(temp.path() + "quillory-", 0), 0u);
    EXPECT_EQ(a.back(), '/');
    ASSERT_FALSE(fallback.empty());
    EXPECT_EQ(fallback.rfind(work.path() + "quillory-", 0), 0u) << fallback;
    for (const std::string& dir : {a, b, fallback})
        EXPECT_EQ(ModeOf(dir), 0700u) << dir;
}

TEST(PathParts, SplitChangeAndQuery) {
    PathParts p = SplitPath("/daten/brief.txt");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.dir, "/daten/");
    EXPECT_EQ(p.name, "brief");
    EXPECT_EQ(p.ext, ".txt");
    p = SplitPath("/x/archiv.tar.gz");
    EXPECT_EQ(p.name, "archiv.tar");
    EXPECT_EQ(p.ext, ".gz");
    p = SplitPath("/home/.profile");
    EXPECT_EQ(p.name, ".profile");
    EXPECT_EQ(p.ext, "");
    p = SplitPath("a.b/c");
    EXPECT_EQ(p.dir, "a.b/");
    EXPECT_EQ(p.name, "c");
    EXPECT_EQ(p.ext, "");

    std::string out = "unchanged";
    ChangeExtension("/x/USER.qlr", out, ".tmp");
    EXPECT_EQ(out, "/x/USER.tmp");
    ChangeExtension("/x/README", out, ".txt");
    EXPECT_EQ(out, "/x/README.txt");
    out = "unchanged";
    ChangeExtension("", out, ".tmp");
    ChangeExtension("/x/USER.qlr", out, "");
    EXPECT_EQ(out, "unchanged");

    EXPECT_FALSE(FileNameOf("/x/", out));
    EXPECT_FALSE(FileNameOf("", out));
    EXPECT_EQ(out, "unchanged");
    EXPECT_TRUE(FileNameOf("/x/USER.qlr", out));
    EXPECT_EQ(out, "USER.qlr");
    EXPECT_TRUE(FileNameOf("Hans", out));
    EXPECT_EQ(out, "Hans");

    out = "unchanged";
    EXPECT_FALSE(DirOfPath("relative/file.db", out));
    EXPECT_FALSE(DirOfPath("", out));
    EXPECT_EQ(out, "unchanged");
    EXPECT_TRUE(DirOfPath("/data/x/file.db", out));
    EXPECT_EQ(out, "/data/x/");
    EXPECT_TRUE(DirOfPath("/file.db", out));
    EXPECT_EQ(out, "/");
}

TEST(ContainsNoCase, IgnoresCaseAlsoOfUmlauts) {
    EXPECT_TRUE(ContainsNoCase("Erika.QLR", ".qlr"));
    EXPECT_TRUE(ContainsNoCase("GRÜN und Weiß", "grün"));
    EXPECT_TRUE(ContainsNoCase("abc", ""));
    EXPECT_FALSE(ContainsNoCase("Erika", "qlr"));
    EXPECT_FALSE(ContainsNoCase("", "a"));
}

} // namespace
