// The bare application frame, used while the desk and the application folders are left out of
// the build: it shows the desk picture under the program's version title.
#include "graphics/Dib.h"
#include "util/VersionTitle.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel frame;
    frame.setWindowTitle(QString::fromUtf8(kVersionTitle));
    const QPixmap desk = QPixmap::fromImage(Dib::FromResource("HINTERGRUND").toImage());
    frame.setPixmap(desk);
    frame.setFixedSize(desk.size());
    frame.show();
    return app.exec();
}
