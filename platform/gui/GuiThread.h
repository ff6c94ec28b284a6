#pragma once

#include <functional>

// Runs work on the program's GUI thread and waits for it: at once when called there (or before
// the application exists), else queued to it, so a worker can ask the user. An exception work
// throws is thrown again to the caller.
void RunOnGuiThread(const std::function<void()>& work);
