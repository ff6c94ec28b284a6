#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A resource identifier: a number or a name (names are kept upper-cased; a name made of digits
// is the number).
struct ResId {
    int number = -1;
    std::string name;

    ResId(int id) : number(id) {}
    explicit ResId(std::string text);
    explicit ResId(const char* text) : ResId(std::string(text ? text : "")) {}

    bool isNumber() const { return name.empty(); }
    std::string toString() const { return isNumber() ? std::to_string(number) : name; }
    bool operator==(const ResId& other) const = default;
    bool operator<(const ResId& other) const {
        return number != other.number ? number < other.number : name < other.name;
    }
};

enum class ControlKind { Static, Edit, Button, ListBox, ComboBox, Other };

struct ControlTemplate {
    ControlKind kind = ControlKind::Other;
    int id = -1;
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string className; // "Static", "Edit", "Button", "ListBox", ... as written or implied
    int line = 0;          // where it stands in the script
};

struct DialogTemplate {
    ResId id{0};
    bool extended = false; // DIALOGEX
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    std::string fontName;
    int fontSize = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string className;
    std::vector<ControlTemplate> controls; // in script order, which is the tab order
};

// A parsed resource script: dialog templates, the string table, bitmaps and icons.
class ResourceScript {
public:
    // Parses the script; on failure returns nothing and, when error is given, a message that
    // names the line.
    static std::optional<ResourceScript> Parse(std::string_view text, std::string* error);

    const DialogTemplate* dialog(const ResId& id) const;
    // The string of that id; empty when there is none.
    std::string string(int id) const;
    bool hasString(int id) const { return m_strings.count(id) != 0; }
    // The Qt resource path of a bitmap or icon (":/bitmaps/NAME.bmp"); empty when unknown.
    std::string bitmapPath(std::string_view name) const;
    std::string iconPath(int id) const;

    const std::map<ResId, DialogTemplate>& dialogs() const { return m_dialogs; }

private:
    friend class ScriptParser;
    std::map<ResId, DialogTemplate> m_dialogs;
    std::map<int, std::string> m_strings;
    std::map<ResId, std::string> m_bitmaps;
    std::map<ResId, std::string> m_icons;
};

// The program's script, parsed from ":/quillory.rc" on first use. A script that does not parse
// is reported on stderr and gives an empty set of resources.
const ResourceScript& AppResources();
