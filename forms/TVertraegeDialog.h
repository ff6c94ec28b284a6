#pragma once

#include "forms/TCategoryForm.h"
#include "store/ContractFields.h"
#include "util/GermanDate.h"

#include <functional>
#include <map>
#include <string>

class QListWidget;
class QListWidgetItem;

// The form "Verträge": a list of the contracts and one detail area for the one chosen, the
// last day to cancel it computed read-only beside its terms, and the Vorsorge block below.
// The values of every contract are kept here while the form is open and stored with the
// Vorsorge fields on OK, as every form stores its fields.
class TVertraegeDialog : public TCategoryForm {
public:
    explicit TVertraegeDialog(QWidget* parent);

    // What "Kündigungsschreiben..." runs: the form, every value of the category as typed so
    // far, the contract's index. Set by the program; unset, the button does nothing.
    using LetterWriter =
        std::function<void(QWidget* form, const std::map<int, std::string>& values, int contract)>;
    static void SetLetterWriter(LetterWriter writer);
    // The day the last days to cancel are computed for (tests set it; default: today).
    static void SetToday(std::function<CalendarDate()> today);

    int CurrentContract() const { return m_current; }
    void SelectContract(int contract);
    // The list's line of a contract: "2. Funkwelle: bis 31.01.2027", "3. Lesezirkel: jederzeit".
    QString ListText(int contract) const;

protected:
    void SetupWindow() override;
    void ShowFieldText(int id, const std::string& text) override;
    std::string FieldText(int id) const override;
    QWidget* FieldControl(int id) override;

private:
    QWidget* PartControl(ContractPart part) const;
    void ShowDetail();
    void RefreshCancelDate();
    void ShowListItem(QListWidgetItem* item, int contract) const;
    void WriteLetter();

    std::map<int, std::string> m_values; // the contracts' fields by id
    QListWidget* m_list = nullptr;
    int m_current = 0;
    bool m_showing = false;     // the detail area is being filled, not typed into
    bool m_detailShown = false; // it has shown the loaded values once
};
