#include "app/TQuilloryApp.h"
#include "platform/SystemDirs.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The program directory is where the program was started from, links unresolved, so a
    // per-user folder of links to an installed program keeps each user's documents.
    SystemDirs::SetStartPath(argc > 0 ? argv[0] : nullptr);
    // Created first and kept until the very end: message boxes need it, also while the data
    // set manager writes the document after the loop.
    QApplication application(argc, argv);
    return RunQuillory(application);
}
