#include "desk/THotSpotButton.h"

#include <QKeyEvent>
#include <QKeySequence>

QString SpokenKeys(const QString& keys) {
    if (keys.isEmpty()) {
        return {};
    }
    // Spoken as the keyboard labels them ("Strg+P", not the portable "Ctrl+P").
    QStringList spoken;
    for (const QKeySequence& key : QKeySequence::listFromString(keys, QKeySequence::PortableText)) {
        spoken << key.toString(QKeySequence::NativeText);
    }
    return QStringLiteral("Taste ") + spoken.join(QStringLiteral("; "));
}

THotSpotButton::THotSpotButton(QWidget* desk, const QRect& rect, const QString& name,
                               const QString& keys)
    : QAbstractButton(desk) {
    setGeometry(rect);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(name);
    setAccessibleDescription(SpokenKeys(keys));
}

bool THotSpotButton::event(QEvent* event) {
    // Every key belongs to the desk, Tab included, before the button's own handling (Space
    // would press it, Tab would walk Qt's focus chain).
    if (event->type() == QEvent::KeyPress && m_keys) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_keys(key)) {
            key->accept();
            return true;
        }
    }
    return QAbstractButton::event(event);
}

void THotSpotButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    emit focused();
}
