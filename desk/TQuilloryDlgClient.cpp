#include "desk/TQuilloryDlgClient.h"

#include "desk/Contour.h"
#include "desk/DeskKeyboard.h"
#include "desk/HotSpotStates.h"
#include "desk/HotSpotTable.h"
#include "desk/THotSpotButton.h"
#include "desk/TInfoDialog.h"
#include "graphics/Dib.h"
#include "graphics/TBitmapRegion.h"
#include "graphics/TPaintCell.h"
#include "platform/Messages.h"
#include "platform/SystemDirs.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/NoticeStyle.h"
#include "util/VersionTitle.h"
#include "util/gui/MessageQueue.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

#include <array>

#include <unistd.h>

// Access of the hover and press rules to the hot spots.
int SpotState(const TBitmapRegion& spot) {
    return spot.state;
}
void SetSpotState(TBitmapRegion& spot, int state) {
    spot.state = state;
}
QRegion SpotRegion(const TBitmapRegion& spot, int state) {
    return state >= 0 && state < 3 ? spot.region[state] : QRegion();
}
bool SpotContains(const TBitmapRegion& spot, const QPoint& point) {
    return spot.Contains(point);
}

namespace {

constexpr const char* kBackgroundPicture = "HINTERGRUND";
constexpr const char* kContourFile = "kontur.dat";
constexpr const char* kHelpFile = "Quillory.hlp";
constexpr const char* kRemoveByKeyQuestion =
    "Soll das Paßwort wirklich gelöscht werden?\nDie Daten sind danach nicht mehr verschlüsselt "
    "und ohne Paßwort lesbar.";
constexpr const char* kProtectedText = "Die Daten sind durch ein Paßwort geschützt.";
constexpr const char* kUnprotectedText = "Die Daten sind nicht durch ein Paßwort geschützt.";

std::unique_ptr<TBitmapRegion> MakeHotSpot(const HotSpotRow& row) {
    auto spot = std::make_unique<TBitmapRegion>();
    const QRect rect(row.x, row.y, row.w, row.h);
    for (int s = 0; s < 3; ++s) {
        spot->region[s] = QRegion(rect);
        spot->origin[s] = rect.topLeft();
    }
    spot->state = HotSpotStates::kNormal;
    spot->id = row.command;
    for (int s = 0; s < 3; ++s) {
        spot->cell[s] = std::make_unique<TPaintCell>(row.pictures[s], 0u);
    }
    return spot;
}

// The lines of text (its own line breaks kept) wrapped at blanks to width; beyond maxLines the
// last line ends in "…".
QStringList FitLines(const QString& text, const QFontMetrics& metrics, int width, int maxLines) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    if (lines.size() > maxLines) {
        lines = lines.mid(0, maxLines);
        lines.back() += QStringLiteral(" …");
    }
    for (QString& line : lines) {
        line = metrics.elidedText(line, Qt::ElideRight, width);
    }
    return lines;
}

} // namespace

TQuilloryDlgClient::TQuilloryDlgClient(QWidget* parent, DeskServices services)
    : QWidget(parent), m_services(std::move(services)) {
    m_hotSpots.reserve(kHotSpotTable.size());
    if (m_services.attachPasswordRequest) {
        m_services.attachPasswordRequest(this, m_passwordState);
    }
    const Dib background = Dib::FromResource(kBackgroundPicture);
    m_backgroundImage = background.toImage().convertToFormat(QImage::Format_RGB32);
    for (const HotSpotRow& row : kHotSpotTable) {
        m_hotSpots.push_back(MakeHotSpot(row));
    }
    if (m_services.login && !m_services.login()) {
        if (m_services.detachPasswordRequest) {
            m_services.detachPasswordRequest();
        }
        throw LoginCancelled();
    }
    m_passwordState.isProtected = m_services.queryProtection && m_services.queryProtection();
    DescribeProtection();

    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFixedSize(m_backgroundImage.size());
    BuildButtons();
}

