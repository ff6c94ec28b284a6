#include "desk/Contour.h"

#include "tests/support/TestSupport.h"

#include <QPolygon>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

void PutInt32(std::string& bytes, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

std::string ContourBytes(int32_t count, const std::vector<QPoint>& points) {
    std::string bytes;
    PutInt32(bytes, count);
    for (const QPoint& p : points) {
        PutInt32(bytes, p.x());
        PutInt32(bytes, p.y());
    }
    return bytes;
}

const QSize kDesk(640, 480);
const QRegion kWhole(QRect(QPoint(0, 0), kDesk));
const std::vector<QPoint> kCorners{{0, 0}, {640, 0}, {640, 480}, {0, 480}};

} // namespace

TEST(Contour, FourCornersGiveTheWholeBackgroundRectangle) {
    TempDir dir;
    WriteFileBytes(dir.file("kontur.dat"), ContourBytes(4, kCorners));
    const QRegion outline = WindowOutline(dir.file("kontur.dat"), kDesk);
    EXPECT_EQ(outline, kWhole);
    EXPECT_EQ(outline.boundingRect(), QRect(0, 0, 640, 480));
}

TEST(Contour, MissingEmptyShortOrNonsenseFilesLeaveTheWindowRectangular) {
    TempDir dir;
    EXPECT_EQ(WindowOutline(dir.file("missing.dat"), kDesk), kWhole);

    const std::vector<std::pair<const char*, std::string>> bad{
        {"empty", ""},
        {"count cut off", std::string("\x04\x00", 2)},
        {"count larger than the points", ContourBytes(5, kCorners)},
        {"last point cut in half", ContourBytes(4, kCorners).substr(0, 4 + 8 * 4 - 4)},
        {"negative count", ContourBytes(-4, kCorners)},
        {"huge count", ContourBytes(0x7FFFFFFF, kCorners)},
        {"two points", ContourBytes(2, {{0, 0}, {640, 480}})},
        {"coordinate far outside", ContourBytes(3, {{0, 0}, {2000000000, 0}, {0, 480}})},
        {"polygon entirely outside", ContourBytes(3, {{-50, -50}, {-10, -50}, {-10, -10}})},
    };
    for (const auto& [what, bytes] : bad) {
        WriteFileBytes(dir.file("kontur.dat"), bytes);
        EXPECT_EQ(WindowOutline(dir.file("kontur.dat"), kDesk), kWhole) << what;
    }
}

TEST(Contour, AnOutlineOfMoreThanTheLimitIsRefused) {
    // A triangle whose long side runs through many points.
    const auto triangle = [](int32_t count) {
        std::vector<QPoint> points{{0, 0}};
        for (int32_t i = 0; i < count - 1; ++i)
            points.emplace_back(640 - 640 * i / (count - 1), 480 * i / (count - 1));
        return ContourBytes(count, points);
    };
    TempDir dir;
    WriteFileBytes(dir.file("kontur.dat"), triangle(kMaxContourPoints));
    EXPECT_NE(WindowOutline(dir.file("kontur.dat"), kDesk), kWhole);
    WriteFileBytes(dir.file("kontur.dat"), triangle(kMaxContourPoints + 1));
    EXPECT_EQ(WindowOutline(dir.file("kontur.dat"), kDesk), kWhole);
}

TEST(Contour, PointsAreSignedAndThePolygonIsClippedToTheWindow) {
    const auto points = ParseContour(ContourBytes(3, {{-100, -100}, {1000, -100}, {-100, 1000}}));
    ASSERT_TRUE(points);
    EXPECT_EQ((*points)[0], QPoint(-100, -100));
    const QRegion region = ContourRegion(*points, kDesk);
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 640, 480));
    EXPECT_TRUE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(639, 479)));
}

TEST(Contour, WindingRuleFillsTheInnerLoopOfASelfOverlappingOutline) {
    // The same square traced twice: even-odd would leave it empty, winding fills it.
    const std::vector<QPoint> twice{{10, 10}, {100, 10}, {100, 100}, {10, 100},
                                    {10, 10}, {100, 10}, {100, 100}, {10, 100}};
    const auto points = ParseContour(ContourBytes(8, twice) + "trailing");
    ASSERT_TRUE(points);
    EXPECT_EQ(points->size(), 8u);
    const QRegion region = ContourRegion(*points, kDesk);
    EXPECT_TRUE(region.contains(QPoint(50, 50)));
    EXPECT_FALSE(region.contains(QPoint(5, 5)));
}

TEST(Contour, PinnedShortOutlineFileIsRefused) {
    EXPECT_TRUE(ReadContourFile(QUILLORY_SOURCE_DIR "/resources/kontur.dat").has_value());
    EXPECT_FALSE(ReadContourFile(TestDataDir() + "kontur-short.dat").has_value());
}

TEST(Contour, AnOutlineReachingFarBeyondTheWindowGivesTheRegionInsideIt) {
    // Once minutes of scan conversion: a triangle tens of thousands of pixels wide.
    const auto far = ParseContour(ContourBytes(
        9, {{16, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 30976}, {30976, 0}, {0, 0}}));
    ASSERT_TRUE(far);
    EXPECT_EQ(ContourRegion(*far, kDesk), kWhole);

    // Edges that cross the window and reach beyond the part kept move by less than a pixel.
    const std::vector<QPoint> beyond{{-1500, 1817}, {2141, -1889}, {2500, 2500}};
    const QRegion exact =
        QRegion(QPolygon(QList<QPoint>(beyond.begin(), beyond.end())), Qt::WindingFill)
            .intersected(kWhole);
    QRegion grown = exact;
    QRegion shrunk = exact;
    for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        grown += exact.translated(step);
        shrunk &= exact.translated(step);
    }
    const QRegion clipped = ContourRegion(beyond, kDesk);
    EXPECT_NE(clipped, kWhole);
    EXPECT_TRUE(clipped.subtracted(grown).isEmpty());
    EXPECT_TRUE(shrunk.subtracted(clipped).isEmpty());
}
