#include "backup/ArchivePacking.h"

#include "backup/TBackupOptions.h"
#include "platform/Messages.h"
#include "platform/Pif.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/PrivateFiles.h"
#include "platform/gui/TaskWindow.h"
#include "util/FileUtil.h"
#include "util/gui/MessageQueue.h"
#include "util/gui/ResString.h"

#include <QElapsedTimer>
#include <QThread>

#include <utility>

#include <unistd.h>

namespace {

class Desktop final : public IProgramLauncher {
public:
    Desktop() { m_clock.start(); }
    bool StartPif(const std::string& pifPath) override { return LaunchPif(pifPath); }
    bool WindowExists(const std::string& title) override {
        return FindTopLevelWindow(title) != nullptr;
    }
    void PumpMessages() override {
        ::PumpMessages();
        QThread::msleep(10); // waiting, not spinning
    }
    std::uint32_t TickCount() override { return static_cast<std::uint32_t>(m_clock.elapsed()); }

private:
    QElapsedTimer m_clock;
};

std::string Res3008() {
    std::string text;
    return ResString(text, 3008);
}

} // namespace

IProgramLauncher& DesktopLauncher() {
    static Desktop launcher;
    return launcher;
}

bool CheckFileFound(const std::string& path) {
    if (!path.empty() && RegularFileSize(path)) {
        return false;
    }
    std::string text;
    ResString(text, 3011);
    const size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, path);
    }
    ShowMessage(text, "", MB_OK | MB_ICONINFORMATION);
    return true;
}

std::string PackerParameters(const std::string& archivePath, bool onlyNewer, bool createSubDir,
                             const std::string& listPath, bool password) {
    std::string p = archivePath + " ";
    if (onlyNewer) {
        p += "-u ";
    }
    if (createSubDir) {
        p += "-rP ";
    }
    p += "@" + listPath;
    if (password) {
        p += " -s ";
    }
    return p;
}

std::string ConverterParameters(const std::string& archivePath) {
    std::string dir;
    DirOfPath(archivePath, dir);
    return archivePath + " " + dir;
}

bool LaunchViaPif(const std::string& pifPath, const std::string& program,
                  const std::string& parameters, IProgramLauncher& launcher) {
    std::string startDir;
    DirOfPath(program, startDir);
    return WritePifFields(pifPath, {kBackupTaskTitle, program, startDir, parameters}) &&
           launcher.StartPif(pifPath);
}

TArchivePacking::TArchivePacking(const TBackupOptions& options, std::string programDir,
                                 std::string tempDir, IProgramLauncher& launcher)
    : m_options(options), m_programDir(std::move(programDir)), m_tempDir(std::move(tempDir)),
      m_launcher(launcher) {}

TArchivePacking::~TArchivePacking() {
    if (m_listFd >= 0) {
        ::close(m_listFd);
    }
    RemovePrivateDirectory(m_dir);
}

std::string TArchivePacking::ArchivePath() const {
    return m_options.BackupPath + "/" + m_options.ZipFileName;
}

bool TArchivePacking::Prepare() {
    if (CheckFileFound(m_options.ZipPath)) {
        return false;
    }
    if (m_options.UseZip2Exe && CheckFileFound(m_options.Zip2ExePath)) {
        return false;
    }
    if (CheckFileFound(TemplatePath())) {
        return false;
    }
    return MakeWorkingFiles();
}

bool TArchivePacking::MakeWorkingFiles() {
    const auto stop = [](const std::string& text) {
        ShowMessage(text, "", MB_OK | MB_ICONINFORMATION);
        return false;
    };
    const WholeFile pif = ReadWholeFile(TemplatePath(), std::uint64_t{1} << 20);
    if (!pif) {
        return stop("Die Vorlage " + TemplatePath() + " konnte nicht gelesen werden!");
    }
    m_dir = MakePrivateDirectoryIn(m_tempDir, "quillory-backup-");
    if (m_dir.empty()) {
        return stop("Im temporären Verzeichnis " + m_tempDir +
                    " konnte kein Arbeitsordner angelegt werden!");
    }
    if (!WritePrivateFile(WorkingPifPath(), pif.bytes)) {
        return stop("Die Arbeitskopie " + WorkingPifPath() + " konnte nicht geschrieben werden!");
    }
    m_listFd = CreatePrivateFile(ListPath());
    if (m_listFd < 0) {
        return stop("Die Dateiliste " + ListPath() + " konnte nicht geschrieben werden!");
    }
    return true;
}

bool TArchivePacking::AddEntry(const std::string& source) {
    if (source.find_first_of("\r\n") != std::string::npos) {
        m_failure = "Der Dateiname " + source + " kann nicht gepackt werden!";
        return false;
    }
    m_list += source + '\n';
    return true;
}

bool TArchivePacking::Finish() {
    const std::string archive = ArchivePath();
    const auto failed = [this](const std::string& program) {
        m_failure = "Das Programm " + program + " konnte nicht gestartet werden!";
        return false;
    };
    const int fd = std::exchange(m_listFd, -1);
    const bool written = fd >= 0 && WriteAllToFd(fd, ListPath(), m_list);
    if ((fd >= 0 && ::close(fd) != 0) || !written) {
        m_failure = "Die Dateiliste " + ListPath() + " konnte nicht geschrieben werden!";
        return false;
    }
    // The packer runs with the umask 077; an archive of an earlier run may be readable still,
    // and a packer that updates it keeps its mode.
    KeepToOwner(archive);
    if (!LaunchViaPif(WorkingPifPath(), m_options.ZipPath,
                      PackerParameters(archive, m_options.OnlyNewerFiles, m_options.CreateSubDir,
                                       ListPath(), m_options.UsePasswd),
                      m_launcher)) {
        return failed(m_options.ZipPath);
    }
    // The list must stay until the packer has read it, and only a finished packer tells
    // whether there is an archive.
    bool ended = WaitForPacker();
    if (ended && m_options.UseZip2Exe) {
        if (!LaunchViaPif(WorkingPifPath(), m_options.Zip2ExePath, ConverterParameters(archive),
                          m_launcher)) {
            return failed(m_options.Zip2ExePath);
        }
        ended = WaitForPacker();
    }
    if (!ended) {
        m_failure = Res3008();
        return false;
    }
    if (!ArchiveExists()) {
        m_failure = "Das Archiv " + archive + " wurde nicht erstellt!";
        return false;
    }
    KeepToOwner(archive);
    KeepToOwner(archive + ".zip");
    return true;
}

bool TArchivePacking::ArchiveExists() const {
    // The packer adds ".zip" to a name without an extension.
    const std::string archive = ArchivePath();
    const PathParts parts = SplitPath(archive);
    return RegularFileSize(archive) || (parts.ext.empty() && RegularFileSize(archive + ".zip"));
}

bool TArchivePacking::WaitForPacker() {
    const std::uint32_t start = m_launcher.TickCount();
    while (static_cast<std::uint32_t>(m_launcher.TickCount() - start) < 2000) {
        if (AbortRequested()) {
            return false;
        }
        m_launcher.PumpMessages();
    }
    while (m_launcher.WindowExists(kBackupTaskTitle)) {
        if (AbortRequested()) {
            return false;
        }
        m_launcher.PumpMessages();
    }
    return true;
}
