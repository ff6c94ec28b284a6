// The recovery's sheets: Shamir's split against libgfshare's own tools, the typed codes and
// their check characters, the QR read back by a real reader.
#include "recovery/ShareCode.h"
#include "recovery/ShareQr.h"
#include "recovery/Shares.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using namespace recovery;

namespace {

constexpr size_t kSize = engine::kRecoverySize;

engine::SecretKey RandomSecret() {
    engine::SecretKey s;
    engine::RandomBytes(s.data(), kSize);
    return s;
}

bool Same(const engine::SecretKey& a, const engine::SecretKey& b) {
    return std::equal(a.data(), a.data() + kSize, b.data());
}

// Standard output of a shell command, "" when it failed.
std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    return pclose(pipe) == 0 ? out : "";
}

} // namespace

// For every split, each subset of the sheets: k or more open, fewer give nothing (and the
// library's combination of k-1 of them is not the secret).
TEST(RecoveryTest, EveryKSubsetOpensAndNoSmallerOne) {
    for (int n = 1; n <= kMaxSheets; ++n) {
        for (int k = n == 1 ? 1 : 2; k <= n; ++k) {
            const engine::SecretKey secret = RandomSecret();
            const std::vector<Share> shares = SplitSecret(secret, k, n);
            ASSERT_EQ(shares.size(), static_cast<size_t>(n));
            for (unsigned mask = 1; mask < (1u << n); ++mask) {
                std::vector<const Share*> subset;
                for (int i = 0; i < n; ++i)
                    if (mask & (1u << i))
                        subset.push_back(&shares[i]);
                const int size = static_cast<int>(subset.size());
                engine::SecretKey out;
                EXPECT_EQ(CombineShares(subset, out), size >= k) << k << " of " << n;
                EXPECT_EQ(SheetsStillNeeded(subset), std::max(0, k - size));
                if (size >= k) {
                    ASSERT_TRUE(Same(out, secret)) << k << " of " << n << " mask " << mask;
                }
                if (size == k - 1 && k > 1) {
                    uint8_t xs[kMaxSheets];
                    std::vector<uint8_t> flat;
                    for (int i = 0; i < size; ++i) {
                        xs[i] = static_cast<uint8_t>(subset[i]->number);
                        flat.insert(flat.end(), subset[i]->bytes.data(),
                                    subset[i]->bytes.data() + kSize);
                    }
                    ASSERT_TRUE(ShamirCombine(xs, size, flat.data(), kSize, out.data()));
                    EXPECT_FALSE(Same(out, secret)) << k << " of " << n << " mask " << mask;
                }
            }
        }
    }
    EXPECT_TRUE(SplitSecret(RandomSecret(), 1, 2).empty());
    EXPECT_TRUE(SplitSecret(RandomSecret(), 3, 2).empty());
    EXPECT_TRUE(SplitSecret(RandomSecret(), 2, kMaxSheets + 1).empty());
    // Sheets of two recoveries do not mix; a sheet given twice counts once.
    const engine::SecretKey secret = RandomSecret();
    std::vector<Share> a = SplitSecret(secret, 2, 3), b = SplitSecret(secret, 2, 3);
    b[1].tag = static_cast<uint8_t>(a[0].tag + 1);
    engine::SecretKey out;
    EXPECT_FALSE(CombineShares({&a[0], &b[1]}, out));
    EXPECT_FALSE(CombineShares({&a[0], &a[0]}, out));
    EXPECT_EQ(SheetsStillNeeded({&a[0], &a[0]}), 1);
}

// The command-line tools of libgfshare and the program read each other's shares.
TEST(RecoveryTest, SharesInterchangeWithGfsplitAndGfcombine) {
    TempDir dir;
    const engine::SecretKey secret = RandomSecret();
    const std::string bytes(reinterpret_cast<const char*>(secret.data()), kSize);
    WriteFileBytes(dir.file("secret"), bytes);
    ASSERT_EQ(
        std::system(
            ("gfsplit -n 3 -m 5 '" + dir.file("secret") + "' '" + dir.file("part") + "'").c_str()),
        0);
    const std::string listing = Output("ls '" + dir.path() + "'");
    std::vector<uint8_t> xs;
    std::vector<uint8_t> flat;
    for (size_t at = listing.find("part."); at != std::string::npos && xs.size() < 3;
         at = listing.find("part.", at + 1)) {
        const std::string name = listing.substr(at, 8);
        xs.push_back(static_cast<uint8_t>(std::stoi(name.substr(5))));
        const std::string share = ReadFileBytes(dir.file(name));
        ASSERT_EQ(share.size(), kSize);
        flat.insert(flat.end(), share.begin(), share.end());
    }
    ASSERT_EQ(xs.size(), 3u);
    engine::SecretKey out;
    ASSERT_TRUE(ShamirCombine(xs.data(), 3, flat.data(), kSize, out.data()));
    EXPECT_TRUE(Same(out, secret));

    const std::vector<Share> mine = SplitSecret(secret, 2, 3);
    std::string files;
    for (int i : {0, 2}) {
        char name[16];
        std::snprintf(name, sizeof name, "mine.%03d", mine[i].number);
        WriteFileBytes(dir.file(name),
                       std::string(reinterpret_cast<const char*>(mine[i].bytes.data()), kSize));
        files += " '" + dir.file(name) + "'";
    }
    ASSERT_EQ(std::system(("gfcombine -o '" + dir.file("back") + "'" + files).c_str()), 0);
    EXPECT_EQ(ReadFileBytes(dir.file("back")), bytes);
}

