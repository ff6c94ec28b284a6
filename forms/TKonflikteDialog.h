#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QTableWidget;
class QCheckBox;

// One field two machines changed differently, as the window shows it.
struct ConflictRow {
    QString form;
    QString field;
    QString ours;
    QString theirs;
    bool masked = false;
};

// The label a field has in its form ("Hausarzt: Name"), or its name when the form has none.
QString FieldLabelOf(int category, int id);
// A value on one line: memo line breaks shown as " / ".
QString OneLineValue(std::string text);

// Form title and field label of a document field, its two values readable in one line (memo
// line breaks shown as " / "), masked when the field holds a secret.
ConflictRow DescribeConflict(int category, int id, const std::string& ours,
                             const std::string& theirs);

// "1 Feld", "3 Felder".
QString FieldCountText(std::size_t fields);

// The desk's note while conflicts are open, two lines: "Konflikte: 3 Felder" and the titles of
// the forms they are in ("Ärzte, Online und Bankgeschäfte"); empty when there are none.
QString ConflictNote(std::size_t fields, const std::vector<int>& categories);

// The window "Konflikte": every conflict with this machine's and the other value; the user
// keeps one per field. Masked values show as dots until "Werte zeigen" is ticked.
class TKonflikteDialog : public QDialog {
public:
    // keep(row, theirs) keeps one value of the row (an index into the rows still listed);
    // false when that failed, and the row stays.
    using Keep = std::function<bool(std::size_t row, bool theirs)>;
    TKonflikteDialog(QWidget* parent, std::vector<ConflictRow> rows, Keep keep);

private:
    void Fill();
    void KeepSelected(bool theirs);

    std::vector<ConflictRow> m_rows;
    Keep m_keep;
    QTableWidget* m_table = nullptr;
    QCheckBox* m_show = nullptr;
};
