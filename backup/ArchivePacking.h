#pragma once

#include <cstdint>
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
// Its own files (the list and the PIF's working copy) live in a private directory made in the
// temporary directory for this run and removed with the object.
class TArchivePacking {
public:
    TArchivePacking(const TBackupOptions& options, std::string programDir, std::string tempDir,
                    IProgramLauncher& launcher);
    ~TArchivePacking();
    TArchivePacking(const TArchivePacking&) = delete;
    TArchivePacking& operator=(const TArchivePacking&) = delete;

    // Packer, converter (when wanted) and template must exist; makes the private directory,
    // the template's working copy and the empty list file. False: the run must end (said).
    bool Prepare();
    // Adds one source path to the list; false for a path the list cannot hold (a line break).
    bool AddEntry(const std::string& source);
    // Writes the list, starts the packer, waits for its window to go and, when wanted, starts
    // the converter and waits for it as well. False when a step failed or the archive is not
    // there afterwards (see FailureText).
    bool Finish();
    // The status text after a failed Finish.
    const std::string& FailureText() const { return m_failure; }

    std::string ArchivePath() const;
    // Inside the private directory; "" before Prepare made it.
    std::string ListPath() const { return m_dir.empty() ? "" : m_dir + "backup.lst"; }
    std::string TemplatePath() const { return m_programDir + "backup.pif"; }
    std::string WorkingPifPath() const { return m_dir.empty() ? "" : m_dir + "backup.pif"; }

private:
    // Waits 2000 ms, then for as long as the task window exists, serving messages; false when
    // the program is ending meanwhile.
    bool WaitForPacker();
    bool MakeWorkingFiles();
    bool ArchiveExists() const;

    const TBackupOptions& m_options;
    std::string m_programDir;
    std::string m_tempDir;
    IProgramLauncher& m_launcher;
    std::string m_dir; // the private directory, with its trailing '/'
    int m_listFd = -1;
    std::string m_list;
    std::string m_failure;
};
