// The shipped pictures: every one the resource script names loads, and has the size and form
// its users rely on.
#include "graphics/Dib.h"
#include "graphics/DibUtil.h"

#include <QFile>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <QRegularExpression>

#include <cmath>
#include <map>

#include <gtest/gtest.h>

namespace {

struct HotSpot {
    const char* base;
    QRect rect;
    int pictures;
};

const HotSpot kHotSpots[] = {
    {"BEENDEN", {432, 287, 72, 72}, 2},       {"INFO", {448, 211, 72, 72}, 2},
    {"HILFE", {430, 134, 72, 72}, 2},         {"BACKUP", {112, 287, 72, 72}, 2},
    {"PASSWS", {108, 134, 72, 72}, 2},        {"PASSWE", {90, 211, 72, 72}, 2},
    {"MINI", {289, 14, 30, 26}, 3},           {"DLG_AERZTE", {220, 196, 173, 28}, 2},
    {"DLG_BANK", {220, 230, 173, 28}, 2},     {"DLG_FREI", {220, 400, 173, 28}, 2},
    {"DLG_ONLINE", {220, 298, 173, 28}, 2},   {"DLG_PERSONEN", {220, 128, 173, 28}, 2},
    {"DLG_PKW", {220, 366, 173, 28}, 2},      {"DLG_SERIE", {220, 332, 173, 28}, 2},
    {"DLG_SOFTWARE", {220, 264, 173, 28}, 2}, {"DLG_NUMMERN", {220, 162, 173, 28}, 2},
    {"FEDER", {452, 380, 112, 72}, 3},        {"SUCHEN", {448, 36, 72, 72}, 3},
};

std::vector<std::string> ScriptBitmaps() {
    QFile file(QStringLiteral(":/quillory.rc"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    std::vector<std::string> names;
    static const QRegularExpression line(QStringLiteral("^(\\w+)\\s+BITMAP\\s+\"([^\"]+)\""),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(text); it.hasNext();) {
        names.push_back(it.next().captured(1).toStdString());
    }
    return names;
}

double Luminance(QRgb c) {
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

double Contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

TEST(Pictures, EveryScriptedBitmapLoads) {
    const auto names = ScriptBitmaps();
    EXPECT_GE(names.size(), 33u + 1u + 9u + 44u);
    for (const std::string& name : names) {
        const Dib dib = Dib::FromResource(name);
        EXPECT_FALSE(dib.isNull()) << name;
        EXPECT_EQ(dib.bitCount(), 8) << name;
    }
    EXPECT_FALSE(QImage(QStringLiteral(":/quillory.ico")).isNull());
}

TEST(Pictures, HotSpotPicturesHaveTheirSpotsSizeAndAUniqueKeyAtTheTopLeft) {
    for (const HotSpot& spot : kHotSpots) {
        for (int n = 1; n <= spot.pictures; ++n) {
            const std::string name = std::string(spot.base) + std::to_string(n);
            const Dib dib = Dib::FromResource(name);
            ASSERT_FALSE(dib.isNull()) << name;
            EXPECT_EQ(QSize(dib.width(), dib.height()), spot.rect.size()) << name;
            ASSERT_EQ(dib.colourCount(), 256) << name;
            const uint32_t key = dib.colour(*PixelAddress(&dib, 0, 0));
            EXPECT_EQ(key, ColourRef(255, 0, 255)) << name;
            int entries = 0;
            for (int i = 0; i < 256; ++i) {
                entries += dib.colour(i) == key ? 1 : 0;
            }
            EXPECT_EQ(entries, 1) << name;
        }
    }
}

TEST(Pictures, DeskAndOutlineEncloseEveryHotSpot) {
    const Dib desk = Dib::FromResource("HINTERGRUND");
    ASSERT_FALSE(desk.isNull());
    const QRect deskRect(0, 0, desk.width(), desk.height());

    QFile file(QStringLiteral(QUILLORY_SOURCE_DIR "/resources/kontur.dat"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    auto i32 = [&bytes](qsizetype at) {
        return qint32(quint32(uchar(bytes[at])) | quint32(uchar(bytes[at + 1])) << 8 |
                      quint32(uchar(bytes[at + 2])) << 16 | quint32(uchar(bytes[at + 3])) << 24);
    };
    ASSERT_GE(bytes.size(), 4);
    const int count = i32(0);
    ASSERT_GE(count, 3);
    ASSERT_EQ(bytes.size(), 4 + 8 * qsizetype(count));
    QPolygon polygon;
    for (int i = 0; i < count; ++i) {
        polygon << QPoint(i32(4 + 8 * i), i32(8 + 8 * i));
    }
    const QRegion outline(polygon, Qt::WindingFill);
    EXPECT_NE(outline, QRegion(deskRect)); // shaped, not a plain rectangle
    EXPECT_TRUE(QRegion(deskRect).contains(outline.boundingRect()));
    for (const HotSpot& spot : kHotSpots) {
        const QRect margin = spot.rect.adjusted(-4, -4, 4, 4);
        EXPECT_TRUE(deskRect.contains(margin)) << spot.base;
        EXPECT_TRUE(outline.intersected(QRegion(margin)) == QRegion(margin)) << spot.base;
    }
}

TEST(Pictures, ButtonPairsMatchAndFitTheirCaptions) {
    // up picture, smallest width in pixels its dialog needs
    std::map<int, int> pairs;
    for (int k = 0; k < 9; ++k) {
        pairs[4 * k + 1] = 60;
        pairs[4 * k + 3] = 60;
    }
    pairs[40] = 120; // "Zielpfad..."
    pairs[42] = 60;  // "Starten"
    pairs[44] = 55;  // "Löschen"
    pairs[46] = 20;  // "..."
    pairs[48] = 80;  // "Drucken..."
    pairs[50] = 125; // "Als PDF speichern..."
    for (const auto& [up, minWidth] : pairs) {
        const Dib a = Dib::FromResource("BTN" + std::to_string(up));
        const Dib b = Dib::FromResource("BTN" + std::to_string(up + 1));
        ASSERT_FALSE(a.isNull() || b.isNull()) << up;
        EXPECT_EQ(a.width(), b.width()) << up;
        EXPECT_EQ(a.height(), b.height()) << up;
        EXPECT_GE(a.width(), minWidth) << up;
        EXPECT_GE(a.height(), 20) << up;
        EXPECT_NE(a.packed(), b.packed()) << up; // the down picture looks different
    }
}

TEST(Pictures, TilesCarryTheirLabelColoursLegibly) {
    const double yellow = Luminance(qRgb(255, 255, 0));
    const double black = 0.0;
    for (int n = 1; n <= 9; ++n) {
        const Dib tile = Dib::FromResource("KACHEL" + std::to_string(n));
        ASSERT_FALSE(tile.isNull()) << n;
        const QImage image = tile.toImage();
        double sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                sum += Luminance(image.pixel(x, y));
            }
        }
        const double mean = sum / (image.width() * image.height());
        const bool yellowLabels = n == 1 || n == 2 || n == 5 || n == 8;
        if (yellowLabels) {
            EXPECT_GE(Contrast(mean, yellow), 4.0) << n;
        } else {
            EXPECT_GE(Contrast(mean, black), 10.0) << n;
        }
        if (n == 1) {
            EXPECT_GE(Contrast(mean, black), 3.5); // black labels in the backup dialog too
        }
    }
}

} // namespace
