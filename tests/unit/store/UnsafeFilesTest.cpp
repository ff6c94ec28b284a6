// Files that would hang or mislead the store, and every step of opening, creating, locking and
// saving made to fail in turn.
#include "store/TDataSetManager.h"

#include "platform/SystemDirs.h"
#include "platform/file/FileFault.h"
#include "store/CategorySchema.h"
#include "store/DocumentContainer.h"
#include "store/StateFolder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A test that would hang is ended by the alarm's default action instead of blocking CI.
struct Watchdog {
    Watchdog() { ::alarm(120); } // a hang, not a slow machine
    ~Watchdog() { ::alarm(0); }
};

bool IsFifo(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

class UnsafeFilesTest : public ::testing::Test {
protected:
    TempDir m_temp, m_docs, m_program;
    ScopedSystemDirs m_dirs{QUILLORY_TEMPLATE_DIR, m_temp.path()};
    std::string m_document = m_docs.file("Prüfer.qlr");
    Watchdog m_watchdog;

    std::string NewDocument() {
        TDataSetManager writer;
        writer.SetDocumentPath(m_document);
        writer.Create();
        EXPECT_TRUE(writer.IsOpen);
        writer.Close();
        return ReadFileBytes(m_document);
    }
};

TEST_F(UnsafeFilesTest, AFifoIsNeitherADocumentNorATemplate) {
    ScriptedMessages messages;
    // As the document: refused as unreadable, never taken for a new user.
    ASSERT_EQ(::mkfifo(m_document.c_str(), 0600), 0);
    TDataSetManager manager;
    manager.Open(m_document);
    EXPECT_FALSE(manager.IsOpen);
    EXPECT_TRUE(manager.IsLocked());
    manager.Close();
    EXPECT_TRUE(IsFifo(m_document));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler 02 beim Öffnen!"});

    // As a template: the new user is not created, his reserved name goes again.
    for (int i = 0; i < kSlotCount; ++i)
        fs::copy_file(std::string(QUILLORY_TEMPLATE_DIR) + "/" + SlotTemplateName(i),
                      m_program.file(SlotTemplateName(i)));
    fs::remove(m_program.file(SlotTemplateName(1)));
    ASSERT_EQ(::mkfifo(m_program.file(SlotTemplateName(1)).c_str(), 0600), 0);
    SystemDirs::SetProgramDirectory(m_program.path());
    const std::string fresh = m_docs.file("Neu.qlr");
    manager.SetDocumentPath(fresh);
    manager.Create();
    EXPECT_FALSE(manager.IsOpen);
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(messages.texts().back(), "Fehler 04 beim Öffnen!");
}

// The longest name a user can have (255 bytes with ".qlr"): its temporaries fit beside it.
TEST_F(UnsafeFilesTest, TheLongestUserNameStillSaves) {
    ScriptedMessages messages;
    std::string name;
    for (int i = 0; i < 125; ++i)
        name += "ä";
    m_document = m_docs.file(name + "a.qlr");
    ASSERT_EQ(fs::path(m_document).filename().string().size(), 255u);
    EXPECT_GT(NewDocument().size(), 168u);
    EXPECT_TRUE(messages.texts().empty());
    // The state folder names it by a digest: its machine id was kept.
    EXPECT_TRUE(StateFolder::NextRun(m_document).persistent);
}

// Bytes that unpack as a document: written completely, whatever was said after.
bool IsWholeDocument(const std::string& bytes) {
    TempDir dir;
    const std::string copy = dir.file("copy.qlr");
    WriteFileBytes(copy, bytes);
    DocumentFiles files;
    for (size_t i = 0; i < files.size(); ++i)
        files[i] = dir.file("slot" + std::to_string(i));
    return !bytes.empty() && UnpackDocument(copy, files);
}

// Each phase runs once counting the file layer's steps, then once per step with that step
// failing. Whenever a failure shows, it was said in German and the document is as before.
TEST_F(UnsafeFilesTest, EveryFailingStepLeavesThePreviousDocumentAndSaysSo) {
    struct Phase {
        const char* name;
        bool existing; // the document is there before the phase
        std::function<bool(TDataSetManager&, const std::string&)> run;
    };
    const std::vector<Phase> phases = {
        {"open and close", true,
         [](TDataSetManager& m, const std::string& doc) {
             m.Open(doc);
             return m.IsOpen && m.Close();
         }},
        {"create and close", false,
         [](TDataSetManager& m, const std::string& doc) {
             m.SetDocumentPath(doc);
             m.Create();
             return m.IsOpen && m.Close();
         }},
        {"save", true, [](TDataSetManager& m, const std::string&) { return m.IsOpen && m.Save(); }},
    };
    const std::string original = NewDocument();
    for (const Phase& phase : phases) {
        int steps = 0;
        for (int n = -1; n < steps; ++n) {
            SCOPED_TRACE(std::string(phase.name) + ", failing step " + std::to_string(n) + " of " +
                         std::to_string(steps));
            fs::remove(m_document);
            if (phase.existing)
                WriteFileBytes(m_document, original);
            ScriptedMessages messages;
            TDataSetManager manager;
            if (std::string(phase.name) == "save")
                manager.Open(m_document);
            bool done = false;
            {
                auto fault = n < 0 ? ScopedFileFault::Counting() : ScopedFileFault::FailingStep(n);
                done = phase.run(manager, m_document);
                if (n < 0)
                    steps = fault.steps();
            }
            const bool there = fs::exists(m_document);
            const std::string after = there ? ReadFileBytes(m_document) : "";
            const std::vector<std::string> said = messages.texts();
            manager.Close();
            if (n < 0) {
                ASSERT_TRUE(done);
                ASSERT_GT(steps, 5);
                continue;
            }
            // A step with a fallback (another way to open) may fail unseen; a step after the
            // rename (the folder's flush, the merge history) fails with the new document whole.
            if (done || n == steps - 1 ||
                ((!phase.existing || after != original) && IsWholeDocument(after)))
                continue;
            ASSERT_FALSE(said.empty());
            for (const std::string& text : said)
                EXPECT_TRUE(text.find("Fehler") != std::string::npos ||
                            text.find("Dokument") != std::string::npos)
                    << text;
            if (phase.existing)
                EXPECT_EQ(after, original);
            else
                EXPECT_TRUE(after.empty());
        }
    }
}

} // namespace
