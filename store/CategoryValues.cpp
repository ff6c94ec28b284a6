#include "store/CategoryValues.h"

#include "store/CategorySchema.h"
#include "store/EBdtError.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"

#include <algorithm>
#include <vector>

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

namespace {

using Texts = std::map<std::pair<int, int>, std::string>;

// One edit and post of a table with the texts of its fields.
bool PostTexts(TQuery& table, const Texts& texts) {
    TDataSetManager& manager = DataSetManager();
    try {
        table.Edit();
        for (const auto& [key, text] : texts) {
            const std::string name = FieldName(key.first, key.second);
            if (IsMemoField(key.first, key.second))
                manager.StoreMemo(table, text, name);
            else
                manager.StoreField(table, text, name);
        }
        table.Post();
        return true;
    } catch (const EBdtError&) {
        if (table.Editing())
            table.Cancel();
        return false;
    }
}

} // namespace

bool WriteCategoryValues(const Texts& values) {
    std::map<TQuery*, Texts> byTable, previous;
    for (const auto& [key, text] : values) {
        const CategoryInfo* info = FindCategory(key.first);
        const auto ids = FieldIds(key.first);
        TQuery* table = info ? &DataSetManager().Table(info->table) : nullptr;
        if (!table || !table->propActive() ||
            std::find(ids.begin(), ids.end(), key.second) == ids.end())
            return false;
        byTable[table][key] = text;
    }
    if (!DataSetManager().IsOpen)
        return false;
    std::map<int, std::map<int, std::string>> old;
    for (auto& [table, texts] : byTable) {
        for (const auto& entry : texts) {
            const auto [category, id] = entry.first;
            if (!old.count(category) && !ReadCategoryValues(category, old[category]))
                return false;
            previous[table][entry.first] = old[category][id];
        }
    }
    std::vector<TQuery*> done;
    for (auto& [table, texts] : byTable) {
        if (!PostTexts(*table, texts)) {
            for (TQuery* written : done)
                PostTexts(*written, previous[written]);
            return false;
        }
        done.push_back(table);
    }
    return true;
}
