#pragma once

#include <QObject>

#include <vector>

class QPoint;
class QWidget;
class TCategoryForm;

// "Verlauf…" for every field of a category form: an entry at the end of each field's context
// menu, and Ctrl+Shift+V in the focused field, open the window "Verlauf" with the field's earlier
// values. A value restored there becomes the field's value in the document (a new change, saved
// at once) and in the form. A form that cannot write offers the entry disabled.
class FieldHistory : public QObject {
public:
    // edits[j] is the control of field id 100 + j.
    FieldHistory(TCategoryForm* form, int category, std::vector<QWidget*> edits);

    // Runs the window for the field of edits[j], modally.
    void Open(std::size_t j);

    static constexpr const char* kMenuText = "&Verlauf…";

private:
    void ShowMenu(std::size_t j, const QPoint& pos);

    TCategoryForm* m_form;
    int m_category;
    std::vector<QWidget*> m_edits;
};
