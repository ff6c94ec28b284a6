#include "store/TDataSetManager.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"
#include "store/EngineCalls.h"
#include "store/StateFolder.h"
#include "store/TSession.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

namespace {

// Two program folders holding one user's document, as two machines behind a sync engine. The
// machines share this process and so one state folder; each document has its own history there.
struct TwoMachines {
    TempDir m_temp, m_pc, m_laptop;
    ScopedSystemDirs m_dirs{QUILLORY_TEMPLATE_DIR, m_temp.path()};
    std::string m_a = m_pc.file("Prüfer.qlr");
    std::string m_b = m_laptop.file("Prüfer.qlr");

    TwoMachines() {
        TDataSetManager writer;
        writer.SetDocumentPath(m_a);
        writer.Create();
        EXPECT_TRUE(writer.IsOpen);
        writer.Close();
        Carry(m_a, m_b);
    }

    // What a sync engine does: the other machine's version written beside, renamed over.
    static void Carry(const std::string& from, const std::string& to) {
        WholeFile bytes = ReadWholeFile(from);
        ASSERT_TRUE(bytes);
        const std::string temp = to + ".syncthing.tmp";
        ASSERT_TRUE(AtomicWriteFile(temp, bytes.bytes));
        ASSERT_EQ(std::rename(temp.c_str(), to.c_str()), 0);
    }

    static TQuery& TableOf(TDataSetManager& m, const std::string& name) {
        const int i = DocumentFieldIndex(name);
        EXPECT_GE(i, 0) << name;
        return m.Table(DocumentFields()[static_cast<std::size_t>(std::max(i, 0))].table);
    }

    static void Set(TDataSetManager& m, const std::string& name, const std::string& value) {
        TQuery& table = TableOf(m, name);
        table.Edit();
        table.objFieldByName(name)->propAsString(value);
        table.Post();
    }

    static std::string Get(const std::string& document, const std::string& name) {
        TDataSetManager reader;
        reader.Open(document);
        EXPECT_TRUE(reader.IsOpen);
        std::string value;
        if (reader.IsOpen)
            reader.LoadField(TableOf(reader, name), value, name);
        reader.Close();
        return value;
    }
};

// The laptop saves the doctor's name, its version replaces the PC's document, then the PC
// saves the address: both reach both documents; a field both changed differently keeps this
// machine's value and lists the other one.
TEST(DocumentSyncTest, EditsOfBothMachinesReachBothDocuments) {
    struct Case {
        const char* laptopField;
        const char* laptopValue;
        const char* pcField;
        const char* pcValue;
        std::size_t conflicts;
    };
    const Case cases[] = {
        {"E8_100", "Dr. Weiß", "E8_101", "Hauptstraße 1", 0}, // one table, different fields
        {"E8_100", "Dr. Weiß", "E2_100", "0711 123456", 0},   // different tables
        {"E8_100", "Dr. Weiß", "E8_100", "Dr. Weiß", 0},      // the same change
        {"E8_100", "Dr. Weiß", "E8_100", "Dr. Schwarz", 1},   // a conflict
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.laptopField) + " " + c.pcField + " " + c.pcValue);
        TwoMachines machines;
        const std::string& m_a = machines.m_a;
        const std::string& m_b = machines.m_b;
        ScriptedMessages messages;
        TDataSetManager pc, laptop;
        pc.Open(m_a);
        laptop.Open(m_b);
        ASSERT_TRUE(pc.IsOpen && laptop.IsOpen);
        TwoMachines::Set(laptop, c.laptopField, c.laptopValue);
        ASSERT_TRUE(laptop.Save());
        TwoMachines::Carry(m_b, m_a);
        TwoMachines::Set(pc, c.pcField, c.pcValue);
        EXPECT_TRUE(pc.Save());
        EXPECT_EQ(pc.Sync().Conflicts().size(), c.conflicts);
        const SyncReport report = pc.Sync().TakeReport();
        EXPECT_EQ(report.conflicts, c.conflicts);
        pc.Close();
        TwoMachines::Carry(m_a, m_b);
        laptop.Close(); // the laptop's exit takes the PC's save in
        // Each machine keeps its own value of a conflict and lists the other one.
        EXPECT_EQ(laptop.Sync().Conflicts().size(), c.conflicts);
        EXPECT_EQ(TwoMachines::Get(m_a, c.pcField), c.pcValue);
        EXPECT_EQ(TwoMachines::Get(m_b, c.pcField), c.conflicts ? c.laptopValue : c.pcValue);
        if (std::string(c.pcField) != c.laptopField) {
            EXPECT_EQ(TwoMachines::Get(m_a, c.laptopField), c.laptopValue);
            EXPECT_EQ(TwoMachines::Get(m_b, c.laptopField), c.laptopValue);
        }
        EXPECT_TRUE(messages.texts().empty()) << messages.texts().front();
        if (c.conflicts) {
            // Kept outside the program folder, back at the next login, and taken on request.
            TDataSetManager again;
            again.Open(m_a);
            again.Sync().LoadConflicts();
            ASSERT_EQ(again.Sync().Conflicts().size(), 1u);
            EXPECT_EQ(again.Sync().Conflicts()[0].theirs, c.laptopValue);
            EXPECT_TRUE(again.Sync().Resolve(0, true, again.Work()));
            again.Close();
            EXPECT_EQ(TwoMachines::Get(m_a, c.pcField), c.laptopValue);
            TDataSetManager later;
            later.Open(m_a);
            later.Sync().LoadConflicts();
            EXPECT_TRUE(later.Sync().Conflicts().empty());
        }
    }
}

