#include "recovery/ShareCode.h"

#include <sodium.h>

#include <array>

namespace recovery {

namespace {

constexpr int kBase = 29;
constexpr int kGroupSize = kGroupData + 1;
constexpr int kDigits = kCodeGroups * kGroupData;
constexpr size_t kPayload = 2 + engine::kRecoverySize;
using Digits = std::array<uint8_t, kDigits>;

int ValueOf(char c) {
    const size_t at = kCodeAlphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// Big-endian bytes to base-29 digits and back (long division; 30 digits hold 145 bits).
Digits ToDigits(const uint8_t* bytes) {
    std::array<uint8_t, kPayload> n{};
    std::copy(bytes, bytes + kPayload, n.begin());
    Digits d{};
    for (int i = kDigits - 1; i >= 0; --i) {
        unsigned rest = 0;
        for (uint8_t& b : n) {
            const unsigned v = rest * 256 + b;
            b = static_cast<uint8_t>(v / kBase);
            rest = v % kBase;
        }
        d[i] = static_cast<uint8_t>(rest);
    }
    sodium_memzero(n.data(), n.size());
    return d;
}

// false when the digits are more than the bytes hold.
bool FromDigits(const Digits& d, uint8_t* bytes) {
    std::array<uint8_t, kPayload> n{};
    bool fits = true;
    for (uint8_t digit : d) {
        unsigned carry = digit;
        for (int i = static_cast<int>(kPayload) - 1; i >= 0; --i) {
            const unsigned v = n[i] * kBase + carry;
            n[i] = static_cast<uint8_t>(v & 0xFF);
            carry = v >> 8;
        }
        fits = fits && carry == 0;
    }
    std::copy(n.begin(), n.end(), bytes);
    sodium_memzero(n.data(), n.size());
    return fits;
}

} // namespace

char CheckCharacter(std::string_view data, int group) {
    int sum = group;
    for (size_t i = 0; i < data.size(); ++i) {
        const int v = ValueOf(data[i]);
        if (v < 0)
            return '\0';
        sum += static_cast<int>(i + 1) * v;
    }
    // c with sum + (n+1)·c ≡ 0; the inverse of n+1 modulo the prime by Fermat.
    const int weight = static_cast<int>(data.size()) + 1;
    int inverse = 1;
    for (int e = 0; e < kBase - 2; ++e)
        inverse = inverse * weight % kBase;
    const int c = (kBase - sum % kBase) % kBase * inverse % kBase;
    return kCodeAlphabet[static_cast<size_t>(c)];
}

std::string EncodeShare(const Share& share) {
    uint8_t payload[kPayload];
    payload[0] = static_cast<uint8_t>(share.threshold << 4 | share.number);
    payload[1] = share.tag;
    std::copy(share.bytes.data(), share.bytes.data() + engine::kRecoverySize, payload + 2);
    Digits d = ToDigits(payload);
    sodium_memzero(payload, sizeof payload);
    std::string code;
    for (int g = 0; g < kCodeGroups; ++g) {
        std::string group;
        for (int i = 0; i < kGroupData; ++i)
            group += kCodeAlphabet[d[g * kGroupData + i]];
        group += CheckCharacter(group, g);
        code += (g ? "-" : "") + group;
        sodium_memzero(group.data(), group.size());
    }
    sodium_memzero(d.data(), d.size());
    return code;
}

DecodedShare DecodeShare(std::string_view typed) {
    DecodedShare out;
    std::string chars;
    for (char c : typed) {
        if (c == ' ' || c == '-' || c == '\t')
            continue;
        chars += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    struct Wiper {
        std::string& s;
        ~Wiper() { sodium_memzero(s.data(), s.size()); }
    } wipe{chars};
    if (chars.empty())
        return out;
    if (chars.size() != kCodeGroups * kGroupSize) {
        out.status = DecodedShare::Status::WrongLength;
        return out;
    }
    Digits d{};
    for (int g = 0; g < kCodeGroups; ++g) {
        const std::string_view group = std::string_view(chars).substr(g * kGroupSize, kGroupSize);
        for (char c : group) {
            if (ValueOf(c) < 0) {
                out.status = DecodedShare::Status::BadCharacter;
                out.group = g + 1;
                return out;
            }
        }
        if (CheckCharacter(group.substr(0, kGroupData), g) != group.back()) {
            out.status = DecodedShare::Status::BadGroup;
            out.group = g + 1;
            return out;
        }
        for (int i = 0; i < kGroupData; ++i)
            d[g * kGroupData + i] = static_cast<uint8_t>(ValueOf(group[i]));
    }
    uint8_t payload[kPayload];
    const bool fits = FromDigits(d, payload);
    sodium_memzero(d.data(), d.size());
    const int k = payload[0] >> 4;
    const int x = payload[0] & 0x0F;
    if (fits && ValidSplit(k, k == 1 ? 1 : kMaxSheets) && x >= 1 && x <= kMaxSheets &&
        (k > 1 || x == 1)) {
        out.status = DecodedShare::Status::Ok;
        out.share.threshold = k;
        out.share.number = x;
        out.share.tag = payload[1];
        std::copy(payload + 2, payload + kPayload, out.share.bytes.data());
    } else {
        out.status = DecodedShare::Status::BadContent;
    }
    sodium_memzero(payload, sizeof payload);
    return out;
}

std::string DecodeProblem(const DecodedShare& decoded) {
    using S = DecodedShare::Status;
    const std::string group = std::to_string(decoded.group);
    switch (decoded.status) {
    case S::Ok:
        return {};
    case S::Empty:
        return "Bitte geben Sie den Code eines Bogens ein.";
    case S::WrongLength:
        return "Ein Code hat 6 Gruppen zu je 6 Zeichen. Bitte prüfen Sie, ob ein Zeichen fehlt "
               "oder doppelt ist.";
    case S::BadCharacter:
        return "Gruppe " + group +
               " enthält ein Zeichen, das in keinem Code vorkommt "
               "(es gibt kein I, O, S, Y, Z, 0 und 1).";
    case S::BadGroup:
        return "Gruppe " + group +
               " ist falsch abgetippt: ihr letztes Zeichen (das Prüfzeichen) "
               "passt nicht zu den fünf davor. Bitte vergleichen Sie diese Gruppe mit dem Bogen.";
    case S::BadContent:
        return "Dieser Code stammt nicht von einem Notfallbogen.";
    }
    return {};
}

} // namespace recovery
