#include "app/TQuilloryApp.h"
#include "platform/SystemDirs.h"

#include <QApplication>

#include <sys/prctl.h>

int main(int argc, char** argv) {
    // Passwords and keys live in this process: no core dumps, and no other process of the user
    // may trace it or read its memory.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    // The program directory is where the program was started from, links unresolved, so a
    // per-user folder of links to an installed program keeps each user's documents.
    SystemDirs::SetStartPath(argc > 0 ? argv[0] : nullptr);
    // Created first and kept until the very end: message boxes need it, also while the data
    // set manager writes the document after the loop.
    QApplication application(argc, argv);
    return RunQuillory(application);
}
