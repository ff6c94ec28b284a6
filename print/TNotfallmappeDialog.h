#pragma once

#include "graphics/TTiledDialog.h"
#include "print/FolderPages.h"
#include "print/TNotfallzugangDialog.h"

#include <optional>
#include <string>
#include <vector>

// The dialog "Notfallmappe drucken": which categories go into the folder (all at first),
// whether secrets are masked, whether there is a cover page and whether forms without any value
// are left out (all three on at first), then
// "Drucken..." on a printer or "Als PDF speichern..." into a file. Enter saves as PDF, Esc
// cancels. The dialog closes once the folder has been printed or saved; a saved file is named
// in a message first. "Exportieren…" and "Importieren…" take the data to and from other
// programs, "Import rückgängig…" (enabled while the last import can be undone) takes the last
// import back; the dialog stays open.
class TNotfallmappeDialog : public TTiledDialog {
    Q_OBJECT
public:
    // facts without the date, which is the day of printing. recovery: what "Notfallzugang
    // einrichten..." needs (the button says why not when the document has no password).
    TNotfallmappeDialog(QWidget* parent, FolderFacts facts, RecoveryActions recovery = {});
    ~TNotfallmappeDialog() override;

    // The checked categories in the order of their check boxes.
    std::vector<int> ChosenCategories() const;
    FolderOptions Options() const;
    // The file name the save dialog proposes: "<user>-Notfallmappe.pdf" in the documents
    // folder (the home folder when there is none).
    std::string ProposedPdfPath() const;

    static constexpr int kPrintId = 330;
    static constexpr int kPdfId = 331;
    static constexpr int kExportId = 332;
    static constexpr int kImportId = 333;
    static constexpr int kRecoveryId = 334;
    static constexpr int kUndoImportId = 335;
    static constexpr int kMaskId = 320;
    static constexpr int kCoverId = 321;
    static constexpr int kFilledOnlyId = 322;
    // Check box of category n: kCategoryBase + n.
    static constexpr int kCategoryBase = 300;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EnableActions();
    void EnableUndoImport();
    bool HasChoice() const;
    FolderFacts DatedFacts() const;
    // The chosen categories as the folder shows them; nullopt (after saying why) when they
    // cannot be read or nothing would be printed.
    std::optional<std::vector<FolderCategory>> Content();
    void Saved(const std::string& path);
    void Print();
    void SavePdf();
    void SetUpRecovery();

    FolderFacts m_facts;
    RecoveryActions m_recovery;
};

// The desk's emergency-folder command: the dialog, run modally.
void RunEmergencyFolder(QWidget* parent, const FolderFacts& facts,
                        const RecoveryActions& recovery = {});
