#include "forms/SecretFields.h"

#include "catalogue/FieldCatalogue.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "platform/gui/SecretFieldAccessible.h"
#include "store/CategorySchema.h"

#include <QClipboard>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QToolButton>

namespace {

// An eye in the brass and cream of the desk's pictures; struck through for "verdecken".
QPixmap EyePicture(int size, bool struck) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, size * 0.25, size - 3.0, size * 0.5);
    QPainterPath eye;
    eye.moveTo(box.left(), box.center().y());
    eye.quadTo(box.center().x(), box.top() - box.height() * 0.45, box.right(), box.center().y());
    eye.quadTo(box.center().x(), box.bottom() + box.height() * 0.45, box.left(), box.center().y());
    p.setPen(QPen(QColor(60, 36, 12), 1.6));
    p.setBrush(QColor(250, 240, 210));
    p.drawPath(eye);
    const double r = box.height() * 0.42;
    p.setBrush(QColor(176, 132, 48));
    p.drawEllipse(box.center(), r, r);
    p.setBrush(QColor(40, 22, 6));
    p.drawEllipse(box.center(), r * 0.45, r * 0.45);
    if (struck) {
        p.setPen(QPen(QColor(120, 24, 12), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, size - 3.0), QPointF(size - 3.0, 3));
    }
    return picture;
}

// The eye shows the keyboard focus as the picture buttons beside it do.
class EyeToolButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (hasFocus()) {
            QPainter painter(this);
            DrawFocusMark(painter, rect());
        }
    }
};

} // namespace

QToolButton* NewEyeButton(QWidget* parent, int side) {
    auto* eye = new EyeToolButton(parent);
    eye->setCheckable(true);
    eye->setAutoRaise(true);
    eye->setFocusPolicy(Qt::StrongFocus);
    QIcon icon;
    icon.addPixmap(EyePicture(side - 4, false), QIcon::Normal, QIcon::Off);
    icon.addPixmap(EyePicture(side - 4, true), QIcon::Normal, QIcon::On);
    eye->setIcon(icon);
    eye->setIconSize(QSize(side - 4, side - 4));
    eye->setFixedSize(side, side);
    return eye;
}

SecretFields::SecretFields(QWidget* form, std::vector<QLineEdit*> fields, const QWidget* okButton)
    : QObject(form), m_fields(std::move(fields)) {
    for (QLineEdit* field : m_fields) {
        MarkSecretField(field);
        field->installEventFilter(this);
        Apply(field);
    }
    // Created last, so it comes last in the tab order and every other control keeps its place.
    const int side = okButton ? okButton->height() : 22;
    m_eye = NewEyeButton(form, side);
    m_eye->setAccessibleName(QString::fromUtf8(kEyeName));
    m_eye->setToolTip(QStringLiteral("Geheime Felder zeigen oder verdecken (Strg+H)"));
    if (okButton) {
        m_eye->move(okButton->x() - side - 6, okButton->y());
    }
    connect(m_eye, &QToolButton::toggled, this, &SecretFields::SetRevealed);
    m_shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), form);
    connect(m_shortcut, &QShortcut::activated, m_eye, &QToolButton::toggle);
    m_eye->show();
    // Direct: the selection is ours again before the event loop could hand it to anyone.
    QClipboard* clipboard = QGuiApplication::clipboard();
    connect(
        clipboard, &QClipboard::selectionChanged, this, [this] { TakeBackSelection(); },
        Qt::DirectConnection);
}

void SecretFields::TakeBackSelection() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection() || !clipboard->ownsSelection()) {
        return;
    }
    const QString selected = clipboard->text(QClipboard::Selection);
    for (const QLineEdit* field : m_fields) {
        if (field->hasSelectedText() && field->selectedText() == selected) {
            clipboard->clear(QClipboard::Selection);
            return;
        }
    }
}

void SecretFields::SetRevealed(bool revealed) {
    m_revealed = revealed;
    if (m_eye->isChecked() != revealed) {
        m_eye->setChecked(revealed);
    }
    m_eye->setAccessibleName(QString::fromUtf8(revealed ? "Geheime Felder verdecken" : kEyeName));
    for (QLineEdit* field : m_fields) {
        Apply(field);
    }
}

void SecretFields::Apply(QLineEdit* field) const {
    const bool shown = m_revealed || field->hasFocus();
    field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
}

bool SecretFields::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field && event->type() == QEvent::FocusIn) {
        field->setEchoMode(QLineEdit::Normal);
    } else if (field && event->type() == QEvent::FocusOut && !m_revealed &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        // A context menu keeps the text shown, so its "Kopieren" works as before.
        field->setEchoMode(QLineEdit::Password);
    }
    return QObject::eventFilter(watched, event);
}

SecretFields* MaskSecretFields(QWidget* form, int category, const std::vector<QWidget*>& edits,
                               const QWidget* okButton) {
    std::vector<QLineEdit*> secret;
    for (size_t j = 0; j < edits.size(); ++j) {
        auto* line = qobject_cast<QLineEdit*>(edits[j]);
        if (line && IsMaskedField(category, kFirstFieldId + static_cast<int>(j))) {
            secret.push_back(line);
        }
    }
    return secret.empty() ? nullptr : new SecretFields(form, std::move(secret), okButton);
}
