#include "backup/ArchivePacking.h"

#include "backup/TBackupOptions.h"
#include "platform/Messages.h"
#include "platform/Pif.h"
#include "platform/gui/TaskWindow.h"
#include "util/FileUtil.h"
#include "util/gui/MessageQueue.h"
#include "util/gui/ResString.h"

#include <QElapsedTimer>
#include <QThread>

#include <fstream>

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
    CopyFileTo(TemplatePath(), WorkingPifPath(), true);
    m_list.open(ListPath(), std::ios::out | std::ios::trunc);
    return true;
}

bool TArchivePacking::AddEntry(const std::string& source) {
    m_list << source << '\n';
    return static_cast<bool>(m_list);
}

bool TArchivePacking::Finish() {
    m_list.close();
    const std::string archive = ArchivePath();
    const auto failed = [this](const std::string& program) {
        m_failure = "Das Programm " + program + " konnte nicht gestartet werden!";
        return false;
    };
    if (!m_list) {
        m_failure = "Die Dateiliste " + ListPath() + " konnte nicht geschrieben werden!";
        return false;
    }
    if (!LaunchViaPif(WorkingPifPath(), m_options.ZipPath,
                      PackerParameters(archive, m_options.OnlyNewerFiles, m_options.CreateSubDir,
                                       ListPath(), m_options.UsePasswd),
                      m_launcher)) {
        return failed(m_options.ZipPath);
    }
    if (m_options.UseZip2Exe) {
        WaitForPacker();
        if (!LaunchViaPif(WorkingPifPath(), m_options.Zip2ExePath, ConverterParameters(archive),
                          m_launcher)) {
            return failed(m_options.Zip2ExePath);
        }
    }
    return true;
}

void TArchivePacking::WaitForPacker() {
    const std::uint32_t start = m_launcher.TickCount();
    while (static_cast<std::uint32_t>(m_launcher.TickCount() - start) < 2000) {
        m_launcher.PumpMessages();
    }
    while (m_launcher.WindowExists(kBackupTaskTitle)) {
        m_launcher.PumpMessages();
    }
}
