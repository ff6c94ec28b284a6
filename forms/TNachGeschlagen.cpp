#include "forms/TNachGeschlagen.h"

TNachGeschlagen::TNachGeschlagen(QWidget* parent) : TCategoryForm(parent, *FormForCategory(2)) {}
