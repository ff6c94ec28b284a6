#pragma once

class QWidget;

// Moves window to the middle of its screen ((screen - window) / 2, truncating); size and
// stacking stay. Does nothing for a null window.
void CentreWindow(QWidget* window);

// Serves the event queue once during long work: paint events are delivered, user input is
// dropped, and a key press of Esc or Enter sets *flag (which is never cleared here).
void CheckAbort(bool* flag);

// Delivers every pending event.
void PumpMessages();
