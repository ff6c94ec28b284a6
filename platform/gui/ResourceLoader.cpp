#include "platform/gui/ResourceLoader.h"

#include "platform/gui/ResourceScript.h"

#include <QFile>

std::vector<uint8_t> LoadBitmapResource(std::string_view name) {
    std::string path = AppResources().bitmapPath(name);
    if (path.empty())
        path = ":/bitmaps/" + std::string(name) + ".bmp";
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    constexpr qsizetype kFileHeader = 14;
    if (data.size() <= kFileHeader || data[0] != 'B' || data[1] != 'M')
        return {};
    return std::vector<uint8_t>(data.begin() + kFileHeader, data.end());
}

QIcon LoadIconResource(int id) {
    const std::string path = AppResources().iconPath(id);
    if (path.empty() || !QFile::exists(QString::fromStdString(path)))
        return QIcon();
    return QIcon(QString::fromStdString(path));
}
