#include "platform/gui/TopLevelWindows.h"

// Window systems without an X server keep a title as it is given.
void SetNativeWindowTitle(QWindow*, const QString&) {}
