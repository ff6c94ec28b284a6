#include "platform/Profile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string ini() const { return dir.file("Quillory.Ini"); }
    void write(const std::string& text) const { WriteFileBytes(ini(), text); }
    std::string read() const { return ReadFileBytes(ini()); }
    std::string get(const std::string& s, const std::string& k) const {
        return GetPrivateProfileString(s, k, "<def>", ini());
    }

    TempDir dir;
};

TEST_F(ProfileTest, DefaultsWhenFileSectionOrKeyIsMissing) {
    EXPECT_EQ(get("LASTUSER", "NAME"), "<def>");
    EXPECT_EQ(GetPrivateProfileInt("LASTUSER", "N", 42, ini()), 42);
    write("[OTHER]\nNAME=x\n[LASTUSER]\nAGE=3\n");
    EXPECT_EQ(get("MISSING", "NAME"), "<def>");
    EXPECT_EQ(get("LASTUSER", "NAME"), "<def>");
    EXPECT_EQ(GetPrivateProfileInt("LASTUSER", "NAME", -7, ini()), -7);
}

TEST_F(ProfileTest, SectionsAndKeysIgnoreCaseAndFirstMatchWins) {
    write("[LastUser]\nName=Erika\nNAME=Hans\n[lastuser]\nname=Otto\n");
    EXPECT_EQ(get("LASTUSER", "NAME"), "Erika");
    EXPECT_EQ(get("lastuser", "name"), "Erika");
}

TEST_F(ProfileTest, BlanksTrimmedQuotesRemovedCrlfRead) {
    write("  [ LASTUSER ]  \r\n  NAME  =   \"Erika Muster\"  \r\nCITY = 'Köln'\r\nEMPTY=\r\n"
          "HALF=\"open\r\n");
    EXPECT_EQ(get("LASTUSER", "NAME"), "Erika Muster");
    EXPECT_EQ(get("LASTUSER", "CITY"), "Köln");
    EXPECT_EQ(get("LASTUSER", "EMPTY"), "");
    EXPECT_EQ(get("LASTUSER", "HALF"), "\"open");
}

TEST_F(ProfileTest, CommentsAndLinesWithoutEqualsAreNoKeys) {
    write("[S]\n;NAME=commented\n#NAME=hashed\nNAME\nNAME=real\n");
    EXPECT_EQ(get("S", "NAME"), "real");
    EXPECT_EQ(get("S", ";NAME"), "<def>");
}

TEST_F(ProfileTest, IntegersTakeTheLeadingDigits) {
    write("[N]\nA=5\nB=5x\nC=x\nD=-3\nE= +12 \nF=\nG=99999999999\nH=-\n");
    EXPECT_EQ(GetPrivateProfileInt("N", "A", 9, ini()), 5);
    EXPECT_EQ(GetPrivateProfileInt("N", "B", 9, ini()), 5);
    EXPECT_EQ(GetPrivateProfileInt("N", "C", 9, ini()), 0);
    EXPECT_EQ(GetPrivateProfileInt("N", "D", 9, ini()), -3);
    EXPECT_EQ(GetPrivateProfileInt("N", "E", 9, ini()), 12);
    EXPECT_EQ(GetPrivateProfileInt("N", "F", 9, ini()), 0);
    EXPECT_EQ(GetPrivateProfileInt("N", "G", 9, ini()), 2147483647);
    EXPECT_EQ(GetPrivateProfileInt("N", "H", 9, ini()), 0);
    EXPECT_EQ(GetPrivateProfileInt("N", "Z", 9, ini()), 9);
}

TEST_F(ProfileTest, WriteReplacesInPlaceAndKeepsEverythingElse) {
    write("; settings\n[LASTUSER]\n; who was last\nname = Erika\nOTHER=1\n\n[BACKUP]\nNAME=keep\n");
    ASSERT_TRUE(WritePrivateProfileString("lastuser", "NAME", "Hans", ini()));
    EXPECT_EQ(
        read(),
        "; settings\n[LASTUSER]\n; who was last\nNAME=Hans\nOTHER=1\n\n[BACKUP]\nNAME=keep\n");
    EXPECT_EQ(get("BACKUP", "NAME"), "keep");
}

TEST_F(ProfileTest, WriteAppendsKeyToItsSectionOrANewSection) {
    write("[A]\nX=1\n\n[B]\nY=2");
    ASSERT_TRUE(WritePrivateProfileString("A", "Z", "3", ini()));
    EXPECT_EQ(read(), "[A]\nX=1\nZ=3\n\n[B]\nY=2");
    ASSERT_TRUE(WritePrivateProfileString("B", "W", "4", ini()));
    EXPECT_EQ(read(), "[A]\nX=1\nZ=3\n\n[B]\nY=2\nW=4\n");
    ASSERT_TRUE(WritePrivateProfileString("C", "V", "5", ini()));
    EXPECT_EQ(read(), "[A]\nX=1\nZ=3\n\n[B]\nY=2\nW=4\n\n[C]\nV=5\n");
    EXPECT_EQ(get("A", "Z"), "3");
    EXPECT_EQ(get("C", "V"), "5");
}

TEST_F(ProfileTest, WriteKeepsCrlfLinesOfOthers) {
    write("[A]\r\nX=1\r\nY=2\r\n");
    ASSERT_TRUE(WritePrivateProfileString("A", "X", "9", ini()));
    EXPECT_EQ(read(), "[A]\r\nX=9\r\nY=2\r\n");
}