// A program from before the third table saves on the laptop: its document holds the first two
// tables only. The PC takes the laptop's change in and keeps what its later tables hold.
TEST(DocumentSyncTest, VersionWithoutALaterTableLeavesItsFieldsAsTheyAre) {
    TwoMachines machines;
    ScriptedMessages messages;
    TDataSetManager pc;
    pc.Open(machines.m_a);
    ASSERT_TRUE(pc.IsOpen);
    TwoMachines::Set(pc, "E11_100", "Strom");
    ASSERT_TRUE(pc.Save());
    TwoMachines::Carry(machines.m_a, machines.m_b);
    {
        TDataSetManager laptop;
        laptop.Open(machines.m_b);
        TwoMachines::Set(laptop, "E8_100", "Dr. Weiß");
        ASSERT_TRUE(laptop.Close());
    }
    DocumentFiles files;
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = machines.m_temp.file("old" + std::to_string(i));
    ASSERT_TRUE(UnpackDocument(machines.m_b, files));
    std::fill(files.begin() + kEarliestSlotCount, files.end(), std::string());
    ASSERT_TRUE(PackDocument(machines.m_b, files));
    TwoMachines::Carry(machines.m_b, machines.m_a);
    EXPECT_TRUE(pc.Save());
    EXPECT_TRUE(pc.Sync().Conflicts().empty());
    pc.Close();
    EXPECT_EQ(TwoMachines::Get(machines.m_a, "E8_100"), "Dr. Weiß");
    EXPECT_EQ(TwoMachines::Get(machines.m_a, "E11_100"), "Strom");
    EXPECT_TRUE(messages.texts().empty()) << messages.texts().front();
}

