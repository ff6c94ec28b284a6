#pragma once

#include <stdexcept>
#include <string>

namespace engine {

enum class Errc {
    Io,           // a file could not be read or written
    Format,       // damaged, truncated, foreign or inconsistent table files
    NoAccess,     // protected and no valid password
    BadArgument,  // a bad name, descriptor or value
    Sql,          // a statement other than the one the engine knows
    FieldSize,    // a text longer than its field
    UnknownField, // a field name the table lacks
};

class EngineError : public std::runtime_error {
public:
    EngineError(Errc code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    Errc code() const { return m_code; }

private:
    Errc m_code;
};

} // namespace engine
