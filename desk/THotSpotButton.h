#pragma once

#include <QAbstractButton>

#include <functional>

// Keys in QKeySequence's portable text ("Ctrl+P; U") as a screen reader says them:
// "Taste Strg+P; U"; empty for none.
QString SpokenKeys(const QString& keys);

// The stand-in of one hot spot for the keyboard and for screen readers: an invisible button over
// the hot spot's rectangle with the hot spot's German name. It takes the keyboard focus and hands
// every key to the desk; mouse events pass through it to the desk, which draws everything.
class THotSpotButton : public QAbstractButton {
    Q_OBJECT
public:
    using KeyHandler = std::function<bool(QKeyEvent*)>;

    THotSpotButton(QWidget* desk, const QRect& rect, const QString& name, const QString& keys);

    void SetKeyHandler(KeyHandler handler) { m_keys = std::move(handler); }

signals:
    void focused();

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent*) override {}

private:
    KeyHandler m_keys;
};
