#include "forms/TSearchDialog.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/SearchEntries.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "platform/Messages.h"
#include "util/VersionTitle.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTreeWidget>

#include <algorithm>

namespace {

const char* const kReadFailed = "Die Daten konnten nicht gelesen werden.";
const QString kMasked = QStringLiteral("\u2022\u2022\u2022\u2022");
constexpr int kEntryRole = Qt::UserRole;
constexpr int kMarksRole = Qt::UserRole + 2; // QList<QPoint>: start and length in the text
constexpr int kValueColumn = 2;
constexpr size_t kMostResults = 300;

// The value column: the excerpt with the query's matches on a marker's yellow.
class MarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);

        QList<QTextLayout::FormatRange> formats;
        for (const QVariant& v : index.data(kMarksRole).toList()) {
            const QPoint mark = v.toPoint();
            QTextLayout::FormatRange range;
            range.start = mark.x();
            range.length = mark.y();
            range.format.setBackground(QColor(255, 226, 80));
            range.format.setForeground(QColor(0, 0, 0));
            range.format.setFontWeight(QFont::Bold);
            formats.push_back(range);
        }
        // Measured in bold, as the marks are drawn, so the end is never cut off.
        QFont bold = opt.font;
        bold.setBold(true);
        const QString shown = QFontMetrics(bold).elidedText(text, Qt::ElideRight, area.width() - 4,
                                                            Qt::TextSingleLine);
        QTextLayout layout(shown, opt.font);
        layout.setFormats(formats);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e6);
        layout.endLayout();
        painter->save();
        painter->setClipRect(area);
        painter->setPen(opt.palette.color(
            opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const qreal top = area.top() + (area.height() - line.height()) / 2;
        layout.draw(painter, QPointF(area.left() + 2, top));
        painter->restore();
    }
};

// A byte offset of value as a position in the UTF-16 text of value from from on.
qsizetype Utf16Offset(const std::string& value, size_t from, size_t to) {
    return QString::fromUtf8(value.data() + from, static_cast<qsizetype>(to - from)).size();
}

// The excerpt a result shows, line breaks as visible marks, and its marks in its own units.
QString Excerpt(const std::string& value, const std::vector<TextRange>& marks,
                QVariantList& shownMarks) {
    const TextRange part = ExcerptOf(value, marks);
    QString text =
        QString::fromUtf8(value.data() + part.begin, static_cast<qsizetype>(part.end - part.begin));
    const qsizetype lead = part.begin > 0 ? 1 : 0;
    for (const TextRange& m : marks) {
        if (m.end <= part.begin || m.begin >= part.end)
            continue;
        const size_t begin = std::max(m.begin, part.begin);
        const size_t end = std::min(m.end, part.end);
        const qsizetype start = lead + Utf16Offset(value, part.begin, begin);
        shownMarks.push_back(
            QPoint(static_cast<int>(start), static_cast<int>(Utf16Offset(value, begin, end))));
    }
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QChar(0x21B5));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    if (lead)
        text.prepend(QChar(0x2026));
    if (part.end < value.size())
        text.append(QChar(0x2026));
    return text;
}

} // namespace

