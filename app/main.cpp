#include "app/TQuilloryApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Created first and kept until the very end: message boxes need it, also while the data
    // set manager writes the document after the loop.
    QApplication application(argc, argv);
    return RunQuillory(application);
}
