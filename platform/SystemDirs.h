#pragma once

#include <string>

// The three directories the program works with, each with a trailing '/'.
//  - program directory: where the running executable lies (documents, templates, data files);
//  - Windows directory: the user's configuration directory + "Quillory/", created when missing;
//  - temporary directory: QDir::tempPath().
// Tests point them at directories of their own with the setters; an empty value restores the
// platform's answer.
namespace SystemDirs {

std::string ProgramDirectory();
std::string WindowsDirectory();
std::string TempDirectory();

void SetProgramDirectory(const std::string& dir);
void SetWindowsDirectory(const std::string& dir);
void SetTempDirectory(const std::string& dir);

// Adds one trailing '/' unless the text is empty or already ends with one.
std::string WithTrailingSlash(std::string dir);

} // namespace SystemDirs
