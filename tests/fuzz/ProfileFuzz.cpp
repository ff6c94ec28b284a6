// Feeds arbitrary bytes to the profile reader and writer; the first line of the input names
// the section and key to look up.
#include "platform/Profile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nl = input.find('\n');
    std::string head = nl == std::string::npos ? input : input.substr(0, nl);
    std::string text = nl == std::string::npos ? std::string() : input.substr(nl + 1);
    size_t bar = head.find('|');
    std::string section = head.substr(0, bar);
    std::string key = bar == std::string::npos ? "NAME" : head.substr(bar + 1);

    std::string value;
    FindProfileValue(text, section, key, value);
    if (section.find_first_of("]\r\n") == std::string::npos &&
        key.find_first_of("=\r\n") == std::string::npos &&
        section.find_first_not_of(" \t\v\f") != std::string::npos &&
        key.find_first_not_of(" \t\v\f") != std::string::npos &&
        std::string(";#[").find(key[key.find_first_not_of(" \t\v\f")]) == std::string::npos) {
        // What is written is what is read back.
        std::string updated = SetProfileValue(text, section, key, "written");
        std::string back;
        if (!FindProfileValue(updated, section, key, back) || back != "written") {
            __builtin_trap();
        }
    }
    return 0;
}
