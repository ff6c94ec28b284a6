#pragma once

#include "forms/TCategoryForm.h"

class TPKWDialog : public TCategoryForm {
public:
    explicit TPKWDialog(QWidget* parent);
};
