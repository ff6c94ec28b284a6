#pragma once

#include "backup/CopyEngine.h"
#include "backup/TBackupOptions.h"
#include "graphics/TTiledDialog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QListWidget;
class IProgramLauncher;
struct BackupNotice;
struct BackupServices;

// The backup dialog: the list of files to back up, the target directory, the options (the
// packing controls lie outside the visible area and are reached by keyboard or Backup.Ini),
// and Start, which runs the backup. Options come from settingsDir + "Backup.Ini" at set-up and
// go back to it on OK and on Start.
//
// An empty list starts with the user's own document (kept only by OK or Start); the file chooser
// opens in the folder of the list's last file; the end of a run is told in a notification.
class TBackupDialog : public TTiledDialog {
    Q_OBJECT
public:
    // ownDocument: the logged-in user's document, listed when the list is empty; ownConfigDir:
    // the user's own configuration, where the programs to run are kept ("": Backup.Ini only).
    TBackupDialog(QWidget* parent, std::string settingsDir, std::string filter,
                  std::string ownDocument = {}, std::string ownConfigDir = {});
    ~TBackupDialog() override;

    const TBackupOptions& Options() const { return m_options; }
    QListWidget* List() const;

    void FillList();
    void EnableZipControls();
    void ControlsToOptions();
    void RunBackup();

    // Test seams: the multiple-selection file dialog, the services and launcher of a run, and
    // where the notice of a finished run goes (a desktop notification by default).
    using FilesChooser = std::function<std::vector<std::string>(
        QWidget* parent, const std::string& filter, const std::string& startFolder)>;
    static FilesChooser SetFilesChooser(FilesChooser chooser);
    void SetRunEnvironment(std::function<BackupServices(TBackupDialog&)> services,
                           IProgramLauncher* launcher);
    using Notifier = std::function<void(const BackupNotice&)>;
    static Notifier SetNotifier(Notifier notify);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void AddFiles();
    void RemoveFiles();
    void ChooseTarget();
    void ChooseProgram(std::string& path);
    // The target directory in the label of the right frame.
    void ShowTarget();
    std::string ChooserStartFolder() const;
    void Notify(BackupResult result, const std::vector<std::string>& entries,
                const std::vector<std::string>& statusTexts);

    std::string m_settingsDir;
    std::string m_filter;
    std::string m_ownDocument;
    std::string m_ownConfigDir;
    TBackupOptions m_options;
    std::string m_zipPath;
    std::string m_zip2ExePath;
    std::function<BackupServices(TBackupDialog&)> m_services;
    IProgramLauncher* m_launcher = nullptr;
    bool m_running = false;
};

// Hot spot 2 of the desk: the dialog for the program directory with the creator's filter.
void RunBackupDialog(QWidget* parent, const std::string& programDir,
                     const std::string& ownDocument = {});
