#include "backup/TBackupDialog.h"

#include "backup/ArchivePacking.h"
#include "backup/BackupReport.h"
#include "backup/CopyEngine.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/SystemDirs.h"
#include "platform/file/PathParts.h"
#include "platform/gui/DesktopNotification.h"
#include "platform/gui/WaitCursor.h"
#include "util/FileUtil.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"
#include "util/gui/MessageQueue.h"
#include "util/gui/ResString.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>

#include <filesystem>

#include <unistd.h>

namespace {

constexpr int kAdd = 102;
constexpr int kList = 103;
constexpr int kRemove = 104;
constexpr int kSelected = 105;
constexpr int kAll = 106;
constexpr int kOverwrite = 107;
constexpr int kNewer = 108;
constexpr int kSubDir = 109;
constexpr int kCount = 110;
constexpr int kStatus = 111;
constexpr int kStart = 112;
constexpr int kTarget = 113;
constexpr int kUseZip = 114;
constexpr int kPassword = 115;
constexpr int kZipProgram = 116;
constexpr int kZipName = 117;
constexpr int kUseExe = 118;
constexpr int kExeProgram = 119;

constexpr const char* kCreatorFilter = "Quillory (*.qlr)|*.qlr;|Alle Dateien (*.*)|*.*|";
// Paths pass through buffers of 260 characters.
constexpr size_t kMaxPath = 259;

constexpr int kTargetLine = 120;

// At most one repaint of the status line per this many milliseconds.
constexpr qint64 kStatusInterval = 50;
constexpr const char* kBusy = "Die Sicherung läuft noch! Bitte warten Sie, bis das Fenster "
                              "\"Backup-Task\" geschlossen ist.";

std::vector<std::string> QtChooseFiles(QWidget* parent, const std::string& filter,
                                       const std::string& startFolder) {
    QFileDialog dialog(parent);
    dialog.setDirectory(QString::fromStdString(startFolder));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly, true);
    ApplyFileFilter(dialog, QtFileFilter(filter));
    std::vector<std::string> out;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& name : dialog.selectedFiles()) {
            out.push_back(name.toStdString());
        }
    }
    return out;
}

// The directory itself when it exists, else its nearest existing ancestor.
std::string NearestExistingDirectory(std::string path) {
    // A folder that cannot be searched, a loop of links or an overlong name: not existing.
    std::error_code ec;
    while (!path.empty() && !std::filesystem::is_directory(path, ec)) {
        const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
        path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    return path;
}

// Shows the status text at most every kStatusInterval ms; the last text is kept and shown at
// the next chance (a step of the run, a message box, the end of the run).
class StatusLine {
public:
    explicit StatusLine(std::function<void(const std::string&)> show) : m_show(std::move(show)) {}
    void Set(const std::string& text) {
        m_pending = text;
        m_dirty = true;
        ShowIfDue();
    }
    void ShowIfDue() {
        if (m_dirty && (!m_clock.isValid() || m_clock.elapsed() >= kStatusInterval)) {
            Show();
        }
    }
    void Show() {
        if (m_dirty) {
            m_show(m_pending);
            m_dirty = false;
            m_clock.start();
        }
    }

private:
    std::function<void(const std::string&)> m_show;
    std::string m_pending;
    bool m_dirty = false;
    QElapsedTimer m_clock;
};

// Whether path can be kept in Backup.Ini; a path with a line break cannot and is refused with
// a message when it is chosen.
bool StorablePath(QWidget* owner, const std::string& path) {
    if (IsStorableProfileValue(path)) {
        return true;
    }
    ShowMessage("Dieser Pfad enthält einen Zeilenumbruch und kann nicht gespeichert werden:\n" +
                    path,
                "", MB_OK | MB_ICONINFORMATION, owner);
    return false;
}

TBackupDialog::FilesChooser& Chooser() {
    static TBackupDialog::FilesChooser chooser = QtChooseFiles;
    return chooser;
}

void DesktopNotice(const BackupNotice& notice) {
    ShowDesktopNotification(QString::fromStdString(notice.summary),
                            QString::fromStdString(notice.body));
}

TBackupDialog::Notifier& NoticeSink() {
    static TBackupDialog::Notifier sink = DesktopNotice;
    return sink;
}

} // namespace

