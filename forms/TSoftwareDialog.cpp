#include "forms/TSoftwareDialog.h"

TSoftwareDialog::TSoftwareDialog(QWidget* parent) : TCategoryForm(parent, *FormForCategory(7)) {}
