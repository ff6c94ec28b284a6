#pragma once

#include "forms/TCategoryForm.h"

class TBankenDialog : public TCategoryForm {
public:
    explicit TBankenDialog(QWidget* parent);
};
