#include "platform/gui/TDialog.h"

#include "platform/gui/FieldNames.h"
#include "platform/gui/WinStyles.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include <algorithm>
#include <cstdio>

namespace {

int MulDiv4(int v, int base, int div) {
    const long long p = static_cast<long long>(v) * base;
    return int(p >= 0 ? (p + div / 2) / div : -((-p + div / 2) / div));
}

// A single-line field without auto-scrolling takes no more text than it can show.
class VisibleWidthValidator : public QValidator {
public:
    explicit VisibleWidthValidator(QLineEdit* edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString& input, int&) const override {
        const QFontMetrics fm(m_edit->font());
        const QMargins m = m_edit->textMargins();
        // The frame and the line edit's own inner margin take about 2 px each side.
        const int room = m_edit->contentsRect().width() - m.left() - m.right() - 4;
        return fm.horizontalAdvance(input) <= room ? Acceptable : Invalid;
    }

private:
    QLineEdit* m_edit;
};

} // namespace

TDialog::TDialog(QWidget* parent, ResId templ) : QDialog(parent) {
    m_template = AppResources().dialog(templ);
    if (!m_template) {
        std::fprintf(stderr, "dialog template %s missing\n", templ.toString().c_str());
        return;
    }
    const DialogTemplate& t = *m_template;
    QFont font(t.fontName.empty() ? QStringLiteral("MS Sans Serif")
                                  : QString::fromStdString(t.fontName));
    font.setPointSize(t.fontSize > 0 ? t.fontSize : 8);
    setFont(font);
    const QFontMetrics fm(font);
    const int avg = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (avg / 26 + 1) / 2);
    m_baseY = std::max(1, fm.height());

    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
    if ((t.style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setWindowTitle(QString::fromStdString(t.caption));
    const QRect r = MapDialogRect(t.x, t.y, t.cx, t.cy);
    setFixedSize(r.size());

    for (const ControlTemplate& c : t.controls)
        CreateControl(c);
    // Fields are announced by their labels (one control per template entry, so far in order).
    for (const auto& [index, name] : FieldAccessibleNames(t))
        if (index < m_order.size())
            m_order[index]->setAccessibleName(QString::fromStdString(name));
    RebuildTabOrder();
}

TDialog::~TDialog() = default;

QRect TDialog::MapDialogRect(int x, int y, int cx, int cy) const {
    return QRect(MulDiv4(x, m_baseX, 4), MulDiv4(y, m_baseY, 8), MulDiv4(cx, m_baseX, 4),
                 MulDiv4(cy, m_baseY, 8));
}

namespace {

QWidget* NewStatic(const QString& text, uint32_t s, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    const uint32_t type = s & SS_TYPEMASK;
    Qt::Alignment align = Qt::AlignTop;
    align |= type == SS_CENTER  ? Qt::AlignHCenter
             : type == SS_RIGHT ? Qt::AlignRight
                                : Qt::AlignLeft;
    label->setAlignment(align);
    label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Without ES_WANTRETURN, Return in the memo is the dialog's (the filter passes it on).
QWidget* NewMemo(uint32_t s, QWidget* parent, QObject* returnFilter) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setTabChangesFocus(true);
    memo->setVerticalScrollBarPolicy((s & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                      : Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy((s & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                        : Qt::ScrollBarAlwaysOff);
    memo->setLineWrapMode((s & (WS_HSCROLL | ES_AUTOHSCROLL)) ? QPlainTextEdit::NoWrap
                                                              : QPlainTextEdit::WidgetWidth);
    memo->setReadOnly(s & ES_READONLY);
    if (!(s & WS_BORDER))
        memo->setFrameShape(QFrame::NoFrame);
    if (!(s & ES_WANTRETURN))
        memo->installEventFilter(returnFilter);
    return memo;
}

QWidget* NewLineEdit(uint32_t s, QWidget* parent) {
    auto* line = new QLineEdit(parent);
    line->setFrame(s & WS_BORDER);
    line->setReadOnly(s & ES_READONLY);
    if (s & ES_PASSWORD)
        line->setEchoMode(QLineEdit::Password);
    const uint32_t align = s & 3;
    line->setAlignment(align == ES_CENTER  ? Qt::AlignHCenter
                       : align == ES_RIGHT ? Qt::AlignRight
                                           : Qt::AlignLeft);
    if (!(s & ES_AUTOHSCROLL))
        line->setValidator(new VisibleWidthValidator(line));
    return line;
}

QWidget* NewGroupBox(const QString& text, QWidget* parent) {
    auto* group = new QGroupBox(text, parent);
    // The style's own frame vanishes on tiled backgrounds: a drawn one that shows on light and
    // dark tiles alike.
    group->setStyleSheet(
        QStringLiteral(
            "QGroupBox { border: 1px solid rgba(30, 20, 10, 150); border-radius: 3px;"
            " margin-top: %1px; }"
            " QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }")
            .arg(text.isEmpty() ? 0 : parent->fontMetrics().height() / 2));
    return group;
}

bool IsCheckBoxType(uint32_t type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE;
}

QWidget* NewCheckBox(const QString& text, uint32_t type, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
    if (type == BS_CHECKBOX || type == BS_3STATE) {
        // Not automatic: the click is only a command, the state stays.
        QObject::connect(box, &QCheckBox::clicked, box, [box](bool checked) {
            QSignalBlocker block(box);
            box->setChecked(!checked);
        });
    }
    return box;
}

QWidget* NewListBox(uint32_t s, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSortingEnabled(s & LBS_SORT);
    list->setSelectionMode((s & LBS_EXTENDEDSEL)   ? QAbstractItemView::ExtendedSelection
                           : (s & LBS_MULTIPLESEL) ? QAbstractItemView::MultiSelection
                           : (s & LBS_NOSEL)       ? QAbstractItemView::NoSelection
                                                   : QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy((s & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                      : Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy((s & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                        : Qt::ScrollBarAlwaysOff);
    if (!(s & WS_BORDER))
        list->setFrameShape(QFrame::NoFrame);
    return list;
}

bool IsGroupBox(const ControlTemplate& c) {
    return c.kind == ControlKind::Button && (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}

} // namespace

void TDialog::CreateControl(const ControlTemplate& c) {
    const uint32_t s = c.style;
    const QString text = QString::fromStdString(c.text);
    if (c.kind != ControlKind::Button || (s & BS_TYPEMASK) != BS_AUTORADIOBUTTON)
        if (s & WS_GROUP)
            m_radioGroup = nullptr;
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::Static:
        w = NewStatic(text, s, this);
        m_labels.emplace_back(c.id, w);
        break;
    case ControlKind::Edit:
        w = (s & ES_MULTILINE) ? NewMemo(s, this, this) : NewLineEdit(s, this);
        break;
    case ControlKind::Button:
        w = CreateButton(c, text);
        break;
    case ControlKind::ListBox:
        w = NewListBox(s, this);
        break;
    case ControlKind::ComboBox:
        w = new QComboBox(this);
        break;
    case ControlKind::Other:
        w = new QWidget(this);
        break;
    }
    PlaceControl(w, c);
}

QWidget* TDialog::CreateButton(const ControlTemplate& c, const QString& text) {
    const uint32_t type = c.style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) {
        QWidget* group = NewGroupBox(text, this);
        m_labels.emplace_back(c.id, group);
        return group;
    }
    if (IsCheckBoxType(type))
        return NewCheckBox(text, type, this);
    if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        auto* radio = new QRadioButton(text, this);
        // A group of its own makes an automatic one exclusive; auto-exclusive it stays a radio
        // button to a screen reader (the flag has no effect inside a group).
        radio->setAutoExclusive(type == BS_AUTORADIOBUTTON);
        if (type == BS_AUTORADIOBUTTON) {
            if (!m_radioGroup || (c.style & WS_GROUP)) {
                m_radioGroup = new QButtonGroup(this);
                m_radioGroup->setExclusive(true);
            }
            m_radioGroup->addButton(radio);
        }
        return radio;
    }
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    if (type == BS_DEFPUSHBUTTON) {
        button->setDefault(true);
        m_defaultId = c.id;
    }
    return button;
}

// Geometry, focus, state and visibility from the template; the control joins the tab order
// and, under its id, the dialog's controls.
void TDialog::PlaceControl(QWidget* w, const ControlTemplate& c) {
    const uint32_t s = c.style;
    w->setGeometry(MapDialogRect(c.x, c.y, c.cx, c.cy));
    const bool focusable = c.kind == ControlKind::Edit || c.kind == ControlKind::ListBox ||
                           c.kind == ControlKind::ComboBox ||
                           (c.kind == ControlKind::Button && !IsGroupBox(c));
    if (focusable)
        w->setFocusPolicy((s & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    else
        w->setFocusPolicy(Qt::NoFocus);
    w->setEnabled(!(s & WS_DISABLED));
    w->setVisible(s & WS_VISIBLE);
    if (!(s & WS_VISIBLE))
        w->setAttribute(Qt::WA_WState_ExplicitShowHide);
    if (IsGroupBox(c))
        w->lower();
    if (c.kind == ControlKind::Button)
        ConnectCommand(w, c.id);
    if (c.id != -1 && !m_controls.count(c.id))
        m_controls[c.id] = w;
    m_order.push_back(w);
}

void TDialog::ConnectCommand(QWidget* widget, int id) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
}

QWidget* TDialog::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void TDialog::Attach(int id, QWidget* replacement) {
    QWidget* old = Control(id);
    if (!replacement || old == replacement)
        return;
    replacement->setParent(this);
    if (old) {
        // A picture button keeps the text of the button it replaces as its spoken name.
        auto* oldButton = qobject_cast<QAbstractButton*>(old);
        auto* newButton = qobject_cast<QAbstractButton*>(replacement);
        if (oldButton && newButton && newButton->text().isEmpty() &&
            replacement->accessibleName().isEmpty())
            replacement->setAccessibleName(
                QString::fromStdString(SpokenText(oldButton->text().toStdString())));
        replacement->move(old->pos());
        if (replacement->sizeHint().isValid())
            replacement->resize(replacement->sizeHint());
        else
            replacement->resize(old->size());
        replacement->setEnabled(old->isEnabled());
        replacement->setVisible(!old->isHidden());
        replacement->setFocusPolicy(old->focusPolicy());
        std::replace(m_order.begin(), m_order.end(), old, replacement);
        if (auto* b = qobject_cast<QPushButton*>(old); b && b->isDefault())
            if (auto* nb = qobject_cast<QPushButton*>(replacement))
                nb->setDefault(true);
        // Gone at once, so a screen reader never finds the replaced button beside its picture.
        delete old;
    } else {
        m_order.push_back(replacement);
    }
    if (auto* nb = qobject_cast<QPushButton*>(replacement))
        nb->setAutoDefault(false);
    m_controls[id] = replacement;
    ConnectCommand(replacement, id);
    RebuildTabOrder();
}

void TDialog::RebuildTabOrder() {
    QWidget* previous = nullptr;
    for (QWidget* w : m_order) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

int TDialog::Execute() {
    return exec();
}

void TDialog::CloseWindow(int result) {
    done(result);
}

void TDialog::Bind(int id, std::function<void()> handler) {
    m_commands[id] = std::move(handler);
}

void TDialog::OnCommand(int id) {
    if (auto it = m_commands.find(id); it != m_commands.end() && it->second) {
        it->second();
        return;
    }
    if (id == IDOK)
        CmOk();
    else if (id == IDCANCEL)
        CmCancel();
}

std::string TDialog::ItemText(int id) const {
    QWidget* w = Control(id);
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text().toStdString();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return m->toPlainText().toStdString();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text().toStdString();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title().toStdString();
    return {};
}

void TDialog::SetItemText(int id, const std::string& text) {
    QWidget* w = Control(id);
    const QString t = QString::fromStdString(text);
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(t);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(t);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->setPlainText(t);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(t);
}

bool TDialog::Checked(int id) const {
    auto* b = qobject_cast<QAbstractButton*>(Control(id));
    return b && b->isChecked();
}

void TDialog::SetChecked(int id, bool checked) {
    if (auto* b = qobject_cast<QAbstractButton*>(Control(id)))
        b->setChecked(checked);
}

void TDialog::RunSetup() {
    if (m_setupDone)
        return;
    m_setupDone = true;
    for (auto& [id, w] : m_labels) {
        QColor colour;
        if (LabelStyle(id, &colour)) {
            w->setAutoFillBackground(false);
            if (colour.isValid()) {
                QPalette p = w->palette();
                p.setColor(QPalette::WindowText, colour);
                w->setPalette(p);
            }
        } else {
            w->setAutoFillBackground(true);
        }
    }
    SetupWindow();
}

void TDialog::showEvent(QShowEvent* event) {
    RunSetup();
    QDialog::showEvent(event);
}

void TDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBackground(painter);
}

void TDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        !(event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) {
        QWidget* focus = focusWidget();
        if (auto* button = qobject_cast<QPushButton*>(focus); button && button->isEnabled()) {
            button->click();
        } else {
            OnCommand(m_defaultId);
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        OnCommand(IDCANCEL);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TDialog::eventFilter(QObject* watched, QEvent* event) {
    // A memo without want-return: Enter is the default command, Ctrl+Enter a new line.
    if (event->type() == QEvent::KeyPress && qobject_cast<QPlainTextEdit*>(watched)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            OnCommand(m_defaultId);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDialog::reject() {
    OnCommand(IDCANCEL);
}
