#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Window, dialog and control style bits with their Windows values, as the resource script
// names them.

inline constexpr uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_MINIMIZE = 0x20000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_DISABLED = 0x08000000;
inline constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr uint32_t WS_MAXIMIZE = 0x01000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_DLGFRAME = 0x00400000;
inline constexpr uint32_t WS_VSCROLL = 0x00200000;
inline constexpr uint32_t WS_HSCROLL = 0x00100000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr uint32_t WS_GROUP = 0x00020000;
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;

inline constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t WS_EX_TRANSPARENT = 0x00000020;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100;
inline constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr uint32_t WS_EX_CONTEXTHELP = 0x00000400;
inline constexpr uint32_t WS_EX_STATICEDGE = 0x00020000;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

inline constexpr uint32_t DS_ABSALIGN = 0x0001;
inline constexpr uint32_t DS_SYSMODAL = 0x0002;
inline constexpr uint32_t DS_3DLOOK = 0x0004;
inline constexpr uint32_t DS_FIXEDSYS = 0x0008;
inline constexpr uint32_t DS_NOFAILCREATE = 0x0010;
inline constexpr uint32_t DS_LOCALEDIT = 0x0020;
inline constexpr uint32_t DS_SETFONT = 0x0040;
inline constexpr uint32_t DS_MODALFRAME = 0x0080;
inline constexpr uint32_t DS_NOIDLEMSG = 0x0100;
inline constexpr uint32_t DS_SETFOREGROUND = 0x0200;
inline constexpr uint32_t DS_CONTROL = 0x0400;
inline constexpr uint32_t DS_CENTER = 0x0800;
inline constexpr uint32_t DS_CENTERMOUSE = 0x1000;
inline constexpr uint32_t DS_CONTEXTHELP = 0x2000;

inline constexpr uint32_t ES_LEFT = 0x0000;
inline constexpr uint32_t ES_CENTER = 0x0001;
inline constexpr uint32_t ES_RIGHT = 0x0002;
inline constexpr uint32_t ES_MULTILINE = 0x0004;
inline constexpr uint32_t ES_UPPERCASE = 0x0008;
inline constexpr uint32_t ES_LOWERCASE = 0x0010;
inline constexpr uint32_t ES_PASSWORD = 0x0020;
inline constexpr uint32_t ES_AUTOVSCROLL = 0x0040;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr uint32_t ES_NOHIDESEL = 0x0100;
inline constexpr uint32_t ES_OEMCONVERT = 0x0400;
inline constexpr uint32_t ES_READONLY = 0x0800;
inline constexpr uint32_t ES_WANTRETURN = 0x1000;
inline constexpr uint32_t ES_NUMBER = 0x2000;

inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr uint32_t BS_CHECKBOX = 0x2;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_RADIOBUTTON = 0x4;
inline constexpr uint32_t BS_3STATE = 0x5;
inline constexpr uint32_t BS_AUTO3STATE = 0x6;
inline constexpr uint32_t BS_GROUPBOX = 0x7;
inline constexpr uint32_t BS_USERBUTTON = 0x8;
inline constexpr uint32_t BS_AUTORADIOBUTTON = 0x9;
inline constexpr uint32_t BS_PUSHBOX = 0xA;
inline constexpr uint32_t BS_OWNERDRAW = 0xB;
inline constexpr uint32_t BS_TYPEMASK = 0xF;
inline constexpr uint32_t BS_LEFTTEXT = 0x20;
inline constexpr uint32_t BS_TEXT = 0x0;
inline constexpr uint32_t BS_ICON = 0x40;
inline constexpr uint32_t BS_BITMAP = 0x80;
inline constexpr uint32_t BS_LEFT = 0x100;
inline constexpr uint32_t BS_RIGHT = 0x200;
inline constexpr uint32_t BS_CENTER = 0x300;
inline constexpr uint32_t BS_TOP = 0x400;
inline constexpr uint32_t BS_BOTTOM = 0x800;
inline constexpr uint32_t BS_VCENTER = 0xC00;
inline constexpr uint32_t BS_PUSHLIKE = 0x1000;
inline constexpr uint32_t BS_MULTILINE = 0x2000;
inline constexpr uint32_t BS_NOTIFY = 0x4000;
inline constexpr uint32_t BS_FLAT = 0x8000;

inline constexpr uint32_t SS_LEFT = 0x00;
inline constexpr uint32_t SS_CENTER = 0x01;
inline constexpr uint32_t SS_RIGHT = 0x02;
inline constexpr uint32_t SS_ICON = 0x03;
inline constexpr uint32_t SS_BLACKRECT = 0x04;
inline constexpr uint32_t SS_GRAYRECT = 0x05;
inline constexpr uint32_t SS_WHITERECT = 0x06;
inline constexpr uint32_t SS_BLACKFRAME = 0x07;
inline constexpr uint32_t SS_GRAYFRAME = 0x08;
inline constexpr uint32_t SS_WHITEFRAME = 0x09;
inline constexpr uint32_t SS_SIMPLE = 0x0B;
inline constexpr uint32_t SS_LEFTNOWORDWRAP = 0x0C;
inline constexpr uint32_t SS_OWNERDRAW = 0x0D;
inline constexpr uint32_t SS_BITMAP = 0x0E;
inline constexpr uint32_t SS_ETCHEDHORZ = 0x10;
inline constexpr uint32_t SS_ETCHEDVERT = 0x11;
inline constexpr uint32_t SS_ETCHEDFRAME = 0x12;
inline constexpr uint32_t SS_TYPEMASK = 0x1F;
inline constexpr uint32_t SS_NOPREFIX = 0x80;
inline constexpr uint32_t SS_NOTIFY = 0x100;
inline constexpr uint32_t SS_CENTERIMAGE = 0x200;
inline constexpr uint32_t SS_SUNKEN = 0x1000;

inline constexpr uint32_t LBS_NOTIFY = 0x0001;
inline constexpr uint32_t LBS_SORT = 0x0002;
inline constexpr uint32_t LBS_NOREDRAW = 0x0004;
inline constexpr uint32_t LBS_MULTIPLESEL = 0x0008;
inline constexpr uint32_t LBS_OWNERDRAWFIXED = 0x0010;
inline constexpr uint32_t LBS_OWNERDRAWVARIABLE = 0x0020;
inline constexpr uint32_t LBS_HASSTRINGS = 0x0040;
inline constexpr uint32_t LBS_USETABSTOPS = 0x0080;
inline constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr uint32_t LBS_MULTICOLUMN = 0x0200;
inline constexpr uint32_t LBS_WANTKEYBOARDINPUT = 0x0400;
inline constexpr uint32_t LBS_EXTENDEDSEL = 0x0800;
inline constexpr uint32_t LBS_DISABLENOSCROLL = 0x1000;
inline constexpr uint32_t LBS_NOSEL = 0x4000;
inline constexpr uint32_t LBS_STANDARD = LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER;

// The value of a style constant named in a script (also IDOK, IDCANCEL, IDC_STATIC).
std::optional<uint32_t> StyleConstant(std::string_view name);
