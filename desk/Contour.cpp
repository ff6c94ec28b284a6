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

// How far beyond the window an outline is kept as it is. Farther parts are cut off, which
// moves the edges that cross this border by less than a pixel where they enter the window.
constexpr int kClipMargin = 1024;

// The part of the polygon on the inner side of one border line (x or y == limit; inner is
// below it when keepBelow), cut where its edges cross the line: Sutherland-Hodgman. The parts
// outside are replaced by runs along the line, which leaves every inner point's winding number
// as it was.
QPolygon ClipAgainst(const QPolygon& polygon, bool vertical, int limit, bool keepBelow) {
    const auto along = [&](const QPoint& p) { return vertical ? p.x() : p.y(); };
    const auto inside = [&](const QPoint& p) {
        return keepBelow ? along(p) <= limit : along(p) >= limit;
    };
    const auto crossing = [&](const QPoint& a, const QPoint& b) {
        const int64_t da = along(a) - limit;
        const int64_t db = along(b) - limit;
        const int64_t across = vertical ? b.y() - a.y() : b.x() - a.x();
        const int64_t start = vertical ? a.y() : a.x();
        // Rounded to the nearest whole coordinate; da and db have opposite signs.
        const int64_t step = (2 * across * da) / (da - db);
        const int64_t other = start + (step + (step < 0 ? -1 : 1)) / 2;
        return vertical ? QPoint(limit, static_cast<int>(other))
                        : QPoint(static_cast<int>(other), limit);
    };
    QPolygon out;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPoint& current = polygon[i];
        const QPoint& previous = polygon[(i + polygon.size() - 1) % polygon.size()];
        if (inside(current) != inside(previous))
            out << crossing(previous, current);
        if (inside(current))
            out << current;
    }
    return out;
}

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
    // Scan conversion takes time with the polygon's height: one reaching 30,000 pixels beyond
    // the window took a minute.
    const QRect window(QPoint(0, 0), windowSize);
    const QRect clip = window.adjusted(-kClipMargin, -kClipMargin, kClipMargin, kClipMargin);
    polygon = ClipAgainst(polygon, true, clip.left(), false);
    polygon = ClipAgainst(polygon, true, clip.right(), true);
    polygon = ClipAgainst(polygon, false, clip.top(), false);
    polygon = ClipAgainst(polygon, false, clip.bottom(), true);
    return QRegion(polygon, Qt::WindingFill).intersected(window);
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
