#include "platform/gui/FieldNames.h"

#include "platform/gui/WinStyles.h"

#include <algorithm>
#include <optional>
#include <set>

namespace {

// How far (dialog units) a label may stand from its field: left of it on the line, or above.
constexpr int kLeftGap = 24;
constexpr int kAboveGap = 10;

bool IsField(const ControlTemplate& c) {
    return c.kind == ControlKind::Edit || c.kind == ControlKind::ListBox ||
           c.kind == ControlKind::ComboBox;
}

bool IsText(const ControlTemplate& c) {
    return c.kind == ControlKind::Static && !SpokenText(c.text).empty();
}

bool IsTitledGroup(const ControlTemplate& c) {
    return c.kind == ControlKind::Button && (c.style & BS_TYPEMASK) == BS_GROUPBOX &&
           !SpokenText(c.text).empty();
}

// The text control with the smallest gap; gap(s) is empty where s cannot be the label.
template <class Gap>
std::optional<size_t> NearestText(const std::vector<ControlTemplate>& controls, Gap gap) {
    std::optional<size_t> best;
    int bestGap = 0;
    for (size_t i = 0; i < controls.size(); ++i) {
        const std::optional<int> g = IsText(controls[i]) ? gap(controls[i]) : std::nullopt;
        if (g && (!best || *g < bestGap)) {
            best = i;
            bestGap = *g;
        }
    }
    return best;
}

std::optional<size_t> LabelOf(const std::vector<ControlTemplate>& controls,
                              const ControlTemplate& f) {
    const auto left = NearestText(controls, [&f](const ControlTemplate& s) -> std::optional<int> {
        const bool sameLine = s.y < f.y + f.cy && s.y + s.cy > f.y;
        const int gap = f.x - (s.x + s.cx);
        return sameLine && gap >= -2 && gap <= kLeftGap ? std::optional(gap) : std::nullopt;
    });
    if (left) {
        return left;
    }
    return NearestText(controls, [&f](const ControlTemplate& s) -> std::optional<int> {
        const bool overlaps = s.x < f.x + f.cx && s.x + s.cx > f.x;
        const int gap = f.y - (s.y + s.cy);
        return overlaps && gap >= -1 && gap <= kAboveGap ? std::optional(gap) : std::nullopt;
    });
}

std::optional<size_t> HeadingOf(const std::vector<ControlTemplate>& controls,
                                const ControlTemplate& f, const std::set<size_t>& labels) {
    std::optional<size_t> group;
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& g = controls[i];
        const bool around =
            g.x <= f.x && g.y <= f.y && g.x + g.cx >= f.x + f.cx && g.y + g.cy >= f.y + f.cy;
        if (IsTitledGroup(g) && around &&
            (!group || g.cx * g.cy < controls[*group].cx * controls[*group].cy)) {
            group = i;
        }
    }
    if (group) {
        return group;
    }
    std::optional<size_t> best;
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& s = controls[i];
        if (!IsText(s) || labels.count(i) || s.y + s.cy > f.y + 1 || s.x > f.x + f.cx) {
            continue;
        }
        if (!best || s.y > controls[*best].y) {
            best = i;
        }
    }
    return best;
}

} // namespace

std::string SpokenText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i] == '\n' ? ' ' : text[i];
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!out.empty() && (blank(out.back()) || out.back() == ':')) {
        out.pop_back();
    }
    size_t start = 0;
    while (start < out.size() && blank(out[start])) {
        ++start;
    }
    return out.substr(start);
}

std::map<size_t, std::string> FieldAccessibleNames(const DialogTemplate& dialog) {
    const std::vector<ControlTemplate>& controls = dialog.controls;
    std::map<size_t, size_t> labelOf;
    std::set<size_t> labels;
    for (size_t i = 0; i < controls.size(); ++i) {
        if (!IsField(controls[i])) {
            continue;
        }
        if (const auto label = LabelOf(controls, controls[i])) {
            labelOf[i] = *label;
            labels.insert(*label);
        }
    }
    std::map<size_t, std::string> names;
    std::map<std::string, int> count;
    for (const auto& [field, label] : labelOf) {
        names[field] = SpokenText(controls[label].text);
        ++count[names[field]];
    }
    for (auto& [field, name] : names) {
        if (count[name] < 2) {
            continue;
        }
        if (const auto heading = HeadingOf(controls, controls[field], labels)) {
            name = SpokenText(controls[*heading].text) + ": " + name;
        }
    }
    std::map<std::string, int> repeats;
    for (const auto& [field, name] : names) {
        ++repeats[name];
    }
    std::map<std::string, int> seen;
    for (auto& [field, name] : names) {
        if (repeats[name] > 1) {
            name += " (" + std::to_string(++seen[name]) + ")";
        }
    }
    return names;
}
