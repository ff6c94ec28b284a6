#include "forms/FormCatalogue.h"

#include "catalogue/FieldCatalogue.h"
#include "forms/TAerzteDialog.h"
#include "forms/TBankenDialog.h"
#include "forms/TFreiFelderDialog.h"
#include "forms/TNachGeschlagen.h"
#include "forms/TOnlineDialog.h"
#include "forms/TPKWDialog.h"
#include "forms/TPersoenlichDialog.h"
#include "forms/TSeriennummerDialog.h"
#include "forms/TSoftwareDialog.h"
#include "forms/TVertraegeDialog.h"

#include <algorithm>
#include <array>

namespace {

template <class Form> std::unique_ptr<TDialog> Make(QWidget* parent) {
    return std::make_unique<Form>(parent);
}

constexpr std::array<FormDescription, 10> kForms{{
    {12, Make<TPersoenlichDialog>, "IDD_PERSOENLICH", 1, "KACHEL5", "BTN17", "BTN18", "BTN19",
     "BTN20", true},
    {16, Make<TNachGeschlagen>, "IDD_NACHGESCHLAGEN", 2, "KACHEL9", "BTN33", "BTN34", "BTN35",
     "BTN36", false},
    {9, Make<TBankenDialog>, "IDD_BANKEN", 3, "KACHEL2", "BTN5", "BTN6", "BTN7", "BTN8", true},
    {11, Make<TOnlineDialog>, "IDD_ONLINE", 4, "KACHEL4", "BTN13", "BTN14", "BTN15", "BTN16",
     false},
    {14, Make<TSeriennummerDialog>, "IDD_SERIENNR", 5, "KACHEL7", "BTN25", "BTN26", "BTN27",
     "BTN28", false},
    {10, Make<TFreiFelderDialog>, "IDD_FREIFELDER", 6, "KACHEL3", "BTN9", "BTN10", "BTN11", "BTN12",
     false},
    {15, Make<TSoftwareDialog>, "IDD_SOFTWARE", 7, "KACHEL8", "BTN29", "BTN30", "BTN31", "BTN32",
     true},
    {8, Make<TAerzteDialog>, "IDD_AERZTE", 8, "KACHEL1", "BTN1", "BTN2", "BTN3", "BTN4", true},
    {13, Make<TPKWDialog>, "IDD_PKW", 10, "KACHEL6", "BTN21", "BTN22", "BTN23", "BTN24", false},
    {20, Make<TVertraegeDialog>, "IDD_VERTRAEGE", 11, "KACHEL3", "BTN9", "BTN10", "BTN11", "BTN12",
     false},
}};

} // namespace

std::span<const FormDescription> FormCatalogue() {
    return kForms;
}

const FormDescription* FormForCommand(int command) {
    auto it = std::find_if(kForms.begin(), kForms.end(),
                           [command](const FormDescription& f) { return f.command == command; });
    return it == kForms.end() ? nullptr : &*it;
}

const FormDescription* FormForCategory(int category) {
    auto it = std::find_if(kForms.begin(), kForms.end(),
                           [category](const FormDescription& f) { return f.category == category; });
    return it == kForms.end() ? nullptr : &*it;
}

int FieldLimit(int category, int id) {
    const FieldFacts* field = FindField(category, id);
    if (!field)
        return -1;
    return field->chars == 0 ? 0 : field->chars + 1;
}