TBackupDialog::FilesChooser TBackupDialog::SetFilesChooser(FilesChooser chooser) {
    FilesChooser previous = Chooser();
    Chooser() = chooser ? std::move(chooser) : FilesChooser(QtChooseFiles);
    return previous;
}

TBackupDialog::TBackupDialog(QWidget* parent, std::string settingsDir, std::string filter,
                             std::string ownDocument, std::string ownConfigDir)
    : TTiledDialog(parent, ResId("BACKUP_DIALOG"), "KACHEL1"),
      m_settingsDir(std::move(settingsDir)), m_filter(std::move(filter)),
      m_ownDocument(std::move(ownDocument)), m_ownConfigDir(std::move(ownConfigDir)) {
    new TOwnerDrawPushbutton(this, IDOK, "BTN1", "BTN2", "BTN2");
    new TOwnerDrawPushbutton(this, IDCANCEL, "BTN3", "BTN4", "BTN4");
    new TOwnerDrawPushbutton(this, kTarget, "BTN40", "BTN41", "BTN41");
    new TOwnerDrawPushbutton(this, kStart, "BTN42", "BTN43", "BTN43");
    new TOwnerDrawPushbutton(this, kRemove, "BTN44", "BTN45", "BTN45");
    new TOwnerDrawPushbutton(this, kAdd, "BTN46", "BTN47", "BTN47");
    Bind(kAdd, [this] { AddFiles(); });
    Bind(kRemove, [this] { RemoveFiles(); });
    Bind(kTarget, [this] { ChooseTarget(); });
    Bind(kZipProgram, [this] { ChooseProgram(m_zipPath); });
    Bind(kExeProgram, [this] { ChooseProgram(m_zip2ExePath); });
    Bind(kUseZip, [this] { EnableZipControls(); });
    Bind(kStart, [this] { RunBackup(); });
}

TBackupDialog::~TBackupDialog() = default;

QListWidget* TBackupDialog::List() const {
    return ControlAs<QListWidget>(kList);
}

void TBackupDialog::SetRunEnvironment(std::function<BackupServices(TBackupDialog&)> services,
                                      IProgramLauncher* launcher) {
    m_services = std::move(services);
    m_launcher = launcher;
}

TBackupDialog::Notifier TBackupDialog::SetNotifier(Notifier notify) {
    Notifier previous = NoticeSink();
    NoticeSink() = notify ? std::move(notify) : Notifier(DesktopNotice);
    return previous;
}

void TBackupDialog::SetupWindow() {
    WaitCursor wait;
    TTiledDialog::SetupWindow();
    m_options.Load(m_settingsDir, m_ownConfigDir);
    // A first backup needs no search for the user's document; Backup.Ini keeps it only when
    // the user confirms, as every other change.
    if (m_options.Files.empty() && !m_ownDocument.empty() && FileExists(m_ownDocument) &&
        IsStorableProfileValue(m_ownDocument)) {
        m_options.AddFile(m_ownDocument);
    }
    FillList();
    SetItemText(kStatus, "");
    SetChecked(kSelected, m_options.OnlySelFiles);
    SetChecked(kAll, !m_options.OnlySelFiles);
    SetChecked(kOverwrite, m_options.OverwritePrompt);
    SetChecked(kNewer, m_options.OnlyNewerFiles);
    SetChecked(kSubDir, m_options.CreateSubDir);
    if (QWidget* subDir = Control(kSubDir)) {
        const QString where = QStringLiteral(
            "Jede Kopie liegt unter dem vollen Pfad ihrer Datei im Ziel: /home/anna/brief.txt "
            "wird zu <Ziel>/home/anna/brief.txt. Ohne Haken liegen alle Kopien direkt im Ziel.");
        subDir->setToolTip(where);
        subDir->setAccessibleDescription(where);
    }
    SetChecked(kUseZip, m_options.UsePkzip);
    SetChecked(kUseExe, m_options.UseZip2Exe);
    SetChecked(kPassword, m_options.UsePasswd);
    m_zipPath = m_options.ZipPath;
    m_zip2ExePath = m_options.Zip2ExePath;
    if (auto* name = ControlAs<QLineEdit>(kZipName)) {
        name->setMaxLength(static_cast<int>(kMaxPath));
    }
    SetItemText(kZipName, m_options.ZipFileName);
    EnableZipControls();
    ShowTarget();
}

