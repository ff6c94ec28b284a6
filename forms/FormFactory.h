#pragma once

#include <memory>

class QWidget;
class TDialog;

// The category form of a desk command (8 to 16); nullptr for any other number.
std::unique_ptr<TDialog> CreateCategoryForm(int command, QWidget* parent);
