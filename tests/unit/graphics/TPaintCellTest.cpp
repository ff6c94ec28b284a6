#include "graphics/TPaintCell.h"

#include "tests/unit/graphics/TestPictures.h"

#include <gtest/gtest.h>

namespace {

// Prepares the cell over a plain desk at (10, 10) and paints it at (0, 0) of a fresh image.
QImage PrepareAndPaint(TPaintCell& cell, bool releasePicture = true) {
    QImage desk = Desk();
    QPainter dc(&desk);
    cell.Prepare(dc, QPoint(10, 10), QPoint(0, 0), releasePicture, false);
    QImage out(cell.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    cell.Paint(p, QPoint(0, 0));
    return out;
}

TEST(TPaintCell, SixteenColourPictureKeepsTheInitialKeyColour) {
    Dib dib = Dib::Create(4, 4, 4, 16);
    dib.setColour(0, ColourRef(0, 0, 255));
    dib.setColour(3, ColourRef(0, 255, 0));
    dib.setColour(5, ColourRef(220, 0, 0));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            dib.setPixel(x, y, x < 2 ? 3 : 5); // top-left pixel green, not the key
        }
    }
    dib.setPixel(3, 3, 0);
    TPaintCell cell(std::move(dib), ColourRef(0, 0, 255));
    EXPECT_EQ(cell.keyColour(), ColourRef(0, 0, 255));
    const QImage out = PrepareAndPaint(cell);
    EXPECT_EQ(out.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(2, 0), kRed);
    EXPECT_EQ(out.pixel(3, 3), kDesk);
}

TEST(TPaintCell, EveryEntryOfTheTopLeftColourIsTransparent) {
    Dib dib = Dib::Create(3, 3, 8, 256);
    dib.setColour(9, kMagenta);
    dib.setColour(200, kMagenta); // another index, same colour
    dib.setColour(1, ColourRef(220, 0, 0));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            dib.setPixel(x, y, 1);
        }
    }
    dib.setPixel(0, 0, 9);
    dib.setPixel(2, 1, 200);
    TPaintCell cell(std::move(dib), ColourRef(1, 1, 1));
    EXPECT_EQ(cell.keyColour(), kMagenta);
    const QImage out = PrepareAndPaint(cell);
    EXPECT_EQ(out.pixel(0, 0), kDesk);
    EXPECT_EQ(out.pixel(2, 1), kDesk);
    EXPECT_EQ(out.pixel(1, 1), kRed);
}

TEST(TPaintCell, TrueColourPictureTakesItsKeyFromTheTopLeftTriple) {
    Dib dib = Dib::Create(2, 2, 24);
    dib.setPixel(0, 0, ColourRef(1, 2, 3));
    dib.setPixel(1, 1, ColourRef(1, 2, 3));
    dib.setPixel(1, 0, ColourRef(220, 0, 0));
    TPaintCell cell(std::move(dib), 0);
    EXPECT_EQ(cell.keyColour(), ColourRef(1, 2, 3));
    const QImage out = PrepareAndPaint(cell);
    EXPECT_EQ(out.pixel(1, 1), kDesk);
    EXPECT_EQ(out.pixel(1, 0), kRed);
    EXPECT_EQ(out.pixel(0, 1), qRgb(0, 0, 0));
}

TEST(TPaintCell, KeepingThePictureLeavesItUnchangedAndAllowsAForcedRecompose) {
    const Dib original = TwoColourPicture();
    TPaintCell cell(TwoColourPicture(), 0);
    const QImage first = PrepareAndPaint(cell, false);
    ASSERT_TRUE(cell.picture());
    EXPECT_EQ(cell.picture()->packed(), original.packed());
    EXPECT_TRUE(cell.prepared());
    EXPECT_EQ(first.pixel(0, 0), kDesk);

    // Unforced: nothing happens although the background changed.
    QImage white(64, 64, QImage::Format_RGB32);
    white.fill(Qt::white);
    QPainter dc(&white);
    cell.Prepare(dc, QPoint(0, 0), QPoint(0, 0), false, false);
    EXPECT_EQ(cell.composite()->pixel(0, 0), kDesk);
    cell.Prepare(dc, QPoint(0, 0), QPoint(0, 0), false, true);
    EXPECT_EQ(cell.composite()->pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(cell.composite()->pixel(1, 2), kRed);
}

TEST(TPaintCell, ReleasingThePictureMakesAForcedPrepareANoOp) {
    TPaintCell cell(TwoColourPicture(), 0);
    PrepareAndPaint(cell, true);
    EXPECT_EQ(cell.picture(), nullptr);
    const QImage before = *cell.composite();
    QImage white(64, 64, QImage::Format_RGB32);
    white.fill(Qt::white);
    QPainter dc(&white);
    cell.Prepare(dc, QPoint(0, 0), QPoint(0, 0), true, true);
    ASSERT_TRUE(cell.composite());
    EXPECT_EQ(*cell.composite(), before);
}

TEST(TPaintCell, MissingPictureDrawsNothing) {
    TPaintCell cell("NO_SUCH_PICTURE", 0);
    EXPECT_EQ(cell.picture(), nullptr);
    QImage desk = Desk();
    QPainter dc(&desk);
    cell.Prepare(dc, QPoint(0, 0), QPoint(0, 0), true, false);
    EXPECT_FALSE(cell.prepared());
    cell.Paint(dc, QPoint(0, 0));
    dc.end();
    EXPECT_EQ(desk.pixel(0, 0), kDesk);
}

} // namespace
