#include "store/TDataSetManager.h"

#include "platform/FileServices.h"
#include "platform/SystemDirs.h"
#include "platform/file/FileFault.h"
#include "store/CategorySchema.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The first text and the first memo field of the first table.
std::string FirstTextField() {
    for (const SchemaField& field : TableFields(TableIndex::First))
        if (!field.memo)
            return field.name;
    return "";
}

std::string FirstMemoField() {
    for (const SchemaField& field : TableFields(TableIndex::First))
        if (field.memo)
            return field.name;
    return "";
}

int FileCount(const std::string& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++n;
    return n;
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

class DataSetManagerTest : public ::testing::Test {
protected:
    TempDir m_temp;
    TempDir m_docs;
    ScopedSystemDirs m_dirs{QUILLORY_TEMPLATE_DIR, m_temp.path()};
    std::string m_document = m_docs.file("Prüfer.qlr");

    // A new user's document, packed and closed.
    bool CreateDocument() {
        TDataSetManager writer;
        writer.SetDocumentPath(m_document);
        writer.Create();
        const bool created = writer.IsOpen;
        writer.Close();
        return created;
    }
};

TEST_F(DataSetManagerTest, StoredFieldsComeBackFromThePackedDocument) {
    ScriptedMessages messages;
    const std::string text = FirstTextField();
    const std::string memo = FirstMemoField();
    ASSERT_FALSE(text.empty());
    ASSERT_FALSE(memo.empty());
    const std::string longText(300, 'x');
    {
        TDataSetManager manager;
        manager.SetDocumentPath(m_document);
        manager.Create();
        ASSERT_TRUE(manager.IsOpen) << "templates in " << QUILLORY_TEMPLATE_DIR;
        // A reserved file and three working files a table, and the in-use marker.
        EXPECT_EQ(FileCount(manager.WorkDirectoryPath()), kTableCount * 4 + 1);
        TQuery& table = *manager.FirstTable;
        table.Edit();
        manager.StoreField(table, "Ärztin Müller", text);
        manager.StoreMemo(table, "Zeile eins\r\nZeile zwei", memo);
        table.Post();
        manager.Close();
        EXPECT_FALSE(manager.IsOpen);
    }
    EXPECT_TRUE(messages.texts().empty());
    ASSERT_TRUE(fs::exists(m_document));
    EXPECT_GT(fs::file_size(m_document), 0u);
    EXPECT_EQ(FileCount(m_temp.path()), 0);

    TDataSetManager reader;
    reader.Open(m_document);
    ASSERT_TRUE(reader.IsOpen);
    std::string value;
    reader.LoadField(*reader.FirstTable, value, text);
    EXPECT_EQ(value, "Ärztin Müller");
    reader.LoadMemo(*reader.FirstTable, value, memo);
    EXPECT_EQ(value, "Zeile eins\r\nZeile zwei");
    // A memo read as lines: a lone LF ends a line too, the last line end goes.
    reader.FirstTable->Edit();
    reader.FirstTable->objFieldByName(memo)->propAsString("a\nb\r\nc\r\n");
    reader.LoadMemo(*reader.FirstTable, value, memo);
    EXPECT_EQ(value, "a\r\nb\r\nc");
    reader.FirstTable->Cancel();
    reader.Close();
    EXPECT_EQ(FileCount(m_temp.path()), 0);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(DataSetManagerTest, StoreFieldCutsAtTwoHundredFiftyFiveCharacters) {
    ScriptedMessages messages;
    TDataSetManager manager;
    manager.SetDocumentPath(m_document);
    manager.Create();
    ASSERT_TRUE(manager.IsOpen);
    TQuery& table = *manager.FirstTable;
    const std::string name = FirstTextField();
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += "ö";
    table.Edit();
    manager.StoreField(table, umlauts, name);
    std::string value;
    manager.LoadField(table, value, name);
    EXPECT_EQ(value, umlauts.substr(0, 255 * 2));
    manager.StoreField(table, std::string(255, 'a'), name);
    manager.LoadField(table, value, name);
    EXPECT_EQ(value, std::string(255, 'a'));
    table.Cancel();
    manager.Close();
}

TEST_F(DataSetManagerTest, MissingTemplateWritesNothing) {
    ScriptedMessages messages;
    TempDir empty;
    SystemDirs::SetProgramDirectory(empty.path());
    TDataSetManager manager;
    manager.SetDocumentPath(m_document);
    manager.Create();
    EXPECT_FALSE(manager.IsOpen);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "Fehler 04 beim Öffnen!");
    EXPECT_FALSE(fs::exists(m_document));
    EXPECT_EQ(FileCount(m_temp.path()), 0);
    manager.Close();
    EXPECT_EQ(messages.texts().size(), 1u);
}

TEST_F(DataSetManagerTest, EmptyDocumentOpensAsNewUser) {
    ScriptedMessages messages;
    WriteFileBytes(m_document, "");
    TDataSetManager manager;
    manager.Open(m_document);
    EXPECT_TRUE(manager.IsOpen);
    manager.Close();
    EXPECT_GT(fs::file_size(m_document), 0u);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(DataSetManagerTest, DamagedDocumentLeavesTablesClosedAndTempDirClean) {
    ScriptedMessages messages;
    WriteFileBytes(m_document, "kein Dokument");
    TDataSetManager manager;
    manager.Open(m_document);
    EXPECT_FALSE(manager.IsOpen);
    EXPECT_FALSE(manager.FirstTable->propActive());
    EXPECT_FALSE(messages.texts().empty());
    EXPECT_EQ(FileCount(m_temp.path()), 0);
    manager.Close();
    EXPECT_EQ(ReadFileBytes(m_document), "kein Dokument");
}

TEST_F(DataSetManagerTest, SecondManagerOnTheSameDocumentIsRefused) {
    ScriptedMessages messages;
    TDataSetManager first;
    first.SetDocumentPath(m_document);
    first.Create();
    ASSERT_TRUE(first.IsOpen);
    first.Close();
    first.Open(m_document);
    ASSERT_TRUE(first.IsOpen);
    const std::string before = ReadFileBytes(m_document);

    TDataSetManager second;
    second.Open(m_document);
    EXPECT_TRUE(second.IsLocked());
    EXPECT_FALSE(second.IsOpen);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0],
              "Das Dokument wird bereits von einem anderen Quillory-Programm benutzt.");
    second.Close();
    EXPECT_EQ(ReadFileBytes(m_document), before);
    EXPECT_EQ(FileCount(m_temp.path()), 1); // only the first manager's directory

    TDataSetManager creator;
    creator.SetDocumentPath(m_document);
    creator.Create();
    EXPECT_TRUE(creator.IsLocked());
    first.Close();
    EXPECT_EQ(FileCount(m_temp.path()), 0);
    second.Open(m_document);
    EXPECT_FALSE(second.IsLocked());
    EXPECT_TRUE(second.IsOpen);
}

