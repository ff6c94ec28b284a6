#include "graphics/Dib.h"
#include "graphics/DibUtil.h"

#include <gtest/gtest.h>

namespace {

TEST(Dib, PackedLayoutIsHeaderTableAndPaddedBottomUpRows) {
    Dib dib = Dib::Create(5, 3, 8, 256);
    ASSERT_FALSE(dib.isNull());
    EXPECT_EQ(dib.stride(), 8);
    EXPECT_EQ(dib.packed().size(), 40u + 256u * 4u + 8u * 3u);
    dib.setPixel(1, 0, 7); // top row is the last row in memory
    EXPECT_EQ(dib.bits()[2 * 8 + 1], 7);
    dib.setColour(7, ColourRef(10, 20, 30));
    EXPECT_EQ(dib.packed()[40 + 7 * 4 + 0], 30); // blue first
    EXPECT_EQ(dib.packed()[40 + 7 * 4 + 2], 10);
    EXPECT_EQ(dib.toImage().pixel(1, 0), qRgb(10, 20, 30));
}

TEST(Dib, InconsistentBytesGiveANullDib) {
    std::vector<uint8_t> good = Dib::Create(4, 4, 8, 16).packed();
    EXPECT_FALSE(Dib(good).isNull());
    std::vector<uint8_t> shortRows(good.begin(), good.end() - 1);
    EXPECT_TRUE(Dib(shortRows).isNull());
    std::vector<uint8_t> tooManyColours = good;
    tooManyColours[32] = 0x01; // 257 entries for 8 bits
    tooManyColours[33] = 0x01;
    EXPECT_TRUE(Dib(tooManyColours).isNull());
    std::vector<uint8_t> compressed = good;
    compressed[16] = 1;
    EXPECT_TRUE(Dib(compressed).isNull());
    std::vector<uint8_t> negativeHeight = good;
    negativeHeight[11] = 0xFF;
    EXPECT_TRUE(Dib(negativeHeight).isNull());
    EXPECT_TRUE(Dib(std::vector<uint8_t>(39)).isNull());
    EXPECT_TRUE(Dib::FromResource("NO_SUCH_PICTURE").isNull());
}

TEST(Dib, PixelAddressCountsRowsFromTheTopAndRefusesOutside) {
    const Dib dib = Dib::Create(10, 4, 24);
    ASSERT_EQ(dib.stride(), 32);
    EXPECT_EQ(PixelAddress(&dib, 0, 0), dib.bits() + 3 * 32);
    EXPECT_EQ(PixelAddress(&dib, 9, 3), dib.bits() + 27);
    EXPECT_EQ(PixelAddress(&dib, -1, 0), nullptr);
    EXPECT_EQ(PixelAddress(&dib, 10, 0), nullptr);
    EXPECT_EQ(PixelAddress(&dib, 0, 4), nullptr);
    EXPECT_EQ(PixelAddress(static_cast<const Dib*>(nullptr), 0, 0), nullptr);

    const Dib nibbles = Dib::Create(5, 1, 4);
    EXPECT_EQ(PixelAddress(&nibbles, 3, 0), nibbles.bits() + 1);
}

TEST(Dib, CopyDibHandleCopiesTheBlock) {
    EXPECT_FALSE(CopyDibHandle(nullptr));
    const std::vector<uint8_t> block{1, 2, 3};
    EXPECT_EQ(CopyDibHandle(&block), block);
}

} // namespace
