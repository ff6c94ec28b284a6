#include "Quantise.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

struct Box {
    std::vector<QRgb> pixels;
    int range(int c) const {
        int lo = 255, hi = 0;
        for (QRgb p : pixels) {
            const int v = c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    }
};

std::vector<QRgb> MedianCut(std::vector<QRgb> pixels, int colours) {
    std::vector<Box> boxes;
    boxes.push_back(Box{std::move(pixels)});
    while (int(boxes.size()) < colours) {
        int best = -1, bestScore = 0, bestChannel = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[size_t(i)].pixels.size() < 2) {
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                const int r = boxes[size_t(i)].range(c);
                const int score = r * int(std::sqrt(double(boxes[size_t(i)].pixels.size())));
                if (score > bestScore) {
                    bestScore = score;
                    best = i;
                    bestChannel = c;
                }
            }
        }
        if (best < 0) {
            break;
        }
        auto& px = boxes[size_t(best)].pixels;
        auto key = [bestChannel](QRgb p) {
            return bestChannel == 0 ? qRed(p) : bestChannel == 1 ? qGreen(p) : qBlue(p);
        };
        std::nth_element(px.begin(), px.begin() + long(px.size() / 2), px.end(),
                         [&](QRgb a, QRgb b) { return key(a) < key(b); });
        Box upper{std::vector<QRgb>(px.begin() + long(px.size() / 2), px.end())};
        px.resize(px.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& b : boxes) {
        if (b.pixels.empty()) {
            continue;
        }
        long r = 0, g = 0, bl = 0;
        for (QRgb p : b.pixels) {
            r += qRed(p);
            g += qGreen(p);
            bl += qBlue(p);
        }
        const long n = long(b.pixels.size());
        palette.push_back(qRgb(int(r / n), int(g / n), int(bl / n)));
    }
    return palette;
}

} // namespace

QImage QuantiseTo256(const QImage& source, const QRgb* key) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    std::vector<QRgb> pixels;
    pixels.reserve(size_t(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y) | 0xFF000000u;
            if (!key || p != (*key | 0xFF000000u)) {
                pixels.push_back(p);
            }
        }
    }
    const int first = key ? 1 : 0;
    std::vector<QRgb> palette =
        pixels.empty() ? std::vector<QRgb>{qRgb(0, 0, 0)} : MedianCut(pixels, 256 - first);
    QList<QRgb> table;
    if (key) {
        table.push_back(*key | 0xFF000000u);
    }
    for (QRgb p : palette) {
        // Keep the key colour unique in the table.
        if (key && (p | 0xFF000000u) == (*key | 0xFF000000u)) {
            p = qRgb(qRed(p), qGreen(p) + 1, qBlue(p));
        }
        table.push_back(p);
    }
    while (table.size() < 256) {
        table.push_back(qRgb(0, 0, 0));
    }
    const int used = first + int(palette.size());
    QImage out(w, h, QImage::Format_Indexed8);
    out.setColorTable(table);
    std::vector<std::array<float, 3>> err(size_t((w + 2) * 2), {0, 0, 0});
    auto row = [&](int y) { return &err[size_t((y & 1) * (w + 2))]; };
    for (int y = 0; y < h; ++y) {
        std::array<float, 3>* cur = row(y);
        std::array<float, 3>* next = row(y + 1);
        for (int x = 0; x < w + 2; ++x) {
            next[x] = {0, 0, 0};
        }
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y) | 0xFF000000u;
            if (key && p == (*key | 0xFF000000u)) {
                out.setPixel(x, y, 0);
                continue;
            }
            float want[3] = {qRed(p) + cur[x + 1][0], qGreen(p) + cur[x + 1][1],
                             qBlue(p) + cur[x + 1][2]};
            int best = first;
            float bestD = 1e30f;
            for (int i = first; i < used; ++i) {
                const QRgb c = table[i];
                const float dr = want[0] - qRed(c), dg = want[1] - qGreen(c),
                            db = want[2] - qBlue(c);
                const float d = 0.3f * dr * dr + 0.59f * dg * dg + 0.11f * db * db;
                if (d < bestD) {
                    bestD = d;
                    best = i;
                }
            }
            out.setPixel(x, y, uint(best));
            const QRgb c = table[best];
            const float e[3] = {want[0] - qRed(c), want[1] - qGreen(c), want[2] - qBlue(c)};
            for (int k = 0; k < 3; ++k) {
                // Damped diffusion: enough to hide banding, quiet on flat areas.
                const float v = e[k] * 0.8f;
                cur[x + 2][k] += v * 7 / 16;
                next[x][k] += v * 3 / 16;
                next[x + 1][k] += v * 5 / 16;
                next[x + 2][k] += v * 1 / 16;
            }
        }
    }
    return out;
}

bool WriteBmp8(const QImage& image, const QString& path) {
    const int w = image.width(), h = image.height();
    const int stride = (w + 3) / 4 * 4;
    const quint32 offset = 14 + 40 + 256 * 4;
    const quint32 size = offset + quint32(stride * h);
    QByteArray b;
    auto u32 = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i) {
            b.append(char(v >> (8 * i)));
        }
    };
    auto u16 = [&b](quint16 v) {
        b.append(char(v));
        b.append(char(v >> 8));
    };
    b.append("BM");
    u32(size);
    u32(0);
    u32(offset);
    u32(40);
    u32(quint32(w));
    u32(quint32(h));
    u16(1);
    u16(8);
    u32(0);
    u32(quint32(stride * h));
    u32(2835);
    u32(2835);
    u32(256);
    u32(0);
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : 0;
        b.append(char(qBlue(c)));
        b.append(char(qGreen(c)));
        b.append(char(qRed(c)));
        b.append(char(0));
    }
    for (int y = h - 1; y >= 0; --y) {
        b.append(reinterpret_cast<const char*>(image.constScanLine(y)), w);
        b.append(QByteArray(stride - w, 0));
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}
