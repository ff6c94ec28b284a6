#include "forms/FormCatalogue.h"

#include "forms/TAerzteDialog.h"
#include "forms/TBankenDialog.h"
#include "forms/TFreiFelderDialog.h"
#include "forms/TNachGeschlagen.h"
#include "forms/TOnlineDialog.h"
#include "forms/TPKWDialog.h"
#include "forms/TPersoenlichDialog.h"
#include "forms/TSeriennummerDialog.h"
#include "forms/TSoftwareDialog.h"
#include "store/CategorySchema.h"

#include <algorithm>
#include <array>

namespace {

template <class Form> std::unique_ptr<TDialog> Make(QWidget* parent) {
    return std::make_unique<Form>(parent);
}

constexpr std::array<FormDescription, 9> kForms{{
    {12, Make<TPersoenlichDialog>, "IDD_PERSOENLICH", "Persönliches", 1, "KACHEL5", "BTN17",
     "BTN18", "BTN19", "BTN20", true},
    {16, Make<TNachGeschlagen>, "IDD_NACHGESCHLAGEN", "Wichtige Nummern", 2, "KACHEL9", "BTN33",
     "BTN34", "BTN35", "BTN36", false},
    {9, Make<TBankenDialog>, "IDD_BANKEN", "Bankgeschäfte", 3, "KACHEL2", "BTN5", "BTN6", "BTN7",
     "BTN8", true},
    {11, Make<TOnlineDialog>, "IDD_ONLINE", "Online", 4, "KACHEL4", "BTN13", "BTN14", "BTN15",
     "BTN16", false},
    {14, Make<TSeriennummerDialog>, "IDD_SERIENNR", "Seriennummern", 5, "KACHEL7", "BTN25", "BTN26",
     "BTN27", "BTN28", false},
    {10, Make<TFreiFelderDialog>, "IDD_FREIFELDER", "Frei definierbare Felder", 6, "KACHEL3",
     "BTN9", "BTN10", "BTN11", "BTN12", false},
    {15, Make<TSoftwareDialog>, "IDD_SOFTWARE", "Softwareregistrierung", 7, "KACHEL8", "BTN29",
     "BTN30", "BTN31", "BTN32", true},
    {8, Make<TAerzteDialog>, "IDD_AERZTE", "Ärzte", 8, "KACHEL1", "BTN1", "BTN2", "BTN3", "BTN4",
     true},
    {13, Make<TPKWDialog>, "IDD_PKW", "Fahrzeugschein/brief", 10, "KACHEL6", "BTN21", "BTN22",
     "BTN23", "BTN24", false},
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
    const CategoryInfo* info = FindCategory(category);
    if (!info || id < kFirstFieldId || id >= kFirstFieldId + info->fieldCount)
        return -1;
    const int chars = FieldCharLimit(category, id);
    return chars == 0 ? 0 : chars + 1;
}
