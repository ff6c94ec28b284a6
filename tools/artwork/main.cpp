// Paints every picture of the program and writes them as 256-colour BMPs, the icon and the desk
// outline; --preview renders the results the way the program composes them.
#include "Quantise.h"

#include "graphics/Dib.h"
#include "graphics/DibUtil.h"
#include "graphics/TPaintCell.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kDeskW = 610;
constexpr int kDeskH = 470;
constexpr int kCorner = 30;
const QRgb kKey = qRgb(255, 0, 255);
const QRectF kPad(198, 58, 215, 398);

struct Spot {
    const char* base;
    int x, y, w, h;
    int pictures; // 2 or 3 distinct pictures
    const char* label;
};

const Spot kSpots[] = {
    {"BEENDEN", 432, 287, 72, 72, 2, nullptr},
    {"INFO", 448, 211, 72, 72, 2, nullptr},
    {"HILFE", 430, 134, 72, 72, 2, nullptr},
    {"BACKUP", 112, 287, 72, 72, 2, nullptr},
    {"PASSWS", 108, 134, 72, 72, 2, nullptr},
    {"PASSWE", 90, 211, 72, 72, 2, nullptr},
    {"MINI", 289, 14, 30, 26, 3, nullptr},
    {"DLG_AERZTE", 220, 196, 173, 28, 2, "Ärzte"},
    {"DLG_BANK", 220, 230, 173, 28, 2, "Bankgeschäfte"},
    {"DLG_FREI", 220, 400, 173, 28, 2, "Frei definierbare Felder"},
    {"DLG_ONLINE", 220, 298, 173, 28, 2, "Online"},
    {"DLG_PERSONEN", 220, 128, 173, 28, 2, "Persönliches"},
    {"DLG_PKW", 220, 366, 173, 28, 2, "Fahrzeugschein/brief"},
    {"DLG_SERIE", 220, 332, 173, 28, 2, "Seriennummern"},
    {"DLG_SOFTWARE", 220, 264, 173, 28, 2, "Softwareregistrierung"},
    {"DLG_NUMMERN", 220, 162, 173, 28, 2, "Wichtige Nummern"},
    {"FEDER", 452, 380, 112, 72, 3, nullptr},
    {"FRISTEN", 96, 36, 72, 72, 3, nullptr},
    {"SUCHEN", 448, 36, 72, 72, 3, nullptr},
    {"VERTRAG", 518, 134, 72, 72, 3, nullptr},
};

QFont Sans(double px, int weight = QFont::Normal) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(std::lround(px)));
    f.setWeight(QFont::Weight(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Deterministic value noise, periodic in both directions when period is given.
struct Noise {
    int period;
    std::vector<float> grid;
    explicit Noise(int p, quint32 seed) : period(p), grid(size_t(p * p)) {
        QRandomGenerator rng(seed);
        for (float& v : grid) {
            v = float(rng.generateDouble());
        }
    }
    float at(int x, int y) const {
        x = ((x % period) + period) % period;
        y = ((y % period) + period) % period;
        return grid[size_t(y * period + x)];
    }
    float smooth(double x, double y) const {
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const float fx = float(x - x0), fy = float(y - y0);
        const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
        const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
        const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
        return a + (b - a) * sy;
    }
    // Fractal sum over octaves; cells = grid cells across the period at the coarsest octave.
    float fbm(double x, double y, double scale, int octaves) const {
        float sum = 0, amp = 0.5f;
        for (int o = 0; o < octaves; ++o) {
            sum += amp * smooth(x * scale, y * scale);
            scale *= 2;
            amp *= 0.5f;
        }
        return sum;
    }
};

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QPainterPath DeskOutline() {
    QPainterPath p;
    p.addRoundedRect(QRectF(0, 0, kDeskW, kDeskH), kCorner, kCorner);
    return p;
}

// ---- the desk --------------------------------------------------------------------------------

QImage Walnut(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    const Noise n(256, 7);
    const QColor dark(62, 34, 18), mid(112, 64, 34), light(150, 92, 52);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Long grain along x: rings bent by slow noise, fine pores, broad figure.
            const double bend = 16.0 * n.fbm(x * 0.005, y * 0.008, 1.0, 3);
            const double rings =
                std::sin((y + bend * 2.2) * 0.32 + 2.0 * n.fbm(x * 0.002, y * 0.01, 1, 2));
            const double pores = n.fbm(x * 0.015, y * 0.7, 1.0, 2);
            const double figure = n.fbm(x * 0.004, y * 0.01, 1.0, 3);
            double t = 0.46 + 0.09 * rings + 0.22 * (pores - 0.5) + 0.45 * (figure - 0.5);
            QColor c = t < 0.5 ? Mix(dark, mid, t * 2) : Mix(mid, light, (t - 0.5) * 2);
            img.setPixel(x, y, c.rgb());
        }
    }
    return img;
}

QImage LeatherTexture(int w, int h, const QColor& base, quint32 seed, int period = 0) {
    QImage img(w, h, QImage::Format_RGB32);
    const Noise n(period ? period : 512, seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double grain = n.fbm(x * 0.25, y * 0.25, 1.0, 2);
            const double cloud = n.fbm(x * 0.03, y * 0.03, 1.0, 3);
            const double f = 0.82 + 0.22 * grain + 0.18 * (cloud - 0.5);
            img.setPixel(x, y,
                         qRgb(std::clamp(int(base.red() * f), 0, 255),
                              std::clamp(int(base.green() * f), 0, 255),
                              std::clamp(int(base.blue() * f), 0, 255)));
        }
    }
    return img;
}

enum class Look { Normal, Active, Pressed, Glowing };

void Glow(QPainter& p, const QPainterPath& shape);

