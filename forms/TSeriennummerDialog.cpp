#include "forms/TSeriennummerDialog.h"

TSeriennummerDialog::TSeriennummerDialog(QWidget* parent)
    : TCategoryForm(parent, *FormForCategory(5)) {}
