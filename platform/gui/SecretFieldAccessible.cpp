#include "platform/gui/SecretFieldAccessible.h"

#include <QAccessibleWidget>
#include <QLineEdit>

namespace {

constexpr const char* kSecretProperty = "quillorySecretField";

// What a screen reader learns of a secret field: its name, that it is password text, its
// length and the caret; never its characters.
class SecretFieldAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit SecretFieldAccessible(QLineEdit* field)
        : QAccessibleWidget(field, QAccessible::EditableText) {}

    QLineEdit* Field() const { return static_cast<QLineEdit*>(widget()); }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.passwordEdit = true;
        s.editable = !Field()->isReadOnly();
        s.readOnly = Field()->isReadOnly();
        s.selectableText = true;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return Stars(Field()->text().size());
        }
        return QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    // QAccessibleTextInterface, over the field's own text, with stars for characters.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && Field()->hasSelectedText()) {
            *start = Field()->selectionStart();
            *end = Field()->selectionEnd();
        }
    }
    int selectionCount() const override { return Field()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { Field()->deselect(); }
    void setSelection(int, int start, int end) override {
        Field()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return Field()->cursorPosition(); }
    void setCursorPosition(int position) override { Field()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        const int count = characterCount();
        start = qBound(0, start, count);
        end = end < 0 ? count : qBound(start, end, count);
        return Stars(end - start);
    }
    int characterCount() const override { return static_cast<int>(Field()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

private:
    static QString Stars(qsizetype count) { return QString(count, QLatin1Char('*')); }
};

// Asked before Qt's own factory, for the field's most derived class first.
QAccessibleInterface* SecretFieldFactory(const QString&, QObject* object) {
    auto* field = qobject_cast<QLineEdit*>(object);
    if (field && IsSecretField(field)) {
        return new SecretFieldAccessible(field);
    }
    return nullptr;
}

} // namespace

void MarkSecretField(QLineEdit* field) {
    static const bool installed = [] {
        QAccessible::installFactory(SecretFieldFactory);
        return true;
    }();
    (void)installed;
    field->setProperty(kSecretProperty, true);
    // An interface made before (any change event of the field makes one) is replaced by ours.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(field);
    if (made && !dynamic_cast<SecretFieldAccessible*>(made)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

bool IsSecretField(const QLineEdit* field) {
    return field->property(kSecretProperty).toBool();
}
