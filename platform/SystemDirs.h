#pragma once

#include <string>

// The three directories the program works with, each with a trailing '/'.
//  - program directory: the directory of the path the program was started by, without resolving
//    links, so a folder of links to an installed program is the program directory (documents,
//    templates, data files); the executable's own directory until SetStartPath is called;
//  - Windows directory: the user's configuration directory + "Quillory/", created when missing;
//  - temporary directory: QDir::tempPath().
// Tests point them at directories of their own with the setters; an empty value restores the
// platform's answer.
namespace SystemDirs {

std::string ProgramDirectory();
std::string WindowsDirectory();
std::string TempDirectory();

// This machine's own state directory, never synced with the program folder:
// $XDG_STATE_HOME/Quillory/ (else ~/.local/state/Quillory/); "" when neither is known. Not made
// here.
std::string StateDirectory();

void SetProgramDirectory(const std::string& dir);
void SetWindowsDirectory(const std::string& dir);
void SetTempDirectory(const std::string& dir);
void SetStateDirectory(const std::string& dir);

// Records the path the process was started by (argv[0]), with the current directory and PATH of
// that moment, as the source of the program directory. Call it first thing in main.
void SetStartPath(const char* argv0);

// The directory (trailing '/') of a start path: absolute paths as they are, relative ones joined
// to cwd, a bare name looked up in the ':'-separated search path like a shell does. Links are not
// resolved. Empty when the program cannot be found that way.
std::string DirectoryOfStartPath(const std::string& argv0, const std::string& cwd,
                                 const std::string& searchPath);

// Adds one trailing '/' unless the text is empty or already ends with one.
std::string WithTrailingSlash(std::string dir);

} // namespace SystemDirs
