#include "store/DocumentContainer.h"

#include "platform/FileServices.h"
#include "platform/file/FileFault.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Int32(int32_t v) {
    std::string out;
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    return out;
}

// One entry with fixed date fields and the bytes; the length field defaults to their count.
std::string Entry(const std::string& bytes, std::optional<int32_t> length = std::nullopt) {
    std::string out = Int32(5) + Int32(30) + Int32(12) + Int32(24) + Int32(12) + Int32(44);
    out += Int32(length.value_or(static_cast<int32_t>(bytes.size())));
    return out + bytes;
}

class DocumentContainerTest : public ::testing::Test {
protected:
    // Packs six files, the first two tables, as every earlier document holds.
    DocumentContainerTest() {
        for (std::size_t i = 0; i < kDocumentSlotCount; ++i) {
            work[i] = i < kEarliestSlotCount ? dir.file("work" + std::to_string(i)) : "";
            back[i] = dir.file("back" + std::to_string(i));
        }
    }

    void WriteWork(const std::array<std::string, kEarliestSlotCount>& contents) {
        for (std::size_t i = 0; i < kEarliestSlotCount; ++i) {
            WriteFileBytes(work[i], contents[i]);
        }
    }

    static unsigned Mode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
    }

    TempDir dir;
    std::string doc = dir.file("Anna.qlr");
    DocumentFiles work;
    DocumentFiles back;
    ScriptedMessages messages;
};

TEST_F(DocumentContainerTest, SixEmptyFilesMake168BytesAndComeBackEmpty) {
    WriteWork({});
    ASSERT_TRUE(PackDocument(doc, work));
    EXPECT_EQ(ReadFileBytes(doc).size(), 168u);
    EXPECT_EQ(Mode(doc), 0600u);

    std::size_t entries = 0;
    ASSERT_TRUE(UnpackDocument(doc, back, &entries));
    EXPECT_EQ(entries, kEarliestSlotCount);
    for (const std::string& file : back) {
        EXPECT_TRUE(std::filesystem::exists(file));
        EXPECT_EQ(ReadFileBytes(file), "");
        EXPECT_EQ(Mode(file), 0600u);
    }
    // Every table: 28 bytes a slot. A later table is left out whole or not at all.
    ASSERT_TRUE(PackDocument(doc, back));
    EXPECT_EQ(ReadFileBytes(doc).size(), 28u * kDocumentSlotCount);
    EXPECT_TRUE(messages.texts().empty());
    DocumentFiles cut = back;
    cut[kEarliestSlotCount + 1].clear();
    EXPECT_FALSE(PackDocument(doc, cut));
    cut[1].clear();
    cut[kEarliestSlotCount + 1] = back[kEarliestSlotCount + 1];
    EXPECT_FALSE(PackDocument(doc, cut));
    EXPECT_EQ(ReadFileBytes(doc).size(), 28u * kDocumentSlotCount);
}

TEST_F(DocumentContainerTest, LayoutIsHeaderLengthBytesInSlotOrder) {
    WriteWork({"a", "bb", "", "cccc", "d", "ee"});
    DosDateTime when = JoinDosDateTime({2019, 7, 14, 9, 41, 37});
    for (std::size_t i = 0; i < kEarliestSlotCount; ++i) {
        ASSERT_TRUE(SetDosFileTime(work[i], when));
    }
    ASSERT_TRUE(PackDocument(doc, work));
    std::string bytes = ReadFileBytes(doc);
    std::string header = Int32(18) + Int32(41) + Int32(9) + Int32(14) + Int32(7) + Int32(39);
    EXPECT_EQ(bytes.substr(0, 28 + 1 + 28 + 2), header + Int32(1) + "a" + header + Int32(2) + "bb");
    EXPECT_EQ(bytes.size(), 168u + 10u);
    EXPECT_EQ(bytes.substr(bytes.size() - 6), Int32(2) + "ee");
}

