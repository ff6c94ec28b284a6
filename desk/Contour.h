#pragma once

#include <QPoint>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The desk's outline file: a 32-bit little-endian point count, then that many x, y pairs of
// 32-bit little-endian signed window coordinates, the vertices of one closed polygon.

// The desk's outline needs a few hundred points; a file claiming more is not an outline (and
// would take minutes and hundreds of megabytes to turn into a region).
inline constexpr int32_t kMaxContourPoints = 4096;

// The points, or none when the bytes cannot be an outline: shorter than the count says, a
// negative count, fewer than three or more than kMaxContourPoints points, or a coordinate
// beyond +-32767. Bytes after the last point are ignored.
std::optional<std::vector<QPoint>> ParseContour(std::string_view bytes);

// Reads and parses the file; none when it is missing or unreadable.
std::optional<std::vector<QPoint>> ReadContourFile(const std::string& path);

// The window outline for a window of the given size: the polygon filled with the winding
// rule and clipped to the window. An outline that leaves nothing of the window is empty.
QRegion ContourRegion(const std::vector<QPoint>& points, const QSize& windowSize);

// The region to give a window of that size from the outline file: the polygon, or the whole
// rectangle when the file is missing, damaged or leaves nothing visible.
QRegion WindowOutline(const std::string& path, const QSize& windowSize);
