#pragma once

#include "engine/Crypto.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace recovery {

inline constexpr int kMaxSheets = 9;

// One sheet's part of a recovery secret: how many sheets open (k), its number (1..n), the tag
// every sheet of one recovery shares (so sheets of an earlier one are told apart) and the
// share's kRecoverySize bytes, in locked memory.
struct Share {
    int threshold = 0;
    int number = 0;
    uint8_t tag = 0;
    engine::SecretKey bytes;
};

// Whether k of n sheets is a recovery that can be made: one sheet (k = n = 1), or shares with
// 2 <= k <= n <= kMaxSheets.
bool ValidSplit(int k, int n);
// The n sheets of secret (its first kRecoverySize bytes), any k of which give it back; one
// sheet holds the secret itself. Empty for an invalid split.
std::vector<Share> SplitSecret(const engine::SecretKey& secret, int k, int n);
// The secret from the shares: true when they are of one recovery and at least its threshold
// of distinct numbers. Whether the secret is the right one only the tables tell.
bool CombineShares(const std::vector<const Share*>& shares, engine::SecretKey& secret);
// How many more distinct sheets of the first share's recovery are needed (0: enough).
int SheetsStillNeeded(const std::vector<const Share*>& shares);

// Shamir's scheme over GF(256) (libgfshare's field and share layout, so its command-line tools
// read and write the same shares). ShamirSplit: count shares of size bytes each into out (count
// * size bytes), share i for the number xs[i] (distinct, nonzero), random coefficients from the
// system's generator; false for bad arguments. ShamirCombine: the secret from count shares.
bool ShamirSplit(const uint8_t* secret, size_t size, unsigned k, const uint8_t* xs, unsigned count,
                 uint8_t* out);
bool ShamirCombine(const uint8_t* xs, unsigned count, const uint8_t* shares, size_t size,
                   uint8_t* secret);

} // namespace recovery
