#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QWidget;

// The four fields of a program-information file (PIF) that a start reads. Offsets and widths
// are those of the standard layout; each width includes the terminating zero.
struct PifField {
    std::size_t offset;
    std::size_t width;
};
inline constexpr PifField kPifTitle{2, 30};
inline constexpr PifField kPifProgram{36, 63};
inline constexpr PifField kPifStartDirectory{101, 64};
inline constexpr PifField kPif386Parameters{453, 64};
// Size of the standard template: basic block plus the 386-enhanced and 286 sections.
inline constexpr std::size_t kPifTemplateSize = 545;

struct PifFields {
    std::string title;
    std::string program;
    std::string startDirectory;
    std::string parameters;
};

// Reads the four fields back; nullopt when the file cannot be read or is shorter than the
// last field, or a field has no terminating zero.
std::optional<PifFields> ReadPifFields(const std::string& pifPath);

// Splits a DOS-style command tail at every single blank, so that the program sees the words
// and "$*" joined with blanks gives the tail back unchanged.
std::vector<std::string> SplitCommandTail(const std::string& tail);

// Starts the program described by the PIF in a task window of its own, titled from the PIF
// and shown maximised. The program runs in a pseudo-terminal in the PIF's start directory, so
// it can ask for input (a password). The window closes when the program ends with status 0;
// after a failure it stays open with the exit status shown until the user closes it.
// A PIF that cannot be read or a program that cannot be run is reported in a message box and
// false is returned.
bool LaunchPif(const std::string& pifPath);

// The first visible top-level window of this program with exactly this title, or null.
QWidget* FindTopLevelWindow(const std::string& title);