// The ink pot and the quill lying beside it, in desk coordinates moved by offset; pressed ones
// sit lower and darker, lit ones glow.
void PaintQuill(QPainter& p, QPointF offset, Look look) {
    const bool down = look == Look::Active || look == Look::Pressed;
    const bool lit = look == Look::Active || look == Look::Glowing;
    const double dim = look == Look::Pressed ? 1.2 : look == Look::Active ? 1.05 : 1.0;
    const QPointF shift = offset + QPointF(0, down ? 1.5 : 0);
    const double shadow = down ? 0.5 : 1.0;
    p.setRenderHint(QPainter::Antialiasing);
    QTransform featherAt;
    featherAt.translate(470 + shift.x(), 440 + shift.y());
    featherAt.rotate(-28);
    QPainterPath feather;
    feather.moveTo(0, 0);
    feather.cubicTo(20, -12, 60, -14, 95, -4);
    feather.cubicTo(60, 4, 24, 6, 0, 0);
    if (lit) {
        QPainterPath outline;
        outline.addEllipse(QPointF(520, 408) + shift, 20, 20);
        Glow(p, outline);
        Glow(p, featherAt.map(feather));
    }
    p.save();
    p.translate(QPointF(520, 408) + shift);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(QPointF(4, 6) * shadow, 22, 20);
    QRadialGradient ink(QPointF(-6, -6), 26);
    ink.setColorAt(0, QColor(90, 110, 140).darker(int(100 * dim)));
    ink.setColorAt(1, QColor(18, 24, 40).darker(int(100 * dim)));
    p.setBrush(ink);
    p.drawEllipse(QPointF(0, 0), 20, 20);
    p.setBrush(lit ? QColor(236, 200, 120) : QColor(200, 165, 90).darker(int(100 * dim)));
    p.drawEllipse(QPointF(0, 0), 9, 9);
    p.setBrush(QColor(12, 14, 24));
    p.drawEllipse(QPointF(0, 0), 6, 6);
    p.restore();
    p.save();
    p.setTransform(featherAt, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 55));
    p.drawPath(feather.translated(3 * shadow, 5 * shadow));
    QLinearGradient fg(0, -10, 0, 6);
    fg.setColorAt(0, QColor(250, 246, 232).darker(int(100 * dim)));
    fg.setColorAt(1, QColor(200, 190, 170).darker(int(100 * dim)));
    p.setBrush(fg);
    p.drawPath(feather);
    p.setPen(QPen(QColor(150, 130, 100), 0.8));
    p.drawLine(QPointF(-14, 1.5), QPointF(92, -4));
    for (int i = 10; i < 90; i += 5) {
        p.drawLine(QPointF(i, -0.5 - i * 0.05), QPointF(i + 6, -6 - std::sin(i * 0.04) * 4));
    }
    p.restore();
}

QImage PaintDesk(bool withQuill) {
    QImage desk(kDeskW, kDeskH, QImage::Format_RGB32);
    desk.fill(qRgb(30, 18, 10));
    QPainter p(&desk);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = DeskOutline();
    p.setClipPath(outline);
    p.drawImage(0, 0, Walnut(kDeskW, kDeskH));
    // Soft light from the top left, a vignette towards the edges.
    QRadialGradient light(QPointF(kDeskW * 0.4, kDeskH * 0.3), kDeskW * 0.8);
    light.setColorAt(0, QColor(255, 220, 170, 40));
    light.setColorAt(0.6, QColor(0, 0, 0, 0));
    light.setColorAt(1, QColor(0, 0, 0, 90));
    p.fillRect(desk.rect(), light);
    // Bevelled edge of the desk top.
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 15, 6), 3));
    p.drawPath(outline);
    p.setPen(QPen(QColor(190, 130, 80, 120), 1.2));
    p.drawRoundedRect(QRectF(3, 3, kDeskW - 6, kDeskH - 6), kCorner - 3, kCorner - 3);
    p.setPen(QPen(QColor(40, 20, 8, 120), 1.2));
    p.drawRoundedRect(QRectF(6.5, 6.5, kDeskW - 13, kDeskH - 13), kCorner - 6, kCorner - 6);

    // Leather pad with its shadow, gold tooling and title.
    for (int i = 8; i > 0; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 14));
        p.drawRoundedRect(kPad.adjusted(-i * 0.5, -i * 0.3, i * 0.5, i * 0.9), 8, 8);
    }
    QPainterPath pad;
    pad.addRoundedRect(kPad, 7, 7);
    p.save();
    p.setClipPath(pad);
    p.drawImage(kPad.topLeft(),
                LeatherTexture(int(kPad.width()), int(kPad.height()), QColor(34, 78, 52), 11));
    QLinearGradient sheen(kPad.topLeft(), kPad.bottomRight());
    sheen.setColorAt(0, QColor(255, 255, 255, 22));
    sheen.setColorAt(1, QColor(0, 0, 0, 50));
    p.fillRect(kPad, sheen);
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 40, 26), 1.5));
    p.drawRoundedRect(kPad, 7, 7);
    p.setPen(QPen(QColor(196, 160, 86, 200), 1.0, Qt::SolidLine));
    p.drawRoundedRect(kPad.adjusted(6, 6, -6, -6), 4, 4);
    p.setPen(QPen(QColor(196, 160, 86, 110), 0.8, Qt::DashLine));
    p.drawRoundedRect(kPad.adjusted(9, 9, -9, -9), 3, 3);

    const QRectF title(kPad.left(), kPad.top() + 14, kPad.width(), 34);
    p.setFont(Sans(22, QFont::Bold));
    p.setPen(QColor(10, 25, 15, 200));
    p.drawText(title.translated(0, 1.2), Qt::AlignCenter, QStringLiteral("Quillory"));
    QLinearGradient gold(title.topLeft(), title.bottomLeft());
    gold.setColorAt(0, QColor(246, 220, 150));
    gold.setColorAt(1, QColor(176, 132, 60));
    p.setPen(QPen(QBrush(gold), 1));
    p.drawText(title, Qt::AlignCenter, QStringLiteral("Quillory"));
    p.setFont(Sans(8.5));
    p.setPen(QColor(200, 170, 110, 190));
    p.drawText(QRectF(kPad.left(), kPad.top() + 46, kPad.width(), 14), Qt::AlignCenter,
               QStringLiteral("Persönliche Daten"));

    // A quill beside an ink pot, bottom right (the emergency folder's hot spot paints them
    // again in its own pictures), and a brass pen tray bottom left.
    if (withQuill) {
        PaintQuill(p, QPointF(0, 0), Look::Normal);
    }
    p.save();
    p.translate(40, 398);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(3, 5, 130, 34), 12, 12);
    QLinearGradient tray(0, 0, 0, 34);
    tray.setColorAt(0, QColor(226, 190, 110));
    tray.setColorAt(1, QColor(140, 100, 40));
    p.setBrush(tray);
    p.drawRoundedRect(QRectF(0, 0, 130, 34), 12, 12);
    QLinearGradient well(0, 5, 0, 29);
    well.setColorAt(0, QColor(110, 78, 30));
    well.setColorAt(1, QColor(200, 160, 90));
    p.setBrush(well);
    p.drawRoundedRect(QRectF(6, 6, 118, 22), 9, 9);
    // a pencil in the tray
    p.setBrush(QColor(40, 70, 50));
    p.drawRect(QRectF(18, 13, 84, 7));
    p.setBrush(QColor(230, 200, 150));
    QPolygonF tip({QPointF(102, 13), QPointF(114, 16.5), QPointF(102, 20)});
    p.drawPolygon(tip);
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(110, 15.3), QPointF(114, 16.5), QPointF(110, 17.7)}));
    p.setBrush(QColor(190, 170, 120));
    p.drawRect(QRectF(12, 13, 6, 7));
    p.restore();
    return desk;
}

