// The bare application frame, used while the desk and the application folders are left out of
// the build: it shows the program's empty main window under its version title.
#include "util/VersionTitle.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget frame;
    frame.setWindowTitle(QString::fromUtf8(kVersionTitle));
    frame.resize(610, 470);
    frame.show();
    return app.exec();
}
