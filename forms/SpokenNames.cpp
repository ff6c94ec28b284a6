#include "forms/SpokenNames.h"

#include "catalogue/FieldCatalogue.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// A field the user titles, by that title; the other fields by their label, with their row where
// the form repeats the label.
std::string FirstName(const FieldFacts& f, const std::map<int, std::string>& texts,
                      const std::map<std::string, int>& labels) {
    if (f.titleId != 0) {
        const auto title = texts.find(f.titleId);
        const std::string titled =
            title != texts.end() ? FieldLabel(f, &title->second) : std::string(f.label);
        return (titled != f.label ? titled : std::string(f.entry)) + ": Wert";
    }
    return labels.at(f.label) > 1 ? std::string(f.entry) + ": " + f.label : f.label;
}

} // namespace

std::map<int, std::string> SpokenFieldNames(int category, const std::map<int, std::string>& texts) {
    std::map<std::string, int> labels;
    for (const FieldFacts& f : FieldsOf(category))
        ++labels[f.label];
    std::map<std::string, std::vector<const FieldFacts*>> byName;
    for (const FieldFacts& f : FieldsOf(category))
        byName[FirstName(f, texts, labels)].push_back(&f);
    // Still the same: in other rows the row says which, within one row its place.
    std::map<int, std::string> names;
    for (const auto& [name, fields] : byName) {
        const bool rows = std::any_of(fields.begin(), fields.end(), [&](const FieldFacts* f) {
            return std::string_view(f->entry) != fields.front()->entry;
        });
        std::map<std::string_view, int> place;
        for (const FieldFacts* f : fields) {
            std::string& spoken = names[f->id];
            spoken = name;
            if (rows)
                spoken += std::string(" (") + f->entry + ")";
            if (const int n = ++place[f->entry]; n > 1)
                spoken += ", Teil " + std::to_string(n);
        }
    }
    return names;
}
