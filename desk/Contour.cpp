#include "desk/Contour.h"

#include "platform/file/FileReader.h"

#include <QPolygon>

#include <cstdint>

namespace {

int32_t ReadInt32(std::string_view bytes, size_t offset) {
    const auto byte = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
    };
    return static_cast<int32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
}

// Coordinates beyond this are no outline of a window on any screen, and would make the
// polygon's scan conversion walk billions of lines.
constexpr int32_t kCoordinateLimit = 32767;

} // namespace

std::optional<std::vector<QPoint>> ParseContour(std::string_view bytes) {
    if (bytes.size() < 4) {
        return std::nullopt;
    }
    const int32_t count = ReadInt32(bytes, 0);
    if (count < 3 || count > kMaxContourPoints) {
        return std::nullopt;
    }
    const uint64_t available = (bytes.size() - 4) / 8;
    if (static_cast<uint64_t>(count) > available) {
        return std::nullopt;
    }
    std::vector<QPoint> points;
    points.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const int32_t x = ReadInt32(bytes, 4 + 8 * i);
        const int32_t y = ReadInt32(bytes, 8 + 8 * i);
        if (x < -kCoordinateLimit || x > kCoordinateLimit || y < -kCoordinateLimit ||
            y > kCoordinateLimit) {
            return std::nullopt;
        }
        points.emplace_back(x, y);
    }
    return points;
}

std::optional<std::vector<QPoint>> ReadContourFile(const std::string& path) {
    // An outline needs a few hundred points: anything much larger is not one.
    const WholeFile file = ReadWholeFile(path, 1 << 20);
    if (!file) {
        return std::nullopt;
    }
    return ParseContour(file.bytes);
}

QRegion ContourRegion(const std::vector<QPoint>& points, const QSize& windowSize) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const QPoint& point : points) {
        polygon << point;
    }
    return QRegion(polygon, Qt::WindingFill).intersected(QRect(QPoint(0, 0), windowSize));
}

QRegion WindowOutline(const std::string& path, const QSize& windowSize) {
    const QRegion whole(QRect(QPoint(0, 0), windowSize));
    const auto points = ReadContourFile(path);
    if (!points) {
        return whole;
    }
    QRegion outline = ContourRegion(*points, windowSize);
    return outline.isEmpty() ? whole : outline;
}
