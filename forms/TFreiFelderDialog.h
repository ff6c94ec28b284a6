#pragma once

#include "forms/TCategoryForm.h"

// The free fields: rows of a title the user chooses and its value. A screen reader hears each
// value by its row's title ("Reisepass: Wert"), kept up to date while the title is typed.
class TFreiFelderDialog : public TCategoryForm {
public:
    explicit TFreiFelderDialog(QWidget* parent);

protected:
    void SetupWindow() override;

private:
    void NameRows();
};
