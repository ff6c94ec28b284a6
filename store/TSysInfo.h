#pragma once

#include <string>

// Where the program and the system keep their files.
class TSysInfo {
public:
    // Both with a trailing '/'.
    std::string ProgramDirectory() const;
    std::string WindowsDirectory() const;
};
