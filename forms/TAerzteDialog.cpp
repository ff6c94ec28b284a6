#include "forms/TAerzteDialog.h"

TAerzteDialog::TAerzteDialog(QWidget* parent) : TCategoryForm(parent, *FormForCategory(8)) {}
