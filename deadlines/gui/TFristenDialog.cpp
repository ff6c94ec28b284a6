#include "deadlines/gui/TFristenDialog.h"

#include "deadlines/CalendarExport.h"
#include "platform/Messages.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int kListId = 101;
constexpr int kExportId = 102;
constexpr int kHintId = 103;
constexpr int kCategoryRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole + 1;

const char* const kReadFailed = "Die Daten konnten nicht gelesen werden.";
const char* const kNoDeadlines = "Keine Daten in den Formularen gefunden.";
const char* const kExportFailed = "Der Kalender konnte nicht gespeichert werden.";
const char* const kCalendarFilter = "iCalendar-Dateien|*.ics|";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QTreeWidgetItem* Row(const Deadline& d, DeadlineState state, const CalendarDate& today) {
    const QStringList cells{QString::fromUtf8(StateMark(state)), Q(DateText(d)),
                            Q(DaysLeftText(d, today)), Q(d.form), Q(d.what)};
    auto* item = new QTreeWidgetItem(cells);
    item->setToolTip(4, cells[4]);
    item->setData(0, kCategoryRole, d.category);
    item->setData(0, kIdRole, d.id);
    // A screen reader hears the whole row, the mark first.
    QStringList spoken = cells;
    spoken.removeAll(QString());
    item->setData(0, Qt::AccessibleTextRole, spoken.join(QStringLiteral(", ")));
    if (state == DeadlineState::Expired || state == DeadlineState::Due) {
        const QColor back =
            state == DeadlineState::Expired ? QColor(250, 205, 200) : QColor(252, 236, 180);
        for (int column = 0; column < cells.size(); ++column) {
            QFont font = item->font(column);
            font.setBold(true);
            item->setFont(column, font);
            item->setBackground(column, back);
            item->setForeground(column, QColor(40, 20, 10));
        }
    }
    return item;
}

// What an export wrote: the file and how many dates are in it (unreadable ones are not).
std::string ExportedText(const std::string& path, const std::vector<Deadline>& deadlines) {
    const auto dates = std::count_if(deadlines.begin(), deadlines.end(),
                                     [](const Deadline& d) { return d.date.has_value(); });
    return "Der Kalender wurde gespeichert:\n" + path + "\n" + std::to_string(dates) +
           (dates == 1 ? " Termin" : " Termine") + ", je ganztägig mit Erinnerung.";
}

} // namespace

TFristenDialog::TFristenDialog(QWidget* parent, FristenFacts facts)
    : TDialog(parent, ResId("IDD_FRISTEN")), m_facts(std::move(facts)) {
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    // The columns fit the list's width: "Was" takes what is left and wraps.
    m_list->setWordWrap(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({QStringLiteral("Stand"), QStringLiteral("Datum"),
                             QStringLiteral("Frist"), QStringLiteral("Formular"),
                             QStringLiteral("Was")});
    m_list->setAccessibleName(QStringLiteral("Fristen"));
    m_list->installEventFilter(this);
    // In the place and size of the template's list.
    const QRect place = Control(kListId) ? Control(kListId)->geometry() : QRect();
    Attach(kListId, m_list);
    m_list->setGeometry(place);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OpenCurrent(); });
    Bind(kExportId, [this] { Export(); });
}

TFristenDialog::~TFristenDialog() = default;

void TFristenDialog::SetupWindow() {
    TDialog::SetupWindow();
    SetItemText(kHintId, m_facts.leadDays > 0
                             ? "Markiert: abgelaufen, und fällig in den nächsten " +
                                   std::to_string(m_facts.leadDays) + " Tagen."
                             : "Markiert: abgelaufen.");
    Fill();
    m_list->setFocus();
}

void TFristenDialog::Fill() {
    const QTreeWidgetItem* current = m_list->currentItem();
    const int keepCategory = current ? current->data(0, kCategoryRole).toInt() : 0;
    const int keepId = current ? current->data(0, kIdRole).toInt() : 0;
    m_list->clear();
    const auto deadlines = m_facts.read ? m_facts.read(false) : std::nullopt;
    if (!deadlines) {
        ShowMessage(kReadFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
    }
    const CalendarDate today = m_facts.today();
    QTreeWidgetItem* select = nullptr;
    for (const Deadline& d : deadlines.value_or(std::vector<Deadline>{})) {
        QTreeWidgetItem* item = Row(d, StateOf(d, today, m_facts.leadDays), today);
        m_list->addTopLevelItem(item);
        if (!select || (d.category == keepCategory && d.id == keepId))
            select = item;
    }
    if (select == nullptr) {
        auto* empty = new QTreeWidgetItem(QStringList{QString(), QString(), QString(), QString(),
                                                      QString::fromUtf8(kNoDeadlines)});
        empty->setFlags(Qt::ItemIsEnabled);
        m_list->addTopLevelItem(empty);
    }
    for (int column = 0; column + 1 < m_list->columnCount(); ++column)
        m_list->resizeColumnToContents(column);
    if (select)
        m_list->setCurrentItem(select);
    if (QWidget* button = Control(kExportId))
        button->setEnabled(select != nullptr);
}

void TFristenDialog::OpenCurrent() {
    const QTreeWidgetItem* item = m_list->currentItem();
    const int category = item ? item->data(0, kCategoryRole).toInt() : 0;
    if (category == 0 || !m_facts.openField)
        return;
    m_facts.openField(category, item->data(0, kIdRole).toInt());
    // The form may have changed the dates.
    Fill();
    m_list->setFocus();
}

bool TFristenDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenCurrent();
            return true;
        }
    }
    return TDialog::eventFilter(watched, event);
}

void TFristenDialog::Export() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    std::string path = (dir + QStringLiteral("/Fristen.ics")).toStdString();
    if (!GetFileName(this, path, false, kCalendarFilter, "ics", dir.toStdString()))
        return;
    const auto deadlines = m_facts.read ? m_facts.read(m_facts.isProtected) : std::nullopt;
    if (!deadlines) {
        ShowMessage(kReadFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    if (!ExportDeadlineCalendar(path, *deadlines, m_facts.user, m_facts.leadDays)) {
        ShowMessage(kExportFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    ShowMessage(ExportedText(path, *deadlines), kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
}

void RunFristen(QWidget* parent, FristenFacts facts) {
    TFristenDialog dialog(parent, std::move(facts));
    dialog.Execute();
}
