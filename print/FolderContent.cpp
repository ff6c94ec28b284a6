#include "print/FolderContent.h"

#include "forms/FormCatalogue.h"
#include "platform/gui/ResourceScript.h"
#include "store/CategorySchema.h"
#include "store/CategoryValues.h"

std::optional<std::vector<FolderCategory>>
ReadFolderCategories(const std::vector<int>& categories) {
    std::vector<FolderCategory> result;
    for (int number : categories) {
        const FormDescription* form = FormForCategory(number);
        const CategoryInfo* info = FindCategory(number);
        if (!form || !info)
            continue;
        FolderCategory category;
        category.category = number;
        category.title = QString::fromUtf8(form->title);
        category.form = AppResources().dialog(ResId(form->templateName));
        std::map<int, std::string> values;
        if (!ReadCategoryValues(number, values))
            return std::nullopt;
        for (const auto& [id, text] : values)
            category.values[id] = QString::fromStdString(text);
        result.push_back(std::move(category));
    }
    return result;
}
