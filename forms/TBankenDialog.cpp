#include "forms/TBankenDialog.h"

TBankenDialog::TBankenDialog(QWidget* parent) : TCategoryForm(parent, *FormForCategory(3)) {}
