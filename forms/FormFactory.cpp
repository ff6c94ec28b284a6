#include "forms/FormFactory.h"

#include "forms/FormCatalogue.h"
#include "platform/gui/TDialog.h"

std::unique_ptr<TDialog> CreateCategoryForm(int command, QWidget* parent) {
    const FormDescription* form = FormForCommand(command);
    return form ? form->create(parent) : nullptr;
}
