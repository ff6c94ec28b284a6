#pragma once

#include <span>

// A field that holds a secret: a PIN, a card's secret number or a password. The emergency
// folder prints such fields masked when asked to.
struct MaskedField {
    int category;
    int id;
};

std::span<const MaskedField> MaskedFields();
bool IsMaskedField(int category, int id);