// Both machines saved while the link was down; the sync engine kept the laptop's version as
// the document and the PC's as a conflict copy. The PC's next login merges the copy and moves it
// out of the program folder; a copy that cannot be read stays and is named.
TEST(DocumentSyncTest, ConflictCopiesAreMergedAtTheLoginAndPutAside) {
    TwoMachines machines;
    ScriptedMessages messages;
    for (auto [doc, field, value] : {std::tuple{machines.m_a, "E8_100", "Dr. Weiß"},
                                     std::tuple{machines.m_b, "E2_100", "0711 123456"}}) {
        TDataSetManager machine;
        machine.Open(doc);
        TwoMachines::Set(machine, field, value);
        machine.Close();
    }
    const std::string copy = machines.m_pc.file("Prüfer.sync-conflict-20261209-101500-ABCDEF1.qlr");
    const std::string broken = machines.m_pc.file("Prüfer (conflicted copy 2026-12-09 1015).qlr");
    ASSERT_EQ(std::rename(machines.m_a.c_str(), copy.c_str()), 0);
    TwoMachines::Carry(machines.m_b, machines.m_a);
    ASSERT_TRUE(AtomicWriteFile(broken, "kein Dokument"));

    TDataSetManager pc;
    pc.Open(machines.m_a);
    EXPECT_EQ(pc.TakeInConflictCopies(), 1) << ::testing::PrintToString(messages.texts());
    EXPECT_TRUE(pc.Sync().Conflicts().empty());
    pc.Close();
    EXPECT_EQ(TwoMachines::Get(machines.m_a, "E8_100"), "Dr. Weiß");
    EXPECT_EQ(TwoMachines::Get(machines.m_a, "E2_100"), "0711 123456");
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_TRUE(std::filesystem::exists(broken));
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_NE(messages.texts().back().find("(conflicted copy 2026-12-09 1015).qlr"),
              std::string::npos);
}

// The laptop set a password; the PC's next save takes the laptop's edit and its protection.
TEST(DocumentSyncTest, ThePasswordSetOnTheOtherMachineIsKept) {
    Session().SetKdfCost(1, 8192);
    TwoMachines machines;
    ScriptedMessages messages;
    TDataSetManager pc, laptop;
    pc.Open(machines.m_a);
    laptop.Open(machines.m_b);
    ASSERT_TRUE(pc.IsOpen && laptop.IsOpen);
    TwoMachines::Set(laptop, "E8_100", "Dr. Weiß");
    laptop.FirstTable->propActive(false);
    laptop.SecondTable->propActive(false);
    hDBIDb db = nullptr;
    ASSERT_EQ(OpenDatabase(&db), kEngineOk);
    ASSERT_EQ(SetDatabaseDirectory(db, laptop.WorkDirectoryPath()), kEngineOk);
    std::vector<RestructureDesc> descs;
    for (int slot : {0, 3}) {
        std::string name;
        FileNameOf(laptop.WorkFiles[static_cast<std::size_t>(slot)], name);
        descs.push_back({name, "PARADOX", true, "Kennwort"});
    }
    ASSERT_EQ(RestructureTables(db, descs), kEngineOk);
    CloseDatabase(&db);
    Session().AddPassword("Kennwort");
    laptop.FirstTable->propActive(true);
    laptop.SecondTable->propActive(true);
    ASSERT_TRUE(laptop.Save());
    laptop.Close();
    TwoMachines::Carry(machines.m_b, machines.m_a);

    TwoMachines::Set(pc, "E8_101", "Hauptstraße 1");
    ASSERT_TRUE(pc.Save());
    EXPECT_TRUE(pc.Sync().TakeReport().protectionTaken);
    EXPECT_TRUE(ProtectionOf(pc.WorkFiles[0]).isProtected);
    pc.Close();
    EXPECT_EQ(TwoMachines::Get(machines.m_a, "E8_100"), "Dr. Weiß");
    EXPECT_EQ(TwoMachines::Get(machines.m_a, "E8_101"), "Hauptstraße 1");
    Session().ClearPasswords();
    DocumentVersion onDisk;
    EXPECT_EQ(onDisk.Read(ReadWholeFile(machines.m_a).bytes, false),
              DocumentVersion::Result::Unreadable);
    Session().ResetKdfCost();
    EXPECT_TRUE(messages.texts().empty());
}

} // namespace
