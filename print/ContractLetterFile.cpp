#include "print/ContractLetterFile.h"

#include "platform/Messages.h"
#include "print/ContractLetter.h"
#include "print/FolderPainter.h"
#include "store/CategoryValues.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char* const kPdfFilter = "PDF-Dateien|*.pdf|";
const char* const kSaved = "Das K\xC3\xBCndigungsschreiben wurde gespeichert:\n";
const char* const kSaveFailed = "Das K\xC3\xBCndigungsschreiben konnte nicht gespeichert werden.";
const char* const kReadFailed =
    "Die Angaben aus \xE2\x80\x9EPers\xC3\xB6nliches\xE2\x80\x9C konnten "
    "nicht gelesen werden.";

// "Kündigung Stadtwerke 2026-12-10.pdf" in the documents folder; no character that would
// make another folder of the name.
std::string ProposedPath(const LetterFacts& facts) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    QString name = QStringLiteral("K\u00FCndigung ") + facts.provider;
    name.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char('\\'), QLatin1Char('-'));
    name = name.trimmed() + QLatin1Char(' ') + QDate::currentDate().toString(Qt::ISODate);
    return (dir + QLatin1Char('/') + name + QStringLiteral(".pdf")).toStdString();
}

// A letter that lacks a sender or an address is written only when the user wants it so (to fill
// in by hand).
bool CompleteOrWanted(QWidget* form, const LetterFacts& facts) {
    const QStringList missing = MissingLetterParts(facts);
    if (missing.isEmpty())
        return true;
    const QString text =
        (missing.size() == 1 ? QStringLiteral("Im K\u00FCndigungsschreiben fehlt: ")
                             : QStringLiteral("Im K\u00FCndigungsschreiben fehlen: ")) +
        missing.join(QStringLiteral(", ")) +
        QStringLiteral(".\n\nTrotzdem speichern, um es von Hand zu erg\u00E4nzen?");
    return ShowMessage(text.toStdString(), kVersionTitle, MB_YESNO | MB_ICONQUESTION, form) ==
           IDYES;
}

} // namespace

void WriteContractLetter(QWidget* form, const std::map<int, std::string>& contracts, int contract) {
    std::map<int, std::string> personal;
    if (!ReadCategoryValues(1, personal)) {
        ShowMessage(kReadFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, form);
        return;
    }
    const LetterFacts facts = ContractLetterFacts(personal, contracts, contract, Today());
    if (!CompleteOrWanted(form, facts))
        return;
    std::string path = ProposedPath(facts);
    const std::string dir = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    if (!GetFileName(form, path, false, kPdfFilter, "pdf", dir))
        return;
    const QByteArray pdf =
        PagesPdf(QStringLiteral("K\u00FCndigung"), facts.senderName, [&](const TextWidth& width) {
            return std::vector<FolderPage>{BuildContractLetter(facts, width)};
        });
    if (!SavePdfBytes(path, pdf)) {
        ShowMessage(kSaveFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, form);
        return;
    }
    ShowMessage(kSaved + path, kVersionTitle, MB_OK | MB_ICONINFORMATION, form);
}
