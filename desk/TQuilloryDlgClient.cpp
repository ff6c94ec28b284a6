#include "desk/TQuilloryDlgClient.h"

#include "desk/Contour.h"
#include "desk/HotSpotStates.h"
#include "desk/HotSpotTable.h"
#include "desk/TInfoDialog.h"
#include "graphics/Dib.h"
#include "graphics/TBitmapRegion.h"
#include "graphics/TPaintCell.h"
#include "platform/SystemDirs.h"
#include "platform/gui/HelpViewer.h"
#include "util/gui/MessageQueue.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcut>

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

} // namespace

TQuilloryDlgClient::TQuilloryDlgClient(QWidget* parent, DeskServices services)
    : QWidget(parent), m_services(std::move(services)) {
    m_hotSpots.reserve(11);
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

    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFixedSize(m_backgroundImage.size());

    auto* print = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(print, &QShortcut::activated, this, [this] {
        if (!m_busy)
            RunCommand(CmEmergencyFolder);
    });
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
}

void TQuilloryDlgClient::mouseMoveEvent(QMouseEvent* event) {
    if (m_backgroundPress) {
        // The window is being dragged by its background: the frame follows the mouse.
        event->ignore();
        return;
    }
    Invalidate(HotSpotStates::Hover(m_hotSpots, event->position().toPoint(), m_busy));
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
    Invalidate(HotSpotStates::ClearHighlights(m_hotSpots));
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
        ResetSpot(index);
        break;
    case CmRemovePassword:
        if (m_services.removePassword) {
            m_services.removePassword(this, m_passwordState);
        }
        ResetSpot(index);
        break;
    case CmEmergencyFolder:
        if (m_services.emergencyFolder) {
            m_services.emergencyFolder(this, m_passwordState);
        }
        ResetSpot(index);
        break;
    default:
        if (command >= CmFirstForm && command <= CmLastForm) {
            if (m_services.runForm) {
                m_services.runForm(command, this);
            }
            ResetSpot(index);
        }
        break;
    }
    m_busy = false;
}

void TQuilloryDlgClient::ShowAbout() {
    TInfoDialog dialog(this);
    dialog.Execute();
}