TEST_F(DataSetManagerTest, DamagedFirstTableGivesOneMessageAndLeavesTheDocumentAlone) {
    ScriptedMessages messages;
    ASSERT_TRUE(CreateDocument());
    // Flip one byte inside the first entry's data: the first table's main file.
    std::string bytes = ReadFileBytes(m_document);
    const uint32_t length = static_cast<uint8_t>(bytes[24]) | static_cast<uint8_t>(bytes[25]) << 8 |
                            static_cast<uint8_t>(bytes[26]) << 16;
    ASSERT_GT(length, 16u);
    bytes[28 + length / 2] ^= 0x5a;
    WriteFileBytes(m_document, bytes);

    TDataSetManager manager;
    manager.Open(m_document);
    EXPECT_FALSE(manager.IsOpen);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler beim Öffnen der Datenbank!"});
    EXPECT_FALSE(manager.FirstTable->propActive());
    EXPECT_FALSE(manager.SecondTable->propActive());
    manager.Close();
    EXPECT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(ReadFileBytes(m_document), bytes);
    EXPECT_EQ(FileCount(m_temp.path()), 0);
}

TEST_F(DataSetManagerTest, FailedSaveKeepsTheDocumentAndTheWorkingFilesForTheNextLogin) {
    ScriptedMessages messages;
    const std::string field = FirstTextField();
    ASSERT_TRUE(CreateDocument());
    const std::string before = ReadFileBytes(m_document);

    TDataSetManager manager;
    manager.Open(m_document);
    ASSERT_TRUE(manager.IsOpen);
    TQuery& table = *manager.FirstTable;
    table.Edit();
    manager.StoreField(table, "neu", field);
    table.Post();
    const DocumentFiles working = manager.WorkFiles;

    // The disk beside the document fills up half-way through the save.
    const std::string docs = m_docs.path();
    {
        auto fault = ScopedFileFault::Quota([docs](const std::string& path, size_t requested) {
            return path.rfind(docs, 0) == 0 ? requested / 2 : requested;
        });
        manager.Close();
    }

    EXPECT_EQ(ReadFileBytes(m_document), before);
    for (const std::string& file : working)
        EXPECT_TRUE(fs::exists(file)) << file;
    ASSERT_FALSE(messages.texts().empty());
    const std::string last = messages.texts().back();
    EXPECT_NE(last.find("bei der nächsten Anmeldung"), std::string::npos) << last;
    EXPECT_EQ(FileCount(m_docs.path()), 1) << "no half-written file is left beside the document";

    // An earlier version's note names the first two tables' six files only: still taken in.
    const std::string note = fs::path(working[0]).parent_path().string() + "/stranded.txt";
    std::string lines = ReadFileBytes(note);
    std::size_t end = 0;
    for (std::size_t line = 0; line <= kEarliestSlotCount; ++line)
        end = lines.find('\n', end) + 1;
    WriteFileBytes(note, lines.substr(0, end));

    // The next login takes the stranded work in and removes it. Without its state table the old
    // note's work says nothing of what it had seen: its entry is offered as a conflict.
    TDataSetManager next;
    next.Open(m_document);
    ASSERT_TRUE(next.IsOpen);
    EXPECT_EQ(next.TakeInStrandedWork(), 1);
    ASSERT_EQ(next.Sync().Conflicts().size(), 1u);
    EXPECT_EQ(next.Sync().Conflicts()[0].theirs, "neu");
    ASSERT_TRUE(next.Sync().Resolve(0, true, next.Work()));
    ASSERT_TRUE(next.Save());
    std::string value;
    next.LoadField(*next.FirstTable, value, field);
    EXPECT_EQ(value, "neu");
    EXPECT_TRUE(ReadFileBytes(m_document) != before);
    EXPECT_FALSE(fs::exists(working[0]));
    EXPECT_EQ(next.TakeInStrandedWork(), 0);
}

