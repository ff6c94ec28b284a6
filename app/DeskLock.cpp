#include "app/DeskLock.h"

#include "engine/Crypto.h"
#include "engine/Session.h"
#include "platform/Profile.h"
#include "platform/gui/ScreenLockSignal.h"
#include "store/TSession.h"
#include "util/gui/MessageQueue.h"

#include <QApplication>

#include <algorithm>
#include <cctype>

namespace {

// A year: longer waits are no lock, and the clock arithmetic stays far from overflowing.
constexpr int kMaxAutoLockMinutes = 365 * 24 * 60;
// While a long step drops user input, the lock waits this long and tries again.
constexpr std::chrono::seconds kRetryWhileBusy{1};

bool StartsWithNumber(const std::string& value) {
    const size_t digit = !value.empty() && (value[0] == '-' || value[0] == '+') ? 1 : 0;
    return digit < value.size() && std::isdigit(static_cast<unsigned char>(value[digit]));
}

} // namespace

int AutoLockMinutes(const std::string& settingsFile) {
    const TProfileSnapshot settings(settingsFile);
    const std::string value = settings.String(kOptionsSection, kAutoLockKey, "");
    if (value.empty()) {
        WritePrivateProfileString(kOptionsSection, kAutoLockKey,
                                  std::to_string(kDefaultAutoLockMinutes), settingsFile);
        return kDefaultAutoLockMinutes;
    }
    // A value that is no number keeps the lock on: a typing slip must not switch it off.
    if (!StartsWithNumber(value)) {
        return kDefaultAutoLockMinutes;
    }
    const int minutes = settings.Int(kOptionsSection, kAutoLockKey, 0);
    return std::clamp(minutes, 0, kMaxAutoLockMinutes);
}

bool IsDeskPassword(std::string& typed) {
    const bool same = Session().Engine().IsNewestPassword(typed);
    engine::Wipe(typed);
    return same;
}

DeskLock::DeskLock(DeskPasswordState& state, int minutes, Hooks hooks)
    : m_state(state), m_limit(std::clamp(minutes, 0, kMaxAutoLockMinutes)),
      m_hooks(std::move(hooks)) {
    if (!m_hooks.clock) {
        m_hooks.clock = [] { return std::chrono::steady_clock::now(); };
    }
    if (!m_hooks.ask) {
        m_hooks.ask = AskTablePassword;
    }
    if (!m_hooks.endProgram) {
        m_hooks.endProgram = [] { QCoreApplication::exit(0); };
    }
    m_lastInput = m_hooks.clock();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DeskLock::CheckIdle);
    if (m_limit.count() > 0) {
        qApp->installEventFilter(this);
        ArmTimer(m_limit);
    }
    m_screen = std::make_unique<ScreenLockSignal>();
    // Queued: the prompt's loop does not run inside the bus's delivery.
    connect(m_screen.get(), &ScreenLockSignal::ScreenLocked, this, &DeskLock::Lock,
            Qt::QueuedConnection);
}

DeskLock::~DeskLock() {
    if (qApp) {
        qApp->removeEventFilter(this);
    }
}

bool DeskLock::Lockable() const {
    return m_state.isProtected && Session().Engine().HasPasswords();
}

bool DeskLock::eventFilter(QObject* watched, QEvent* event) {
    // Only what comes from the window system is the user's; events the program sends itself
    // keep nobody's desk open.
    if (event->spontaneous() && IsUserInput(event->type())) {
        m_lastInput = m_hooks.clock();
    }
    return QObject::eventFilter(watched, event);
}

void DeskLock::ArmTimer(std::chrono::steady_clock::duration wait) {
    using namespace std::chrono;
    // Timers take int milliseconds; a longer wait is looked at again after a day.
    const auto ms = std::clamp<milliseconds::rep>(duration_cast<milliseconds>(wait).count(), 0,
                                                  duration_cast<milliseconds>(hours(24)).count());
    m_timer.start(static_cast<int>(ms));
}

void DeskLock::CheckIdle() {
    if (m_locked || m_limit.count() == 0) {
        return;
    }
    const auto idle = m_hooks.clock() - m_lastInput;
    if (idle < m_limit) {
        ArmTimer(m_limit - idle);
        return;
    }
    if (!Lockable()) {
        ArmTimer(m_limit);
        return;
    }
    Lock();
}

void DeskLock::Lock() {
    if (m_locked || !Lockable()) {
        return;
    }
    if (CheckingAbort()) {
        // The prompt could not be answered while a long step drops the user's input.
        QTimer::singleShot(kRetryWhileBusy, this, &DeskLock::Lock);
        return;
    }
    m_locked = true;
    m_timer.stop();
    m_hidden.Hide();
    for (;;) {
        std::string typed;
        if (!m_hooks.ask(nullptr, typed)) {
            engine::Wipe(typed);
            // The windows stay hidden while the program ends; the lock stays on meanwhile.
            m_hooks.endProgram();
            return;
        }
        if (IsDeskPassword(typed)) {
            break;
        }
    }
    m_hidden.Restore();
    m_locked = false;
    m_lastInput = m_hooks.clock();
    if (m_limit.count() > 0) {
        ArmTimer(m_limit);
    }
}
