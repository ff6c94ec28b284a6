#pragma once

#include "forms/TCategoryForm.h"

class TPersoenlichDialog : public TCategoryForm {
public:
    explicit TPersoenlichDialog(QWidget* parent);
};
