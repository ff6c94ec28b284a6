#include "recovery/picture/SheetPicture.h"

#include "engine/Crypto.h"
#include "platform/file/FileReader.h"
#include "recovery/ShareCode.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <sodium.h>
#include <zbar.h>

#include <cstring>
#include <vector>

namespace recovery {
namespace {

using Status = PictureCode::Status;
using namespace zbar; // its C interface, declared in a namespace for C++

// Longer than any sheet's code with spaces: such a QR is not read any further.
constexpr size_t kMaxCodeText = 80;

PictureCode With(Status status) {
    PictureCode read;
    read.status = status;
    return read;
}

// The picture as 8-bit grey rows without padding; transparent parts count as white paper.
std::vector<unsigned char> GreyRows(const QImage& image) {
    QImage grey;
    if (image.hasAlphaChannel()) {
        QImage paper(image.size(), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter(&paper).drawImage(0, 0, image);
        grey = paper.convertToFormat(QImage::Format_Grayscale8);
        std::memset(paper.bits(), 0, static_cast<size_t>(paper.sizeInBytes()));
    } else {
        grey = image.convertToFormat(QImage::Format_Grayscale8);
    }
    const size_t width = static_cast<size_t>(grey.width());
    std::vector<unsigned char> rows(width * static_cast<size_t>(grey.height()));
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(rows.data() + y * width, grey.constScanLine(y), width);
    std::memset(grey.bits(), 0, static_cast<size_t>(grey.sizeInBytes()));
    return rows;
}

// The texts of the QR codes zbar finds in grey rows.
std::vector<std::string> QrTexts(std::vector<unsigned char>& rows, int width, int height) {
    std::vector<std::string> texts;
    zbar_image_scanner_t* scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner, ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    zbar_image_t* image = zbar_image_create();
    zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image, static_cast<unsigned>(width), static_cast<unsigned>(height));
    zbar_image_set_data(image, rows.data(), rows.size(), nullptr);
    if (zbar_scan_image(scanner, image) > 0)
        for (const zbar_symbol_t* s = zbar_image_first_symbol(image); s; s = zbar_symbol_next(s))
            if (zbar_symbol_get_type(s) == ZBAR_QRCODE)
                texts.emplace_back(zbar_symbol_get_data(s), zbar_symbol_get_data_length(s));
    zbar_image_destroy(image);
    zbar_image_scanner_destroy(scanner);
    return texts;
}

// Lets Qt allocate a picture within this reader's own bound (4 bytes a pixel), for its life.
class AllocationLimit {
public:
    AllocationLimit() : m_saved(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(static_cast<int>((kMaxPicturePixels * 4 >> 20) + 1));
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(m_saved); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int m_saved;
};

// The code of the one QR in a decoded picture.
PictureCode CodeFromImage(const QImage& image) {
    std::vector<unsigned char> rows = GreyRows(image);
    std::vector<std::string> texts = QrTexts(rows, image.width(), image.height());
    sodium_memzero(rows.data(), rows.size());
    PictureCode read;
    if (texts.size() != 1)
        read.status = texts.empty() ? Status::NoCode : Status::SeveralCodes;
    else if (texts[0].size() > kMaxCodeText ||
             DecodeShare(texts[0]).status != DecodedShare::Status::Ok)
        read.status = Status::ForeignCode;
    else {
        read.status = Status::Ok;
        read.code = texts[0];
    }
    for (std::string& text : texts)
        engine::Wipe(text);
    return read;
}

} // namespace

PictureCode::~PictureCode() {
    engine::Wipe(code);
}

PictureCode CodeFromPictureBytes(std::string_view bytes) {
    if (bytes.size() > kMaxPictureBytes)
        return With(Status::TooLarge);
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "jpg")
        return With(Status::NotAPicture);
    const QSize size = reader.size(); // from the header, before anything is decoded
    if (!size.isValid() || size.isEmpty())
        return With(Status::NotAPicture);
    if (static_cast<std::int64_t>(size.width()) * size.height() > kMaxPicturePixels)
        return With(Status::TooLarge);
    QImage image;
    AllocationLimit limit;
    if (!reader.read(&image) || image.isNull())
        return With(Status::NotAPicture);
    PictureCode read = CodeFromImage(image);
    std::memset(image.bits(), 0, static_cast<size_t>(image.sizeInBytes()));
    return read;
}

PictureCode CodeFromPictureFile(const std::string& path) {
    WholeFile file = ReadWholeFile(path, kMaxPictureBytes);
    if (!file)
        return With(file.fault == ReadFault::TooLarge ? Status::TooLarge : Status::Unreadable);
    PictureCode read = CodeFromPictureBytes(file.bytes);
    engine::Wipe(file.bytes);
    return read;
}

std::string PictureProblem(const PictureCode& read) {
    switch (read.status) {
    case Status::Ok:
        return "";
    case Status::Unreadable:
        return "Die Bilddatei konnte nicht gelesen werden.";
    case Status::TooLarge:
        return "Das Bild ist zu groß (höchstens 50 MB und 40 Megapixel). Bitte nehmen Sie ein "
               "kleineres Bild oder einen Ausschnitt mit dem QR-Code.";
    case Status::NotAPicture:
        return "Die Datei ist kein lesbares PNG- oder JPEG-Bild.";
    case Status::NoCode:
        return "Im Bild wurde kein QR-Code gefunden. Bitte nehmen Sie ein schärferes Bild, auf "
               "dem der QR-Code des Bogens ganz zu sehen ist, oder tippen Sie den Code ein.";
    case Status::SeveralCodes:
        return "Im Bild sind mehrere QR-Codes. Bitte nehmen Sie ein Bild mit nur einem "
               "Notfallbogen.";
    case Status::ForeignCode:
        return "Der QR-Code im Bild ist nicht der Code eines Notfallbogens.";
    }
    return "";
}

} // namespace recovery
