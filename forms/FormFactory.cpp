#include "forms/FormFactory.h"

#include "forms/FormCatalogue.h"
#include "forms/TCategoryForm.h"
#include "platform/gui/TDialog.h"

std::unique_ptr<TDialog> CreateCategoryForm(int command, QWidget* parent) {
    const FormDescription* form = FormForCommand(command);
    return form ? form->create(parent) : nullptr;
}

std::unique_ptr<TDialog> CreateCategoryFormAtField(int category, int id, bool selectText,
                                                   QWidget* parent) {
    const FormDescription* form = FormForCategory(category);
    std::unique_ptr<TDialog> dialog = form ? form->create(parent) : nullptr;
    if (auto* categoryForm = dynamic_cast<TCategoryForm*>(dialog.get()))
        categoryForm->SetInitialField(id, selectText);
    return dialog;
}
