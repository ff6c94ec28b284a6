#pragma once

#include <QObject>

#include <vector>

class QLineEdit;
class QShortcut;
class QToolButton;
class QWidget;

// The secret fields of a form shown masked. A field shows its text while it holds the keyboard
// focus (a context menu of its own keeps it shown); the eye button beside OK, or Ctrl+H, shows
// all of them until pressed again or the form closes. The text itself, typing, pasting and
// copying from a shown field stay as they are (a copy goes to the clipboard the program marks
// secret and clears after a while); a screen reader hears the fields as password text, shown
// or not. Selecting in a field does not export the selection: the X selection (PRIMARY) it
// would set is taken back at once.
class SecretFields : public QObject {
public:
    // The eye button lies left of okButton, as high as it.
    SecretFields(QWidget* form, std::vector<QLineEdit*> fields, const QWidget* okButton);

    bool Revealed() const { return m_revealed; }
    void SetRevealed(bool revealed);
    QToolButton* EyeButton() const { return m_eye; }

    static constexpr const char* kEyeName = "Geheime Felder zeigen";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply(QLineEdit* field) const;
    void TakeBackSelection();

    std::vector<QLineEdit*> m_fields;
    QToolButton* m_eye = nullptr;
    QShortcut* m_shortcut = nullptr;
    bool m_revealed = false;
};

// The eye button of the forms: checkable, side pixels square, struck through while checked, with
// a focus mark; the caller names it and places it.
QToolButton* NewEyeButton(QWidget* parent, int side);

// Masks those of a category form's edit controls (index j: field id 100 + j) that the list of
// secret fields names; nullptr when the category has none.
SecretFields* MaskSecretFields(QWidget* form, int category, const std::vector<QWidget*>& edits,
                               const QWidget* okButton);