TEST_F(DataSetManagerTest, WorkingFilesArePrivateFromTheFirstByteAndNothingPlantedIsUsed) {
    ScriptedMessages messages;
    // Templates readable by everybody, as an installation has them.
    TempDir program;
    for (int i = 0; i < kSlotCount; ++i) {
        fs::copy_file(SystemDirs::WithTrailingSlash(QUILLORY_TEMPLATE_DIR) + SlotTemplateName(i),
                      program.file(SlotTemplateName(i)));
        fs::permissions(program.file(SlotTemplateName(i)), fs::perms(0644));
    }
    SystemDirs::SetProgramDirectory(program.path());
    // What another user could leave in the shared temporary directory.
    const std::string victim = m_docs.file("victim");
    WriteFileBytes(victim, "fremd");
    for (const char* name : {"tmp000000.tmp", "tmp000000.DB", "tmp000000.PX", "tmp000000.MB"}) {
        fs::create_symlink(victim, m_temp.file(std::string("link-") + name));
        WriteFileBytes(m_temp.file(name), "fremd");
    }
    const int planted = FileCount(m_temp.path());

    auto expectPrivate = [&](const TDataSetManager& manager) {
        const std::string dir = manager.WorkDirectoryPath();
        ASSERT_EQ(dir.rfind(m_temp.path() + "quillory-", 0), 0u) << dir;
        const struct stat st = StatOf(dir.substr(0, dir.size() - 1));
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
        for (const auto& entry : fs::directory_iterator(dir)) {
            const struct stat file = StatOf(entry.path().string());
            EXPECT_TRUE(S_ISREG(file.st_mode)) << entry.path();
            EXPECT_EQ(file.st_mode & 07777, 0600u) << entry.path();
        }
        for (int i = 0; i < kSlotCount; ++i) {
            const std::string name = fs::path(manager.WorkFiles[i]).filename().string();
            EXPECT_EQ(fs::path(manager.WorkFiles[i]).parent_path().string() + "/", dir);
            EXPECT_EQ(name.rfind("tmp", 0), 0u) << name;
            EXPECT_EQ(fs::path(name).extension().string(), SlotExtension(i));
            EXPECT_EQ(fs::path(name).stem(), fs::path(manager.ReservedFiles[i / 3]).stem());
        }
    };
    {
        TDataSetManager manager;
        manager.SetDocumentPath(m_document);
        manager.Create();
        ASSERT_TRUE(manager.IsOpen);
        expectPrivate(manager);
        // A working file's name taken by a link or a foreign file is refused, not followed.
        WorkDirectory dir;
        ASSERT_TRUE(dir.Make());
        fs::create_symlink(victim, dir.Path() + "link");
        WriteFileBytes(dir.Path() + "foreign", "fremd");
        EXPECT_FALSE(dir.CreateFile(dir.Path() + "link"));
        EXPECT_FALSE(dir.CreateFile(dir.Path() + "foreign"));
        EXPECT_EQ(ReadFileBytes(dir.Path() + "foreign"), "fremd");
        dir.Remove();
        manager.Close();
    }
    TDataSetManager manager;
    manager.Open(m_document);
    ASSERT_TRUE(manager.IsOpen);
    expectPrivate(manager);
    const std::string dir = manager.WorkDirectoryPath();
    manager.Close();
    EXPECT_FALSE(fs::exists(dir)) << "the directory goes with the files";
    EXPECT_EQ(FileCount(m_temp.path()), planted);
    EXPECT_EQ(ReadFileBytes(victim), "fremd");
    EXPECT_EQ(ReadFileBytes(m_temp.file("tmp000000.DB")), "fremd");
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(DataSetManagerTest, TheLockFollowsTheNameSoOnlyOneProgramWritesTheDocument) {
    ScriptedMessages messages;
    const std::string field = FirstTextField();
    auto store = [&](TDataSetManager& manager, const std::string& value) {
        manager.FirstTable->Edit();
        manager.StoreField(*manager.FirstTable, value, field);
        manager.FirstTable->Post();
    };
    auto stored = [&]() {
        TDataSetManager reader;
        reader.Open(m_document);
        std::string value;
        if (reader.IsOpen)
            reader.LoadField(*reader.FirstTable, value, field);
        return value;
    };
    TDataSetManager first;
    first.SetDocumentPath(m_document);
    first.Create();
    ASSERT_TRUE(first.IsOpen);
    store(first, "erstes");
    // A save puts a new file in the document's place: the lock moves with it.
    ASSERT_TRUE(first.Save());
    TDataSetManager second;
    second.Open(m_document);
    EXPECT_TRUE(second.IsLocked());
    EXPECT_FALSE(second.IsOpen);

    // Deleted while the first one has it, then made anew by a second program.
    ASSERT_EQ(::unlink(m_document.c_str()), 0);
    second.SetDocumentPath(m_document);
    second.Create();
    ASSERT_TRUE(second.IsOpen);
    EXPECT_FALSE(second.IsLocked());
    store(second, "zweites");
    ASSERT_TRUE(second.Save());
    messages.clear();

    store(first, "überschrieben?");
    EXPECT_FALSE(first.Save());
    const std::vector<std::string> working(first.WorkFiles.begin(), first.WorkFiles.end());
    first.Close();
    // The new file is another program's on this machine: no merge, no write.
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_NE(messages.texts()[1].find("bereits von einem anderen Quillory-Programm benutzt"),
              std::string::npos)
        << messages.texts()[1];
    for (const std::string& file : working)
        EXPECT_TRUE(fs::exists(file)) << "kept for the user: " << file;
    EXPECT_TRUE(second.IsOpen);
    second.Close();
    EXPECT_EQ(stored(), "zweites");
}

TEST_F(DataSetManagerTest, WorkingFilesThatCannotBeMadeAreSaidAndPacksLeftByAKillGo) {
    ScriptedMessages messages;
    ASSERT_TRUE(CreateDocument());
    // A save killed before its rename left its new file; another user's stays, also one
    // whose name begins with this user's.
    const std::string leftover = m_docs.file(".Prüfer.qlr.a1B2c3.tmp");
    const std::string others[] = {m_docs.file(".Anna.qlr.a1B2c3.tmp"),
                                  m_docs.file(".Prüfer.qlr.x.qlr.a1B2c3.tmp")};
    for (const std::string& file : {leftover, others[0], others[1]})
        WriteFileBytes(file, "halb");
    {
        TDataSetManager manager;
        manager.Open(m_document);
        EXPECT_TRUE(manager.IsOpen);
        manager.Close();
    }
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(fs::exists(others[0]) && fs::exists(others[1]));
    EXPECT_TRUE(messages.texts().empty());

    // Neither the temporary directory (a file here) nor the current one (/proc) take files.
    const fs::path cwd = fs::current_path();
    SystemDirs::SetTempDirectory(m_document + "/");
    fs::current_path("/proc");
    TDataSetManager manager;
    manager.Open(m_document);
    EXPECT_FALSE(manager.IsOpen);
    manager.SetDocumentPath(m_docs.file("Neu.qlr"));
    manager.Create();
    EXPECT_FALSE(manager.IsOpen);
    fs::current_path(cwd);
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Fehler 01 beim Öffnen!", "Fehler 04 beim Öffnen!"}));
    EXPECT_FALSE(fs::exists(m_docs.file("Neu.qlr")));
}

} // namespace

