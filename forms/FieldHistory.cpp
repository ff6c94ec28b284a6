#include "forms/FieldHistory.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/TCategoryForm.h"
#include "forms/TKonflikteDialog.h"
#include "forms/TVerlaufDialog.h"
#include "store/CategorySchema.h"
#include "store/TDataSetManager.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>

#include <memory>

namespace {

const QKeySequence kHistoryKey(Qt::CTRL | Qt::SHIFT | Qt::Key_V);

std::unique_ptr<QMenu> StandardMenu(QWidget* control, const QPoint& pos) {
    if (auto* line = qobject_cast<QLineEdit*>(control))
        return std::unique_ptr<QMenu>(line->createStandardContextMenu());
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return std::unique_ptr<QMenu>(plain->createStandardContextMenu(pos));
    if (auto* rich = qobject_cast<QTextEdit*>(control))
        return std::unique_ptr<QMenu>(rich->createStandardContextMenu(pos));
    return std::make_unique<QMenu>();
}

} // namespace

FieldHistory::FieldHistory(TCategoryForm* form, int category, std::vector<QWidget*> edits)
    : QObject(form), m_form(form), m_category(category), m_edits(std::move(edits)) {
    for (std::size_t j = 0; j < m_edits.size(); ++j) {
        QWidget* control = m_edits[j];
        if (control == nullptr)
            continue;
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this,
                [this, j](const QPoint& pos) { ShowMenu(j, pos); });
    }
    auto* shortcut = new QShortcut(kHistoryKey, form);
    connect(shortcut, &QShortcut::activated, this, [this] {
        QWidget* focus = m_form->focusWidget();
        for (std::size_t j = 0; j < m_edits.size(); ++j)
            if (m_edits[j] != nullptr && m_edits[j] == focus)
                Open(j);
    });
}

void FieldHistory::ShowMenu(std::size_t j, const QPoint& pos) {
    QWidget* control = m_edits[j];
    std::unique_ptr<QMenu> menu = StandardMenu(control, pos);
    menu->addSeparator();
    QAction* history = menu->addAction(QString::fromUtf8(kMenuText));
    history->setShortcut(kHistoryKey); // shown beside the entry
    history->setEnabled(m_form->Writable());
    // A scroll area (a memo) reports the position in its viewport.
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    const QPoint global = area ? area->viewport()->mapToGlobal(pos) : control->mapToGlobal(pos);
    if (menu->exec(global) == history)
        Open(j);
}

void FieldHistory::Open(std::size_t j) {
    TDataSetManager& manager = DataSetManager();
    const int id = kFirstFieldId + static_cast<int>(j);
    const int field = DocumentFieldIndex(FieldName(m_category, id));
    if (!m_form->Writable() || !manager.IsOpen || field < 0 || j >= m_edits.size())
        return;
    const auto index = static_cast<std::size_t>(field);
    const std::vector<EarlierValue> earlier = manager.Sync().History(index);
    std::vector<EarlierRow> rows;
    for (const EarlierValue& e : earlier)
        rows.push_back({ChangeTime(e.mark.time),
                        e.mark.machine.empty() ? QStringLiteral("unbekannt")
                                               : QString::fromStdString(e.mark.machine),
                        OneLineValue(e.value)});
    TVerlaufDialog dialog(m_form, FieldLabelOf(m_category, id), std::move(rows),
                          IsMaskedField(m_category, id), [&](std::size_t entry) {
                              if (!manager.Sync().Restore(index, entry, manager.Work()))
                                  return false;
                              // A failed save has said so; the end of the run tries again.
                              manager.Save();
                              return true;
                          });
    dialog.Execute();
    if (const auto restored = dialog.Restored())
        TCategoryForm::SetControlText(m_edits[j], earlier[*restored].value);
}
