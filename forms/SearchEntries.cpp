#include "forms/SearchEntries.h"

#include "forms/FormCatalogue.h"
#include "forms/MaskedFields.h"
#include "platform/gui/FieldNames.h"
#include "platform/gui/ResourceScript.h"
#include "store/CategorySchema.h"
#include "store/CategoryValues.h"

#include <map>

namespace {

// Field id to label for one form's template.
std::map<int, std::string> FormLabels(const FormDescription& form) {
    std::map<int, std::string> labels;
    const DialogTemplate* templ = AppResources().dialog(ResId(form.templateName));
    if (!templ)
        return labels;
    for (const auto& [index, name] : FieldAccessibleNames(*templ))
        if (index < templ->controls.size())
            labels[templ->controls[index].id] = name;
    return labels;
}

} // namespace

std::optional<std::vector<SearchEntry>> CollectSearchEntries() {
    std::vector<SearchEntry> entries;
    for (const FormDescription& form : FormCatalogue()) {
        std::map<int, std::string> values;
        if (!ReadCategoryValues(form.category, values))
            return std::nullopt;
        std::map<int, std::string> labels = FormLabels(form);
        for (auto& [id, value] : values) {
            entries.push_back({form.category, id, std::move(labels[id]), std::move(value),
                               IsMaskedField(form.category, id)});
        }
    }
    return entries;
}
