#include "forms/SearchEntries.h"

#include "forms/FormCatalogue.h"
#include "forms/MaskedFields.h"
#include "platform/gui/FieldNames.h"
#include "platform/gui/ResourceScript.h"
#include "store/CategorySchema.h"
#include "store/CategoryValues.h"

#include <cstdlib>
#include <map>

namespace {

using Texts = std::map<int, std::string>; // by field id

// The first line of a user's text, without surrounding blanks.
std::string TitleOf(const std::string& value) {
    const size_t end = value.find_first_of("\r\n");
    const std::string line = value.substr(0, end);
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

// Whether a static text stands left of a control on its line (its label there).
bool LabelledOnItsLine(const DialogTemplate& templ, const ControlTemplate& control) {
    for (const ControlTemplate& c : templ.controls)
        if (c.kind == ControlKind::Static &&
            std::abs(c.y + c.cy / 2 - control.y - control.cy / 2) <= 3 && c.x < control.x &&
            !SpokenText(c.text).empty())
            return true;
    return false;
}

// A name for a field its form leaves unlabelled: the second field of a labelled row takes the
// row's label ("Schlüsselnummer"); the content beside a title the user wrote takes that title;
// else the nearest text above ("Feldtitel").
std::string UnlabelledName(const DialogTemplate& templ, const ControlTemplate& field,
                           const Texts& labels, const Texts& values) {
    const ControlTemplate* left = nullptr;
    const ControlTemplate* above = nullptr;
    for (const ControlTemplate& c : templ.controls) {
        if (c.kind == ControlKind::Edit && std::abs(c.y - field.y) <= 2 && c.x < field.x &&
            (!left || c.x > left->x))
            left = &c;
        if (c.kind == ControlKind::Static && c.y < field.y && !SpokenText(c.text).empty() &&
            (!above || c.y > above->y))
            above = &c;
    }
    if (left) {
        const auto label = labels.find(left->id);
        if (label != labels.end() && LabelledOnItsLine(templ, *left))
            return label->second;
        if (auto it = values.find(left->id); it != values.end() && !TitleOf(it->second).empty())
            return TitleOf(it->second);
        if (label != labels.end())
            return label->second;
    }
    return above ? SpokenText(above->text) : std::string();
}

// Field id to label for one form, as its template names the fields.
Texts FormLabels(const FormDescription& form, const Texts& values) {
    Texts labels;
    const DialogTemplate* templ = AppResources().dialog(ResId(form.templateName));
    if (!templ)
        return labels;
    for (const auto& [index, name] : FieldAccessibleNames(*templ))
        if (index < templ->controls.size())
            labels[templ->controls[index].id] = name;
    Texts named = labels;
    for (const ControlTemplate& c : templ->controls)
        if (c.kind == ControlKind::Edit && !labels.count(c.id))
            named[c.id] = UnlabelledName(*templ, c, labels, values);
    return named;
}

} // namespace

std::optional<std::vector<SearchEntry>> CollectSearchEntries() {
    std::vector<SearchEntry> entries;
    for (const FormDescription& form : FormCatalogue()) {
        Texts values;
        if (!ReadCategoryValues(form.category, values))
            return std::nullopt;
        Texts labels = FormLabels(form, values);
        for (auto& [id, value] : values) {
            entries.push_back({form.category, id, std::move(labels[id]), std::move(value),
                               IsMaskedField(form.category, id)});
        }
    }
    return entries;
}