TQuilloryDlgClient::~TQuilloryDlgClient() {
    if (m_services.detachPasswordRequest) {
        m_services.detachPasswordRequest();
    }
}

void TQuilloryDlgClient::SetupWindow() {
    QWidget* frame = window();
    const int w = m_backgroundImage.width();
    const int h = m_backgroundImage.height();
    move(0, 0);
    frame->resize(w, h);
    if (frame->frameGeometry().width() < w || frame->frameGeometry().height() < h) {
        frame->resize(w + 2, h + 2);
    }
    CentreWindow(frame);
    frame->setMask(WindowOutline(SystemDirs::ProgramDirectory() + kContourFile, frame->size()));
}

int TQuilloryDlgClient::HotSpotOf(int command) const {
    for (size_t i = 0; i < m_hotSpots.size(); ++i) {
        if (m_hotSpots[i]->id == command) {
            return static_cast<int>(i);
        }
    }
    return HotSpotStates::kNone;
}

void TQuilloryDlgClient::BuildButtons() {
    for (const HotSpotRow& row : kHotSpotTable) {
        const int index = static_cast<int>(m_buttons.size());
        const QRect rect(row.x, row.y, row.w, row.h);
        m_spotRects.push_back(rect);
        m_spotKeys.push_back(row.keys);
        auto* button = new THotSpotButton(this, rect, QString::fromUtf8(row.name),
                                          QString::fromUtf8(row.keys));
        button->SetKeyHandler([this](QKeyEvent* event) { return HandleKey(event); });
        connect(button, &THotSpotButton::focused, this, [this, index] { FocusArrived(index); });
        // A screen reader's press action runs the command as a key does.
        connect(button, &QAbstractButton::clicked, this, [this, index] { ActivateSpot(index); });
        m_buttons.push_back(button);
    }
    m_focusOrder = DeskKeyboard::FocusOrder(m_spotRects);
    for (size_t i = 1; i < m_focusOrder.size(); ++i) {
        setTabOrder(m_buttons[static_cast<size_t>(m_focusOrder[i - 1])],
                    m_buttons[static_cast<size_t>(m_focusOrder[i])]);
    }
    m_orderWithNote = DeskKeyboard::WithPlace(
        m_focusOrder, m_spotRects,
        QRect(kConflictNote.x, kConflictNote.y, kConflictNote.w, kConflictNote.h));
    if (!m_focusOrder.empty()) {
        setFocusProxy(m_buttons[static_cast<size_t>(m_focusOrder.front())]);
    }
}

THotSpotButton* TQuilloryDlgClient::Button(int index) const {
    return index >= 0 && index < static_cast<int>(m_buttons.size())
               ? m_buttons[static_cast<size_t>(index)]
               : nullptr;
}

bool TQuilloryDlgClient::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
        const bool shift = mods == Qt::ShiftModifier;
        int target = -2;
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            target = DeskKeyboard::Step(TabOrder(), m_focus, key == Qt::Key_Tab && !shift);
        } else if (!shift && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                              key == Qt::Key_Down)) {
            using DeskKeyboard::Direction;
            const Direction d = key == Qt::Key_Left    ? Direction::Left
                                : key == Qt::Key_Right ? Direction::Right
                                : key == Qt::Key_Up    ? Direction::Up
                                                       : Direction::Down;
            target = m_focus < 0 ? DeskKeyboard::Step(m_focusOrder, -1, true)
                                 : DeskKeyboard::Neighbour(ArrowRects(), m_focus, d);
        } else if (!shift &&
                   (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            if (m_focus < 0) {
                MoveFocus(DeskKeyboard::Step(m_focusOrder, -1, true));
            }
            ActivateSpot(m_focus);
            return true;
        }
        if (target != -2) {
            // The first key after the mouse led shows where the focus is before moving it.
            if (!m_keyboardLeads && m_focus >= 0) {
                target = m_focus;
            }
            MoveFocus(target);
            return true;
        }
    }
    QKeyCombination pressed = event->keyCombination();
    if (key == 0 && !event->text().isEmpty()) {
        // A letter the keyboard map gives no key code for (an umlaut on a remapped key).
        pressed = QKeyCombination(mods, Qt::Key(event->text().at(0).toUpper().unicode()));
    }
    if (NoteShown() && DeskKeyboard::SpotForKey(std::array{kConflictKeys}, pressed) == 0) {
        RequestConflicts();
        return true;
    }
    const int spot = DeskKeyboard::SpotForKey(m_spotKeys, pressed);
    if (spot >= 0 && spot < static_cast<int>(m_hotSpots.size())) {
        ActivateSpot(spot);
        return true;
    }
    return false;
}