TSearchDialog::TSearchDialog(QWidget* parent, std::vector<SearchEntry> entries)
    : TTiledDialog(parent, ResId("IDD_SUCHEN"), "KACHEL3"), m_index(std::move(entries)) {
    new TOwnerDrawPushbutton(this, IDCANCEL, "BTN11", "BTN12", "BTN12");
    m_results = new QTreeWidget(this);
    if (QWidget* list = Control(kResultsId)) {
        const QRect place = list->geometry();
        Attach(kResultsId, m_results);
        m_results->setGeometry(place);
    }
    m_results->setColumnCount(3);
    m_results->setHeaderLabels(
        {QStringLiteral("Formular"), QStringLiteral("Feld"), QStringLiteral("Inhalt")});
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setAllColumnsShowFocus(true);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setItemDelegateForColumn(kValueColumn, new MarkDelegate(m_results));
    m_results->setAccessibleName(QStringLiteral("Treffer"));
    m_results->installEventFilter(this);
    connect(m_results, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
}

TSearchDialog::~TSearchDialog() {
    // Text selected in the line went to the X selection: the query does not outlive the window.
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QLineEdit* line = Line();
    if (line && clipboard->supportsSelection() && clipboard->ownsSelection()) {
        const QString selected = clipboard->text(QClipboard::Selection);
        if (!selected.isEmpty() && line->text().contains(selected))
            clipboard->clear(QClipboard::Selection);
    }
}

QLineEdit* TSearchDialog::Line() const {
    return ControlAs<QLineEdit>(kLineId);
}

void TSearchDialog::SetupWindow() {
    TTiledDialog::SetupWindow();
    // The form's name and the field's label (which can be long) before the values.
    m_results->header()->resizeSection(0, m_results->width() * 23 / 100);
    m_results->header()->resizeSection(1, m_results->width() * 35 / 100);
    if (QLineEdit* line = Line()) {
        line->setAccessibleName(QStringLiteral("Suchbegriff"));
        line->installEventFilter(this);
        connect(line, &QLineEdit::textChanged, this, [this] { Update(); });
        line->setFocus(Qt::OtherFocusReason);
    }
    if (QWidget* box = Control(kSecretId))
        box->setAccessibleName(QStringLiteral("Auch geheime Felder durchsuchen"));
    Bind(kSecretId, [this] { Update(); });
    Update();
}

void TSearchDialog::Update() {
    m_results->clear();
    const QLineEdit* line = Line();
    const std::string query = line ? line->text().toStdString() : std::string();
    const std::vector<SearchHit> hits = m_index.Find(query, Checked(kSecretId), kMostResults + 1);
    const size_t shown = std::min(hits.size(), kMostResults);
    for (size_t k = 0; k < shown; ++k)
        AddResult(hits[k]);
    if (QTreeWidgetItem* first = m_results->topLevelItem(0))
        m_results->setCurrentItem(first);
    QString status;
    if (query.find_first_not_of(" \t") == std::string::npos)
        status = QStringLiteral("Suchbegriff eingeben; die Treffer erscheinen beim Tippen.");
    else if (hits.empty())
        status = QStringLiteral("Keine Treffer.");
    else if (hits.size() > kMostResults)
        status = QStringLiteral("Die ersten %1 Treffer:").arg(kMostResults);
    else
        status = QStringLiteral("%1 Treffer; Eingabetaste öffnet das Formular am Feld.")
                     .arg(hits.size());
    SetItemText(kStatusId, status.toStdString());
}

void TSearchDialog::AddResult(const SearchHit& hit) {
    const SearchEntry& entry = m_index.Entries()[hit.entry];
    auto* item = new QTreeWidgetItem(m_results);
    item->setText(0, QString::fromUtf8(CategoryTitle(entry.category)));
    item->setText(1, QString::fromStdString(entry.label));
    QVariantList marks;
    item->setText(kValueColumn, entry.secret ? kMasked : Excerpt(entry.value, hit.marks, marks));
    item->setData(kValueColumn, kMarksRole, marks);
    item->setData(0, kEntryRole, qulonglong{hit.entry});
}

void TSearchDialog::Choose(const QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    const SearchEntry& entry = m_index.Entries()[item->data(0, kEntryRole).value<qulonglong>()];
    m_chosen = Target{entry.category, entry.id};
    CloseWindow(IDOK);
}

void TSearchDialog::CmOk() {
    Choose(m_results->currentItem());
}

bool TSearchDialog::eventFilter(QObject* watched, QEvent* event) {
    // Down, Up and the page keys in the line move through the results.
    if (watched == Line() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown ||
            key == Qt::Key_PageUp) {
            QApplication::sendEvent(m_results, event);
            return true;
        }
    }
    // Ctrl+C in the results copies the value of the current one, a secret's as it is shown.
    if (watched == m_results && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (const QTreeWidgetItem* item = m_results->currentItem()) {
            const SearchEntry& entry =
                m_index.Entries()[item->data(0, kEntryRole).value<qulonglong>()];
            QGuiApplication::clipboard()->setText(
                entry.secret ? kMasked : QString::fromStdString(entry.value));
        }
        return true;
    }
    return TTiledDialog::eventFilter(watched, event);
}

void RunSearch(QWidget* parent, const std::function<void(int category, int id)>& openField) {
    std::optional<std::vector<SearchEntry>> entries = CollectSearchEntries();
    if (!entries) {
        ShowMessage(kReadFailed, kVersionTitle, MB_OK | MB_ICONINFORMATION, parent);
        return;
    }
    std::optional<TSearchDialog::Target> chosen;
    {
        TSearchDialog dialog(parent, std::move(*entries));
        dialog.Execute();
        chosen = dialog.Chosen();
    }
    // The window and all it held are gone before the form opens.
    if (chosen && openField)
        openField(chosen->category, chosen->id);
}
