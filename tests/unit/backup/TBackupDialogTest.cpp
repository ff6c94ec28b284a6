#include "backup/TBackupDialog.h"

#include "backup/ArchivePacking.h"
#include "backup/BackupReport.h"
#include "backup/CopyEngine.h"
#include "platform/Profile.h"
#include "platform/SystemDirs.h"
#include "tests/support/TestSupport.h"
#include "util/gui/DirectoryDialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QTimer>

#include <filesystem>
#include <functional>

namespace {

// Programs that cannot be started; a packer window that may be up.
class StubLauncher : public IProgramLauncher {
public:
    bool windowUp = false;
    int starts = 0;
    bool StartPif(const std::string&) override {
        ++starts;
        return false;
    }
    bool WindowExists(const std::string&) override { return windowUp; }
    void PumpMessages() override {}
    std::uint32_t TickCount() override { return 0; }
};

constexpr const char* kFilter = "Quillory (*.qlr)|*.qlr;|Alle Dateien (*.*)|*.*|";

class BackupDialogTest : public ::testing::Test {
protected:
    TempDir settings;
    TempDir data;
    TempDir target;
    std::vector<std::string> toChoose;
    std::vector<std::string> startFolders;
    std::vector<BackupNotice> notices;
    TBackupDialog::Notifier previousNotifier;
    TBackupDialog::FilesChooser previous;

    void SetUp() override {
        previous = TBackupDialog::SetFilesChooser(
            [this](QWidget*, const std::string& filter, const std::string& startFolder) {
                EXPECT_EQ(filter, kFilter);
                startFolders.push_back(startFolder);
                return toChoose;
            });
        previousNotifier = TBackupDialog::SetNotifier(
            [this](const BackupNotice& notice) { notices.push_back(notice); });
    }
    void TearDown() override {
        TBackupDialog::SetFilesChooser(previous);
        TBackupDialog::SetNotifier(previousNotifier);
    }

    std::string File(const std::string& name, size_t size) {
        WriteFileBytes(data.file(name), std::string(size, 'x'));
        return data.file(name);
    }
    void List(const std::vector<std::string>& files) {
        const std::string ini = settings.file("Backup.Ini");
        WritePrivateProfileString("COMMON", "NUMFILES", std::to_string(files.size()), ini);
        for (size_t i = 0; i < files.size(); ++i)
            WritePrivateProfileString("FILES", "FILE" + std::to_string(i + 1), files[i], ini);
    }
    // Runs the dialog modally while act works on it.
    int RunWith(TBackupDialog& d, std::function<void(TBackupDialog&)> act) {
        QTimer::singleShot(0, &d, [&d, act] { act(d); });
        return d.Execute();
    }
    static QStringList Shown(TBackupDialog& d) {
        QStringList out;
        for (int i = 0; i < d.List()->count(); ++i)
            out << d.List()->item(i)->text();
        return out;
    }
};

TEST_F(BackupDialogTest, CountLineAddAndRemove) {
    const std::string a = File("a.qlr", 100000), b = File("b.qlr", 20000), c = File("c.qlr", 500);
    List({c, a});
    TBackupDialog d(nullptr, settings.path(), kFilter);
    RunWith(d, [&](TBackupDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Backup-Dialog"));
        EXPECT_EQ(dlg.ItemText(110), "2 Dateien/100kB");
        // Adding a listed file again keeps it once; the list is sorted.
        toChoose = {a, b};
        dlg.OnCommand(102);
        EXPECT_EQ(dlg.Options().Files, (std::vector<std::string>{c, a, b}));
        EXPECT_EQ(Shown(dlg), (QStringList{QString::fromStdString(a), QString::fromStdString(b),
                                           QString::fromStdString(c)}));
        EXPECT_EQ(dlg.ItemText(110), "3 Dateien/120kB");
        // Two adjacent entries removed at once.
        dlg.List()->item(0)->setSelected(true);
        dlg.List()->item(1)->setSelected(true);
        dlg.OnCommand(104);
        EXPECT_EQ(dlg.Options().Files, std::vector<std::string>{c});
        EXPECT_EQ(dlg.ItemText(110), "1 Dateien/0kB");
        dlg.OnCommand(104); // nothing selected: nothing happens
        EXPECT_EQ(dlg.Options().Files.size(), 1u);
        // A listed file deleted outside: hidden, still counted.
        std::filesystem::remove(c);
        dlg.FillList();
        EXPECT_EQ(dlg.List()->count(), 0);
        EXPECT_EQ(dlg.ItemText(110), "");
        dlg.OnCommand(IDCANCEL);
    });
}

TEST_F(BackupDialogTest, CancelKeepsTheSettingsFileAndOkWritesIt) {
    TBackupDialog d(nullptr, settings.path(), kFilter);
    EXPECT_EQ(RunWith(d,
                      [](TBackupDialog& dlg) {
                          dlg.SetChecked(107, true);
                          dlg.OnCommand(IDCANCEL);
                      }),
              IDCANCEL);
    EXPECT_FALSE(std::filesystem::exists(settings.file("Backup.Ini")));

    TBackupDialog again(nullptr, settings.path(), kFilter);
    EXPECT_EQ(RunWith(again,
                      [](TBackupDialog& dlg) {
                          // The packing controls follow their check box.
                          EXPECT_FALSE(dlg.Control(117)->isEnabled());
                          EXPECT_TRUE(dlg.Control(107)->isEnabled());
                          dlg.ControlAs<QCheckBox>(114)->click();
                          EXPECT_TRUE(dlg.Control(117)->isEnabled());
                          EXPECT_FALSE(dlg.Control(107)->isEnabled());
                          dlg.ControlAs<QCheckBox>(114)->click();
                          dlg.SetChecked(107, true);
                          dlg.OnCommand(IDOK);
                      }),
              IDOK);
    const std::string ini = settings.file("Backup.Ini");
    EXPECT_EQ(GetPrivateProfileInt("COMMON", "OVERWRITEPROMPT", -1, ini), 1);
    EXPECT_EQ(GetPrivateProfileInt("COMMON", "USE_PKZIP", -1, ini), 0);
}

TEST_F(BackupDialogTest, PathsReadBackAsChosenAndALineBreakIsRefusedWhenAdded) {
    const std::string blank = File("mit blank ", 10), broken = File("zwei\nzeilen", 10);
    ScriptedMessages messages;
    TBackupDialog d(nullptr, settings.path(), kFilter);
    RunWith(d, [&](TBackupDialog& dlg) {
        toChoose = {broken, blank};
        dlg.OnCommand(102);
        EXPECT_EQ(dlg.Options().Files, std::vector<std::string>{blank});
        dlg.OnCommand(IDOK);
    });
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find(broken), std::string::npos);
    TBackupOptions again;
    again.Load(settings.path());
    EXPECT_EQ(again.Files, std::vector<std::string>{blank});
}

