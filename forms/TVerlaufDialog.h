#pragma once

#include "platform/gui/TDialog.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QToolButton;
class QTreeWidget;

// One earlier value of a field as the window "Verlauf" lists it.
struct EarlierRow {
    QString when;    // "09.12.2026 10:15", or "unbekannt"
    QString machine; // the machine that wrote it, or "unbekannt"
    QString value;   // on one line (memo line breaks shown as " / ")
};

// Local date and time of a change (seconds since 1970, UTC); "unbekannt" for 0.
QString ChangeTime(std::int64_t seconds);

// The window "Verlauf": a field's earlier values, newest first, with date and machine.
// "Wiederherstellen" (Enter) makes the selected one the field's value again, as a new change;
// the window then closes. A secret field's values show as dots until the eye (Ctrl+H) shows them.
class TVerlaufDialog : public TDialog {
    Q_OBJECT
public:
    // restore(entry) restores rows[entry]; false when that failed (said), and the window stays.
    using Restore = std::function<bool(std::size_t entry)>;
    TVerlaufDialog(QWidget* parent, const QString& field, std::vector<EarlierRow> rows, bool masked,
                   Restore restore);
    ~TVerlaufDialog() override;

    QTreeWidget* List() const { return m_list; }
    // The eye of a secret field's values; nullptr for other fields.
    QToolButton* Eye() const { return m_eye; }
    // The entry restored, once one was.
    std::optional<std::size_t> Restored() const { return m_restored; }

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void Fill();

    QString m_field;
    std::vector<EarlierRow> m_rows;
    bool m_masked;
    Restore m_restore;
    QTreeWidget* m_list = nullptr;
    QToolButton* m_eye = nullptr;
    std::optional<std::size_t> m_restored;
};
