#include "print/FolderContent.h"

#include "forms/FormCatalogue.h"
#include "platform/gui/ResourceScript.h"
#include "store/CategorySchema.h"
#include "store/CategoryValues.h"

namespace {

// False when an open table could not be read.
bool ReadValues(const CategoryInfo& info, std::map<int, QString>& values) {
    std::map<int, std::string> texts;
    if (!ReadCategoryValues(info.number, texts))
        return false;
    for (const auto& [id, text] : texts)
        values[id] = QString::fromStdString(text);
    return true;
}

} // namespace

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
        if (!ReadValues(*info, category.values))
            return std::nullopt;
        result.push_back(std::move(category));
    }
    return result;
}