void TQuilloryDlgClient::MoveFocus(int index) {
    SetKeyboardLeads(true);
    if (QWidget* target = FocusTarget(index)) {
        if (target->hasFocus()) {
            FocusArrived(index);
        } else {
            target->setFocus(Qt::TabFocusReason);
        }
    }
}

bool TQuilloryDlgClient::NoteShown() const {
    return m_conflictButton && !m_conflictButton->isHidden();
}

const std::vector<int>& TQuilloryDlgClient::TabOrder() const {
    return NoteShown() ? m_orderWithNote : m_focusOrder;
}

// The hot spots' rectangles, and the note's after them while it is shown.
std::vector<QRect> TQuilloryDlgClient::ArrowRects() const {
    std::vector<QRect> rects = m_spotRects;
    if (NoteShown()) {
        rects.push_back(m_conflictButton->geometry());
    }
    return rects;
}

QWidget* TQuilloryDlgClient::FocusTarget(int index) const {
    if (index == NoteIndex()) {
        return NoteShown() ? m_conflictButton : nullptr;
    }
    return Button(index);
}

void TQuilloryDlgClient::FocusArrived(int index) {
    if (index != m_focus) {
        Invalidate(QRegion(FocusMarkRect(m_focus)));
        m_focus = index;
    }
    ShowKeyboardHighlight();
}

void TQuilloryDlgClient::SetKeyboardLeads(bool leads) {
    if (leads == m_keyboardLeads) {
        return;
    }
    m_keyboardLeads = leads;
    Invalidate(QRegion(FocusMarkRect(m_focus)));
}

// While the keyboard leads, the focused spot alone is highlighted, unless a command runs.
void TQuilloryDlgClient::ShowKeyboardHighlight() {
    if (!m_keyboardLeads || m_busy || m_focus < 0) {
        return;
    }
    QRegion dirty;
    for (size_t i = 0; i < m_hotSpots.size(); ++i) {
        TBitmapRegion& spot = *m_hotSpots[i];
        if (static_cast<int>(i) == m_focus) {
            if (spot.state != HotSpotStates::kPressed) {
                dirty += HotSpotStates::Enter(spot, HotSpotStates::kHighlighted);
            }
        } else if (spot.state == HotSpotStates::kHighlighted) {
            dirty += HotSpotStates::Reset(spot);
        }
    }
    Invalidate(dirty + QRegion(FocusMarkRect(m_focus)));
}

void TQuilloryDlgClient::ActivateSpot(int index) {
    if (index == NoteIndex() && NoteShown()) {
        MoveFocus(index);
        RequestConflicts();
        ShowKeyboardHighlight();
        return;
    }
    if (m_busy || index < 0 || index >= static_cast<int>(m_hotSpots.size())) {
        return;
    }
    MoveFocus(index);
    TBitmapRegion& spot = *m_hotSpots[static_cast<size_t>(index)];
    Invalidate(HotSpotStates::Enter(spot, HotSpotStates::kPressed));
    m_busy = true;
    m_commandByKey = true;
    Dispatch(spot.id, index);
    m_commandByKey = false;
    if (!m_busy) {
        ShowKeyboardHighlight();
    }
}

