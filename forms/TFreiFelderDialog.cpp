#include "forms/TFreiFelderDialog.h"

#include "store/CategorySchema.h"

#include <QLineEdit>

#include <map>

TFreiFelderDialog::TFreiFelderDialog(QWidget* parent)
    : TCategoryForm(parent, *FormForCategory(6)) {}

void TFreiFelderDialog::SetupWindow() {
    TCategoryForm::SetupWindow();
    for (int title = kFirstFieldId; Edit(title + 1); title += 2) {
        if (auto* line = qobject_cast<QLineEdit*>(Edit(title)))
            connect(line, &QLineEdit::textChanged, this, [this] { NameRows(); });
    }
    NameRows();
}

// Title fields by their row, values by their row's title; a title used twice gets its row.
void TFreiFelderDialog::NameRows() {
    auto titleOf = [this](int id) {
        return QString::fromStdString(ControlText(Edit(id))).simplified();
    };
    std::map<QString, int> uses;
    for (int title = kFirstFieldId; Edit(title + 1); title += 2)
        ++uses[titleOf(title)];
    for (int title = kFirstFieldId, row = 1; Edit(title + 1); title += 2, ++row) {
        const QString text = titleOf(title);
        Edit(title)->setAccessibleName(QStringLiteral("Feldtitel %1").arg(row));
        QString name =
            text.isEmpty() ? QStringLiteral("Wert %1").arg(row) : text + QStringLiteral(": Wert");
        if (!text.isEmpty() && uses[text] > 1)
            name += QStringLiteral(" (Zeile %1)").arg(row);
        Edit(title + 1)->setAccessibleName(name);
    }
}
