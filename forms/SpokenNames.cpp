#include "forms/SpokenNames.h"

#include "catalogue/FieldCatalogue.h"

std::map<int, std::string> SpokenFieldNames(int category,
                                            const std::map<int, std::string>& texts) {
    std::map<std::string, int> labels;
    for (const FieldFacts& f : FieldsOf(category))
        ++labels[f.label];
    std::map<int, std::string> names;
    std::map<std::string, int> uses;
    for (const FieldFacts& f : FieldsOf(category)) {
        const auto title = texts.find(f.titleId);
        const std::string titled =
            f.titleId != 0 && title != texts.end() ? FieldLabel(f, &title->second) : f.label;
        std::string& name = names[f.id];
        if (titled != f.label)
            name = titled + ": " + f.label;
        else
            name = labels[f.label] > 1 ? std::string(f.entry) + ": " + f.label : f.label;
        ++uses[name];
    }
    for (const FieldFacts& f : FieldsOf(category)) {
        if (uses[names[f.id]] > 1)
            names[f.id] += std::string(" (") + f.entry + ")";
    }
    return names;
}
