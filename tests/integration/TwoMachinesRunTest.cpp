// Two machines of a household with one user's document, each its own installation (program,
// settings, temporary and state folder); the sync engine between them is a copy to a hidden name
// renamed over the document, as the engines do.
#include "tests/integration/ProgramFixture.h"

#include "platform/file/FileFault.h"
#include "platform/gui/TDialog.h"
#include "store/TDataSetManager.h"
#include "store/TSession.h"
#include "util/gui/TInputDialog2.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Step = std::function<void(TQuilloryDlgClient*)>;

constexpr const char* kUser = "Prüfer";

struct Machine {
    Machine(versions::MachineId i, const char* n) : id(i), name(n) {}
    versions::MachineId id;
    const char* name;
    TempDir program, windows, temp, state;
    std::string Document() const { return program.file(std::string(kUser) + ".qlr"); }
};

TQuery& TableOf(const std::string& field) {
    const int i = DocumentFieldIndex(field);
    return DataSetManager().Table(i >= 0 ? DocumentFields()[static_cast<std::size_t>(i)].table
                                         : TableIndex::First);
}

// What a form's OK does: the values stored in one edit, then the document saved.
Step Set(std::map<std::string, std::string> values) {
    return [values](TQuilloryDlgClient*) {
        TDataSetManager& m = DataSetManager();
        TQuery& table = TableOf(values.begin()->first);
        table.Edit();
        for (const auto& [field, value] : values)
            m.StoreField(table, value, field);
        table.Post();
        m.Save();
    };
}

Step SetPassword(const char* password) {
    return [password](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, [password](QWidget* dialog) {
            auto* d = static_cast<TDialog*>(dialog);
            d->ControlAs<QLineEdit>(122)->setText(QString::fromUtf8(password));
            d->ControlAs<QLineEdit>(123)->setText(QString::fromUtf8(password));
            d->OnCommand(IDOK);
        });
        Press(desk, Centre(CmSetPassword));
    };
}

// The values and the open conflicts (field, this value, the other) of a machine's document.
struct Seen {
    std::map<std::string, std::string> values;
    std::vector<std::tuple<std::string, std::string, std::string>> conflicts;
};

void RunSteps(TQuilloryDlgClient* desk, std::vector<Step> steps, std::size_t next);
void Wait(int ms);

class TwoMachines : public ::testing::Test {
protected:
    Machine pc{1, "PC"}, laptop{2, "Laptop"};

