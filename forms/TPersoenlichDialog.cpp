#include "forms/TPersoenlichDialog.h"

TPersoenlichDialog::TPersoenlichDialog(QWidget* parent)
    : TCategoryForm(parent, *FormForCategory(1)) {}