void TBackupDialog::ShowTarget() {
    // Break opportunities after each '/', so that a long path wraps in the label.
    QString shown = QString::fromStdString(m_options.BackupPath);
    shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    if (auto* line = Control(kTargetLine)) {
        line->setToolTip(QString::fromStdString(m_options.BackupPath));
    }
    SetItemText(kTargetLine, shown.toStdString());
}

void TBackupDialog::FillList() {
    QListWidget* list = List();
    list->clear();
    std::uint64_t total = 0;
    for (const std::string& file : m_options.Files) {
        if (!FileExists(file)) {
            continue;
        }
        const std::optional<std::uint64_t> size = RegularFileSize(file);
        if (size && ::access(file.c_str(), R_OK) == 0) {
            total += *size;
        }
        list->addItem(QString::fromStdString(file));
    }
    std::string line;
    if (total != 0) {
        std::string files;
        line = std::to_string(m_options.Files.size()) + ResString(files, 3000) +
               std::to_string(total / 1000) + "kB";
    }
    SetItemText(kCount, line);
}

void TBackupDialog::EnableZipControls() {
    const bool zip = Checked(kUseZip);
    Control(kOverwrite)->setEnabled(!zip);
    for (int id : {kUseExe, kPassword, kZipProgram, kExeProgram, kZipName}) {
        Control(id)->setEnabled(zip);
    }
}

void TBackupDialog::ControlsToOptions() {
    m_options.OnlySelFiles = Checked(kSelected);
    m_options.OverwritePrompt = Checked(kOverwrite);
    m_options.OnlyNewerFiles = Checked(kNewer);
    m_options.CreateSubDir = Checked(kSubDir);
    m_options.UsePkzip = Checked(kUseZip);
    m_options.UseZip2Exe = Checked(kUseExe);
    m_options.UsePasswd = Checked(kPassword);
    m_options.ZipFileName = ItemText(kZipName);
    m_options.ZipPath = m_zipPath;
    m_options.Zip2ExePath = m_zip2ExePath;
    m_options.Save(m_settingsDir, m_ownConfigDir);
}

void TBackupDialog::CmOk() {
    ControlsToOptions();
    CloseWindow(IDOK);
}

std::string TBackupDialog::ChooserStartFolder() const {
    for (auto it = m_options.Files.rbegin(); it != m_options.Files.rend(); ++it) {
        const std::string dir = SplitPath(*it).dir;
        std::error_code error; // a folder that cannot be looked at is passed over
        if (!dir.empty() && std::filesystem::is_directory(dir, error)) {
            return dir;
        }
    }
    return SystemDirs::ProgramDirectory();
}

void TBackupDialog::AddFiles() {
    const std::vector<std::string> chosen = Chooser()(this, m_filter, ChooserStartFolder());
    if (chosen.empty()) {
        return;
    }
    WaitCursor wait;
    for (const std::string& path : chosen) {
        if (!path.empty() && path.size() <= kMaxPath && StorablePath(this, path)) {
            m_options.AddFile(path);
        }
    }
    FillList();
}

void TBackupDialog::RemoveFiles() {
    const QList<QListWidgetItem*> selected = List()->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    for (QListWidgetItem* item : selected) {
        m_options.RemoveFile(item->text().toStdString());
    }
    FillList();
}

void TBackupDialog::ChooseTarget() {
    // The chooser opens in the target; one not yet created opens at its nearest parent.
    std::string path = NearestExistingDirectory(m_options.BackupPath).substr(0, 255);
    if (ChooseDirectory(this, path) && StorablePath(this, path)) {
        m_options.BackupPath = path;
        ShowTarget();
    }
}

