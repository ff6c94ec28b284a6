#include "app/Login.h"

#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/file/AtomicFile.h"
#include "util/FileUtil.h"
#include "util/VersionTitle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr const char* kAskName = "Geben Sie Ihren Benutzernamen ein:";
constexpr const char* kInvalidUserName = "Ungültiger Benutzername";
constexpr const char* kAskCreate =
    "Der Benutzer existiert noch nicht, soll ein neuer Benutzer erstellt werden?";
constexpr const char* kInvalidFileName = "Ungültiger Dateiname";

std::string FolderNotWritable(const std::string& dir) {
    return "In den Programmordner " + dir +
           " kann nicht geschrieben werden. Neue Benutzer können nicht angelegt und Ihre "
           "Eingaben nicht gespeichert werden.";
}

// Whether new files can be made in dir: a probe file is created and removed again.
bool TakesNewFiles(const std::string& dir) {
    const std::string probe = CreateUniqueTempFile(dir, ".quillory-", ".tmp");
    if (probe.empty()) {
        return false;
    }
    ::unlink(probe.c_str());
    return true;
}

enum class NewFile { Created, Exists, Failed };

// Creates an empty file with owner read and write, never truncating or following anything
// already at path (another program may have made it since we looked).
NewFile CreateEmptyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return NewFile::Created;
    }
    return errno == EEXIST ? NewFile::Exists : NewFile::Failed;
}

void Inform(const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION);
}

} // namespace

std::string PrepareSettingsFile(const std::string& windowsDir) {
    const std::string path = windowsDir + kSettingsFileName;
    if (!FileExists(path)) {
        CreateEmptyFile(path);
    }
    return path;
}

std::string DocumentFileName(const std::string& typedName) {
    return ContainsNoCase(typedName, ".qlr") ? typedName : typedName + ".qlr";
}

bool IsPlainFileName(const std::string& name) {
    return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos && name != "." &&
           name != "..";
}

LoginOutcome RunLogin(const LoginServices& services, const std::string& programDir,
                      const std::string& windowsDir) {
    const std::string settings = PrepareSettingsFile(windowsDir);
    // The last user who logged in; nothing on the first start, where no name is anyone's yet.
    std::string name = GetPrivateProfileString(kLastUserSection, kLastUserKey, "", settings);
    // Said once before the prompt: every save would fail in such a folder.
    if (!TakesNewFiles(programDir)) {
        Inform(FolderNotWritable(programDir));
    }
    for (;;) {
        if (!services.askName(kAskName, name)) {
            return {};
        }
        if (name.empty()) {
            Inform(kInvalidUserName);
            continue;
        }
        const std::string typed = name;
        // A name the settings file cannot keep (a line break) could never be proposed again.
        if (!IsPlainFileName(typed) || !IsStorableProfileValue(typed)) {
            Inform(kInvalidFileName);
            continue;
        }
        LoginOutcome outcome;
        outcome.typedName = typed;
        outcome.documentPath = programDir + DocumentFileName(typed);

        bool exists = FileExists(outcome.documentPath);
        if (!exists) {
            if (ShowMessage(kAskCreate, kVersionTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) {
                continue;
            }
            const NewFile made = CreateEmptyFile(outcome.documentPath);
            if (made == NewFile::Failed) {
                if (TakesNewFiles(programDir)) {
                    Inform(kInvalidFileName);
                } else {
                    Inform(FolderNotWritable(programDir));
                }
                continue;
            }
            // Every save writes a temporary file beside the document first: a name for which
            // none can be made is refused now, not after the first OK.
            if (made == NewFile::Created && !AtomicFile(outcome.documentPath)) {
                ::unlink(outcome.documentPath.c_str());
                Inform(kInvalidFileName);
                continue;
            }
            exists = made == NewFile::Exists; // made meanwhile: that user is opened
        }
        services.setDocumentPath(outcome.documentPath);
        DocumentOutcome attempt;
        if (exists) {
            attempt = services.open(outcome.documentPath);
            outcome.result = LoginResult::Opened;
        } else {
            attempt = services.create();
            outcome.result = LoginResult::Created;
        }
        WritePrivateProfileString(kLastUserSection, kLastUserKey, typed, settings);
        if (attempt == DocumentOutcome::InUse) {
            continue;
        }
        return outcome;
    }
}