    void SetUp() override {
        for (Machine* m : {&pc, &laptop})
            for (const auto& entry : fs::directory_iterator(QUILLORY_TEMPLATE_DIR))
                if (entry.path().filename().string().rfind("QUILLORY ", 0) == 0)
                    fs::copy_file(entry.path(), m->program.file(entry.path().filename().string()));
        Session().ClearPasswords();
        Session().SetKdfCost(1, 8192);
    }
    void TearDown() override {
        Session().ClearPasswords();
        Session().ResetKdfCost();
        for (auto set : {SystemDirs::SetProgramDirectory, SystemDirs::SetWindowsDirectory,
                         SystemDirs::SetTempDirectory, SystemDirs::SetStateDirectory})
            set("");
    }
    // One process plays both: each start gets a data set manager as a new process has, with
    // the machine's id and name.
    static void Use(const Machine& m) {
        TDataSetManager& manager = DataSetManager();
        if (manager.IsOpen)
            manager.Close();
        std::destroy_at(&manager);
        std::construct_at(&manager);
        manager.Sync().SetMachine(m.id, m.name);
        SystemDirs::SetProgramDirectory(m.program.path());
        SystemDirs::SetWindowsDirectory(m.windows.path());
        SystemDirs::SetTempDirectory(m.temp.path());
        SystemDirs::SetStateDirectory(m.state.path());
    }
    // One start of the program on machine m as the user, the steps on its desk, then the exit.
    static int Run(const Machine& m, std::vector<Step> steps, const char* password = nullptr) {
        Use(m);
        Session().ClearPasswords();
        if (password)
            Session().AddPassword(password);
        // What the login takes in runs first, as it does before a person's first click.
        steps.insert(steps.begin(), [](TQuilloryDlgClient*) { Wait(50); });
        steps.push_back(kExit);
        TQuilloryApp::Options options;
        options.realMessageBoxes = false;
        options.askName = [](const std::string&, std::string& name) {
            name = kUser;
            return true;
        };
        options.onShown = [steps](TSDIDecFrame& frame) { RunSteps(frame.Desk(), steps, 0); };
        return RunQuillory(*qApp, options);
    }
    // The sync engine carries from's document to to: written beside under a hidden name, renamed.
    static void Deliver(const Machine& from, const Machine& to) {
        const std::string hidden = to.program.file(".syncthing.tmp");
        WriteFileBytes(hidden, ReadFileBytes(from.Document()));
        fs::rename(hidden, to.Document());
    }
    static Step DeliverStep(const Machine& from, const Machine& to) {
        return [&from, &to](TQuilloryDlgClient*) { Deliver(from, to); };
    }
    // A look at m's document as the data set manager opens it (given the passwords), and its end.
    static Seen Look(const Machine& m, std::vector<const char*> passwords = {}) {
        Use(m);
        Session().ClearPasswords();
        for (const char* password : passwords)
            Session().AddPassword(password);
        TDataSetManager& manager = DataSetManager();
        manager.SetDocumentPath(m.Document());
        manager.Open(m.Document());
        Seen seen;
        if (!manager.IsOpen)
            return seen;
        for (const DocumentField& field : DocumentFields()) {
            std::string value;
            manager.LoadField(TableOf(field.name), value, field.name);
            if (!value.empty())
                seen.values[field.name] = value;
        }
        for (const auto& c : manager.Sync().Conflicts())
            seen.conflicts.emplace_back(DocumentFields()[c.field].name, c.ours, c.theirs);
        manager.Close();
        return seen;
    }
    static std::vector<std::string> CopiesBeside(const Machine& m) {
        std::vector<std::string> copies;
        for (const auto& entry : fs::directory_iterator(m.program.path()))
            if (entry.path().filename().string().find("Konflikt") != std::string::npos)
                copies.push_back(entry.path().filename().string());
        return copies;
    }
    // The user made on the PC with these values, and the same document on the laptop.
    void Household(std::map<std::string, std::string> values) {
        ScriptedMessages messages({IDYES});
        ASSERT_EQ(Run(pc, {Set(std::move(values))}), 0);
        Deliver(pc, laptop);
    }
};

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void RunSteps(TQuilloryDlgClient* desk, std::vector<Step> steps, std::size_t next) {
    if (next < steps.size())
        QTimer::singleShot(0, desk, [desk, steps, next] {
            steps[next](desk);
            RunSteps(desk, steps, next + 1);
        });
}

std::string ValueOf(const Seen& seen, const std::string& field) {
    const auto it = seen.values.find(field);
    return it == seen.values.end() ? std::string() : it->second;
}

} // namespace

