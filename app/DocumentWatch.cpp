#include "app/DocumentWatch.h"

#include "app/PasswordProtection.h"
#include "desk/TQuilloryDlgClient.h"
#include "forms/TKonflikteDialog.h"
#include "platform/file/PathParts.h"
#include "platform/gui/NoticeStyle.h"
#include "store/DocumentVersion.h"
#include "store/TDataSetManager.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <set>

namespace {

constexpr int kSettleMs = 300; // a sync engine's rename comes with several folder events
constexpr int kRetryMs = 1000; // while a dialog is open
constexpr int kNoteMs = 10000;
constexpr int kNoteTop = 64; // on the pad above the cards, below the desk's title

} // namespace

DocumentWatch::DocumentWatch(TQuilloryDlgClient* desk, DeskPasswordState& state)
    : QObject(desk), m_desk(desk), m_state(state) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DocumentWatch::Check);
    m_noteTimer.setSingleShot(true);
    connect(&m_noteTimer, &QTimer::timeout, this, [this] {
        if (m_note)
            m_note->hide();
    });
    const TDataSetManager& manager = DataSetManager();
    if (!manager.DocumentPath.empty())
        m_watcher.addPath(QString::fromStdString(DirectoryOf(manager.DocumentPath)));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        m_declined = false;
        Schedule(kSettleMs);
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == m_desk->window())
            Schedule(0);
    });
    connect(desk, &TQuilloryDlgClient::conflictsRequested, this, &DocumentWatch::ShowConflicts);
    QTimer::singleShot(0, this, &DocumentWatch::TakeInLeftVersions);
}

void DocumentWatch::TakeInLeftVersions() {
    TDataSetManager& manager = DataSetManager();
    if (!manager.IsOpen)
        return;
    m_busy = true;
    manager.TakeInStrandedWork();
    manager.TakeInConflictCopies();
    m_busy = false;
    Check();
}

DocumentWatch::~DocumentWatch() = default;

void DocumentWatch::Schedule(int ms) {
    if (!m_timer.isActive() || m_timer.remainingTime() > ms)
        m_timer.start(ms);
}

void DocumentWatch::Check() {
    if (m_busy)
        return;
    if (QApplication::activeModalWidget() != nullptr) {
        Schedule(kRetryMs);
        return;
    }
    TDataSetManager& manager = DataSetManager();
    if (!manager.IsOpen)
        return;
    m_busy = true;
    // Written at once only when the merge holds more than the other version: two machines that
    // each keep their value of a conflict do not write the document back and forth.
    if (!m_declined && manager.Sync().Changed()) {
        const TDataSetManager::Target target = manager.Reconcile();
        // Ours is no longer on disk when the other version cannot be read: a conflict copy.
        if (target == TDataSetManager::Target::ConflictCopy ||
            (target == TDataSetManager::Target::Document && manager.Sync().NeedsWrite()))
            manager.Save();
        m_declined = target != TDataSetManager::Target::Document;
    }
    if (!m_declined)
        manager.TakeInConflictCopies();
    m_busy = false;
    Report();
}

void DocumentWatch::Report() {
    TDataSetManager& manager = DataSetManager();
    const SyncReport report = manager.Sync().TakeReport();
    if (report.protectionTaken)
        m_state.isProtected = QueryProtection();
    if (report.taken > 0)
        ShowNote(QStringLiteral("Änderungen von einem anderen Rechner übernommen: ") +
                 FieldCountText(report.taken));
    // Listed after every merge that found some, and once after the login.
    if (!manager.Sync().Conflicts().empty() && (report.conflicts > 0 || !m_conflictsShown))
        ShowConflicts();
    m_conflictsShown = true;
    UpdateConflictNote();
}

void DocumentWatch::UpdateConflictNote() {
    TDataSetManager& manager = DataSetManager();
    if (!manager.IsOpen) {
        m_desk->SetConflictNote(ConflictNote(0, {}));
        return;
    }
    m_desk->SetConflictNote(
        ConflictNote(manager.Sync().ConflictFieldCount(), manager.Sync().ConflictCategories()));
}

void DocumentWatch::ShowConflicts() {
    TDataSetManager& manager = DataSetManager();
    if (!manager.IsOpen)
        return;
    std::vector<ConflictRow> rows;
    for (const OpenConflict& c : manager.Sync().Conflicts()) {
        const DocumentField& field = DocumentFields()[c.field];
        rows.push_back(DescribeConflict(field.category, field.id, c.ours, c.theirs));
    }
    m_busy = true;
    TKonflikteDialog dialog(m_desk, std::move(rows), [&manager](std::size_t row, bool theirs) {
        return manager.Sync().Resolve(row, theirs, manager.Work()) && manager.Save();
    });
    dialog.exec();
    m_busy = false;
    UpdateConflictNote();
}

void DocumentWatch::ShowNote(const QString& text) {
    if (!m_note) {
        m_note = new QLabel(m_desk);
        m_note->setAlignment(Qt::AlignCenter);
        m_note->setStyleSheet(NoticeStyleSheet(
            QStringLiteral("QLabel"), QStringLiteral("padding: 4px 10px; border-radius: 4px;")));
    }
    m_note->setText(text);
    m_note->setAccessibleName(text);
    m_note->adjustSize();
    m_note->move((m_desk->width() - m_note->width()) / 2, kNoteTop);
    m_note->show();
    m_note->raise();
    m_noteTimer.start(kNoteMs);
}

QString DocumentWatch::Note() const {
    return m_note && m_note->isVisible() ? m_note->text() : QString();
}
