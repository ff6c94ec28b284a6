#include "forms/TKonflikteDialog.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/SpokenNames.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString FormTitleOf(int category) {
    const CategoryInfo* info = FindCategory(category);
    return info ? QString::fromUtf8(info->title) : QString::number(category);
}

} // namespace

QString FieldLabelOf(int category, int id) {
    // As a screen reader hears it on the form: a label the form repeats with its row.
    const auto names = SpokenFieldNames(category, {});
    const auto name = names.find(id);
    return QString::fromStdString(name != names.end() ? name->second : FieldName(category, id));
}

QString OneLineValue(std::string text) {
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    QString line = QString::fromStdString(text);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    line.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    return line;
}

ConflictRow DescribeConflict(int category, int id, const std::string& ours,
                             const std::string& theirs) {
    ConflictRow row;
    row.form = FormTitleOf(category);
    row.field = FieldLabelOf(category, id);
    row.ours = OneLineValue(ours);
    row.theirs = OneLineValue(theirs);
    row.masked = IsMaskedField(category, id);
    return row;
}

QString FieldCountText(std::size_t fields) {
    return fields == 1 ? QStringLiteral("1 Feld") : QStringLiteral("%1 Felder").arg(fields);
}

QString ConflictNote(std::size_t fields, const std::vector<int>& categories) {
    if (fields == 0)
        return {};
    QStringList forms;
    for (int category : categories)
        forms << FormTitleOf(category);
    QString list = forms.join(QStringLiteral(", "));
    if (forms.size() > 1) {
        const qsizetype last = list.lastIndexOf(QStringLiteral(", "));
        list.replace(last, 2, QStringLiteral(" und "));
    }
    return QStringLiteral("Konflikte: ") + FieldCountText(fields) +
           (list.isEmpty() ? QString() : QLatin1Char('\n') + list);
}

TKonflikteDialog::TKonflikteDialog(QWidget* parent, std::vector<ConflictRow> rows, Keep keep)
    : QDialog(parent), m_rows(std::move(rows)), m_keep(std::move(keep)) {
    setWindowTitle(QStringLiteral("Konflikte"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(
        QStringLiteral("Diese Felder wurden auf diesem und auf einem anderen Rechner "
                       "verschieden geändert.\nIm Dokument steht der Wert dieses Rechners; "
                       "behalten Sie je Feld einen der beiden Werte."),
        this);
    layout->addWidget(heading);
    m_table = new QTableWidget(this);
    // Heard by the window's name, with the heading's explanation.
    m_table->setAccessibleName(QStringLiteral("Konflikte"));
    m_table->setAccessibleDescription(heading->text());
    heading->setBuddy(m_table);
    m_table->setColumnCount(4);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Formular"), QStringLiteral("Feld"),
                                        QStringLiteral("Dieser Rechner"),
                                        QStringLiteral("Anderer Rechner")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    m_show = new QCheckBox(QStringLiteral("Geheime Werte &zeigen"), this);
    connect(m_show, &QCheckBox::toggled, this, [this] { Fill(); });
    layout->addWidget(m_show);
    auto* buttons = new QHBoxLayout;
    auto* ours = new QPushButton(QStringLiteral("&Diesen Wert behalten"), this);
    auto* theirs = new QPushButton(QStringLiteral("&Anderen Wert übernehmen"), this);
    auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
    connect(ours, &QPushButton::clicked, this, [this] { KeepSelected(false); });
    connect(theirs, &QPushButton::clicked, this, [this] { KeepSelected(true); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ours);
    buttons->addWidget(theirs);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    Fill();
    resize(760, 320);
}

void TKonflikteDialog::Fill() {
    const int selected = m_table->currentRow();
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    const QString hidden = QStringLiteral("••••••");
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const ConflictRow& r = m_rows[i];
        const bool mask = r.masked && !m_show->isChecked();
        const QString cells[] = {r.form, r.field, mask ? hidden : r.ours, mask ? hidden : r.theirs};
        for (int c = 0; c < 4; ++c)
            m_table->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
    }
    m_table->resizeColumnsToContents();
    if (!m_rows.empty())
        m_table->selectRow(std::clamp(selected, 0, static_cast<int>(m_rows.size()) - 1));
}

void TKonflikteDialog::KeepSelected(bool theirs) {
    const int row = m_table->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return;
    if (!m_keep(static_cast<std::size_t>(row), theirs))
        return;
    m_rows.erase(m_rows.begin() + row);
    Fill();
    if (m_rows.empty())
        accept();
}