// Any group, any place, any two characters: changing one (the check included) or swapping
// two different neighbours fails the check. The check is a weighted sum, so what a change does
// depends only on the place and the two characters: one group of random other characters
// stands for all.
TEST(RecoveryTest, CheckCharacterCatchesEverySingleChangeAndNeighbourSwap) {
    const int base = static_cast<int>(kCodeAlphabet.size());
    const engine::SecretKey noise = RandomSecret();
    for (int g = 0; g < kCodeGroups; ++g) {
        for (int place = 0; place <= kGroupData; ++place) {
            for (int a = 0; a < base; ++a) {
                std::string group;
                for (int i = 0; i < kGroupData; ++i)
                    group += kCodeAlphabet[(noise.data()[i + g] + i) % base];
                if (place < kGroupData)
                    group[place] = kCodeAlphabet[a];
                group += CheckCharacter(group, g);
                const auto valid = [&](const std::string& s) {
                    return CheckCharacter(s.substr(0, kGroupData), g) == s.back();
                };
                ASSERT_TRUE(valid(group));
                for (int b = 0; b < base; ++b) {
                    std::string changed = group;
                    changed[place] = kCodeAlphabet[b];
                    if (changed != group) {
                        ASSERT_FALSE(valid(changed)) << group << " -> " << changed;
                    }
                }
                if (place < kGroupData && group[place] != group[place + 1]) {
                    std::string swapped = group;
                    std::swap(swapped[place], swapped[place + 1]);
                    ASSERT_FALSE(valid(swapped)) << group << " -> " << swapped;
                }
            }
        }
    }
}

TEST(RecoveryTest, CodesReadBackAndNameTheMistypedGroup) {
    using S = DecodedShare::Status;
    for (auto [k, n] : {std::pair{1, 1}, {2, 3}, {9, 9}}) {
        const std::vector<Share> shares = SplitSecret(RandomSecret(), k, n);
        for (const Share& s : shares) {
            const std::string code = EncodeShare(s);
            ASSERT_EQ(code.size(), 41u);
            std::string typed;
            for (char c : code) // lower case, spaces for dashes
                typed += c == '-' ? ' ' : static_cast<char>(std::tolower(c));
            const DecodedShare d = DecodeShare(typed);
            ASSERT_EQ(d.status, S::Ok) << code;
            EXPECT_EQ(d.share.threshold, k);
            EXPECT_EQ(d.share.number, s.number);
            EXPECT_EQ(d.share.tag, s.tag);
            EXPECT_TRUE(Same(d.share.bytes, s.bytes));
        }
    }
    const std::string code = EncodeShare(SplitSecret(RandomSecret(), 2, 3)[1]);
    std::string swapped = code;
    std::swap(swapped[15], swapped[16]); // in the third group
    if (swapped[15] != swapped[16]) {
        const DecodedShare d = DecodeShare(swapped);
        EXPECT_EQ(d.status, S::BadGroup);
        EXPECT_EQ(d.group, 3);
        EXPECT_NE(DecodeProblem(d).find("Gruppe 3"), std::string::npos);
    }
    std::string wrongChar = code;
    wrongChar[22] = 'O';
    EXPECT_EQ(DecodeShare(wrongChar).status, S::BadCharacter);
    EXPECT_EQ(DecodeShare(wrongChar).group, 4);
    EXPECT_EQ(DecodeShare(code.substr(1)).status, S::WrongLength);
    EXPECT_EQ(DecodeShare("  ").status, S::Empty);
    // Checks that pass over a payload no sheet has (all digits the largest: too big).
    std::string huge;
    for (int g = 0; g < kCodeGroups; ++g) {
        const std::string data(kGroupData, kCodeAlphabet.back());
        huge += data + CheckCharacter(data, g);
    }
    EXPECT_EQ(DecodeShare(huge).status, S::BadContent);
}

// The QR code of a share, drawn as a picture, reads back as the printed code.
TEST(RecoveryTest, QrCodeReadsBackAsTheCode) {
    const std::string code = EncodeShare(SplitSecret(RandomSecret(), 2, 3)[0]);
    const QrMatrix qr = QrCodeOf(code);
    ASSERT_GT(qr.size, 0);
    constexpr int scale = 4, quiet = 4;
    const int side = (qr.size + 2 * quiet) * scale;
    std::string pgm = "P5\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int mx = x / scale - quiet, my = y / scale - quiet;
            const bool inside = mx >= 0 && my >= 0 && mx < qr.size && my < qr.size;
            pgm += static_cast<char>(inside && qr.Dark(mx, my) ? 0 : 255);
        }
    TempDir dir;
    WriteFileBytes(dir.file("qr.pgm"), pgm);
    EXPECT_EQ(Output("zbarimg --quiet --raw '" + dir.file("qr.pgm") + "' 2>/dev/null"),
              code + "\n");
}
