#include "forms/TFreiFelderDialog.h"

TFreiFelderDialog::TFreiFelderDialog(QWidget* parent)
    : TCategoryForm(parent, *FormForCategory(6)) {}
