#pragma once

#include <string>

class QWidget;

// The program's help viewer: one window of its own showing a German HTML help file at its
// contents page. Opening it again brings the same window forward at the contents page.
// A missing or unreadable file is reported by the viewer with a message box; nothing opens.
// Returns true when the window shows the file.
bool ShowHelpContents(const std::string& helpFile);

// The open help window, or null (for tests and shutdown).
QWidget* HelpWindow();

// Closes and destroys the help window; called before the application object goes.
void CloseHelpWindow();
