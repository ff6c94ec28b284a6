#include "platform/Messages.h"

#include <cstdio>
#include <utility>

namespace {

int DefaultHandler(const MessageRequest& request) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    switch (request.flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}

MessageHandler& CurrentHandler() {
    static MessageHandler handler;
    return handler;
}

} // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

int ShowMessage(const std::string& text, const std::string& caption, unsigned flags,
                const void* owner) {
    const MessageRequest request{owner, text, caption, flags};
    const MessageHandler& handler = CurrentHandler();
    return handler ? handler(request) : DefaultHandler(request);
}
