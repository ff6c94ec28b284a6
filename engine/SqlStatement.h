#pragma once

#include <string>

namespace engine {

// The one statement the engine knows: SELECT * FROM "<table path>" ; with any white space
// (line breaks included) between its parts and keywords in any case. Returns the path; throws
// EngineError (Sql) for anything else.
std::string ParseSelectAll(const std::string& text);

} // namespace engine
