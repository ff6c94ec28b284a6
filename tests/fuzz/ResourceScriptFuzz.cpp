// Feeds arbitrary bytes to the resource-script parser. A script that does not parse names the
// line; one that parses finds each of its dialogs by the identifier it was stored under.
#include "platform/gui/ResourceScript.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<ResourceScript> script = ResourceScript::Parse(text, &error);
    if (!script) {
        if (error.rfind("line ", 0) != 0)
            __builtin_trap();
        return 0;
    }
    for (const auto& [id, dialog] : script->dialogs()) {
        if (script->dialog(id) != &dialog)
            __builtin_trap();
        if (!id.isNumber() && script->dialog(ResId(id.name)) != &dialog)
            __builtin_trap();
    }
    return 0;
}