TEST_F(DocumentContainerTest, TimesComeBackAtTwoSecondResolution) {
    WriteWork({"x", "y", "z", "", "", ""});
    ASSERT_TRUE(SetDosFileTime(work[0], JoinDosDateTime({2024, 2, 29, 23, 59, 59})));
    ASSERT_TRUE(SetDosFileTime(work[1], JoinDosDateTime({1980, 1, 1, 0, 0, 0})));
    ASSERT_TRUE(SetDosFileTime(work[2], JoinDosDateTime({2107, 12, 31, 12, 30, 1})));
    ASSERT_TRUE(PackDocument(doc, work));
    ASSERT_TRUE(UnpackDocument(doc, back));
    EXPECT_EQ(SplitDosDateTime(*GetDosFileTime(back[0])), (DosFields{2024, 2, 29, 23, 59, 58}));
    EXPECT_EQ(SplitDosDateTime(*GetDosFileTime(back[1])), (DosFields{1980, 1, 1, 0, 0, 0}));
    EXPECT_EQ(SplitDosDateTime(*GetDosFileTime(back[2])), (DosFields{2107, 12, 31, 12, 30, 0}));
}

TEST_F(DocumentContainerTest, LargeFileWithLineEndsAndEofMarksComesBackByteForByte) {
    std::string big(1000000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        static const char kPattern[] = {'\r', '\n', 26, 'A', '\0', '\xff', '\n', '\r'};
        big[i] = kPattern[(i * 7 + i / 13) % sizeof kPattern];
    }
    WriteWork({"", big, "", "", big.substr(0, 65537), ""});
    ASSERT_TRUE(PackDocument(doc, work));
    EXPECT_EQ(ReadFileBytes(doc).size(), 168u + 1000000u + 65537u);
    ASSERT_TRUE(UnpackDocument(doc, back));
    EXPECT_TRUE(ReadFileBytes(back[1]) == big);
    EXPECT_TRUE(ReadFileBytes(back[4]) == big.substr(0, 65537));
}

TEST_F(DocumentContainerTest, TruncatedInsideFourthEntryRestoresFirstThree) {
    std::string bytes = Entry("one") + Entry("two") + Entry("three") + Entry("fourth file");
    WriteFileBytes(doc, bytes.substr(0, bytes.size() - 4));
    WriteFileBytes(back[3], "stale");
    WriteFileBytes(back[4], "untouched");

    EXPECT_FALSE(UnpackDocument(doc, back));
    EXPECT_EQ(ReadFileBytes(back[0]), "one");
    EXPECT_EQ(ReadFileBytes(back[1]), "two");
    EXPECT_EQ(ReadFileBytes(back[2]), "three");
    EXPECT_TRUE(std::filesystem::exists(back[3]));
    EXPECT_EQ(ReadFileBytes(back[3]), "");
    EXPECT_EQ(ReadFileBytes(back[4]), "untouched");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 02 beim Öffnen!"});
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "Quillory Version 1.0");
    EXPECT_EQ(messages.shown()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
}

TEST_F(DocumentContainerTest, BadLengthsAndCutHeadersFailWithoutTrustingThem) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"2 GB", Entry("ok") + Entry("", 0x7fffffff)},
        {"negative", Entry("ok") + Entry("", -1)},
        {"high bit", Entry("ok") + Entry("", INT32_MIN)},
        {"one past the end", Entry("ok") + Entry("abc", 4)},
        {"cut header", Entry("ok") + Entry("abc").substr(0, 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        WriteFileBytes(doc, c.bytes);
        EXPECT_FALSE(UnpackDocument(doc, back));
        EXPECT_EQ(ReadFileBytes(back[0]), "ok");
        EXPECT_EQ(ReadFileBytes(back[1]), "");
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 02 beim Öffnen!"});
    }
}