// ---- hot-spot objects -------------------------------------------------------------------------

QBrush Brass(const QRectF& r, double dim) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(250, 226, 150).darker(int(100 * dim)));
    g.setColorAt(0.45, QColor(210, 168, 80).darker(int(100 * dim)));
    g.setColorAt(1, QColor(120, 82, 30).darker(int(100 * dim)));
    return g;
}

void Shadow(QPainter& p, const QPainterPath& shape, double offset, double spread) {
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = 6; i >= 1; --i) {
        const double s = spread * i / 6.0;
        p.setBrush(QColor(0, 0, 0, 20));
        QTransform t;
        const QRectF b = shape.boundingRect();
        t.translate(b.center().x(), b.center().y() + offset);
        t.scale((b.width() + s * 2) / b.width(), (b.height() + s * 2) / b.height());
        t.translate(-b.center().x(), -b.center().y());
        p.drawPath(t.map(shape));
    }
    p.restore();
}

void Glow(QPainter& p, const QPainterPath& shape) {
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 5; i >= 1; --i) {
        p.setPen(QPen(QColor(255, 214, 110, 40), i * 1.5));
        p.drawPath(shape);
    }
    p.restore();
}

// A desk calendar: a leather stand, a paper leaf with a red month band and a day, brass rings.
void PaintDeskCalendar(QPainter& p, const QRectF& c, double dim) {
    QLinearGradient stand(c.topLeft(), c.bottomRight());
    stand.setColorAt(0, QColor(112, 40, 34).darker(int(100 * dim)));
    stand.setColorAt(1, QColor(60, 18, 16).darker(int(100 * dim)));
    p.setBrush(stand);
    p.setPen(QPen(QColor(40, 10, 8), 1));
    p.drawRoundedRect(c, 4, 4);
    const QRectF leaf = c.adjusted(4, 6, -4, -4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 202, 176).darker(int(100 * dim)));
    p.drawRoundedRect(leaf.translated(1.5, 1.5), 2, 2);
    QLinearGradient paper(leaf.topLeft(), leaf.bottomLeft());
    paper.setColorAt(0, QColor(252, 248, 236).darker(int(100 * dim)));
    paper.setColorAt(1, QColor(232, 222, 198).darker(int(100 * dim)));
    p.setBrush(paper);
    p.setPen(QPen(QColor(150, 128, 92), 0.8));
    p.drawRoundedRect(leaf, 2, 2);
    const QRectF band(leaf.left(), leaf.top(), leaf.width(), 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(176, 42, 36).darker(int(100 * dim)));
    p.drawRoundedRect(band, 2, 2);
    p.drawRect(band.adjusted(0, 6, 0, 0));
    p.setFont(Sans(9, QFont::Bold));
    p.setPen(QColor(250, 236, 210));
    p.drawText(band.adjusted(0, 2, 0, 0), Qt::AlignCenter, QStringLiteral("FRIST"));
    QFont day(QStringLiteral("DejaVu Serif"));
    day.setPixelSize(24);
    day.setBold(true);
    p.setFont(day);
    p.setPen(QColor(44, 34, 28));
    p.drawText(leaf.adjusted(0, 13, 0, 0), Qt::AlignCenter, QStringLiteral("31"));
    for (const double x : {leaf.left() + leaf.width() * 0.28, leaf.left() + leaf.width() * 0.72}) {
        const QRectF ring(x - 3, c.top() + 1, 6, 10);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(60, 40, 12), 3));
        p.drawArc(ring, 0, 180 * 16);
        p.setPen(QPen(Brass(ring, dim), 1.8));
        p.drawArc(ring, 0, 180 * 16);
    }
}

QRectF ContractSheet(const QRectF& c) {
    return QRectF(c.left() + 7, c.top(), c.width() - 12, c.height() - 14);
}

QRectF ContractCover(const QRectF& c) {
    return QRectF(c.left(), c.top() + 19, c.width(), c.height() - 19);
}

QPainterPath ContractFolderShape(const QRectF& c) {
    QPainterPath sheet, cover;
    sheet.addRect(ContractSheet(c));
    cover.addRoundedRect(ContractCover(c), 3, 3);
    return sheet.united(cover);
}

