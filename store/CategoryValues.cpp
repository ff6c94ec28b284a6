#include "store/CategoryValues.h"

#include "store/CategorySchema.h"
#include "store/EBdtError.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"

bool ReadCategoryValues(int category, std::map<int, std::string>& values) {
    const CategoryInfo* info = FindCategory(category);
    TDataSetManager& manager = DataSetManager();
    TQuery* table = info ? &manager.Table(info->table) : nullptr;
    if (!info || !manager.IsOpen || !table || !table->propActive())
        return true;
    try {
        for (int id : FieldIds(category)) {
            std::string text;
            const std::string name = FieldName(category, id);
            if (IsMemoField(category, id))
                manager.LoadMemo(*table, text, name);
            else
                manager.LoadField(*table, text, name);
            values[id] = std::move(text);
        }
    } catch (const EBdtError&) {
        return false;
    }
    return true;
}
