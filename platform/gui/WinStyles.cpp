#include "platform/gui/WinStyles.h"

#include "platform/Messages.h"

#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <unordered_map>

namespace {

struct StyleName {
    const char* name;
    uint32_t value;
};

#define Q_STYLE(n)                                                                                 \
    StyleName {                                                                                    \
#n, n                                                                                      \
    }

// Window styles.
constexpr std::array kWindowStyles = {
    Q_STYLE(WS_OVERLAPPED),   Q_STYLE(WS_POPUP),        Q_STYLE(WS_CHILD),
    Q_STYLE(WS_MINIMIZE),     Q_STYLE(WS_VISIBLE),      Q_STYLE(WS_DISABLED),
    Q_STYLE(WS_CLIPSIBLINGS), Q_STYLE(WS_CLIPCHILDREN), Q_STYLE(WS_MAXIMIZE),
    Q_STYLE(WS_CAPTION),      Q_STYLE(WS_BORDER),       Q_STYLE(WS_DLGFRAME),
    Q_STYLE(WS_VSCROLL),      Q_STYLE(WS_HSCROLL),      Q_STYLE(WS_SYSMENU),
    Q_STYLE(WS_THICKFRAME),   Q_STYLE(WS_GROUP),        Q_STYLE(WS_TABSTOP),
    Q_STYLE(WS_MINIMIZEBOX),  Q_STYLE(WS_MAXIMIZEBOX),
};

// Dialog styles.
constexpr std::array kDialogStyles = {
    Q_STYLE(DS_ABSALIGN),      Q_STYLE(DS_SYSMODAL),     Q_STYLE(DS_3DLOOK),
    Q_STYLE(DS_FIXEDSYS),      Q_STYLE(DS_NOFAILCREATE), Q_STYLE(DS_LOCALEDIT),
    Q_STYLE(DS_SETFONT),       Q_STYLE(DS_MODALFRAME),   Q_STYLE(DS_NOIDLEMSG),
    Q_STYLE(DS_SETFOREGROUND), Q_STYLE(DS_CONTROL),      Q_STYLE(DS_CENTER),
    Q_STYLE(DS_CENTERMOUSE),   Q_STYLE(DS_CONTEXTHELP),
};

// Edit styles.
constexpr std::array kEditStyles = {
    Q_STYLE(ES_LEFT),        Q_STYLE(ES_CENTER),    Q_STYLE(ES_RIGHT),      Q_STYLE(ES_MULTILINE),
    Q_STYLE(ES_UPPERCASE),   Q_STYLE(ES_LOWERCASE), Q_STYLE(ES_PASSWORD),   Q_STYLE(ES_AUTOVSCROLL),
    Q_STYLE(ES_AUTOHSCROLL), Q_STYLE(ES_NOHIDESEL), Q_STYLE(ES_OEMCONVERT), Q_STYLE(ES_READONLY),
    Q_STYLE(ES_WANTRETURN),  Q_STYLE(ES_NUMBER),
};

// Button styles.
constexpr std::array kButtonStyles = {
    Q_STYLE(BS_PUSHBUTTON),  Q_STYLE(BS_DEFPUSHBUTTON),
    Q_STYLE(BS_CHECKBOX),    Q_STYLE(BS_AUTOCHECKBOX),
    Q_STYLE(BS_RADIOBUTTON), Q_STYLE(BS_3STATE),
    Q_STYLE(BS_AUTO3STATE),  Q_STYLE(BS_GROUPBOX),
    Q_STYLE(BS_USERBUTTON),  Q_STYLE(BS_AUTORADIOBUTTON),
    Q_STYLE(BS_PUSHBOX),     Q_STYLE(BS_OWNERDRAW),
    Q_STYLE(BS_TYPEMASK),    Q_STYLE(BS_LEFTTEXT),
    Q_STYLE(BS_TEXT),        Q_STYLE(BS_ICON),
    Q_STYLE(BS_BITMAP),      Q_STYLE(BS_LEFT),
    Q_STYLE(BS_RIGHT),       Q_STYLE(BS_CENTER),
    Q_STYLE(BS_TOP),         Q_STYLE(BS_BOTTOM),
    Q_STYLE(BS_VCENTER),     Q_STYLE(BS_PUSHLIKE),
    Q_STYLE(BS_MULTILINE),   Q_STYLE(BS_NOTIFY),
    Q_STYLE(BS_FLAT),
};

// Static styles.
constexpr std::array kStaticStyles = {
    Q_STYLE(SS_LEFT),       Q_STYLE(SS_CENTER),      Q_STYLE(SS_RIGHT),
    Q_STYLE(SS_ICON),       Q_STYLE(SS_BLACKRECT),   Q_STYLE(SS_GRAYRECT),
    Q_STYLE(SS_WHITERECT),  Q_STYLE(SS_BLACKFRAME),  Q_STYLE(SS_GRAYFRAME),
    Q_STYLE(SS_WHITEFRAME), Q_STYLE(SS_SIMPLE),      Q_STYLE(SS_LEFTNOWORDWRAP),
    Q_STYLE(SS_OWNERDRAW),  Q_STYLE(SS_BITMAP),      Q_STYLE(SS_ETCHEDHORZ),
    Q_STYLE(SS_ETCHEDVERT), Q_STYLE(SS_ETCHEDFRAME), Q_STYLE(SS_TYPEMASK),
    Q_STYLE(SS_NOPREFIX),   Q_STYLE(SS_NOTIFY),      Q_STYLE(SS_CENTERIMAGE),
    Q_STYLE(SS_SUNKEN),
};

// List box styles.
constexpr std::array kListBoxStyles = {
    Q_STYLE(LBS_NOTIFY),
    Q_STYLE(LBS_SORT),
    Q_STYLE(LBS_NOREDRAW),
    Q_STYLE(LBS_MULTIPLESEL),
    Q_STYLE(LBS_OWNERDRAWFIXED),
    Q_STYLE(LBS_OWNERDRAWVARIABLE),
    Q_STYLE(LBS_HASSTRINGS),
    Q_STYLE(LBS_USETABSTOPS),
    Q_STYLE(LBS_NOINTEGRALHEIGHT),
    Q_STYLE(LBS_MULTICOLUMN),
    Q_STYLE(LBS_WANTKEYBOARDINPUT),
    Q_STYLE(LBS_EXTENDEDSEL),
    Q_STYLE(LBS_DISABLENOSCROLL),
    Q_STYLE(LBS_NOSEL),
    Q_STYLE(LBS_STANDARD),
};

// Extended window styles.
constexpr std::array kExtendedStyles = {
    Q_STYLE(WS_EX_DLGMODALFRAME), Q_STYLE(WS_EX_TOPMOST),    Q_STYLE(WS_EX_TRANSPARENT),
    Q_STYLE(WS_EX_TOOLWINDOW),    Q_STYLE(WS_EX_WINDOWEDGE), Q_STYLE(WS_EX_CLIENTEDGE),
    Q_STYLE(WS_EX_CONTEXTHELP),   Q_STYLE(WS_EX_STATICEDGE), Q_STYLE(WS_EX_APPWINDOW),
};
#undef Q_STYLE

// The dialog command ids and the id of a static without one.
constexpr std::array kControlIds = {
    StyleName{"IDOK", uint32_t(IDOK)},     StyleName{"IDCANCEL", uint32_t(IDCANCEL)},
    StyleName{"IDYES", uint32_t(IDYES)},   StyleName{"IDNO", uint32_t(IDNO)},
    StyleName{"IDC_STATIC", uint32_t(-1)},
};

std::unordered_map<std::string, uint32_t> IndexStyleNames() {
    std::unordered_map<std::string, uint32_t> index;
    for (std::span<const StyleName> table : std::initializer_list<std::span<const StyleName>>{
             kWindowStyles, kExtendedStyles, kDialogStyles, kEditStyles, kButtonStyles,
             kStaticStyles, kListBoxStyles, kControlIds})
        for (const StyleName& entry : table)
            index.emplace(entry.name, entry.value);
    return index;
}

} // namespace

std::optional<uint32_t> StyleConstant(std::string_view name) {
    static const std::unordered_map<std::string, uint32_t> kNames = IndexStyleNames();
    auto it = kNames.find(std::string(name));
    if (it == kNames.end())
        return std::nullopt;
    return it->second;
}