// A file folder of contracts: a sheet with a paragraph sign and a wax seal sticking out of a
// dark-green folder that carries a paper label.
void PaintContractFolder(QPainter& p, const QRectF& c, double dim) {
    const QRectF sheet = ContractSheet(c);
    p.setPen(QPen(QColor(150, 128, 92), 0.8));
    QLinearGradient paper(sheet.topLeft(), sheet.bottomLeft());
    paper.setColorAt(0, QColor(252, 248, 236).darker(int(100 * dim)));
    paper.setColorAt(1, QColor(232, 222, 198).darker(int(100 * dim)));
    p.setBrush(paper);
    p.drawRect(sheet);
    QFont sign(QStringLiteral("DejaVu Serif"));
    sign.setPixelSize(15);
    sign.setBold(true);
    p.setFont(sign);
    p.setPen(QColor(44, 34, 28));
    p.drawText(QRectF(sheet.left() + 3, sheet.top() + 1, 14, 17), Qt::AlignCenter,
               QStringLiteral("\u00A7"));
    p.setPen(QPen(QColor(120, 110, 96), 1));
    for (int i = 0; i < 3; ++i) {
        const double y = sheet.top() + 5 + 5 * i;
        p.drawLine(QPointF(sheet.left() + 19, y), QPointF(sheet.right() - 4, y));
    }
    const QRectF folder = ContractCover(c);
    QLinearGradient cover(folder.topLeft(), folder.bottomRight());
    cover.setColorAt(0, QColor(46, 96, 66).darker(int(100 * dim)));
    cover.setColorAt(1, QColor(20, 50, 34).darker(int(100 * dim)));
    p.setBrush(cover);
    p.setPen(QPen(QColor(12, 30, 20), 1));
    p.drawRoundedRect(folder, 3, 3);
    const QRectF label(folder.left() + 3, folder.top() + 8, folder.width() - 6, 13);
    p.setBrush(QColor(246, 238, 214).darker(int(100 * dim)));
    p.setPen(QPen(QColor(150, 130, 100), 0.8));
    p.drawRoundedRect(label, 2, 2);
    p.setFont(Sans(8.5, QFont::Bold));
    p.setPen(QColor(40, 40, 60));
    p.drawText(label, Qt::AlignCenter, QStringLiteral("Vertr\u00E4ge"));
    const QPointF seal(folder.right() - 10, folder.bottom() - 8);
    QRadialGradient wax(seal - QPointF(2, 2), 8);
    wax.setColorAt(0, QColor(200, 52, 44).darker(int(100 * dim)));
    wax.setColorAt(1, QColor(110, 16, 14).darker(int(100 * dim)));
    p.setBrush(wax);
    p.setPen(QPen(QColor(80, 10, 8), 0.8));
    p.drawEllipse(seal, 6.5, 6.5);
    p.setPen(QPen(QColor(255, 210, 190, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(seal, 3.5, 3.5);
}

// A magnifying glass lying on the desk: round lens top left, handle towards the bottom right.
QRectF MagnifierLens(const QRectF& box) {
    return QRectF(box.left() + 3, box.top() + 1, 36, 36);
}

QPainterPath MagnifierHandle(const QRectF& box) {
    const QRectF lens = MagnifierLens(box);
    QPainterPath handle;
    handle.addRoundedRect(QRectF(0, -4.5, 24, 9), 4, 4);
    QTransform t;
    t.translate(lens.center().x() + 15, lens.center().y() + 15);
    t.rotate(45);
    return t.map(handle);
}

QPainterPath MagnifierShape(const QRectF& box) {
    QPainterPath shape;
    shape.addEllipse(MagnifierLens(box));
    return shape.united(MagnifierHandle(box));
}

void PaintMagnifier(QPainter& p, const QRectF& box, double dim, bool lit) {
    const QRectF lens = MagnifierLens(box);
    const QPainterPath handle = MagnifierHandle(box);
    QLinearGradient wood(handle.boundingRect().topLeft(), handle.boundingRect().bottomRight());
    wood.setColorAt(0, QColor(96, 40, 24).darker(int(100 * dim)));
    wood.setColorAt(1, QColor(46, 16, 10).darker(int(100 * dim)));
    p.setBrush(wood);
    p.setPen(QPen(QColor(30, 10, 6), 1));
    p.drawPath(handle);
    // brass rim and the glass inside it
    p.setBrush(Brass(lens, dim));
    p.setPen(QPen(QColor(80, 52, 16), 1.2));
    p.drawEllipse(lens);
    const QRectF glass = lens.adjusted(5, 5, -5, -5);
    QRadialGradient g(glass.center() - QPointF(5, 5), glass.width() * 0.75);
    g.setColorAt(0, lit ? QColor(236, 246, 250) : QColor(206, 222, 228));
    g.setColorAt(1, QColor(118, 146, 160).darker(int(100 * dim)));
    p.setBrush(g);
    p.setPen(QPen(QColor(70, 46, 14), 1));
    p.drawEllipse(glass);
    // a highlight on the glass
    p.setPen(QPen(QColor(255, 255, 255, 190), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(glass.adjusted(4, 4, -4, -4), 100 * 16, 70 * 16);
}

// Active = pressed and lit: the hot-spot pictures serve both the press and the hover.
void PaintObject(QPainter& p, const char* base, QSizeF size, Look look) {
    const bool down = look == Look::Active || look == Look::Pressed;
    const bool lit = look == Look::Active || look == Look::Glowing;
    const double dy = down ? 1.5 : 0;
    const double dim = look == Look::Pressed ? 1.2 : look == Look::Active ? 1.05 : 1.0;
    const QString name = QString::fromLatin1(base);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (name == QStringLiteral("MINI")) {
        const QRectF r(5, 3 + dy, 20, 20);
        QPainterPath knob;
        knob.addEllipse(r);
        Shadow(p, knob, down ? 1 : 2.5, down ? 1 : 2);
        if (lit) {
            Glow(p, knob);
        }
        p.setPen(QPen(QColor(90, 60, 20), 1));
        p.setBrush(Brass(r, dim));
        p.drawPath(knob);
        p.setBrush(Brass(r.adjusted(4, 4, -4, -4), dim * 1.25));
        p.setPen(Qt::NoPen);
        p.drawEllipse(r.adjusted(4, 4, -4, -4));
        p.setPen(QPen(QColor(60, 36, 10), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(r.center().x() - 4, r.center().y()),
                   QPointF(r.center().x() + 4, r.center().y()));
        return;
    }
    if (name.startsWith(QStringLiteral("DLG_"))) {
        return; // cards are painted by PaintCard
    }
    const QRectF box(8, 7 + dy, size.width() - 16, size.height() - 16);
    QPainterPath shape;
    if (name == QStringLiteral("BEENDEN") || name == QStringLiteral("INFO")) {
        shape.addEllipse(box);
    } else if (name == QStringLiteral("HILFE")) {
        shape.addRoundedRect(box.adjusted(4, 0, -4, 0), 4, 4);
    } else if (name == QStringLiteral("BACKUP")) {
        shape.addRoundedRect(box.adjusted(2, 2, -2, -2), 5, 5);
    } else if (name == QStringLiteral("FRISTEN")) {
        shape.addRoundedRect(box.adjusted(3, 4, -3, 0), 4, 4);
    } else if (name == QStringLiteral("SUCHEN")) {
        shape = MagnifierShape(box);
    } else if (name == QStringLiteral("VERTRAG")) {
        shape = ContractFolderShape(box.adjusted(1, 0, -1, 0));
    } else {
        // padlock body and shackle
        const QRectF body(box.left() + 8, box.top() + 24, box.width() - 16, box.height() - 24);
        shape.addRoundedRect(body, 6, 6);
    }
    Shadow(p, shape, down ? 1.5 : 3.5, down ? 1.5 : 3);
    if (lit) {
        Glow(p, shape);
    }
    const QColor ink(60, 36, 12);
    if (name == QStringLiteral("BEENDEN")) {
        p.setPen(QPen(QColor(80, 52, 16), 1.2));
        p.setBrush(Brass(box, dim));
        p.drawPath(shape);
        const QRectF inner = box.adjusted(7, 7, -7, -7);
        QRadialGradient face(inner.center() - QPointF(5, 6), inner.width() * 0.8);
        face.setColorAt(0, QColor(150, 40, 32).darker(int(100 * dim)));
        face.setColorAt(1, QColor(80, 14, 12).darker(int(100 * dim)));
        p.setBrush(face);
        p.setPen(QPen(QColor(70, 40, 10), 1));
        p.drawEllipse(inner);
        p.setPen(QPen(lit ? QColor(255, 236, 190) : QColor(238, 214, 170), 3.2, Qt::SolidLine,
                      Qt::RoundCap));
        const QRectF sym = inner.adjusted(10, 10, -10, -10);
        p.setBrush(Qt::NoBrush);
        p.drawArc(sym, 120 * 16, 300 * 16);
        p.drawLine(QPointF(sym.center().x(), sym.top() - 3),
                   QPointF(sym.center().x(), sym.center().y()));
    } else if (name == QStringLiteral("INFO")) {
        p.setPen(QPen(QColor(80, 52, 16), 1.2));
        p.setBrush(Brass(box, dim));
        p.drawPath(shape);
        p.setPen(QPen(QColor(255, 240, 200, 120), 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(box.adjusted(4, 4, -4, -4));
        p.setFont(QFont(QStringLiteral("DejaVu Serif"), -1, QFont::Bold));
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPixelSize(32);
        f.setBold(true);
        f.setItalic(true);
        p.setFont(f);
        p.setPen(QColor(255, 240, 200, 140));
        p.drawText(box.translated(0, 1), Qt::AlignCenter, QStringLiteral("i"));
        p.setPen(ink);
        p.drawText(box, Qt::AlignCenter, QStringLiteral("i"));
    } else if (name == QStringLiteral("HILFE")) {
        const QRectF book = box.adjusted(4, 0, -4, 0);
        // pages at the edge
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(236, 226, 200));
        p.drawRoundedRect(book.adjusted(3, 3, 1.5, 1.5), 3, 3);
        QLinearGradient cover(book.topLeft(), book.bottomRight());
        cover.setColorAt(0, QColor(140, 36, 34).darker(int(100 * dim)));
        cover.setColorAt(1, QColor(74, 16, 18).darker(int(100 * dim)));
        p.setBrush(cover);
        p.setPen(QPen(QColor(50, 10, 10), 1));
        p.drawRoundedRect(book, 4, 4);
        p.setBrush(QColor(0, 0, 0, 60));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(book.left(), book.top(), 7, book.height()));
        p.setPen(QPen(QColor(214, 176, 96), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(book.adjusted(11, 4, -4, -4));
        QFont f = Sans(30, QFont::Bold);
        p.setFont(f);
        p.setPen(QColor(232, 198, 120));
        p.drawText(book.adjusted(7, 0, 0, 0), Qt::AlignCenter, QStringLiteral("?"));
    } else if (name == QStringLiteral("FRISTEN")) {
        PaintDeskCalendar(p, box.adjusted(3, 4, -3, 0), dim);
    } else if (name == QStringLiteral("SUCHEN")) {
        PaintMagnifier(p, box, dim, lit);
    } else if (name == QStringLiteral("VERTRAG")) {
        PaintContractFolder(p, box.adjusted(1, 0, -1, 0), dim);
    } else if (name == QStringLiteral("BACKUP")) {
        const QRectF d = box.adjusted(2, 2, -2, -2);
        QLinearGradient body(d.topLeft(), d.bottomRight());
        body.setColorAt(0, QColor(60, 84, 120).darker(int(100 * dim)));
        body.setColorAt(1, QColor(24, 34, 56).darker(int(100 * dim)));
        p.setBrush(body);
        p.setPen(QPen(QColor(14, 20, 34), 1));
        p.drawPath(shape);
        // metal shutter
        const QRectF shutter(d.left() + 12, d.top(), d.width() - 24, 16);
        p.setBrush(Brass(shutter, dim * 1.05));
        p.setPen(QPen(QColor(90, 60, 20), 0.8));
        p.drawRect(shutter);
        p.setBrush(QColor(40, 30, 14));
        p.drawRect(QRectF(shutter.right() - 10, shutter.top() + 3, 5, 10));
        // paper label
        const QRectF label(d.left() + 6, d.top() + 22, d.width() - 12, d.height() - 26);
        p.setBrush(QColor(246, 238, 214));
        p.setPen(QPen(QColor(150, 130, 100), 0.8));
        p.drawRoundedRect(label, 2, 2);
        p.setPen(QPen(QColor(200, 80, 70), 0.8));
        p.drawLine(QPointF(label.left() + 2, label.top() + 6),
                   QPointF(label.right() - 2, label.top() + 6));
        p.setFont(Sans(9.5, QFont::Bold));
        p.setPen(QColor(40, 40, 60));
        p.drawText(label.adjusted(0, 6, 0, 0), Qt::AlignCenter, QStringLiteral("Backup"));
    } else {
        const bool open = name == QStringLiteral("PASSWE");
        const QRectF body(box.left() + 8, box.top() + 24, box.width() - 16, box.height() - 24);
        // shackle
        QPainterPath shackle;
        const double sw = body.width() - 14;
        const double sx = body.left() + 7;
        const double lift = open ? 8 : 0;
        shackle.moveTo(sx, body.top() + 2);
        shackle.lineTo(sx, body.top() - 10 - lift);
        shackle.arcTo(QRectF(sx, body.top() - 10 - lift - sw / 2, sw, sw), 180, -180);
        shackle.lineTo(sx + sw, open ? body.top() - 14 - lift + sw / 2 - 4 : body.top() + 2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(70, 70, 76), 6.5, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(shackle);
        p.setPen(
            QPen(QColor(196, 198, 206).darker(int(100 * dim)), 3.5, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(shackle);
        p.setBrush(Brass(body, dim));
        p.setPen(QPen(QColor(90, 60, 20), 1.2));
        p.drawRoundedRect(body, 6, 6);
        p.setPen(QPen(QColor(255, 240, 200, 110), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
        // keyhole
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(50, 30, 10));
        const QPointF c(body.center().x(), body.center().y() - 2);
        p.drawEllipse(c, 3.5, 3.5);
        p.drawPolygon(QPolygonF(
            {c + QPointF(-2, 1), c + QPointF(2, 1), c + QPointF(3, 9), c + QPointF(-3, 9)}));
    }
}

void PaintCard(QPainter& p, const QString& label, QSizeF size, Look look) {
    const bool active = look == Look::Active;
    const double dy = active ? 1.2 : 0;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF card(4, 2 + dy, size.width() - 8, size.height() - 7);
    QPainterPath shape;
    shape.addRoundedRect(card, 2.5, 2.5);
    Shadow(p, shape, active ? 1.2 : 2.6, active ? 0.8 : 1.8);
    if (active) {
        Glow(p, shape);
    }
    QLinearGradient paper(card.topLeft(), card.bottomLeft());
    const QColor top = active ? QColor(255, 246, 214) : QColor(250, 244, 226);
    const QColor bottom = active ? QColor(232, 214, 168) : QColor(230, 220, 194);
    paper.setColorAt(0, top);
    paper.setColorAt(1, bottom);
    p.setBrush(paper);
    p.setPen(QPen(QColor(150, 128, 92), 0.8));
    p.drawPath(shape);
    // index-card ruling: a red line at the top, a tab mark on the left
    p.setPen(QPen(QColor(196, 70, 62, 200), 0.9));
    p.drawLine(QPointF(card.left() + 2, card.top() + 4.5),
               QPointF(card.right() - 2, card.top() + 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(active ? QColor(176, 120, 40) : QColor(34, 78, 52));
    p.drawRoundedRect(QRectF(card.left() + 5, card.top() + 8, 4, card.height() - 11), 1.5, 1.5);
    p.setFont(Sans(11, QFont::DemiBold));
    p.setPen(active ? QColor(90, 40, 10) : QColor(38, 34, 30));
    p.drawText(card.adjusted(14, 3, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, label);
}

// The object painted with alpha over the desk area; fully uncovered pixels become the key. The
// quill and ink pot lie on the desk picture itself: their pictures are painted over the bare
// desk and cover the place they take there, so a pressed quill shows no second one beneath.
QImage HotSpotPicture(const QImage& desk, const QImage& bareDesk, const Spot& s, Look look) {
    const bool quill = QString::fromLatin1(s.base) == QStringLiteral("FEDER");
    QImage layer(s.w, s.h, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        if (s.label) {
            PaintCard(p, QString::fromUtf8(s.label), QSizeF(s.w, s.h), look);
        } else if (quill) {
            PaintQuill(p, QPointF(-s.x, -s.y), look);
        } else {
            PaintObject(p, s.base, QSizeF(s.w, s.h), look);
        }
    }
    QImage out =
        (quill ? bareDesk : desk).copy(s.x, s.y, s.w, s.h).convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&out);
        p.drawImage(0, 0, layer);
    }
    // Where the desk picture shows the quill (and two pixels around it).
    auto onDeskQuill = [&](int x, int y) {
        if (!quill) {
            return false;
        }
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const int px = s.x + x + dx;
                const int py = s.y + y + dy;
                if (px >= 0 && py >= 0 && px < desk.width() && py < desk.height() &&
                    desk.pixel(px, py) != bareDesk.pixel(px, py)) {
                    return true;
                }
            }
        }
        return false;
    };
    for (int y = 0; y < s.h; ++y) {
        for (int x = 0; x < s.w; ++x) {
            if (qAlpha(layer.pixel(x, y)) < 6 && !onDeskQuill(x, y)) {
                out.setPixel(x, y, kKey);
            }
        }
    }
    // The key colour must sit at the top-left pixel.
    out.setPixel(0, 0, kKey);
    return out;
}

// ---- tiles -----------------------------------------------------------------------------------

struct TileStyle {
    int n;
    QColor base;
    int kind; // 0 paper, 1 linen, 2 leather, 3 cork, 4 marble
};

const TileStyle kTiles[] = {
    {1, QColor(134, 110, 84), 1},  // mid-tone linen: yellow and black labels
    {2, QColor(36, 52, 86), 1},    // dark blue linen
    {3, QColor(238, 232, 214), 0}, // cream paper
    {4, QColor(222, 226, 216), 1}, // light grey linen
    {5, QColor(36, 72, 50), 2},    // dark green leather
    {6, QColor(226, 196, 150), 3}, // light cork
    {7, QColor(232, 232, 228), 4}, // white marble
    {8, QColor(92, 30, 34), 2},    // burgundy leather
    {9, QColor(236, 224, 196), 0}, // parchment
};

QImage PaintTile(const TileStyle& t) {
    const int size = 64;
    QImage img(size, size, QImage::Format_RGB32);
    // Every noise repeats after 64 pixels at the scale it is read, so the tile is seamless.
    const Noise n(64, quint32(100 + t.n));
    const Noise half(32, quint32(300 + t.n));
    const Noise coarse(8, quint32(200 + t.n));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double f = 1.0;
            switch (t.kind) {
            case 0:
                f = 0.97 + 0.05 * n.smooth(x, y) + 0.04 * (coarse.smooth(x / 8.0, y / 8.0) - 0.5);
                break;
            case 1: {
                const double weave = ((x % 2) ? 0.015 : -0.015) + ((y % 2) ? 0.01 : -0.01);
                f = 0.95 + weave + 0.08 * (n.at(x, y / 4) - 0.5) + 0.06 * (n.at(x / 4, y) - 0.5) +
                    0.05 * (coarse.smooth(x / 8.0, y / 8.0) - 0.5);
                break;
            }
            case 2:
                f = 0.9 + 0.14 * half.smooth(x / 2.0, y / 2.0) +
                    0.08 * (coarse.smooth(x / 8.0, y / 8.0) - 0.5);
                break;
            case 3: {
                const double speck = n.at(x, y) > 0.95 ? -0.12 : n.at(x, y) < 0.04 ? 0.06 : 0;
                f = 0.93 + 0.09 * half.smooth(x / 2.0, y / 2.0) + speck;
                break;
            }
            default: {
                const double vein = std::abs(std::sin((x + y) * 2 * M_PI / 64.0 * 2 +
                                                      6.0 * coarse.smooth(x / 8.0, y / 8.0)));
                f = 0.96 + 0.04 * n.smooth(x, y) - 0.1 * std::pow(1.0 - vein, 8);
                break;
            }
            }
            img.setPixel(x, y,
                         qRgb(std::clamp(int(t.base.red() * f), 0, 255),
                              std::clamp(int(t.base.green() * f), 0, 255),
                              std::clamp(int(t.base.blue() * f), 0, 255)));
        }
    }
    return img;
}

// ---- buttons ---------------------------------------------------------------------------------

// Dialog units to pixels with the dialog font's base units (6 × 13).
int DuX(int du) {
    return (du * 6 + 2) / 4;
}
int DuY(int du) {
    return (du * 13 + 4) / 8;
}

struct ButtonPair {
    int up;
    const char* caption;
    int duW;
};

std::vector<ButtonPair> Buttons() {
    std::vector<ButtonPair> list;
    for (int k = 0; k < 9; ++k) {
        list.push_back({4 * k + 1, "OK", 50});
        list.push_back({4 * k + 3, "Abbruch", 50});
    }
    list.push_back({40, "Zielpfad...", 91});
    list.push_back({42, "Starten", 50});
    list.push_back({44, "Löschen", 44});
    list.push_back({46, "...", 19});
    list.push_back({48, "Drucken...", 60});
    list.push_back({50, "Als PDF speichern...", 88});
    return list;
}

QImage PaintButton(const QString& caption, QSize size, bool down) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(qRgb(86, 62, 36));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r = QRectF(img.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // brass rim
    p.setPen(QPen(QColor(70, 46, 18), 1));
    p.setBrush(Brass(r, down ? 1.25 : 1.0));
    p.drawRoundedRect(r, 3, 3);
    const QRectF face = r.adjusted(2, 2, -2, -2);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    if (down) {
        g.setColorAt(0, QColor(196, 184, 154));
        g.setColorAt(1, QColor(226, 216, 190));
    } else {
        g.setColorAt(0, QColor(254, 250, 236));
        g.setColorAt(1, QColor(226, 214, 184));
    }
    p.setBrush(g);
    p.setPen(QPen(down ? QColor(110, 90, 60) : QColor(255, 255, 245, 160), 1));
    p.drawRoundedRect(face, 2, 2);
    p.setFont(Sans(11, QFont::DemiBold));
    p.setPen(QColor(44, 34, 22));
    p.drawText(face.translated(down ? 1 : 0, down ? 1 : 0), Qt::AlignCenter, caption);
    return img;
}

// ---- icon ------------------------------------------------------------------------------------

QImage PaintIcon(int s) {
    QImage img(s, s, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s / 64.0, s / 64.0);
    QLinearGradient wood(0, 0, 64, 64);
    wood.setColorAt(0, QColor(150, 92, 52));
    wood.setColorAt(1, QColor(70, 38, 20));
    p.setPen(QPen(QColor(40, 20, 8), 1.5));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(QColor(34, 78, 52));
    p.setPen(QPen(QColor(196, 160, 86), 1.2));
    p.drawRoundedRect(QRectF(14, 8, 36, 48), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 244, 226));
    for (int i = 0; i < 3; ++i) {
        p.drawRoundedRect(QRectF(18, 16 + i * 12, 28, 8), 1.5, 1.5);
    }
    QPainterPath feather;
    feather.moveTo(12, 58);
    feather.cubicTo(26, 36, 42, 18, 60, 4);
    feather.cubicTo(52, 24, 36, 44, 12, 58);
    p.setBrush(QColor(255, 252, 240));
    p.setPen(QPen(QColor(120, 100, 70), 1));
    p.drawPath(feather);
    return img;
}

// ---- files -----------------------------------------------------------------------------------

bool Save(const QString& dir, const QString& name, const QImage& image, bool keyed) {
    const QImage indexed = QuantiseTo256(image, keyed ? &kKey : nullptr);
    const bool ok =
        WriteBmp8(indexed, dir + QStringLiteral("/bitmaps/") + name + QStringLiteral(".bmp"));
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
    }
    return ok;
}

QPolygon ContourPolygon() {
    // The rounded rectangle of the desk, eight steps a corner, with integer vertices just
    // outside the drawn edge.
    QPolygon poly;
    const int r = kCorner;
    const struct {
        double cx, cy, a0;
    } corners[] = {{double(kDeskW - r), double(r), -90},
                   {double(kDeskW - r), double(kDeskH - r), 0},
                   {double(r), double(kDeskH - r), 90},
                   {double(r), double(r), 180}};
    for (const auto& c : corners) {
        for (int i = 0; i <= 8; ++i) {
            const double a = (c.a0 + 90.0 * i / 8) * M_PI / 180;
            poly << QPoint(int(std::lround(c.cx + (r + 0.5) * std::cos(a))),
                           int(std::lround(c.cy + (r + 0.5) * std::sin(a))));
        }
    }
    for (QPoint& pt : poly) {
        pt.setX(std::clamp(pt.x(), 0, kDeskW));
        pt.setY(std::clamp(pt.y(), 0, kDeskH));
    }
    return poly;
}

bool WriteContour(const QString& path) {
    const QPolygon poly = ContourPolygon();
    QByteArray b;
    auto i32 = [&b](qint32 v) {
        for (int i = 0; i < 4; ++i) {
            b.append(char(quint32(v) >> (8 * i)));
        }
    };
    i32(qint32(poly.size()));
    for (const QPoint& pt : poly) {
        i32(pt.x());
        i32(pt.y());
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}

int Generate(const QString& dir) {
    QDir().mkpath(dir + QStringLiteral("/bitmaps"));
    bool ok = true;
    const QImage desk = PaintDesk(true);
    const QImage bareDesk = PaintDesk(false);
    ok &= Save(dir, QStringLiteral("HINTERGRUND"), desk, false);
    for (const Spot& s : kSpots) {
        const QString base = QString::fromLatin1(s.base);
        if (s.pictures == 3) {
            ok &= Save(dir, base + QStringLiteral("1"),
                       HotSpotPicture(desk, bareDesk, s, Look::Normal), true);
            ok &= Save(dir, base + QStringLiteral("2"),
                       HotSpotPicture(desk, bareDesk, s, Look::Pressed), true);
            ok &= Save(dir, base + QStringLiteral("3"),
                       HotSpotPicture(desk, bareDesk, s, Look::Glowing), true);
        } else {
            ok &= Save(dir, base + QStringLiteral("1"),
                       HotSpotPicture(desk, bareDesk, s, Look::Normal), true);
            ok &= Save(dir, base + QStringLiteral("2"),
                       HotSpotPicture(desk, bareDesk, s, Look::Active), true);
        }
    }
    for (const TileStyle& t : kTiles) {
        ok &= Save(dir, QStringLiteral("KACHEL%1").arg(t.n), PaintTile(t), false);
    }
    for (const ButtonPair& b : Buttons()) {
        const QSize size(DuX(b.duW), DuY(14));
        const QString caption = QString::fromUtf8(b.caption);
        ok &=
            Save(dir, QStringLiteral("BTN%1").arg(b.up), PaintButton(caption, size, false), false);
        ok &= Save(dir, QStringLiteral("BTN%1").arg(b.up + 1), PaintButton(caption, size, true),
                   false);
    }
    ok &= WriteContour(dir + QStringLiteral("/kontur.dat"));
    ok &= PaintIcon(48).save(dir + QStringLiteral("/quillory.ico"), "ICO");
    // The desktop's icon theme: the same icon at the sizes menus and software centres use.
    for (const int size : {48, 256}) {
        const QString iconDir = dir + QStringLiteral("/icons/hicolor/%1x%1/apps").arg(size);
        QDir().mkpath(iconDir);
        ok &= PaintIcon(size).save(iconDir + QStringLiteral("/de.quillory.Quillory.png"), "PNG");
    }
    return ok ? 0 : 1;
}

// ---- preview ---------------------------------------------------------------------------------

Dib LoadBmp(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return Dib();
    }
    const QByteArray data = f.readAll();
    if (data.size() < 14) {
        return Dib();
    }
    return Dib(std::vector<uint8_t>(data.begin() + 14, data.end()));
}

int Preview(const QString& dir, const QString& out) {
    QDir().mkpath(out);
    const QString bmp = dir + QStringLiteral("/bitmaps/");
    const Dib desk = LoadBmp(bmp + QStringLiteral("HINTERGRUND.bmp"));
    const QPolygon contour = ContourPolygon();
    for (int state = 0; state < 3; ++state) {
        QImage screen(desk.width(), desk.height(), QImage::Format_RGB32);
        screen.fill(qRgb(60, 60, 70));
        QPainter dc(&screen);
        dc.setClipRegion(QRegion(contour, Qt::WindingFill));
        dc.drawImage(0, 0, desk.toImage());
        for (const Spot& s : kSpots) {
            const int n = s.pictures == 3 ? state + 1 : (state == 0 ? 1 : 2);
            TPaintCell cell(LoadBmp(bmp + QString::fromLatin1(s.base) + QString::number(n) +
                                    QStringLiteral(".bmp")),
                            0);
            cell.Prepare(dc, QPoint(s.x, s.y), QPoint(0, 0), true, false);
            cell.Paint(dc, QPoint(s.x, s.y));
        }
        dc.end();
        screen.save(out + QStringLiteral("/desk-state%1.png").arg(state));
    }
    // tiles with a sample label
    QImage tiles(3 * 260, 3 * 110, QImage::Format_RGB32);
    tiles.fill(qRgb(128, 128, 128));
    {
        QPainter p(&tiles);
        for (int i = 0; i < 9; ++i) {
            const QRect r((i % 3) * 260, (i / 3) * 110, 256, 106);
            const Dib tile = LoadBmp(bmp + QStringLiteral("KACHEL%1.bmp").arg(i + 1));
            p.setClipRect(r);
            TileDib(p, r, &tile);
            const bool yellow = i + 1 == 1 || i + 1 == 2 || i + 1 == 5 || i + 1 == 8;
            QFont f(QStringLiteral("DejaVu Sans"));
            f.setPixelSize(11);
            p.setFont(f);
            p.setPen(yellow ? QColor(255, 255, 0) : Qt::black);
            p.drawText(r.adjusted(8, 8, 0, 0),
                       QStringLiteral("KACHEL%1  Straße/Hausnr.:").arg(i + 1));
            if (i == 0) {
                p.setPen(Qt::black);
                p.drawText(r.adjusted(8, 30, 0, 0), QStringLiteral("Zu sichernde Dateien"));
            }
            QRect field(r.left() + 8, r.top() + 56, 200, 20);
            p.fillRect(field, Qt::white);
            p.setPen(Qt::gray);
            p.drawRect(field);
        }
    }
    tiles.save(out + QStringLiteral("/tiles.png"));
    QImage buttons(420, 26 * int(Buttons().size()) + 10, QImage::Format_RGB32);
    buttons.fill(qRgb(118, 96, 74));
    {
        QPainter p(&buttons);
        int y = 5;
        for (const ButtonPair& b : Buttons()) {
            const Dib up = LoadBmp(bmp + QStringLiteral("BTN%1.bmp").arg(b.up));
            const Dib down = LoadBmp(bmp + QStringLiteral("BTN%1.bmp").arg(b.up + 1));
            p.drawImage(10, y, up.toImage());
            p.drawImage(200, y, down.toImage());
            y += 26;
        }
    }
    buttons.save(out + QStringLiteral("/buttons.png"));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QStringLiteral("--preview")) {
        return Preview(args[2], args[3]);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quillory_artwork <resources dir>\n"
                             "       quillory_artwork --preview <resources dir> <out dir>\n");
        return 2;
    }
    return Generate(args[1]);
}
