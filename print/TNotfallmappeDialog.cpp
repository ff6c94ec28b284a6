#include "print/TNotfallmappeDialog.h"

#include "exchange/gui/ExchangeCommands.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "platform/Messages.h"
#include "print/FolderContent.h"
#include "print/FolderPainter.h"
#include "store/CategorySchema.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace {

const char* const kReadFailed = "Die Daten konnten nicht gelesen werden.";
const char* const kSaveFailed = "Die Notfallmappe konnte nicht gespeichert werden.";
const char* const kPrintFailed = "Die Notfallmappe konnte nicht gedruckt werden.";
const char* const kPdfFilter = "PDF-Dateien|*.pdf|";
const char* const kAllEmpty = "Die gewählten Formulare sind leer: es gibt nichts zu drucken.";
const char* const kSaved = "Die Notfallmappe wurde gespeichert:\n";
const char* const kNoPasswordForRecovery =
    "Das Dokument hat kein Paßwort: es öffnet sich auch ohne Notfallbögen. Ein Notfallzugang "
    "kann erst eingerichtet werden, wenn ein Paßwort vergeben ist.";

} // namespace

TNotfallmappeDialog::TNotfallmappeDialog(QWidget* parent, FolderFacts facts,
                                         RecoveryActions recovery)
    : TTiledDialog(parent, ResId("IDD_NOTFALLMAPPE"), "KACHEL3"), m_facts(std::move(facts)),
      m_recovery(std::move(recovery)) {
    new TOwnerDrawPushbutton(this, kPrintId, "BTN48", "BTN49", "BTN49");
    new TOwnerDrawPushbutton(this, kPdfId, "BTN50", "BTN51", "BTN51");
    new TOwnerDrawPushbutton(this, IDCANCEL, "BTN11", "BTN12", "BTN12");
    Bind(kPrintId, [this] { Print(); });
    Bind(kPdfId, [this] { SavePdf(); });
    Bind(kExportId,
         [this] { RunExport(this, m_facts.userName.toStdString(), m_facts.isProtected); });
    Bind(kImportId, [this] {
        RunImport(this);
        EnableUndoImport();
    });
    Bind(kUndoImportId, [this] {
        RunUndoImport(this);
        EnableUndoImport();
    });
    Bind(kRecoveryId, [this] { SetUpRecovery(); });
}

TNotfallmappeDialog::~TNotfallmappeDialog() = default;

void TNotfallmappeDialog::SetupWindow() {
    TTiledDialog::SetupWindow();
    for (const CategoryInfo& info : Categories()) {
        SetChecked(kCategoryBase + info.number, true);
        Bind(kCategoryBase + info.number, [this] { EnableActions(); });
    }
    SetChecked(kMaskId, true);
    SetChecked(kCoverId, true);
    SetChecked(kFilledOnlyId, true);
    Bind(kCoverId, [this] { EnableActions(); });
    EnableActions();
    EnableUndoImport();
}

std::vector<int> TNotfallmappeDialog::ChosenCategories() const {
    std::vector<int> chosen;
    if (!Template())
        return chosen;
    for (const ControlTemplate& c : Template()->controls) {
        const int number = c.id - kCategoryBase;
        if (FindCategory(number) && Checked(c.id))
            chosen.push_back(number);
    }
    return chosen;
}

FolderOptions TNotfallmappeDialog::Options() const {
    return FolderOptions{Checked(kMaskId), Checked(kCoverId)};
}

bool TNotfallmappeDialog::HasChoice() const {
    return Checked(kCoverId) || !ChosenCategories().empty();
}

void TNotfallmappeDialog::EnableActions() {
    const bool enabled = HasChoice();
    for (int id : {kPrintId, kPdfId}) {
        if (QWidget* button = Control(id))
            button->setEnabled(enabled);
    }
}

void TNotfallmappeDialog::EnableUndoImport() {
    if (QWidget* button = Control(kUndoImportId))
        button->setEnabled(CanUndoImport());
}

FolderFacts TNotfallmappeDialog::DatedFacts() const {
    FolderFacts facts = m_facts;
    facts.date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    return facts;
}

std::string TNotfallmappeDialog::ProposedPdfPath() const {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return (dir + QLatin1Char('/') + m_facts.userName + QStringLiteral("-Notfallmappe.pdf"))
        .toStdString();
}

std::optional<std::vector<FolderCategory>> TNotfallmappeDialog::Content() {
    auto categories = ReadFolderCategories(ChosenCategories());
    if (!categories) {
        ShowMessage(kReadFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return std::nullopt;
    }
    if (Checked(kFilledOnlyId)) {
        std::erase_if(*categories, [](const FolderCategory& c) { return !IsFilled(c); });
    }
    if (categories->empty() && !Checked(kCoverId)) {
        ShowMessage(kAllEmpty, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return std::nullopt;
    }
    return categories;
}

void TNotfallmappeDialog::Saved(const std::string& path) {
    ShowMessage(kSaved + path, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
}

void TNotfallmappeDialog::CmOk() {
    SavePdf();
}

void TNotfallmappeDialog::SavePdf() {
    if (!HasChoice())
        return;
    const auto categories = Content();
    if (!categories)
        return;
    std::string path = ProposedPdfPath();
    const std::string dir = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    if (!GetFileName(this, path, false, kPdfFilter, "pdf", dir))
        return;
    if (!SaveFolderPdf(path, DatedFacts(), *categories, Options())) {
        ShowMessage(kSaveFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    Saved(path);
    CloseWindow(IDOK);
}

void TNotfallmappeDialog::Print() {
    if (!HasChoice())
        return;
    const auto categories = Content();
    if (!categories)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Notfallmappe"));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    bool done = false;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        // "Print to file" goes through our own writer, so the file is private like any other.
        const std::string path = printer.outputFileName().toStdString();
        done = SaveFolderPdf(path, DatedFacts(), *categories, Options());
        if (done)
            Saved(path);
    } else {
        done = PrintFolder(printer, DatedFacts(), *categories, Options());
    }
    if (!done) {
        ShowMessage(kPrintFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    CloseWindow(IDOK);
}

void TNotfallmappeDialog::SetUpRecovery() {
    if (!m_facts.isProtected || !m_recovery.install) {
        ShowMessage(kNoPasswordForRecovery, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    RunRecoverySetup(this, m_facts.userName, m_recovery);
}

void RunEmergencyFolder(QWidget* parent, const FolderFacts& facts,
                        const RecoveryActions& recovery) {
    TNotfallmappeDialog dialog(parent, facts, recovery);
    dialog.Execute();
}
