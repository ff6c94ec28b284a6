#include "exchange/gui/TImportPreview.h"

#include "exchange/gui/ExchangeCommands.h"
#include "platform/Messages.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeWidget>

#include <algorithm>

namespace {

const char* const kReportFilter = "Textdateien|*.txt|";
const char* const kUnfitQuestion =
    " Werte passen in kein Feld. Sie stehen nur im Bericht. Bericht jetzt speichern?";
const QColor kOverwriteColour(252, 236, 180);
const QColor kUnfitColour(250, 205, 200);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A value as one line: secrets hidden, line breaks shown as one.
QString Shown(const PlannedValue& v) {
    if (v.secret)
        return QStringLiteral("\u2022\u2022\u2022\u2022");
    QString text = Q(v.value);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" \u21b5 "));
    text.replace(QLatin1Char('\n'), QStringLiteral(" \u21b5 "));
    return text.size() > 60 ? text.left(59) + QStringLiteral("\u2026") : text;
}

// A cell cut to its column still tells its whole text on hover.
void WithToolTips(QTreeWidgetItem* item) {
    for (int c = 0; c < item->columnCount(); ++c)
        item->setToolTip(c, item->text(c));
}

// The columns within the list's width: each as wide as its texts, but when they do not all fit,
// the source, value and note columns at most their share and the target the rest, its texts
// cut in the middle (both ends of a target tell most).
void FitColumns(QTreeWidget& list) {
    constexpr double kShare[] = {0.25, 0.22, 0.0, 0.22};
    QHeaderView& header = *list.header();
    header.resizeSections(QHeaderView::ResizeToContents);
    const int scrollBar = list.verticalScrollBar()->sizeHint().width();
    const int avail = list.width() - 2 * list.frameWidth() - scrollBar;
    int total = 0;
    for (int c = 0; c < header.count(); ++c)
        total += header.sectionSize(c);
    if (total <= avail)
        return;
    int rest = avail;
    for (int c = 0; c < header.count() && c < 4; ++c) {
        if (c == 2)
            continue;
        header.resizeSection(c,
                             std::min(header.sectionSize(c), static_cast<int>(avail * kShare[c])));
        rest -= header.sectionSize(c);
    }
    header.resizeSection(2, std::max(rest, 40));
}

QTreeWidgetItem* ValueItem(const PlannedValue& v) {
    QString note;
    QColor back;
    if (v.target.first == 0) {
        note = QStringLiteral("passt nicht: ") + Q(v.targetName);
        back = kUnfitColour;
    } else if (v.Overwrites()) {
        note = v.secret ? QStringLiteral("überschreibt den bisherigen Wert")
                        : QStringLiteral("überschreibt „") + Q(v.previous) + QStringLiteral("“");
        back = kOverwriteColour;
    }
    const QString target = v.target.first == 0 ? QStringLiteral("–") : Q(v.targetName);
    auto* item = new QTreeWidgetItem({Q(v.key), Shown(v), target, note});
    item->setData(0, Qt::AccessibleTextRole,
                  QStringList{Q(v.key), Shown(v), target, note}.join(QStringLiteral(", ")));
    WithToolTips(item);
    if (back.isValid())
        for (int c = 0; c < 4; ++c)
            item->setBackground(c, back);
    return item;
}

} // namespace

TImportPreview::TImportPreview(QWidget* parent, std::string sourceName,
                               std::function<ImportPlan(const ImportOptions&)> plan)
    : TDialog(parent, ResId("IDD_IMPORT")), m_sourceName(std::move(sourceName)),
      m_makePlan(std::move(plan)) {
    m_list = new QTreeWidget(this);
    m_list->setHeaderLabels({QStringLiteral("Quelle"), QStringLiteral("Wert"),
                             QStringLiteral("Ziel"), QStringLiteral("Hinweis")});
    m_list->setAccessibleName(QStringLiteral("Vorschau des Imports"));
    m_list->setUniformRowHeights(true);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->header()->setStretchLastSection(false);
    const QRect place = Control(kListId) ? Control(kListId)->geometry() : QRect();
    Attach(kListId, m_list);
    m_list->setGeometry(place);
    Bind(kSpillId, [this] { Replan(); });
    Bind(kReportId, [this] { SaveReport(); });
}

TImportPreview::~TImportPreview() = default;

void TImportPreview::SetupWindow() {
    TDialog::SetupWindow();
    SetChecked(kSpillId, true);
    Replan();
}

void TImportPreview::Replan() {
    m_plan = m_makePlan(ImportOptions{Checked(kSpillId)});
    m_reportSaved = false;
    Fill();
}

void TImportPreview::Fill() {
    m_list->clear();
    int values = 0;
    for (const PlannedEntry& e : m_plan.entries) {
        const QString where = e.form.empty() ? QStringLiteral("kein passendes Formular")
                                             : Q(e.form) + QStringLiteral(" › ") + Q(e.entry);
        auto* top = new QTreeWidgetItem({Q(e.source), QString(), where, QString()});
        WithToolTips(top);
        for (const PlannedValue& v : e.values)
            top->addChild(ValueItem(v));
        for (const std::string& u : e.unimported) {
            PlannedValue listed{u, {}, false, {0, 0}, "wird nicht übernommen", {}};
            top->addChild(ValueItem(listed));
        }
        values += static_cast<int>(e.values.size());
        m_list->addTopLevelItem(top);
    }
    for (const std::string& r : m_plan.rejected)
        m_list->addTopLevelItem(ValueItem({r, {}, false, {0, 0}, "Zeile nicht lesbar", {}}));
    m_list->expandAll();
    FitColumns(*m_list);
    const std::string summary =
        m_sourceName + ": " + std::to_string(values) + " Werte aus " +
        std::to_string(m_plan.entries.size()) + " Einträgen; " +
        std::to_string(m_plan.Overwritten()) + " überschreiben vorhandene Werte, " +
        std::to_string(m_plan.Unfit()) + " passen nirgends (nur im Bericht).";
    SetItemText(kSummaryId, summary);
    if (QWidget* ok = Control(IDOK))
        ok->setEnabled(!m_plan.changes.empty());
}

bool TImportPreview::SaveReport() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    std::string path = (dir + QStringLiteral("/Import-Bericht.txt")).toStdString();
    if (!GetFileName(this, path, false, kReportFilter, "txt", dir.toStdString()))
        return false;
    m_reportSaved = WritePrivateFile(this, path, ImportReport(m_plan));
    return m_reportSaved;
}

void TImportPreview::CmOk() {
    if (m_plan.Unfit() > 0 && !m_reportSaved) {
        const int answer = ShowMessage(std::to_string(m_plan.Unfit()) + kUnfitQuestion,
                                       kVersionTitle, MB_YESNOCANCEL | MB_ICONEXCLAMATION, this);
        if (answer == IDCANCEL || (answer == IDYES && !SaveReport()))
            return;
    }
    CloseWindow(IDOK);
}
