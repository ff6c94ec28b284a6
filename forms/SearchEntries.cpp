#include "forms/SearchEntries.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/FormCatalogue.h"
#include "store/CategoryValues.h"

#include <map>

std::optional<std::vector<SearchEntry>> CollectSearchEntries() {
    std::vector<SearchEntry> entries;
    for (const FormDescription& form : FormCatalogue()) {
        std::map<int, std::string> values;
        if (!ReadCategoryValues(form.category, values))
            return std::nullopt;
        for (const FieldFacts& field : FieldsOf(form.category)) {
            const auto title = values.find(field.titleId);
            entries.push_back({form.category, field.id,
                               FieldLabel(field, title == values.end() ? nullptr : &title->second),
                               values[field.id], field.secret});
        }
    }
    return entries;
}
