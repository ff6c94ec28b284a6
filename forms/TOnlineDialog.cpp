#include "forms/TOnlineDialog.h"

TOnlineDialog::TOnlineDialog(QWidget* parent) : TCategoryForm(parent, *FormForCategory(4)) {}
