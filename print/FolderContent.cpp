#include "print/FolderContent.h"

#include "forms/FormCatalogue.h"
#include "platform/gui/ResourceScript.h"
#include "store/CategorySchema.h"
#include "store/EBdtError.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"

namespace {

// False when an open table could not be read.
bool ReadValues(const CategoryInfo& info, std::map<int, QString>& values) {
    TDataSetManager& manager = DataSetManager();
    TQuery* table = info.table == TableIndex::Second ? manager.SecondTable : manager.FirstTable;
    if (!manager.IsOpen || !table || !table->propActive())
        return true;
    try {
        for (int id : FieldIds(info.number)) {
            std::string text;
            const std::string name = FieldName(info.number, id);
            if (IsMemoField(info.number, id))
                manager.LoadMemo(*table, text, name);
            else
                manager.LoadField(*table, text, name);
            values[id] = QString::fromStdString(text);
        }
    } catch (const EBdtError&) {
        return false;
    }
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
