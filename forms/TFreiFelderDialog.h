#pragma once

#include "forms/TCategoryForm.h"

class TFreiFelderDialog : public TCategoryForm {
public:
    explicit TFreiFelderDialog(QWidget* parent);
};
