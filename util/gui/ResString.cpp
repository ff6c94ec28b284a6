#include "util/gui/ResString.h"

#include "platform/gui/ResourceScript.h"

#include <QString>

std::string& ResString(std::string& out, int id) {
    constexpr int kMaxCharacters = 255;
    const QString text = QString::fromStdString(AppResources().string(id));
    out =
        text.size() > kMaxCharacters ? text.left(kMaxCharacters).toStdString() : text.toStdString();
    return out;
}