TEST_F(DocumentContainerTest, DocumentEndingAtEntryBoundaryLeavesRestEmpty) {
    WriteFileBytes(doc, Entry("one") + Entry("two"));
    for (const std::string& file : back) {
        WriteFileBytes(file, "old");
    }
    EXPECT_TRUE(UnpackDocument(doc, back));
    EXPECT_EQ(ReadFileBytes(back[1]), "two");
    for (std::size_t i = 2; i < kDocumentSlotCount; ++i) {
        EXPECT_EQ(ReadFileBytes(back[i]), "");
    }
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(DocumentContainerTest, MissingDocumentOrWorkingFileIsReported) {
    EXPECT_FALSE(UnpackDocument(dir.file("nobody.qlr"), back));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 02 beim Öffnen!"});

    messages.clear();
    WriteFileBytes(doc, Entry("one") + Entry("two"));
    DocumentFiles blocked = back;
    blocked[1] = dir.file("no/such/dir/file");
    EXPECT_FALSE(UnpackDocument(doc, blocked));
    EXPECT_EQ(ReadFileBytes(back[0]), "one");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 01 beim Öffnen!"});
}

TEST_F(DocumentContainerTest, FailedWriteOfWorkingFileIsReported) {
    WriteFileBytes(doc, Entry("one") + Entry("two"));
    auto fault = ScopedFileFault::Quota([&](const std::string& path, size_t requested) {
        return path == back[1] ? requested / 2 : requested;
    });
    EXPECT_FALSE(UnpackDocument(doc, back));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 03 beim Öffnen!"});
}

class FailedSaveTest : public DocumentContainerTest {
protected:
    void SetUp() override {
        WriteWork({"first", "second", "third", "fourth", "fifth", "sixth"});
        ASSERT_TRUE(PackDocument(doc, work));
        previous = ReadFileBytes(doc);
        WriteWork({"FIRST", std::string(300000, 'x'), "THIRD", "FOURTH", "FIFTH", "SIXTH"});
    }

    // Only the document's directory entries that are not the document itself.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            std::string name = entry.path().filename().string();
            if (name.rfind(".Anna.qlr", 0) == 0) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::string previous;
};

TEST_F(FailedSaveTest, WriteFailingHalfWayKeepsPreviousDocument) {
    size_t written = 0;
    auto fault = ScopedFileFault::Quota([&](const std::string& path, size_t requested) {
        if (path != doc) {
            return requested;
        }
        size_t allowed =
            written + requested > 150000 ? 150000 - std::min<size_t>(written, 150000) : requested;
        written += allowed;
        return allowed;
    });
    EXPECT_FALSE(PackDocument(doc, work));
    EXPECT_TRUE(ReadFileBytes(doc) == previous);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 03 beim Speichern!"});
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(FailedSaveTest, MissingOrUnreadableWorkingFileKeepsPreviousDocument) {
    std::filesystem::remove(work[3]);
    EXPECT_FALSE(PackDocument(doc, work));
    EXPECT_TRUE(ReadFileBytes(doc) == previous);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 01 beim Speichern!"});
    EXPECT_TRUE(Leftovers().empty());

    messages.clear();
    DocumentFiles withDirectory = work;
    withDirectory[3] = dir.path(); // no regular file: not opened
    EXPECT_FALSE(PackDocument(doc, withDirectory));
    EXPECT_TRUE(ReadFileBytes(doc) == previous);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 01 beim Speichern!"});
}

TEST_F(FailedSaveTest, UnwritableDirectoryKeepsPreviousDocument) {
    if (::geteuid() == 0) {
        // Permissions do not stop root; a directory that cannot hold files still must fail.
        EXPECT_FALSE(PackDocument(dir.file("no/such/dir/Anna.qlr"), work));
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 03 beim Speichern!"});
        GTEST_SKIP() << "running as root: directory permissions are not enforced";
    }
    ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
    EXPECT_FALSE(PackDocument(doc, work));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_TRUE(ReadFileBytes(doc) == previous);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 03 beim Speichern!"});
}

} // namespace
