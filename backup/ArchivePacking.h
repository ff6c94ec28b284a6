#pragma once

#include <cstdint>
#include <fstream>
#include <string>

class TBackupOptions;

// What the packing needs of the program's surroundings: starting a program through a PIF,
// looking for its window, serving messages while waiting, and a millisecond tick count.
class IProgramLauncher {
public:
    virtual ~IProgramLauncher() = default;
    // False when the program of the PIF cannot be started.
    virtual bool StartPif(const std::string& pifPath) = 0;
    virtual bool WindowExists(const std::string& title) = 0;
    virtual void PumpMessages() = 0;
    virtual std::uint32_t TickCount() = 0;
};

// The launcher of the running program: task windows of our own (platform/gui/TaskWindow).
IProgramLauncher& DesktopLauncher();

inline constexpr const char* kBackupTaskTitle = "Backup-Task";

// True when the path is empty or names no existing file; the message 3011 has then been shown
// (no owner, empty caption, information icon). False when the file is there.
bool CheckFileFound(const std::string& path);

// archive + " " + ["-u "] + ["-rP "] + "@" + list + [" -s "]
std::string PackerParameters(const std::string& archivePath, bool onlyNewer, bool createSubDir,
                             const std::string& listPath, bool password);
// archive + " " + the archive's directory (empty when the path has none).
std::string ConverterParameters(const std::string& archivePath);

// Writes title "Backup-Task", program, its directory and the parameters into the PIF (values
// too long for their fields travel in the PIF's long section), then starts it. False when the
// PIF cannot be written or the program not started.
bool LaunchViaPif(const std::string& pifPath, const std::string& program,
                  const std::string& parameters, IProgramLauncher& launcher);

// One packing run: the checks before the loop, the list file, the packer and the converter.
class TArchivePacking {
public:
    TArchivePacking(const TBackupOptions& options, std::string programDir, std::string tempDir,
                    IProgramLauncher& launcher);

    // Packer, converter (when wanted) and template must exist; copies the template to its
    // working copy and creates the list file empty. False: the run must end.
    bool Prepare();
    // Appends one source path to the list file.
    bool AddEntry(const std::string& source);
    // Closes the list, starts the packer and, when wanted, the converter after the packer's
    // window has gone. False when one of them could not be started (see FailureText).
    bool Finish();
    // The status text after a failed Finish.
    const std::string& FailureText() const { return m_failure; }

    std::string ArchivePath() const;
    std::string ListPath() const { return m_tempDir + "backup.lst"; }
    std::string TemplatePath() const { return m_programDir + "backup.pif"; }
    std::string WorkingPifPath() const { return m_tempDir + "backup.pif"; }

private:
    // Waits 2000 ms, then for as long as the task window exists, serving messages.
    void WaitForPacker();

    const TBackupOptions& m_options;
    std::string m_programDir;
    std::string m_tempDir;
    IProgramLauncher& m_launcher;
    std::ofstream m_list;
    std::string m_failure;
};
