#pragma once

#include "forms/FieldChecks.h"

#include <QObject>

#include <map>
#include <optional>

class QLabel;
class QPushButton;
class QWidget;
class TDialog;

// The hints of a form's checked fields: a line at the foot of the form for the focused field
// (with "Kopieren" beside a derived IBAN), a mark in the corner of every field that has a hint,
// and the hint as the field's tooltip and accessible description. Marks sit above the fields
// without taking focus, so neither the layout nor the tab order changes; nothing is written into a
// field.
class FormHints : public QObject {
    Q_OBJECT
public:
    // Hints for the form's fields of that category; nullptr when it has no checked field.
    static FormHints* Attach(TDialog& form, int category);

    // What the line at the foot shows, and the hint of a field ("" when none).
    QString LineText() const;
    QString HintText(int id) const;
    // The mark of a field, present when the field has a hint.
    const QWidget* Mark(int id) const;
    // "Kopieren" in the line, shown beside a derived IBAN.
    QPushButton* CopyButton() const { return m_copy; }

private:
    FormHints(TDialog& form, int category);
    void AddLine();
    void Watch(const FieldFacts& check);
    void Refresh(int id);
    void ShowLine(int id);
    void OnFocus(QWidget* now);
    void LineColour(bool warning);
    void CopyHint();

    struct Field {
        const FieldFacts* check = nullptr;
        QWidget* edit = nullptr;
        QWidget* mark = nullptr;
        std::optional<FieldHint> hint;
    };

    TDialog& m_form;
    std::map<int, Field> m_fields; // by field id
    QLabel* m_line = nullptr;
    QPushButton* m_copy = nullptr;
    int m_lineField = 0;
};
