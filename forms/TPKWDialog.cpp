#include "forms/TPKWDialog.h"

TPKWDialog::TPKWDialog(QWidget* parent) : TCategoryForm(parent, *FormForCategory(10)) {}