// The PC confirms a field nine times while the offline laptop changes another one; when the
// laptop's file arrives, both changes stay and nothing is listed as a conflict.
TEST_F(TwoMachines, ANinthSaveKeepsItsValue) {
    Household({{"E8_100", "Alt"}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(laptop, {Set({{"E8_101", "Lindenweg 3"}})}), 0);
    std::vector<Step> saves;
    for (int i = 1; i <= 9; ++i)
        saves.push_back(Set({{"E8_100", "Neu " + std::to_string(i)}}));
    saves.push_back(DeliverStep(laptop, pc));
    ASSERT_EQ(Run(pc, saves), 0);
    const Seen seen = Look(pc);
    EXPECT_EQ(ValueOf(seen, "E8_100"), "Neu 9");
    EXPECT_EQ(ValueOf(seen, "E8_101"), "Lindenweg 3");
    EXPECT_TRUE(seen.conflicts.empty());
}

// Both set the doctor's name alike and the address differently; the PC empties the telephone
// while the laptop writes a note. The equal name is no conflict, the address is one with both
// values, the emptying stays and the note arrives.
TEST_F(TwoMachines, OneEqualFieldAndAnEmptyingLoseNothing) {
    Household({{"E8_100", "Dr. Alt"}, {"E8_101", "Altweg 1"}, {"E8_102", "0711 1"}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(laptop, {Set({{"E8_100", "Dr. Gleich"}, {"E8_101", "Laptopweg 3"}}),
                           Set({{"E8_105", "Laptop-Notiz"}})}),
              0);
    ASSERT_EQ(Run(pc, {Set({{"E8_100", "Dr. Gleich"}, {"E8_101", "PC-Weg 2"}, {"E8_102", ""}}),
                       DeliverStep(laptop, pc)}),
              0);
    const Seen seen = Look(pc);
    EXPECT_EQ(ValueOf(seen, "E8_100"), "Dr. Gleich");
    EXPECT_EQ(ValueOf(seen, "E8_102"), "");
    EXPECT_EQ(ValueOf(seen, "E8_105"), "Laptop-Notiz");
    ASSERT_EQ(seen.conflicts.size(), 1u);
    const auto& [field, ours, theirs] = seen.conflicts.front();
    EXPECT_EQ(field, "E8_101");
    EXPECT_EQ((std::set<std::string>{ours, theirs}),
              (std::set<std::string>{"PC-Weg 2", "Laptopweg 3"}));
}

// The laptop's version arrives while the PC's temporary and state folders are full: it cannot
// be unpacked, and the PC's end does not write over it; its own version lies beside as a
// conflict copy, which the laptop's next start merges. No message claims a copy that is not
// there.
TEST_F(TwoMachines, AFullTemporaryFolderDestroysNoVersion) {
    Household({{"E8_100", "Alt"}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(laptop, {Set({{"E8_101", "Laptopweg 3"}})}), 0);
    const std::string full[] = {pc.temp.path(), pc.state.path()};
    bool diskFull = false;
    {
        const ScopedFileFault disk =
            ScopedFileFault::Quota([&](const std::string& path, std::size_t n) {
                // Full but for the working files the PC's run has already made.
                const std::string& own = DataSetManager().WorkDirectoryPath();
                if (!diskFull || (!own.empty() && path.rfind(own, 0) == 0))
                    return n;
                for (const std::string& dir : full)
                    if (path.rfind(dir, 0) == 0)
                        return std::size_t{0};
                return n;
            });
        const Step fill = [&diskFull](TQuilloryDlgClient*) { diskFull = true; };
        ASSERT_EQ(Run(pc, {Set({{"E8_100", "PC-Wert"}}), fill, DeliverStep(laptop, pc),
                           Set({{"E8_102", "PC-Telefon"}})}),
                  0);
    }
    for (const std::string& text : messages.texts()) {
        if (text.find("Kopie") != std::string::npos) {
            EXPECT_FALSE(CopiesBeside(pc).empty()) << text;
        }
    }
    EXPECT_NE(ReadFileBytes(pc.Document()).find("Laptopweg 3"), std::string::npos)
        << "the laptop's version stays on disk";
    // Carried to the laptop, its next start merges the PC's version.
    const std::vector<std::string> copies = CopiesBeside(pc);
    ASSERT_EQ(copies.size(), 1u);
    fs::copy_file(pc.program.file(copies.front()), laptop.program.file(copies.front()));
    ASSERT_EQ(Run(laptop, {}), 0);
    const Seen seen = Look(laptop);
    EXPECT_EQ(ValueOf(seen, "E8_100"), "PC-Wert");
    EXPECT_EQ(ValueOf(seen, "E8_101"), "Laptopweg 3");
    EXPECT_EQ(ValueOf(seen, "E8_102"), "PC-Telefon");
    EXPECT_TRUE(CopiesBeside(laptop).empty());
}

// Each machine set a password of its own; the PC cancels the prompt for the laptop's. The
// laptop's version is never written over, and the PC's own lies beside it for the laptop.
TEST_F(TwoMachines, AnotherPasswordCancelledDestroysNoVersion) {
    Household({{"E8_100", "Alt"}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(laptop, {Set({{"E8_101", "Laptopweg 3"}}), SetPassword("laptop")}), 0);
    const std::string laptopBytes = ReadFileBytes(laptop.Document());
    const Step cancelPrompt = [](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, [](QWidget* box) {
            if (auto* prompt = dynamic_cast<TDialog*>(box))
                prompt->OnCommand(IDCANCEL);
        });
    };
    ASSERT_EQ(Run(pc, {SetPassword("pc"), Set({{"E8_100", "PC-Wert"}}), cancelPrompt,
                       DeliverStep(laptop, pc), Set({{"E8_102", "PC-Telefon"}})}),
              0);
    EXPECT_TRUE(ReadFileBytes(pc.Document()) == laptopBytes) << "the laptop's version is kept";
    const std::vector<std::string> copies = CopiesBeside(pc);
    ASSERT_EQ(copies.size(), 1u);
    // Carried to the laptop, its next start merges the PC's version (asking the PC's password).
    fs::copy_file(pc.program.file(copies.front()), laptop.program.file(copies.front()));
    Deliver(pc, laptop);
    QObject prompts;
    WhenModalShown(&prompts, [](QWidget* box) {
        auto* prompt = static_cast<TDialog*>(box);
        prompt->ControlAs<QLineEdit>(TInputDialog2::kEditId)->setText(QStringLiteral("pc"));
        prompt->OnCommand(IDOK);
    });
    ASSERT_EQ(Run(laptop, {}, "laptop"), 0);
    // The newer of the two passwords protects the merge.
    const Seen seen = Look(laptop, {"laptop", "pc"});
    EXPECT_EQ(ValueOf(seen, "E8_101"), "Laptopweg 3");
    EXPECT_EQ(ValueOf(seen, "E8_102"), "PC-Telefon");
}

// Another user's file named as a conflict copy of the user's document is not merged: the
// user's values stay, the file stays where it is, and it is named once.
TEST_F(TwoMachines, AForeignConflictCopyIsNotMerged) {
    Household({{"E3_104", "DE02 1203 0000 0000 2020 51"}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(laptop, {Set({{"E3_104", "DE89 3704 0044 0532 0130 00"}})}), 0);
    const std::string copy =
        pc.program.file(std::string(kUser) + " (Konflikt-Kopie 2026-12-09 111500).qlr");
    fs::copy_file(laptop.Document(), copy);
    if (::geteuid() != 0 || ::chown(copy.c_str(), 4242, 4242) != 0)
        GTEST_SKIP() << "no other owner can be given to a file here";
    ASSERT_EQ(Run(pc, {}), 0);
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_EQ(ValueOf(Look(pc), "E3_104"), "DE02 1203 0000 0000 2020 51");
    int named = 0;
    for (const std::string& text : messages.texts())
        named += text.find("Konflikt-Kopie 2026-12-09 111500") != std::string::npos;
    EXPECT_EQ(named, 1);
}

// A conflict copy that cannot be opened is named once; the desk regaining the focus again and
// again names it no more, and the exit is reached.
TEST_F(TwoMachines, AGarbageConflictCopyIsNamedOncePerSession) {
    Household({{"E8_100", "Alt"}});
    const std::string document = ReadFileBytes(pc.Document());
    WriteFileBytes(pc.program.file(std::string(kUser) + " (Konflikt-Kopie 2026-12-09 101500).qlr"),
                   document.substr(0, document.size() / 2));
    ScriptedMessages messages;
    const Step refocus = [](TQuilloryDlgClient* desk) {
        for (int i = 0; i < 6; ++i) {
            QWidget other;
            other.show();
            QApplication::setActiveWindow(&other);
            other.setFocus();
            Wait(20);
            QApplication::setActiveWindow(desk->window());
            desk->setFocus();
            Wait(400);
        }
    };
    ASSERT_EQ(Run(pc, {refocus}), 0);
    int named = 0;
    for (const std::string& text : messages.texts())
        named += text.find("Konflikt-Kopie 2026-12-09 101500") != std::string::npos;
    EXPECT_EQ(named, 1);
    EXPECT_EQ(ValueOf(Look(pc), "E8_100"), "Alt");
}

// With a password set, no value lies in plain text anywhere on the machine after merges: not in
// the state folder, not in the temporary folder, not beside the document.
TEST_F(TwoMachines, NothingInPlainTextAtRest) {
    constexpr const char* kSecret = "Geheimbank-4711-0815";
    Household({{"E8_100", kSecret}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(pc, {SetPassword("gemeinsam")}), 0);
    Deliver(pc, laptop);
    QObject prompts;
    const auto answer = [](QObject* context) {
        WhenModalShown(context, [](QWidget* box) {
            auto* prompt = static_cast<TDialog*>(box);
            prompt->ControlAs<QLineEdit>(TInputDialog2::kEditId)
                ->setText(QStringLiteral("gemeinsam"));
            prompt->OnCommand(IDOK);
        });
    };
    answer(&prompts);
    ASSERT_EQ(Run(laptop, {Set({{"E8_101", "Laptopweg 3"}})}), 0);
    answer(&prompts);
    ASSERT_EQ(Run(pc, {Set({{"E8_102", "0711 2"}}), DeliverStep(laptop, pc),
                       Set({{"E8_103", "PC-Notiz"}})}),
              0);
    for (const Machine* m : {&pc, &laptop}) {
        for (const std::string& dir : {m->state.path(), m->temp.path(), m->program.path()}) {
            for (const auto& entry : fs::recursive_directory_iterator(dir)) {
                if (!entry.is_regular_file())
                    continue;
                const std::string bytes = ReadFileBytes(entry.path().string());
                EXPECT_EQ(bytes.find(kSecret), std::string::npos) << entry.path();
                EXPECT_EQ(bytes.find("Laptopweg"), std::string::npos) << entry.path();
            }
        }
        EXPECT_TRUE(fs::is_empty(m->temp.path()))
            << "no working folder is left: " << fs::directory_iterator(m->temp.path())->path();
    }
    EXPECT_EQ(ValueOf(Look(pc, {"gemeinsam"}), "E8_101"), "Laptopweg 3");
}

// While a conflict is open the desk's note names it and opens "Konflikte" when pressed;
// keeping a value ends the conflict, and the note goes.
TEST_F(TwoMachines, TheDeskNoteOpensKonflikteUntilTheLastIsResolved) {
    Household({{"E8_101", "Altweg 1"}});
    ScriptedMessages messages;
    ASSERT_EQ(Run(laptop, {Set({{"E8_101", "Laptopweg 3"}})}), 0);
    ASSERT_EQ(Run(pc, {Set({{"E8_101", "PC-Weg 2"}}), DeliverStep(laptop, pc)}), 0);
    QString note;
    int windows = 0;
    const auto keepFirst = [&windows](QWidget* box) {
        ++windows;
        for (auto* button : box->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("&Diesen Wert behalten"))
                button->click();
        if (box->isVisible())
            QMetaObject::invokeMethod(box, "accept");
    };
    // The window comes up once after the login by itself; closed, the note stays.
    const Step closeFirst = [&windows](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, [&windows](QWidget* box) {
            ++windows;
            QMetaObject::invokeMethod(box, "accept");
        });
        Wait(300);
    };
    const Step look = [&](TQuilloryDlgClient* desk) {
        ASSERT_NE(desk->ConflictButton(), nullptr);
        note = desk->ConflictButton()->isVisible() ? desk->ConflictButton()->accessibleName()
                                                   : QString();
    };
    // This time by keyboard: Tab walks to the note, Enter presses it.
    const Step resolve = [&](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, keepFirst);
        desk->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(desk->window()));
        for (int i = 0; i < 30 && !desk->ConflictButton()->hasFocus(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(desk->ConflictButton()->hasFocus());
        QTest::keyClick(desk->ConflictButton(), Qt::Key_Return);
    };
    bool goneAfter = false;
    const Step after = [&](TQuilloryDlgClient* desk) {
        goneAfter = !desk->ConflictButton()->isVisible();
    };
    ASSERT_EQ(Run(pc, {closeFirst, look, resolve, after}), 0);
    EXPECT_EQ(note, QStringLiteral("Konflikte: 1 Feld Ärzte"));
    EXPECT_EQ(windows, 2);
    EXPECT_TRUE(goneAfter);
    EXPECT_TRUE(Look(pc).conflicts.empty());
}
