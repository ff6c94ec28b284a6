#pragma once

#include <functional>
#include <map>

// An event with two arguments; handlers are attached with a token and detached by it.
template <class A1, class A2> class TBdtEventSinkV2 {
public:
    using Handler = std::function<void(A1, A2)>;
    using Token = int;

    Token attach(Handler handler) {
        m_handlers[++m_last] = std::move(handler);
        return m_last;
    }
    void detach(Token token) { m_handlers.erase(token); }
    bool empty() const { return m_handlers.empty(); }
    void operator()(A1 a1, A2 a2) {
        auto handlers = m_handlers; // a handler may detach itself
        for (auto& [token, h] : handlers)
            h(a1, a2);
    }

private:
    std::map<Token, Handler> m_handlers;
    Token m_last = 0;
};
