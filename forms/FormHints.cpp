#include "forms/FormHints.h"

#include "platform/gui/TDialog.h"
#include "util/GermanBanks.h"
#include "util/GermanDate.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

const QColor kWarningColour(230, 120, 0);
const QColor kNoteColour(40, 110, 200);
// Seen at a glance: a third of a normal field's height at least.
constexpr int kMarkSize = 12;

// A triangle in a field's top-right corner, outlined in the text colour so that it stands out
// on any background, a high-contrast one too; its tooltip is the hint.
class HintMark : public QWidget {
public:
    HintMark(QWidget* parent, int size) : QWidget(parent) {
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(size, size);
    }
    void SetLevel(HintLevel level) {
        m_colour = level == HintLevel::Warning ? kWarningColour : kNoteColour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1.2));
        painter.setBrush(m_colour);
        const double s = width() - 0.8;
        const QPointF corner[] = {{0.6, 0.4}, {s, 0.4}, {s, s}};
        painter.drawPolygon(corner, 3);
    }

private:
    QColor m_colour = kNoteColour;
};

QString FieldText(const QWidget* edit) {
    auto* line = qobject_cast<const QLineEdit*>(edit);
    return line ? line->text() : QString();
}

int TodayNumber() {
    const CalendarDate d = Today();
    return d.year * 10000 + d.month * 100 + d.day;
}

} // namespace

FormHints* FormHints::Attach(TDialog& form, int category) {
    for (const FieldFacts& check : FieldChecks()) {
        if (check.category == category)
            return new FormHints(form, category);
    }
    return nullptr;
}

FormHints::FormHints(TDialog& form, int category) : QObject(&form), m_form(form) {
    for (const FieldFacts& check : FieldChecks()) {
        if (check.category == category && qobject_cast<QLineEdit*>(form.Control(check.id)))
            m_fields[check.id] = Field{&check, form.Control(check.id), nullptr, std::nullopt};
    }
    AddLine();
    for (auto& [id, field] : m_fields)
        Watch(*field.check);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocus(now); });
}

// A strip below the template's own area, so the fields keep their places.
void FormHints::AddLine() {
    m_line = new QLabel(&m_form);
    m_line->setTextFormat(Qt::PlainText);
    m_line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LineColour(false);
    const int height = m_line->fontMetrics().height() + 6;
    m_line->setGeometry(0, m_form.height(), m_form.width(), height);
    m_form.setFixedSize(m_form.width(), m_form.height() + height);
    m_line->setAccessibleName(QStringLiteral("Hinweis"));
    // Beside a derived IBAN. It takes no focus, so the line keeps its field's hint; from the
    // keyboard its key copies while the field has the cursor.
    m_copy = new QPushButton(QStringLiteral("Kopieren"), &m_form);
    m_copy->setFocusPolicy(Qt::NoFocus);
    m_copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_copy->setAccessibleName(QStringLiteral("IBAN kopieren"));
    m_copy->setToolTip(
        QStringLiteral("Die abgeleitete IBAN in die Zwischenablage kopieren (Strg+Umschalt+C)"));
    const int copyWidth = m_copy->sizeHint().width();
    m_copy->setGeometry(m_form.width() - copyWidth - 2, m_line->y() + 1, copyWidth, height - 2);
    m_copy->hide();
    connect(m_copy, &QPushButton::clicked, this, &FormHints::CopyHint);
}

void FormHints::Watch(const FieldFacts& check) {
    auto* edit = qobject_cast<QLineEdit*>(m_fields[check.id].edit);
    const int id = check.id;
    const int partner = check.partner;
    connect(edit, &QLineEdit::textChanged, this, [this, id, partner] {
        Refresh(id);
        if (partner != 0)
            Refresh(partner);
    });
}

void FormHints::Refresh(int id) {
    auto found = m_fields.find(id);
    if (found == m_fields.end())
        return;
    Field& field = found->second;
    const auto partner = m_fields.find(field.check->partner);
    const std::string partnerText =
        partner == m_fields.end() ? std::string() : FieldText(partner->second.edit).toStdString();
    field.hint = HintFor(*field.check, FieldText(field.edit).toStdString(), partnerText,
                         GermanBanks(), TodayNumber());

    const QString text = HintText(id);
    field.edit->setAccessibleDescription(text);
    field.edit->setToolTip(text);
    const QRect r = field.edit->geometry();
    if (field.hint && !field.mark) {
        field.mark = new HintMark(&m_form, std::min(kMarkSize, r.height()));
        // The text stops short of the mark.
        if (auto* line = qobject_cast<QLineEdit*>(field.edit))
            line->setTextMargins(0, 0, field.mark->width() / 2, 0);
    }
    if (field.mark) {
        field.mark->move(r.right() - field.mark->width() + 1, r.top());
        field.mark->setToolTip(text);
        field.mark->setVisible(field.hint.has_value());
        if (field.hint)
            static_cast<HintMark*>(field.mark)->SetLevel(field.hint->level);
        field.mark->raise();
    }
    if (m_lineField == id)
        ShowLine(id);
}

void FormHints::ShowLine(int id) {
    m_lineField = id;
    const QString text = HintText(id);
    m_line->setText(text);
    const auto found = m_fields.find(id);
    const bool hinted = found != m_fields.end() && found->second.hint;
    LineColour(hinted && found->second.hint->level == HintLevel::Warning);
    m_copy->setVisible(hinted && !found->second.hint->copyable.empty());
}

// Copies what the shown hint offers (a derived IBAN) alone; the program's secret-aware
// clipboard takes it from there.
void FormHints::CopyHint() {
    const auto found = m_fields.find(m_lineField);
    if (found == m_fields.end() || !found->second.hint || found->second.hint->copyable.empty())
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(found->second.hint->copyable),
                                          QClipboard::Clipboard);
}

void FormHints::LineColour(bool warning) {
    m_line->setStyleSheet(
        QStringLiteral("QLabel { background: rgba(20, 30, 50, 210); padding: 1px 6px; color: %1; }")
            .arg(warning ? QStringLiteral("rgb(255, 200, 90)") : QStringLiteral("white")));
}

void FormHints::OnFocus(QWidget* now) {
    if (!now || now->window() != &m_form || now == m_line || now == m_copy)
        return;
    for (const auto& [id, field] : m_fields) {
        if (field.edit == now) {
            ShowLine(id);
            return;
        }
    }
    // Another field or a button: its hint is not this line's.
    ShowLine(0);
}

QString FormHints::LineText() const {
    return m_line->text();
}

QString FormHints::HintText(int id) const {
    const auto found = m_fields.find(id);
    if (found == m_fields.end() || !found->second.hint)
        return {};
    return QString::fromStdString(found->second.hint->text);
}

const QWidget* FormHints::Mark(int id) const {
    const auto found = m_fields.find(id);
    return found == m_fields.end() || !found->second.hint ? nullptr : found->second.mark;
}
