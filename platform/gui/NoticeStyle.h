#pragma once

#include <QString>

// The look of every notice on the desk and the forms: light bold text on dark red, readable
// over any background picture. selector is the widget's class ("QLabel"); extra adds properties
// of the one notice (padding, border), then any further rules of its own.
QString NoticeStyleSheet(const QString& selector, const QString& extra = {},
                         const QString& rules = {});