// A full disk at a form's OK and again at the end: one note, found by the next login, which
// takes both entries in.
TEST_F(DataSetManagerTest, TwoFailedSavesOfOneRunLeaveOneNoteForTheNextLogin) {
    ScriptedMessages messages;
    const std::string field = FirstTextField();
    ASSERT_TRUE(CreateDocument());
    const std::string before = ReadFileBytes(m_document);
    const std::string docs = m_docs.path();
    auto full = [&docs](const std::string& path, size_t requested) {
        return path.rfind(docs, 0) == 0 ? size_t{0} : requested;
    };
    {
        TDataSetManager manager;
        manager.Open(m_document);
        ASSERT_TRUE(manager.IsOpen);
        for (const char* value : {"erste", "zweite"}) {
            TQuery& table = value[0] == 'e' ? *manager.FirstTable : *manager.SecondTable;
            const std::string name = value[0] == 'e' ? field : "E2_100";
            table.Edit();
            manager.StoreField(table, value, name);
            table.Post();
            auto fault = ScopedFileFault::Quota(full);
            if (value[0] == 'e')
                EXPECT_FALSE(manager.Save());
            else
                EXPECT_FALSE(manager.Close());
        }
    }
    EXPECT_EQ(messages.texts().size(), 4u) << ::testing::PrintToString(messages.texts());
    EXPECT_EQ(ReadFileBytes(m_document), before);
    TDataSetManager next;
    next.Open(m_document);
    ASSERT_TRUE(next.IsOpen);
    EXPECT_EQ(next.TakeInStrandedWork(), 1);
    std::string first, second;
    next.LoadField(*next.FirstTable, first, field);
    next.LoadField(*next.SecondTable, second, "E2_100");
    EXPECT_EQ(first, "erste");
    EXPECT_EQ(second, "zweite");
}
