#include "util/GermanBanks.h"

#include "util/NumberChecks.h"

#include <ktoblzcheck.h>

#include <iconv.h>

#include <memory>

namespace {

// The library's texts are in its own 8-bit encoding; ours are UTF-8.
std::string ToUtf8(const std::string& text) {
    iconv_t cd = iconv_open("UTF-8", AccountNumberCheck::stringEncoding());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string in = text;
    std::string out(text.size() * 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t srcLeft = in.size();
    size_t dstLeft = out.size();
    const size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1))
        return text;
    out.resize(out.size() - dstLeft);
    return out;
}

std::string TrimmedEnd(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

class KtoBlzDirectory final : public BankDirectory {
public:
    bool HasData() const override { return m_check.bankCount() > 0; }

    std::optional<BankRecord> Find(std::string_view blz) const override {
        const std::string code = CompactCode(blz);
        if (code.size() != 8 || !AllDigits(code))
            return std::nullopt;
        try {
            const AccountNumberCheck::Record& r = m_check.findBank(code);
            return BankRecord{TrimmedEnd(ToUtf8(r.bankName)), TrimmedEnd(ToUtf8(r.location)),
                              r.method};
        } catch (...) {
            // The library throws when it has no such bank.
            return std::nullopt;
        }
    }

    AccountCheck Check(std::string_view blz, std::string_view account) const override {
        const std::string code = CompactCode(blz);
        const std::string number = CompactCode(account);
        if (code.size() != 8 || !AllDigits(code) || !AllDigits(number))
            return AccountCheck::BankUnknown;
        switch (m_check.check(code, number)) {
        case AccountNumberCheck::OK:
            return AccountCheck::Passed;
        case AccountNumberCheck::ERROR:
            return AccountCheck::Failed;
        case AccountNumberCheck::UNKNOWN:
            return AccountCheck::Unchecked;
        case AccountNumberCheck::BANK_NOT_KNOWN:
            break;
        }
        return AccountCheck::BankUnknown;
    }

private:
    AccountNumberCheck m_check;
};

} // namespace

const BankDirectory& GermanBanks() {
    static const std::unique_ptr<BankDirectory> banks = std::make_unique<KtoBlzDirectory>();
    return *banks;
}

std::string GermanBankDataFolder() {
    return AccountNumberCheck::bankdata_dir();
}

std::string DerivedGermanIban(const BankDirectory& banks, std::string_view blz,
                              std::string_view account) {
    const std::string iban = GermanIban(blz, account);
    if (iban.empty() || banks.Check(CompactCode(blz), CompactCode(account)) != AccountCheck::Passed)
        return {};
    return iban;
}
