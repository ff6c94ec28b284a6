#pragma once

#include "forms/TCategoryForm.h"

class TAerzteDialog : public TCategoryForm {
public:
    explicit TAerzteDialog(QWidget* parent);
};