QRect TQuilloryDlgClient::FocusMarkRect(int index) const {
    if (index == NoteIndex() && m_conflictButton) {
        return m_conflictButton->geometry().adjusted(-4, -4, 4, 4).intersected(rect());
    }
    if (index < 0 || index >= static_cast<int>(m_hotSpots.size())) {
        return {};
    }
    return m_hotSpots[static_cast<size_t>(index)]
        ->region[HotSpotStates::kNormal]
        .boundingRect()
        .adjusted(-4, -4, 4, 4)
        .intersected(rect());
}

void TQuilloryDlgClient::Invalidate(const QRegion& region) {
    if (!region.isEmpty()) {
        update(region);
    }
}

void TQuilloryDlgClient::ResetSpot(int index) {
    if (index >= 0) {
        Invalidate(HotSpotStates::Reset(*m_hotSpots[static_cast<size_t>(index)]));
    }
}

void TQuilloryDlgClient::paintEvent(QPaintEvent* event) {
    if (m_backBuffer.size() != size()) {
        m_backBuffer = QImage(size(), QImage::Format_RGB32);
        m_composed = false;
    }
    {
        QPainter dc(&m_backBuffer);
        // The first paint composes every picture over the background once, so it covers the
        // whole desk; later paints redraw only what was invalidated.
        if (m_composed) {
            dc.setClipRegion(event->region());
        }
        dc.drawImage(QPoint(0, 0), m_backgroundImage);
        for (const auto& spot : m_hotSpots) {
            for (int s = 0; s < 3; ++s) {
                if (spot->cell[s]) {
                    spot->cell[s]->Prepare(dc, spot->origin[s], QPoint(0, 0), true, false);
                }
            }
            spot->Paint(dc);
        }
        m_composed = true;
    }
    QPainter screen(this);
    screen.setClipRegion(event->region());
    screen.drawImage(QPoint(0, 0), m_backBuffer);
    if (m_keyboardLeads && m_focus >= 0) {
        // The focus mark: a light dashed frame on a dark one, visible on wood and leather.
        const QRectF mark = QRectF(FocusMarkRect(m_focus)).adjusted(1.5, 1.5, -1.5, -1.5);
        screen.setRenderHint(QPainter::Antialiasing);
        screen.setBrush(Qt::NoBrush);
        screen.setPen(QPen(QColor(40, 22, 6), 3));
        screen.drawRoundedRect(mark, 4, 4);
        QPen dash(QColor(255, 236, 150), 1.5, Qt::DashLine);
        screen.setPen(dash);
        screen.drawRoundedRect(mark, 4, 4);
    }
}

void TQuilloryDlgClient::mouseMoveEvent(QMouseEvent* event) {
    if (m_backgroundPress) {
        // The window is being dragged by its background: the frame follows the mouse.
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point == m_lastPointer) {
        return; // no real move (a window came or went over a resting pointer)
    }
    m_lastPointer = point;
    SetKeyboardLeads(false);
    Invalidate(HotSpotStates::Hover(m_hotSpots, point, m_busy));
}

void TQuilloryDlgClient::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    if (HotSpotStates::HitTest(m_hotSpots, point) == HotSpotStates::kNone) {
        // Outside every hot spot the press belongs to the frame, which moves the window.
        Invalidate(HotSpotStates::ClearHighlights(m_hotSpots));
        m_backgroundPress = true;
        event->ignore();
        return;
    }
    SetKeyboardLeads(false);
    const auto press = HotSpotStates::Press(m_hotSpots, point);
    Invalidate(press.dirty);
    const int index = press.index;
    m_busy = true;
    Dispatch(m_hotSpots[static_cast<size_t>(index)]->id, index);
}

void TQuilloryDlgClient::mouseReleaseEvent(QMouseEvent* event) {
    if (m_backgroundPress) {
        m_backgroundPress = false;
        event->ignore();
    }
}

void TQuilloryDlgClient::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_lastPointer = QPoint(-1, -1);
    if (!m_keyboardLeads) {
        Invalidate(HotSpotStates::ClearHighlights(m_hotSpots));
    }
}

