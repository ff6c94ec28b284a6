#pragma once

#include "recovery/Shares.h"

#include <string>
#include <string_view>

namespace recovery {

// A share as a person types it: 18 bytes (threshold and number, tag, share) as 30 characters
// of a 29-letter alphabet without look-alikes (no I, O, S, Y, Z, 0, 1), in 6 groups of 5, each
// followed by its check character: "ABCDE7-…". Over the prime 29 the check makes
// 1·a1 + 2·a2 + … + 6·a6 + g ≡ 0 for group g (0-based, so a group in the wrong place shows):
// a changed character i changes the sum by i·d, a swap of neighbours by the difference of the
// two, neither 0 modulo a prime.
inline constexpr int kCodeGroups = 6;
inline constexpr int kGroupData = 5;
inline constexpr std::string_view kCodeAlphabet = "ABCDEFGHJKLMNPQRTUVWX23456789";

// The check character of a group's data characters; '\0' when one is not of the alphabet.
char CheckCharacter(std::string_view data, int group);
std::string EncodeShare(const Share& share);

struct DecodedShare {
    enum class Status { Ok, Empty, WrongLength, BadCharacter, BadGroup, BadContent };
    Status status = Status::Empty;
    int group = 0; // 1-based: the group with a bad character or a failed check
    Share share;
};
// Reads a typed code: case, spaces and dashes do not matter.
DecodedShare DecodeShare(std::string_view typed);
// What a person is told about a code that was not read.
std::string DecodeProblem(const DecodedShare& decoded);

} // namespace recovery
