#include "ExchangeTestData.h"

#include "exchange/KdbxFile.h"
#include "exchange/KdbxXml.h"

#include <gtest/gtest.h>

using namespace kdbx;

namespace {

void ExpectSameGroups(const KdbxGroup& a, const KdbxGroup& b) {
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.entries.size(), b.entries.size()) << a.name;
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const auto& x = a.entries[i].strings;
        for (const KdbxString& s : x) {
            EXPECT_EQ(b.entries[i].Value(s.key), s.value) << a.name << " " << i << " " << s.key;
        }
    }
    ASSERT_EQ(a.groups.size(), b.groups.size());
    for (std::size_t i = 0; i < a.groups.size(); ++i)
        ExpectSameGroups(a.groups[i], b.groups[i]);
}

} // namespace

TEST(KdbxFile, WrittenFileReadsBackEveryValueAndFlag) {
    const KdbxDatabase db = AwkwardDatabase();
    const std::string file = WriteKdbx(db, "Geheim ß€", TestKdf());
    ASSERT_FALSE(file.empty());
    const ReadResult read = ReadKdbx(file, "Geheim ß€");
    ASSERT_TRUE(read.db) << read.detail;
    EXPECT_EQ(read.db->name, db.name);
    ExpectSameGroups(db.root, read.db->root);
    const KdbxEntry& e = read.db->root.groups[1].entries[2];
    EXPECT_TRUE(e.strings[2].protect);
    EXPECT_FALSE(e.strings[1].protect);
    EXPECT_TRUE(e.strings[6].protect);
}

TEST(KdbxFile, WrongPasswordAndEveryDamageAreFaultsNeverCrashes) {
    KdbxDatabase db = AwkwardDatabase();
    db.root.groups.resize(1);
    const std::string file = WriteKdbx(db, "pw", TestKdf());
    EXPECT_EQ(ReadKdbx(file, "PW").fault, ReadFault::WrongPassword);
    EXPECT_EQ(ReadKdbx("not a database", "pw").fault, ReadFault::NotKdbx);
    // Cut and flipped at many places: a fault each time, never a value from a broken file.
    for (std::size_t at = 8; at < file.size(); at += file.size() / 40) {
        EXPECT_NE(ReadKdbx(file.substr(0, at), "pw").fault, ReadFault::None) << at;
        std::string flipped = file;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
        EXPECT_NE(ReadKdbx(flipped, "pw").fault, ReadFault::None) << at;
    }
}

TEST(KdbxFile, HostileKeyDerivationIsRefusedUnrun) {
    KdbxDatabase db;
    // Written with a cheap derivation, then the header's memory figure raised: the reader must
    // refuse before deriving anything.
    const std::string cheap = WriteKdbx(db, "pw", TestKdf());
    std::string hostile = cheap;
    const std::string memoryKey = std::string("\x01\x00\x00\x00M", 5);
    const auto at = hostile.find(memoryKey);
    ASSERT_NE(at, std::string::npos);
    // A tebibyte, with the header's plain hash made to fit again.
    hostile.replace(at + memoryKey.size() + 4, 8,
                    std::string("\x00\x00\x00\x00\x00\x01\x00\x00", 8));
    const std::size_t end = hostile.find("\r\n\r\n") + 4;
    hostile.replace(end, 32, Sha256(std::string_view(hostile).substr(0, end)));
    EXPECT_EQ(ReadKdbx(hostile, "pw").fault, ReadFault::TooCostly);
}

TEST(KdbxXml, KeePassXmlExportWithHistoryAndAttachmentsReads) {
    const std::string xml = R"(<?xml version="1.0" encoding="utf-8"?>
<KeePassFile><Meta><DatabaseName>Alt</DatabaseName>
<Binaries><Binary ID="0">SGFsbG8=</Binary></Binaries>
<RecycleBinUUID>AAAAAAAAAAAAAAAAAAAAAQ==</RecycleBinUUID></Meta>
<Root><Group><Name>Root</Name>
<Entry><String><Key>Title</Key><Value>Bank</Value></String>
<String><Key>Password</Key><Value ProtectInMemory="True">geh&#13;
eim</Value></String>
<Binary><Key>scan.pdf</Key><Value Ref="0"/></Binary>
<History><Entry><String><Key>Title</Key><Value>alt</Value></String></Entry></History>
</Entry>
<Group><UUID>AAAAAAAAAAAAAAAAAAAAAQ==</UUID><Name>Papierkorb</Name>
<Entry><String><Key>Title</Key><Value>weg</Value></String></Entry></Group>
</Group></Root></KeePassFile>)";
    std::string error;
    std::string deep = "<KeePassFile><Root><Group><Entry>";
    for (int i = 0; i < 100000; ++i)
        deep += "<History><Entry>";
    EXPECT_FALSE(ReadXml(deep, nullptr, {}, error)); // refused, not a stack overflow
    const auto db = ReadXml(xml, nullptr, {}, error);
    ASSERT_TRUE(db) << error;
    ASSERT_EQ(db->root.entries.size(), 1u);
    const KdbxEntry& e = db->root.entries[0];
    EXPECT_EQ(e.Value("Password"), "geh\r\neim");
    EXPECT_TRUE(e.strings[1].protect);
    ASSERT_EQ(e.attachments.size(), 1u);
    EXPECT_EQ(e.attachments[0].size, 5u);
    EXPECT_EQ(db->root.groups[0].uuid, db->recycleBinUuid);
    EXPECT_FALSE(ReadXml("<KeePassFile><Root>", nullptr, {}, error));
}
