#include "exchange/gui/ExchangeCommands.h"

#include "engine/Crypto.h"
#include "engine/Session.h"
#include "exchange/CatalogueFields.h"
#include "exchange/KdbxFile.h"
#include "exchange/gui/TExportDialog.h"
#include "exchange/gui/TImportPreview.h"
#include "exchange/gui/WithProgress.h"
#include "platform/Messages.h"
#include "platform/file/AtomicFile.h"
#include "store/CategoryValues.h"
#include "store/TSession.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QDir>
#include <QStandardPaths>

namespace {

const char* const kReadFailed = "Die Daten konnten nicht gelesen werden.";
const char* const kWriteFailed = "Die Datei konnte nicht geschrieben werden:\n";
const char* const kSaved = "Die Daten wurden gespeichert:\n";
const char* const kKdbxFilter = "KeePass-Datenbanken|*.kdbx|";
const char* const kCsvFilter = "CSV-Dateien|*.csv|";

std::string DocumentsFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return dir.toStdString();
}

void Say(QWidget* parent, const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION, parent);
}

std::string DocumentPassword(bool isProtected) {
    const auto& passwords = Session().Engine().Passwords();
    return isProtected && !passwords.empty() ? std::string(passwords.back().view()) : std::string();
}

void Export(QWidget* parent, const std::string& userName, TExportDialog::Format format,
            const std::string& password) {
    const auto fields = CatalogueFields();
    FormValues values;
    if (!ReadDocumentValues(fields, values)) {
        Say(parent, kReadFailed);
        return;
    }
    const bool kdbx = format == TExportDialog::Format::Kdbx;
    std::string path =
        DocumentsFolder() + "/" + userName + (kdbx ? "-Quillory.kdbx" : "-Quillory.csv");
    if (!GetFileName(parent, path, false, kdbx ? kKdbxFilter : kCsvFilter, kdbx ? "kdbx" : "csv",
                     DocumentsFolder()))
        return;
    const std::string bytes =
        kdbx ? WithProgress(
                   parent, "Die KeePass-Datei wird verschlüsselt …",
                   [&] { return kdbx::WriteKdbx(ExportKdbx(fields, values, userName), password); })
             : WriteFieldCsv(ExportCsv(fields, values));
    if (bytes.empty()) {
        Say(parent, kWriteFailed + path);
        return;
    }
    if (WritePrivateFile(parent, path, bytes))
        Say(parent, kSaved + path);
}

} // namespace

bool ReadDocumentValues(const std::vector<ExchangeField>& fields, FormValues& values) {
    std::map<int, std::map<int, std::string>> byCategory;
    for (const ExchangeField& f : fields) {
        if (!byCategory.count(f.category) &&
            !ReadCategoryValues(f.category, byCategory[f.category]))
            return false;
        values[{f.category, f.id}] = byCategory[f.category][f.id];
    }
    return true;
}

bool WritePrivateFile(QWidget* parent, const std::string& path, const std::string& bytes) {
    AtomicFile file(path, 0600);
    if (file.Write(bytes) && file.Commit())
        return true;
    Say(parent, kWriteFailed + path);
    return false;
}

void RunExport(QWidget* parent, const std::string& userName, bool isProtected) {
    TExportDialog dialog(parent, DocumentPassword(isProtected));
    if (dialog.Execute() != IDOK)
        return;
    Export(parent, userName, dialog.Chosen(), dialog.Password());
}
