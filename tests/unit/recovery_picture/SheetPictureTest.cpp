// A sheet's code read back from pictures of QR codes the program draws, and the pictures that
// must give none: no QR, a foreign one, several, and files built to exhaust the reader.
#include "recovery/picture/SheetPicture.h"
#include "recovery/ShareCode.h"
#include "recovery/ShareQr.h"
#include "recovery/Shares.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace recovery;
using Status = PictureCode::Status;

namespace {

std::string NewCode(int number) {
    engine::SecretKey secret;
    engine::RandomBytes(secret.data(), engine::kRecoverySize);
    return EncodeShare(SplitSecret(secret, 2, 3)[static_cast<size_t>(number)]);
}

// The QR of text, copies of it side by side: modules of scale pixels, dark on transparent.
QImage Drawn(const std::string& text, int scale = 3, int copies = 1) {
    const QrMatrix qr = QrCodeOf(text);
    const int side = (qr.size + 8) * scale;
    QImage image(side * copies, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int c = 0; c < copies; ++c)
        for (int y = 0; y < qr.size; ++y)
            for (int x = 0; x < qr.size; ++x)
                if (qr.Dark(x, y))
                    painter.fillRect(c * side + (x + 4) * scale, (y + 4) * scale, scale, scale,
                                     Qt::black);
    return image;
}

// A photo's faults: on paper, turned a little, blurred, saved as a lossy JPEG.
QImage Photographed(const QImage& image) {
    QImage paper(image.size() * 3 / 2, QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.rotate(7);
    painter.drawImage(image.width() / 4, 0, image);
    return paper.scaled(paper.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(paper.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::string Read(const QImage& image, const char* format, Status expected) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 60);
    const PictureCode read = CodeFromPictureBytes(bytes.toStdString());
    EXPECT_EQ(read.status, expected);
    EXPECT_EQ(PictureProblem(read).empty(), read.status == Status::Ok);
    return read.code;
}

} // namespace

TEST(SheetPictureTest, ReadsTheCodeOfScansAndPhotos) {
    for (int number = 0; number < 3; ++number) {
        const std::string code = NewCode(number);
        EXPECT_EQ(Read(Drawn(code), "PNG", Status::Ok), code); // transparent counts as paper
        EXPECT_EQ(Read(Photographed(Drawn(code, 6)), "JPEG", Status::Ok), code);
    }
}

TEST(SheetPictureTest, RefusesPicturesThatHoldNoSheetsCode) {
    QImage blank(400, 300, QImage::Format_RGB32);
    blank.fill(Qt::white);
    Read(blank, "PNG", Status::NoCode);
    Read(Drawn("https://example.org/"), "PNG", Status::ForeignCode);
    Read(Drawn(std::string(4096, '7'), 2), "PNG", Status::ForeignCode);
    Read(Drawn(NewCode(0), 3, 2), "PNG", Status::SeveralCodes);
    Read(Drawn(NewCode(0)), "BMP", Status::NotAPicture);
    EXPECT_EQ(CodeFromPictureBytes("\x89PNG\r\n\x1a\n").status, Status::NotAPicture);
    EXPECT_EQ(CodeFromPictureFile("/nonexistent/sheet.png").status, Status::Unreadable);
}

// A PNG of a few kilobytes that decodes to 49 megapixels is refused by its header.
TEST(SheetPictureTest, RefusesPicturesTooLargeBeforeDecodingThem) {
    QImage bomb(7000, 7000, QImage::Format_Mono);
    bomb.fill(1);
    Read(bomb, "PNG", Status::TooLarge);
    EXPECT_EQ(CodeFromPictureBytes(std::string(kMaxPictureBytes + 1, '\0')).status,
              Status::TooLarge);
}
