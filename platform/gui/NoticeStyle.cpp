#include "platform/gui/NoticeStyle.h"

QString NoticeStyleSheet(const QString& selector, const QString& extra, const QString& rules) {
    return selector +
           QStringLiteral(" { background: rgba(70, 20, 10, 220); color: rgb(255, 244, 200);"
                          " font-weight: bold; ") +
           extra + QStringLiteral(" }") + rules;
}
