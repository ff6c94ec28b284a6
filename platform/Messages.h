#pragma once

#include <functional>
#include <string>

// Message boxes with the Windows flags and results. Code below the widget layer (store, util)
// shows its failures through ShowMessage; the widget layer installs a handler that opens a real
// modal box, and tests install one that records the request and answers from a script.

enum MessageFlags : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_TYPEMASK = 0x0F,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON2 = 0x100, // the second button is the default rather than the first
};

enum MessageResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

struct MessageRequest {
    const void* owner = nullptr; // a QWidget* at the widget edge, or null
    std::string text;            // UTF-8
    std::string caption;         // UTF-8; may be empty
    unsigned flags = MB_OK;
};

using MessageHandler = std::function<int(const MessageRequest&)>;

// Installs a handler and returns the previous one. An empty handler restores the default,
// which prints to stderr and answers with the first button (IDOK or IDYES).
MessageHandler SetMessageHandler(MessageHandler handler);

// Shows a message through the installed handler and returns the button chosen.
int ShowMessage(const std::string& text, const std::string& caption, unsigned flags,
                const void* owner = nullptr);