void TBackupDialog::ChooseProgram(std::string& path) {
    std::string filter;
    std::string chosen = path;
    if (GetFileName(this, chosen, true, ResString(filter, 3010)) && StorablePath(this, chosen)) {
        path = chosen;
    }
}

void TBackupDialog::RunBackup() {
    IProgramLauncher& launcher = m_launcher ? *m_launcher : DesktopLauncher();
    // Waiting for the packer serves every event, so Start can be pressed again.
    if (m_running || launcher.WindowExists(kBackupTaskTitle)) {
        ShowMessage(kBusy, "", MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    ControlsToOptions();
    QListWidget* list = List();
    std::vector<std::string> entries;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        if (!m_options.OnlySelFiles || item->isSelected()) {
            entries.push_back(item->text().toStdString());
        }
    }
    StatusLine status([this](const std::string& text) {
        SetItemText(kStatus, text);
        Control(kStatus)->repaint();
    });
    std::vector<std::string> statusTexts;
    BackupServices services =
        m_services
            ? m_services(*this)
            : DesktopBackupServices([&status](const std::string& text) { status.Set(text); }, this);
    if (!m_services) {
        services.checkAbort = [&status](bool* aborted) {
            status.ShowIfDue();
            CheckAbort(aborted);
        };
        services.message = [this, &status](const std::string& text, const std::string& caption,
                                           unsigned flags) {
            status.Show();
            return ShowMessage(text, caption, flags, this);
        };
    }
    services.status = [&statusTexts, show = std::move(services.status)](const std::string& text) {
        statusTexts.push_back(text);
        if (show) {
            show(text);
        }
    };
    m_running = true;
    const BackupResult result =
        ::RunBackup(m_options, entries, services, SystemDirs::ProgramDirectory(),
                    SystemDirs::TempDirectory(), launcher);
    m_running = false;
    status.Show();
    ShowTarget();
    Notify(result, entries, statusTexts);
    if (result == BackupResult::Completed) {
        CloseWindow(IDOK);
    }
}

void TBackupDialog::Notify(BackupResult result, const std::vector<std::string>& entries,
                           const std::vector<std::string>& statusTexts) {
    BackupSummary outcome;
    outcome.result = result;
    outcome.packing = m_options.UsePkzip;
    outcome.onlySelected = m_options.OnlySelFiles && List()->count() > 0;
    outcome.destination = outcome.packing
                              ? m_options.BackupPath + "/" + m_options.ZipFileName
                              : (m_options.BackupPath.empty() ? "/" : m_options.BackupPath);
    outcome.lastStatus = statusTexts.empty() ? std::string() : statusTexts.back();
    for (const std::string& entry : AnnouncedEntries(entries, statusTexts)) {
        // A copy is whole or absent: an announced file whose copy is there went over.
        const std::string target =
            BackupTarget(m_options.BackupPath, entry, m_options.CreateSubDir);
        if (outcome.packing
                ? result == BackupResult::Completed
                : RegularFileSize(target) && RegularFileSize(target) == RegularFileSize(entry)) {
            ++outcome.files;
            if (m_options.CreateSubDir && !outcome.packing && outcome.firstCopy.empty())
                outcome.firstCopy = target;
        }
    }
    const BackupNotice notice = DescribeBackup(outcome);
    NoticeSink()(notice);
    // Said here too: a desktop without a notification service shows nothing.
    SetItemText(kStatus, NoticeLine(notice));
    if (QWidget* line = Control(kStatus))
        line->setToolTip(QString::fromStdString(NoticeLine(notice)));
    if (result == BackupResult::Completed)
        ShowMessage(notice.summary + "\n\n" + notice.body, kVersionTitle,
                    MB_OK | MB_ICONINFORMATION, this);
}

void RunBackupDialog(QWidget* parent, const std::string& programDir,
                     const std::string& ownDocument) {
    TBackupDialog dialog(parent, programDir, kCreatorFilter, ownDocument,
                         SystemDirs::WindowsDirectory());
    dialog.Execute();
}
