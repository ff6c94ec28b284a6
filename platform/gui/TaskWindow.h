#pragma once

#include "platform/Pif.h"

#include <string>
#include <vector>

class QWidget;

// Splits a DOS-style command tail at every single blank, so that the program sees the words
// and "$*" joined with blanks gives the tail back unchanged.
std::vector<std::string> SplitCommandTail(const std::string& tail);

// Starts the program described by the PIF in a task window of its own, titled from the PIF
// and shown maximised. The program runs in a pseudo-terminal in the PIF's start directory, so
// it can ask for input (a password), with the umask 077: what it makes is the user's alone.
// The window closes when the program ends with status 0;
// after a failure it stays open with the exit status shown until the user closes it.
// While a modal dialog runs (one waiting for the program), the window still takes input.
// False, with nothing started, when the PIF cannot be read or the program cannot be run.
bool LaunchPif(const std::string& pifPath);

// The first visible top-level window of this program with exactly this title, or null.
QWidget* FindTopLevelWindow(const std::string& title);
