#pragma once

#include "forms/TCategoryForm.h"

class TSeriennummerDialog : public TCategoryForm {
public:
    explicit TSeriennummerDialog(QWidget* parent);
};
