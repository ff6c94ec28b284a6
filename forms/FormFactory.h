#pragma once

#include <memory>

class QWidget;
class TDialog;

// The category form of a desk command (8 to 16); nullptr for any other number.
std::unique_ptr<TDialog> CreateCategoryForm(int command, QWidget* parent);
// The form of a category (1 to 8, 10) that shows with field id focused, its text selected when
// asked; nullptr for any other category.
std::unique_ptr<TDialog> CreateCategoryFormAtField(int category, int id, bool selectText,
                                                   QWidget* parent);
