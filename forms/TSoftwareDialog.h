#pragma once

#include "forms/TCategoryForm.h"

class TSoftwareDialog : public TCategoryForm {
public:
    explicit TSoftwareDialog(QWidget* parent);
};
