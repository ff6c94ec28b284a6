#pragma once

#include <QEvent>

class QWidget;

// Moves window to the middle of its screen ((screen - window) / 2, truncating); size and
// stacking stay. Does nothing for a null window.
void CentreWindow(QWidget* window);

// Serves the event queue once during long work: paint events are delivered, user input is
// dropped, and a key press of Esc or Enter, or a pending end of the program, sets *flag
// (which is never cleared here).
void CheckAbort(bool* flag);

// The program is ending (a signal, the session's end): every long work stops at its next
// CheckAbort. Set until cleared with false.
void RequestAbort(bool requested);
bool AbortRequested();

// Delivers every pending event.
void PumpMessages();

// Whether events of this type are the user's input (keys, mouse, touch, tablet).
bool IsUserInput(QEvent::Type type);

// Whether a CheckAbort pass is serving the queue now (user input is being dropped).
bool CheckingAbort();
