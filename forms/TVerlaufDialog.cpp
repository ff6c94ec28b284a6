#include "forms/TVerlaufDialog.h"

#include "forms/SecretFields.h"

#include <QDateTime>
#include <QHeaderView>
#include <QShortcut>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int kListId = 501;
constexpr int kCaptionId = 503;
constexpr int kEyeId = 504;

const char* const kShowName = "Werte zeigen";
const char* const kHideName = "Werte verdecken";

} // namespace

QString ChangeTime(std::int64_t seconds) {
    if (seconds <= 0)
        return QStringLiteral("unbekannt");
    return QDateTime::fromSecsSinceEpoch(seconds).toLocalTime().toString(
        QStringLiteral("dd.MM.yyyy HH:mm"));
}

TVerlaufDialog::TVerlaufDialog(QWidget* parent, const QString& field, std::vector<EarlierRow> rows,
                               bool masked, Restore restore)
    : TDialog(parent, ResId("IDD_VERLAUF")), m_field(field), m_rows(std::move(rows)),
      m_masked(masked), m_restore(std::move(restore)) {
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels(
        {QStringLiteral("Datum"), QStringLiteral("Rechner"), QStringLiteral("Wert")});
    m_list->setAccessibleName(QStringLiteral("Frühere Werte"));
    const QRect place = Control(kListId) ? Control(kListId)->geometry() : QRect();
    Attach(kListId, m_list);
    m_list->setGeometry(place);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { CmOk(); });
    if (m_masked) {
        const QWidget* placeholder = Control(kEyeId);
        m_eye = NewEyeButton(this, placeholder ? placeholder->height() : 22);
        m_eye->setAccessibleName(QString::fromUtf8(kShowName));
        m_eye->setToolTip(QStringLiteral("Werte zeigen oder verdecken (Strg+H)"));
        Attach(kEyeId, m_eye);
        connect(m_eye, &QToolButton::toggled, this, [this](bool shown) {
            m_eye->setAccessibleName(QString::fromUtf8(shown ? kHideName : kShowName));
            Fill();
        });
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
        connect(shortcut, &QShortcut::activated, m_eye, &QToolButton::toggle);
    } else if (QWidget* placeholder = Control(kEyeId)) {
        placeholder->hide();
        placeholder->setFocusPolicy(Qt::NoFocus);
    }
}

TVerlaufDialog::~TVerlaufDialog() = default;

void TVerlaufDialog::SetupWindow() {
    TDialog::SetupWindow();
    SetItemText(kCaptionId, "Frühere Werte von „" + m_field.toStdString() + "“:");
    Fill();
    if (!m_rows.empty())
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_list->setFocus();
}

void TVerlaufDialog::Fill() {
    const int current = m_list->currentIndex().row();
    m_list->clear();
    const bool hidden = m_masked && !(m_eye && m_eye->isChecked());
    for (const EarlierRow& row : m_rows) {
        const QString value = hidden ? QStringLiteral("••••••") : row.value;
        auto* item = new QTreeWidgetItem(QStringList{row.when, row.machine, value});
        // A screen reader hears the whole row; a hidden value as a word, not as dots.
        const QString spoken = hidden ? QStringLiteral("verdeckt") : row.value;
        item->setData(0, Qt::AccessibleTextRole,
                      row.when + QStringLiteral(", ") + row.machine + QStringLiteral(", ") +
                          (spoken.isEmpty() ? QStringLiteral("leer") : spoken));
        m_list->addTopLevelItem(item);
    }
    if (m_rows.empty()) {
        auto* empty = new QTreeWidgetItem(
            QStringList{QStringLiteral("Keine früheren Werte."), QString(), QString()});
        empty->setFlags(Qt::ItemIsEnabled);
        m_list->addTopLevelItem(empty);
    }
    for (int column = 0; column < 2; ++column)
        m_list->resizeColumnToContents(column);
    if (current >= 0 && current < static_cast<int>(m_rows.size()))
        m_list->setCurrentItem(m_list->topLevelItem(current));
    if (QWidget* button = Control(IDOK))
        button->setEnabled(!m_rows.empty());
}

void TVerlaufDialog::CmOk() {
    const int row = m_list->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || !m_restore)
        return;
    if (!m_restore(static_cast<std::size_t>(row)))
        return;
    m_restored = static_cast<std::size_t>(row);
    CloseWindow(IDOK);
}