TEST_F(BackupDialogTest, StartCopiesAndClosesWithOk) {
    const std::string a = File("a.qlr", 10);
    List({a});
    WritePrivateProfileString("COMMON", "BACKUP_PATH", target.path(), settings.file("Backup.Ini"));
    WritePrivateProfileString("COMMON", "CREATESUBDIR", "0", settings.file("Backup.Ini"));
    TBackupDialog d(nullptr, settings.path(), kFilter);
    std::vector<std::string> statuses;
    d.SetRunEnvironment(
        [&statuses](TBackupDialog& dlg) {
            BackupServices s = DesktopBackupServices({}, &dlg);
            s.status = [&statuses](const std::string& t) { statuses.push_back(t); };
            return s;
        },
        nullptr);
    EXPECT_EQ(RunWith(d, [](TBackupDialog& dlg) { dlg.OnCommand(112); }), IDOK);
    EXPECT_EQ(ReadFileBytes(target.file("a.qlr")), std::string(10, 'x'));
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_NE(statuses[0].find("[100%]"), std::string::npos);

    // Only the selected entries, and none selected: Start does nothing, the dialog stays.
    WritePrivateProfileString("COMMON", "ONLYSELFILES", "1", settings.file("Backup.Ini"));
    TBackupDialog only(nullptr, settings.path(), kFilter);
    EXPECT_EQ(RunWith(only,
                      [](TBackupDialog& dlg) {
                          dlg.OnCommand(112);
                          EXPECT_TRUE(dlg.isVisible());
                          dlg.OnCommand(IDCANCEL);
                      }),
              IDCANCEL);
}

