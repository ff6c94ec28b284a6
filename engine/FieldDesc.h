#pragma once

#include <cstdint>
#include <string>

namespace engine {

enum class FieldType : uint8_t { Text = 1, Memo = 2 };

// One field of a table: a text of a declared size in characters, or a memo of any length.
struct FieldDesc {
    std::string name;
    FieldType type = FieldType::Text;
    uint16_t size = 0; // characters; 0 for a memo
};

// Largest declared text size the engine accepts.
constexpr uint16_t kMaxTextSize = 4096;

} // namespace engine
