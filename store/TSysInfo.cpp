#include "store/TSysInfo.h"

#include "platform/SystemDirs.h"

std::string TSysInfo::ProgramDirectory() const {
    return SystemDirs::WithTrailingSlash(SystemDirs::ProgramDirectory());
}

std::string TSysInfo::WindowsDirectory() const {
    return SystemDirs::WithTrailingSlash(SystemDirs::WindowsDirectory());
}
