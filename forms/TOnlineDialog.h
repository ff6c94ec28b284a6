#pragma once

#include "forms/TCategoryForm.h"

class TOnlineDialog : public TCategoryForm {
public:
    explicit TOnlineDialog(QWidget* parent);
};
