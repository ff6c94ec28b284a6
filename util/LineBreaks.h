#pragma once

#include <string>
#include <string_view>

// Line-break conversions of UTF-8 text, each one pass over the text.

// Every CR LF, lone CR and lone LF as CR LF (how the tables keep memo text).
std::string CrLfLineBreaks(std::string_view text);
// Every CR LF and lone CR as LF (how edit controls hold text).
std::string LfLineBreaks(std::string_view text);
