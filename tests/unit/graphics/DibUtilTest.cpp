#include "graphics/DibUtil.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kMagenta = ColourRef(255, 0, 255);
const QRgb kBackground = qRgb(40, 90, 60);

QImage Background(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

// Composes dib over a plain background and returns the composite.
QImage Compose(Dib& dib, uint32_t key) {
    QImage desk = Background(40, 40);
    QPainter dc(&desk);
    std::unique_ptr<QImage> composite, saved;
    const QSize size(dib.width(), dib.height());
    ComposeTransparent(dc, size, size, QPoint(5, 5), QPoint(0, 0), key, false, true, composite,
                       saved, &dib);
    return composite ? *composite : QImage();
}

TEST(ComposeTransparent, KeyPixelsShowTheBackgroundAlsoInsideThePicture) {
    Dib dib = Dib::Create(6, 6, 8, 256);
    dib.setColour(0, kMagenta);
    dib.setColour(1, ColourRef(200, 10, 10));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            dib.setPixel(x, y, (x == 0 || y == 0 || (x == 3 && y == 3)) ? 0 : 1);
        }
    }
    const QImage out = Compose(dib, kMagenta);
    EXPECT_EQ(out.pixel(0, 0), kBackground);
    EXPECT_EQ(out.pixel(3, 3), kBackground); // a hole in the middle
    EXPECT_EQ(out.pixel(2, 2), qRgb(200, 10, 10));
    EXPECT_EQ(out.pixel(5, 5), qRgb(200, 10, 10));
    // The picture is left with its key entries black.
    EXPECT_EQ(dib.colour(0), 0u);
    EXPECT_EQ(dib.colour(1), ColourRef(200, 10, 10));
}

TEST(ComposeTransparent, TrueColourRowsWithPaddingStayAligned) {
    // 5 pixels of 3 bytes leave one padding byte per row, so a walk over the whole buffer in
    // triples would drift off the pixels from the second row on.
    Dib dib = Dib::Create(5, 4, 24);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            dib.setPixel(x, y, x == y ? kMagenta : ColourRef(0, 0, 250));
        }
    }
    const QImage out = Compose(dib, kMagenta);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(out.pixel(x, y), x == y ? kBackground : qRgb(0, 0, 250)) << x << "," << y;
        }
    }
}

TEST(ComposeTransparent, BackgroundIsReadAtItsOriginAndCanBeKept) {
    QImage desk = Background(20, 20);
    desk.setPixel(6, 9, qRgb(1, 2, 3));
    Dib dib = Dib::Create(2, 2, 8, 256);
    dib.setColour(0, kMagenta); // all pixels key
    QPainter dc(&desk);
    std::unique_ptr<QImage> composite, saved;
    ComposeTransparent(dc, QSize(4, 4), QSize(2, 2), QPoint(6, 6), QPoint(1, 1), kMagenta, true,
                       true, composite, saved, &dib);
    ASSERT_TRUE(composite && saved);
    EXPECT_EQ(composite->size(), QSize(4, 4));
    EXPECT_EQ(composite->pixel(0, 3), qRgb(1, 2, 3));
    // A later call reuses the saved background, not what dc shows now.
    dc.fillRect(0, 0, 20, 20, Qt::white);
    ComposeTransparent(dc, QSize(4, 4), QSize(2, 2), QPoint(6, 6), QPoint(1, 1), 0, true, false,
                       composite, saved, &dib);
    EXPECT_EQ(composite->pixel(0, 3), qRgb(1, 2, 3));
    EXPECT_EQ(composite->pixel(3, 3), kBackground);
    EXPECT_EQ(composite->pixel(1, 1), qRgb(0, 0, 0)); // drawn opaque: the blackened key

    std::unique_ptr<QImage> none;
    ComposeTransparent(dc, QSize(4, 4), QSize(2, 2), QPoint(), QPoint(), 0, false, true, none,
                       saved, nullptr);
    EXPECT_FALSE(none);
}

TEST(TileDib, TilesFromTheTopLeftCornerAndDrawsEdgeTilesWhole) {
    Dib tile = Dib::Create(32, 32, 8, 256);
    tile.setColour(0, ColourRef(255, 255, 255));
    tile.setColour(1, ColourRef(255, 0, 0));
    tile.setPixel(0, 0, 1);
    tile.setPixel(31, 31, 1);
    QImage surface(140, 80, QImage::Format_RGB32);
    surface.fill(Qt::black);
    QPainter dc(&surface);
    TileDib(dc, QRect(10, 5, 100, 50), &tile);
    dc.end();
    int corners = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            corners += surface.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_EQ(corners, 8 * 2); // 4 columns and 2 rows
    EXPECT_EQ(surface.pixel(10 + 96, 5 + 32), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(10 + 127, 5 + 63), qRgb(255, 0, 0)); // beyond rect, not clipped
    EXPECT_EQ(surface.pixel(9, 5), qRgb(0, 0, 0));
}

} // namespace