TEST_F(ProfileTest, WriteCreatesAMissingFilePrivately) {
    ASSERT_TRUE(WritePrivateProfileString("LASTUSER", "NAME", "Jürgen", ini()));
    EXPECT_EQ(read(), "[LASTUSER]\nNAME=Jürgen\n");
    struct stat st {};
    ASSERT_EQ(::stat(ini().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(get("LASTUSER", "NAME"), "Jürgen");
}

TEST_F(ProfileTest, EveryStorableValueReadsBackAsWritten) {
    const std::vector<std::string> values{
        "  Anna  ", "Anna ", "\tAnna",    "\"Anna\"",          "'Anna'",  "\"Anna", "Anna'", "\"",
        "\"\"",     " \" ",  "a \"b\" c", "/pfad/mit blank /", "''x\"\"", ""};
    for (const std::string& value : values) {
        ASSERT_TRUE(WritePrivateProfileString("LASTUSER", "NAME", value, ini())) << value;
        EXPECT_EQ(get("LASTUSER", "NAME"), value) << read();
    }
    // Values that need no quotes are written as they are.
    ASSERT_TRUE(WritePrivateProfileString("LASTUSER", "NAME", "Anna \"A\" B", ini()));
    EXPECT_EQ(read(), "[LASTUSER]\nNAME=Anna \"A\" B\n");
    EXPECT_FALSE(IsStorableProfileValue("/pfad/mit\nbruch"));
    EXPECT_TRUE(IsStorableProfileValue(" \"x\" "));
}

TEST_F(ProfileTest, WriteRefusesTextThatWouldBreakTheFile) {
    write("[A]\nX=1\n");
    EXPECT_FALSE(WritePrivateProfileString("A", "X", "two\nlines", ini()));
    EXPECT_FALSE(WritePrivateProfileString("A", "K=V", "1", ini()));
    EXPECT_FALSE(WritePrivateProfileString("A]", "X", "1", ini()));
    EXPECT_FALSE(WritePrivateProfileString("A", " ;X", "1", ini())); // would read as a comment
    EXPECT_FALSE(WritePrivateProfileString("A", "[X]", "1", ini()));
    EXPECT_FALSE(WritePrivateProfileString("A", "X", "1", dir.file("no/such/dir.ini")));
    EXPECT_EQ(read(), "[A]\nX=1\n");
}

TEST_F(ProfileTest, SeveralEntriesAreWrittenWholeOrNotAtAll) {
    write("[A]\nX=1\n");
    EXPECT_FALSE(WritePrivateProfileStrings({{"A", "X", "2"}, {"B", "Y", "two\nlines"}}, ini()));
    EXPECT_EQ(read(), "[A]\nX=1\n");
    EXPECT_TRUE(
        WritePrivateProfileStrings({{"A", "X", "2"}, {"B", "Y", "3"}, {"A", "Z", "4"}}, ini()));
    EXPECT_EQ(read(), "[A]\nX=2\nZ=4\n\n[B]\nY=3\n");
}

TEST(SetProfileValues, AllAtOnceAsOneAfterTheOther) {
    // Repeated and second sections, CRLF, a comment, a last line without its end, keys new and
    // old, in existing, repeated and new sections, one key set twice.
    const std::string text = "; Kopf\r\nlose=1\r\n[Common]\r\nA = 1\r\n; x\r\n\r\n[files]\n"
                             "FILE1=/a\n[COMMON]\nB=2\n[Files]\nFILE2=/b";
    const std::vector<ProfileEntry> entries = {
        {"COMMON", "a", "9"},     {"NEU", "X", "1"},        {"FILES", "FILE2", "/z"},
        {"Files", "FILE3", "/c"}, {"common", "B", "3"},     {"neu", "Y", "\"q\""},
        {"COMMON", "C", "4"},     {"FILES", "file3", "/d"}, {" Noch ", " K ", "v"}};
    // Keys go to the first section of their name, after its last key; new sections at the end.
    const std::string expected = "; Kopf\r\nlose=1\r\n[Common]\r\na=9\r\nB=3\nC=4\n; x\r\n\r\n"
                                 "[files]\nFILE1=/a\nFILE2=/z\nfile3=/d\n[COMMON]\nB=2\n[Files]\n"
                                 "FILE2=/b\n\n[NEU]\nX=1\nY=\"\"q\"\"\n\n[Noch]\nK=v\n";
    EXPECT_EQ(SetProfileValues(text, entries), expected);
    std::string oneByOne = text;
    for (const ProfileEntry& e : entries)
        oneByOne = SetProfileValue(oneByOne, e.section, e.key, e.value);
    EXPECT_EQ(oneByOne, expected);
    EXPECT_EQ(SetProfileValues("", entries), [&] {
        std::string fresh;
        for (const ProfileEntry& e : entries)
            fresh = SetProfileValue(fresh, e.section, e.key, e.value);
        return fresh;
    }());
    // Read back: the first value of a key in the text, quotes as written; none outside a section.
    const TempDir dir;
    WriteFileBytes(dir.file("x.ini"), expected);
    const TProfileSnapshot snapshot(dir.file("x.ini"));
    for (const auto& [section, key, value] : std::vector<ProfileEntry>{{"common", "A", "9"},
                                                                       {"COMMON", "b", "3"},
                                                                       {"files", "FILE2", "/z"},
                                                                       {"neu", "Y", "\"q\""},
                                                                       {" noch", "k ", "v"},
                                                                       {"x", "lose", "-"}}) {
        EXPECT_EQ(snapshot.String(section, key, "-"), value) << section << "/" << key;
        std::string found = "-";
        FindProfileValue(expected, section, key, found);
        EXPECT_EQ(found, value) << section << "/" << key;
    }
}

} // namespace
