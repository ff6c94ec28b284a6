#include "forms/MaskedFields.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<MaskedField, 21> kMasked{{
    // Persönliches: "Pin:" and "Super-Pin:" of both mobile phones.
    {1, 103},
    {1, 104},
    {1, 129},
    {1, 105},
    // Bankgeschäfte: the online-banking "Paßwort:" fields and the cards' "Geheimnr.:".
    {3, 102},
    {3, 105},
    {3, 109},
    {3, 113},
    {3, 117},
    {3, 121},
    {3, 125},
    {3, 129},
    // Online: the "Paßwort:" of every access and every offer.
    {4, 103},
    {4, 107},
    {4, 111},
    {4, 115},
    {4, 121},
    {4, 127},
    {4, 133},
    {4, 139},
    {4, 145},
}};

} // namespace

std::span<const MaskedField> MaskedFields() {
    return kMasked;
}

bool IsMaskedField(int category, int id) {
    const auto fields = MaskedFields();
    return std::any_of(fields.begin(), fields.end(), [category, id](const MaskedField& f) {
        return f.category == category && f.id == id;
    });
}
