#pragma once

#include "graphics/TTiledDialog.h"
#include "print/FolderPages.h"

#include <string>
#include <vector>

// The dialog "Notfallmappe drucken": which categories go into the folder (all at first),
// whether secrets are masked and whether there is a cover page (both on at first), then
// "Drucken..." on a printer or "Als PDF speichern..." into a file. Enter saves as PDF, Esc
// cancels. The dialog closes once the folder has been printed or saved.
class TNotfallmappeDialog : public TTiledDialog {
    Q_OBJECT
public:
    // facts without the date, which is the day of printing.
    TNotfallmappeDialog(QWidget* parent, FolderFacts facts);
    ~TNotfallmappeDialog() override;

    // The checked categories in the order of their check boxes.
    std::vector<int> ChosenCategories() const;
    FolderOptions Options() const;
    // The file name the save dialog proposes: "<user>-Notfallmappe.pdf" in the documents
    // folder (the home folder when there is none).
    std::string ProposedPdfPath() const;

    static constexpr int kPrintId = 330;
    static constexpr int kPdfId = 331;
    static constexpr int kMaskId = 320;
    static constexpr int kCoverId = 321;
    // Check box of category n: kCategoryBase + n.
    static constexpr int kCategoryBase = 300;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EnableActions();
    bool HasChoice() const;
    FolderFacts DatedFacts() const;
    void Print();
    void SavePdf();

    FolderFacts m_facts;
};

// The desk's emergency-folder command: the dialog, run modally.
void RunEmergencyFolder(QWidget* parent, const FolderFacts& facts);