void TQuilloryDlgClient::keyPressEvent(QKeyEvent* event) {
    // Keys reach the desk itself only when none of its buttons holds the focus.
    if (!HandleKey(event)) {
        QWidget::keyPressEvent(event);
    }
}

// The conflict note's keys belong to the desk, as the hot spots' do.
bool TQuilloryDlgClient::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_conflictButton) {
        if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) {
            return true;
        }
        if (event->type() == QEvent::FocusIn) {
            FocusArrived(NoteIndex());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TQuilloryDlgClient::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The desk takes the keyboard focus when it appears, also where no window manager hands it
    // over: the first hot spot holds it, the window asks to become the active one.
    if (window()->focusWidget() == nullptr && !m_focusOrder.empty()) {
        Button(m_focusOrder.front())->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (!event->spontaneous()) {
        window()->activateWindow();
    }
}

void TQuilloryDlgClient::RunCommand(int command) {
    const int index = HotSpotOf(command);
    if (index >= 0) {
        Invalidate(
            HotSpotStates::Enter(*m_hotSpots[static_cast<size_t>(index)], HotSpotStates::kPressed));
    }
    m_busy = true;
    Dispatch(command, index);
}

void TQuilloryDlgClient::OpenFormAtField(int category, int id, bool selectText) {
    if (!m_services.openFormAtField) {
        return;
    }
    // Busy while the form is open; a command's window that asked for it keeps the desk busy.
    const bool wasBusy = m_busy;
    m_busy = true;
    m_services.openFormAtField(this, category, id, selectText);
    m_busy = wasBusy;
}

void TQuilloryDlgClient::Dispatch(int command, int index) {
    // The pressed picture is on the screen before the command's window comes up.
    repaint();
    switch (command) {
    case CmMinimise:
        window()->showMinimized();
        ResetSpot(index);
        break;
    case CmBackup: {
        const std::string programDir = SystemDirs::ProgramDirectory();
        // The backup works in the program directory, which stays the current one.
        [[maybe_unused]] const int changed = ::chdir(programDir.c_str());
        if (m_services.backup) {
            m_services.backup(this, programDir);
        }
        ResetSpot(index);
        break;
    }
    case CmExit:
        // Busy stays set and the spot stays pressed until the program has ended.
        if (m_services.quit) {
            m_services.quit();
        } else {
            QCoreApplication::exit(0);
        }
        return;
    case CmAbout:
        ShowAbout();
        ResetSpot(index);
        break;
    case CmHelp:
        ShowHelpContents(SystemDirs::ProgramDirectory() + kHelpFile);
        ResetSpot(index);
        break;
    case CmSetPassword:
        if (m_services.setPassword) {
            m_services.setPassword(this, m_passwordState);
        }
        DescribeProtection();
        ResetSpot(index);
        break;
    case CmRemovePassword:
        if (m_services.removePassword && ConfirmRemovalByKey()) {
            m_services.removePassword(this, m_passwordState);
        }
        DescribeProtection();
        ResetSpot(index);
        break;
    case CmEmergencyFolder:
        if (m_services.emergencyFolder) {
            m_services.emergencyFolder(this, m_passwordState);
        }
        ResetSpot(index);
        break;
    case CmDeadlines:
        if (m_services.deadlines) {
            m_services.deadlines(this, m_passwordState);
        }
        ResetSpot(index);
        break;
    case CmSearch:
        if (m_services.search) {
            m_services.search(
                this, [this](int category, int id) { OpenFormAtField(category, id, true); });
        }
        ResetSpot(index);
        break;
    default:
        if ((command >= CmFirstForm && command <= CmLastForm) || command == CmContracts) {
            if (m_services.runForm) {
                m_services.runForm(command, this);
            }
            ResetSpot(index);
        }
        break;
    }
    m_busy = false;
}

bool TQuilloryDlgClient::ConfirmRemovalByKey() {
    // An unprotected user gets the command's own message; a stray key must not remove the
    // protection, so No is the default answer.
    if (!m_commandByKey || !m_passwordState.isProtected) {
        return true;
    }
    return ShowMessage(kRemoveByKeyQuestion, kVersionTitle,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, this) == IDYES;
}

void TQuilloryDlgClient::DescribeProtection() {
    setAccessibleDescription(
        QString::fromUtf8(m_passwordState.isProtected ? kProtectedText : kUnprotectedText));
}

void TQuilloryDlgClient::SetConflictNote(const QString& text) {
    if (text.isEmpty()) {
        HideConflictNote();
        return;
    }
    if (!m_conflictButton) {
        m_conflictButton = new QPushButton(this);
        // Tab reaches it as it reaches the hot spots; a click leaves the focus where it is.
        m_conflictButton->setFocusPolicy(Qt::TabFocus);
        m_conflictButton->installEventFilter(this);
        m_conflictButton->setCursor(Qt::PointingHandCursor);
        m_conflictButton->setAccessibleDescription(SpokenKeys(QString::fromUtf8(kConflictKeys)));
        m_conflictButton->setStyleSheet(NoticeStyleSheet(
            QStringLiteral("QPushButton"),
            QStringLiteral("border: 1px solid rgb(200, 160, 80); border-radius: 4px;"
                           " padding: 0px 3px; font-size: 7pt;"),
            QStringLiteral("QPushButton:hover { background: rgba(110, 36, 16, 235); }"
                           "QPushButton:pressed { background: rgba(50, 14, 6, 235); }")));
        m_conflictButton->ensurePolished();
        connect(m_conflictButton, &QPushButton::clicked, this, [this] { RequestConflicts(); });
    }
    const QFontMetrics metrics(m_conflictButton->font());
    const int lineHeight = metrics.lineSpacing();
    const int maxLines = std::max(1, (kConflictNote.h - 4) / lineHeight);
    // The key is shown after the first line, and spoken as the description.
    const QString key = QKeySequence(QString::fromUtf8(kConflictKeys), QKeySequence::PortableText)
                            .toString(QKeySequence::NativeText);
    QString shown = text;
    const qsizetype firstBreak = shown.indexOf(QLatin1Char('\n'));
    shown.insert(firstBreak < 0 ? shown.size() : firstBreak,
                 QStringLiteral(" (") + key + QLatin1Char(')'));
    const QStringList lines = FitLines(shown, metrics, kConflictNote.w - 10, maxLines);
    const int height = std::min(kConflictNote.h, static_cast<int>(lines.size()) * lineHeight + 4);
    Invalidate(QRegion(FocusMarkRect(NoteIndex())));
    m_conflictButton->setGeometry(kConflictNote.x, kConflictNote.y + (kConflictNote.h - height) / 2,
                                  kConflictNote.w, height);
    const QString whole = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_conflictButton->setText(lines.join(QLatin1Char('\n')));
    m_conflictButton->setAccessibleName(whole);
    m_conflictButton->setToolTip(whole + QStringLiteral(" (") +
                                 m_conflictButton->accessibleDescription() + QLatin1Char(')'));
    m_conflictButton->show();
    m_conflictButton->raise();
    if (m_focus == NoteIndex()) {
        ShowKeyboardHighlight();
    }
}

// The focus the note held goes to the hot spot after it, also while a window over the desk
// has it.
void TQuilloryDlgClient::HideConflictNote() {
    if (!NoteShown()) {
        return;
    }
    if (m_focus == NoteIndex() || window()->focusWidget() == m_conflictButton) {
        const int next = DeskKeyboard::Step(m_orderWithNote, NoteIndex(), true);
        Button(next)->setFocus(Qt::TabFocusReason);
        FocusArrived(next);
    }
    m_conflictButton->hide();
}

void TQuilloryDlgClient::RequestConflicts() {
    if (m_busy) {
        return;
    }
    m_busy = true;
    emit conflictsRequested();
    m_busy = false;
}

void TQuilloryDlgClient::ShowAbout() {
    TInfoDialog dialog(this);
    dialog.Execute();
}
