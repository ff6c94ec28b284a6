#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// s resized to n bytes. A buffer of several megabytes (a file's contents, a large text) is asked
// for in huge pages where the system offers them, so filling it costs a few page faults instead
// of one per 4 kB.
void ResizeLarge(std::string& s, std::size_t n);
// s made a copy of bytes, asked for the same way.
void AssignLarge(std::string& s, std::string_view bytes);