// A first backup: the user's document is listed without a search, kept in Backup.Ini only by
// Start or OK, and the end of the run says how many files went where.
TEST_F(BackupDialogTest, FirstBackupListsTheOwnDocumentAndTellsWhatItCopied) {
    TempDir program;
    SystemDirs::SetProgramDirectory(program.path());
    const std::string own = File("Hans.qlr", 2500);
    const std::string ini = settings.file("Backup.Ini");
    TBackupDialog cancelled(nullptr, settings.path(), kFilter, own);
    RunWith(cancelled, [&](TBackupDialog& dlg) {
        EXPECT_EQ(Shown(dlg), QStringList{QString::fromStdString(own)});
        EXPECT_EQ(dlg.ItemText(110), "1 Dateien/2kB");
        dlg.OnCommand(102);
        dlg.OnCommand(IDCANCEL);
    });
    EXPECT_FALSE(std::filesystem::exists(ini)) << "Cancel keeps no listed document";

    WritePrivateProfileString("COMMON", "BACKUP_PATH", target.path(), ini);
    WritePrivateProfileString("COMMON", "CREATESUBDIR", "0", ini);
    TBackupDialog d(nullptr, settings.path(), kFilter, own);
    ScriptedMessages messages;
    EXPECT_EQ(RunWith(d, [](TBackupDialog& dlg) { dlg.OnCommand(112); }), IDOK);
    EXPECT_EQ(ReadFileBytes(target.file("Hans.qlr")), std::string(2500, 'x'));
    EXPECT_EQ(GetPrivateProfileString("FILES", "FILE1", "", ini), own);
    ASSERT_EQ(notices.size(), 1u);
    const std::string went = "1 Datei nach " + StripTrailingSlashes(target.path()) + " kopiert.";
    EXPECT_EQ(notices[0].body, went);
    // Said in the dialog too, before it closes: no notification service may be running.
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Sicherung abgeschlossen\n\n" + went});

    // Emptied by hand: the chooser opens in the program folder, Start says why nothing went.
    TBackupDialog empty(nullptr, settings.path(), kFilter, own);
    RunWith(empty, [&](TBackupDialog& dlg) {
        dlg.List()->item(0)->setSelected(true);
        dlg.OnCommand(104);
        dlg.OnCommand(102);
        dlg.OnCommand(112);
        dlg.OnCommand(IDCANCEL);
    });
    EXPECT_EQ(notices.back().body, "Die Liste der zu sichernden Dateien ist leer.");
    EXPECT_EQ(empty.ItemText(111),
              "Sicherung: nichts kopiert: Die Liste der zu sichernden Dateien ist leer.");
    EXPECT_EQ(messages.texts().size(), 1u) << "a run that stays open says it in its line";
    // With sub-directories the notice says where a copy went.
    BackupSummary sub{BackupResult::Completed, 2, "/ziel", false, false, "", "/ziel/home/a.txt"};
    EXPECT_EQ(DescribeBackup(sub).body, "2 Dateien nach /ziel kopiert, jede unter ihrem vollen "
                                        "Pfad (Unterverz. anlegen), z. B. /ziel/home/a.txt.");
    EXPECT_EQ(startFolders, (std::vector<std::string>{data.path(), program.path()}));
    SystemDirs::SetProgramDirectory("");
}

TEST_F(BackupDialogTest, TargetShownChooserStartsThereAndAPackerThatCannotStartIsNoSuccess) {
    TempDir program, temp;
    SystemDirs::SetProgramDirectory(program.path());
    SystemDirs::SetTempDirectory(temp.path());
    std::filesystem::copy_file(std::string(QUILLORY_SOURCE_DIR) + "/resources/backup.pif",
                               program.file("backup.pif"));
    List({File("a.qlr", 10)});
    const std::string ini = settings.file("Backup.Ini");
    const std::string missing = target.file("neu/Sicherung/");
    WritePrivateProfileString("COMMON", "BACKUP_PATH", missing, ini);
    WritePrivateProfileString("COMMON", "USE_PKZIP", "1", ini);
    WritePrivateProfileString("COMMON", "ZIP_PATH", File("pkzip.exe", 1), ini);
    std::string chooserStart;
    const DirectoryChooser previousChooser =
        SetDirectoryChooser([&](QWidget*, const std::string& start) {
            chooserStart = start;
            return std::string();
        });
    StubLauncher launcher;
    TBackupDialog d(nullptr, settings.path(), kFilter);
    d.SetRunEnvironment(nullptr, &launcher);
    ScriptedMessages messages;
    RunWith(d, [&](TBackupDialog& dlg) {
        EXPECT_EQ(QString::fromStdString(dlg.ItemText(120)).remove(QChar(0x200B)).toStdString(),
                  missing);
        dlg.OnCommand(113);
        EXPECT_EQ(chooserStart, target.path()) << "the nearest existing parent of the target";
        dlg.OnCommand(112);
        EXPECT_EQ(launcher.starts, 1);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.ItemText(111), "Sicherung gescheitert: Das Programm " +
                                         data.file("pkzip.exe") +
                                         " konnte nicht gestartet werden!");
        // While a packer runs, Start is refused.
        launcher.windowUp = true;
        dlg.OnCommand(112);
        EXPECT_EQ(launcher.starts, 1);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_NE(messages.texts()[0].find("Backup-Task"), std::string::npos);
        dlg.OnCommand(IDCANCEL);
    });
    SetDirectoryChooser(previousChooser);
    SystemDirs::SetProgramDirectory("");
    SystemDirs::SetTempDirectory("");
}

} // namespace
