#include "recovery/Shares.h"

extern "C" {
#include <libgfshare.h>
}
#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace recovery {

namespace {

void SystemRandom(unsigned char* out, unsigned int n) {
    engine::RandomBytes(out, n);
}

// The library draws the polynomial's coefficients, and the bytes its contexts are wiped with
// when freed, from this hook: unset it crashes, and its fallback random() is not secret.
void UseSystemRandom() {
    gfshare_fill_rand = SystemRandom;
}

constexpr size_t kSize = engine::kRecoverySize;

// Shares side by side in locked memory, wiped when it goes.
class LockedShares {
public:
    explicit LockedShares(size_t count)
        : m_bytes(static_cast<uint8_t*>(sodium_malloc(count * kSize))) {
        if (!m_bytes)
            throw std::bad_alloc();
    }
    ~LockedShares() { sodium_free(m_bytes); }
    LockedShares(const LockedShares&) = delete;
    LockedShares& operator=(const LockedShares&) = delete;
    uint8_t* data() { return m_bytes; }
    uint8_t* at(size_t i) { return m_bytes + i * kSize; }

private:
    uint8_t* m_bytes;
};

} // namespace

bool ShamirSplit(const uint8_t* secret, size_t size, unsigned k, const uint8_t* xs, unsigned count,
                 uint8_t* out) {
    if (k < 2 || k > count || count > 255 || size == 0)
        return false;
    for (unsigned i = 0; i < count; ++i) {
        if (xs[i] == 0 || std::count(xs, xs + count, xs[i]) != 1)
            return false;
    }
    UseSystemRandom();
    std::vector<uint8_t> numbers(xs, xs + count);
    gfshare_ctx* ctx = gfshare_ctx_init_enc(numbers.data(), count, static_cast<uint8_t>(k),
                                            static_cast<unsigned>(size));
    if (!ctx)
        return false;
    // The library copies the secret in (its parameter is not const, the bytes are only read).
    gfshare_ctx_enc_setsecret(ctx, const_cast<uint8_t*>(secret));
    for (unsigned i = 0; i < count; ++i)
        gfshare_ctx_enc_getshare(ctx, static_cast<uint8_t>(i), out + i * size);
    gfshare_ctx_free(ctx); // wipes the coefficients
    return true;
}

bool ShamirCombine(const uint8_t* xs, unsigned count, const uint8_t* shares, size_t size,
                   uint8_t* secret) {
    if (count == 0 || count > 255 || size == 0)
        return false;
    UseSystemRandom();
    std::vector<uint8_t> numbers(xs, xs + count);
    gfshare_ctx* ctx = gfshare_ctx_init_dec(numbers.data(), count, static_cast<unsigned>(size));
    if (!ctx)
        return false;
    for (unsigned i = 0; i < count; ++i) {
        // Copied in, only read.
        gfshare_ctx_dec_giveshare(ctx, static_cast<uint8_t>(i),
                                  const_cast<uint8_t*>(shares + i * size));
    }
    gfshare_ctx_dec_extract(ctx, secret);
    gfshare_ctx_free(ctx);
    return true;
}

bool ValidSplit(int k, int n) {
    return (k == 1 && n == 1) || (k >= 2 && k <= n && n <= kMaxSheets);
}

std::vector<Share> SplitSecret(const engine::SecretKey& secret, int k, int n) {
    if (!ValidSplit(k, n))
        return {};
    uint8_t tag = 0;
    engine::RandomBytes(&tag, 1);
    std::vector<Share> shares(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        shares[i].threshold = k;
        shares[i].number = i + 1;
        shares[i].tag = tag;
    }
    if (n == 1) {
        shares[0].bytes = secret;
        return shares;
    }
    uint8_t xs[kMaxSheets];
    for (int i = 0; i < n; ++i)
        xs[i] = static_cast<uint8_t>(i + 1);
    LockedShares flat(static_cast<size_t>(n));
    if (!ShamirSplit(secret.data(), kSize, static_cast<unsigned>(k), xs, static_cast<unsigned>(n),
                     flat.data()))
        return {};
    for (int i = 0; i < n; ++i)
        std::memcpy(shares[i].bytes.data(), flat.at(i), kSize);
    return shares;
}

namespace {

// The distinct shares of the first share's recovery, in the order given.
std::vector<const Share*> OfFirstRecovery(const std::vector<const Share*>& shares) {
    std::vector<const Share*> distinct;
    for (const Share* s : shares) {
        const Share& first = *shares.front();
        if (s->tag != first.tag || s->threshold != first.threshold)
            continue;
        if (std::none_of(distinct.begin(), distinct.end(),
                         [s](const Share* d) { return d->number == s->number; }))
            distinct.push_back(s);
    }
    return distinct;
}

} // namespace

int SheetsStillNeeded(const std::vector<const Share*>& shares) {
    if (shares.empty())
        return 1;
    const int have = static_cast<int>(OfFirstRecovery(shares).size());
    return std::max(0, shares.front()->threshold - have);
}

bool CombineShares(const std::vector<const Share*>& shares, engine::SecretKey& secret) {
    if (shares.empty() || SheetsStillNeeded(shares) > 0)
        return false;
    std::vector<const Share*> use = OfFirstRecovery(shares);
    use.resize(static_cast<size_t>(shares.front()->threshold));
    if (use.size() == 1) {
        secret = use[0]->bytes;
        return true;
    }
    uint8_t xs[kMaxSheets];
    LockedShares flat(use.size());
    for (size_t i = 0; i < use.size(); ++i) {
        xs[i] = static_cast<uint8_t>(use[i]->number);
        std::memcpy(flat.at(i), use[i]->bytes.data(), kSize);
    }
    return ShamirCombine(xs, static_cast<unsigned>(use.size()), flat.data(), kSize, secret.data());
}

} // namespace recovery
