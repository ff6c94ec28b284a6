#pragma once

#include "forms/TCategoryForm.h"

class TNachGeschlagen : public TCategoryForm {
public:
    explicit TNachGeschlagen(QWidget* parent);
};
