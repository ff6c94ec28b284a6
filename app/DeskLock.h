#pragma once

#include "app/PasswordProtection.h"
#include "desk/DeskServices.h"
#include "platform/gui/HiddenWindows.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class ScreenLockSignal;

inline constexpr const char* kOptionsSection = "OPTIONS";
inline constexpr const char* kAutoLockKey = "AUTOLOCK";
inline constexpr int kDefaultAutoLockMinutes = 10;

// The lock time in minutes from the settings file, section "OPTIONS", key "AUTOLOCK"; a
// missing or empty key is written with the default, so users find it. 0 switches the lock
// after idle time off; a negative value counts as 0.
int AutoLockMinutes(const std::string& settingsFile);

// Whether typed is the password the desk was unlocked with: the session compares it in constant
// time with the newest password it holds (no key derivation, no file read). typed is wiped.
bool IsDeskPassword(std::string& typed);

// Locks a protected user's desk after the lock time without keyboard or mouse input in any
// window of the program, and at once when the desktop's screen locker comes on: every window
// is hidden and the password prompt asks until the right password brings them back as they
// were. Cancel there ends the program the way the exit hot spot does. A user without password
// is never locked.
class DeskLock : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    struct Hooks {
        Clock clock;                      // empty: the steady clock
        PasswordAsk ask;                  // empty: the masked password prompt
        std::function<void()> endProgram; // Cancel at the prompt
    };

    // minutes 0: no lock after idle time (the screen locker still locks).
    DeskLock(DeskPasswordState& state, int minutes, Hooks hooks);
    ~DeskLock() override;
    DeskLock(const DeskLock&) = delete;
    DeskLock& operator=(const DeskLock&) = delete;

    bool Locked() const { return m_locked; }
    // Whether a lock would take effect now: protected, and a password held to check against.
    bool Lockable() const;
    // Locks when the lock time has passed since the last input (the timer calls it).
    void CheckIdle();
    // Hides every window and asks for the password; returns once the windows are back or the
    // program has been told to end. Nothing for a user who cannot be locked.
    void Lock();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ArmTimer(std::chrono::steady_clock::duration wait);

    DeskPasswordState& m_state;
    std::chrono::minutes m_limit;
    Hooks m_hooks;
    std::chrono::steady_clock::time_point m_lastInput;
    bool m_locked = false;
    QTimer m_timer;
    HiddenWindows m_hidden;
    std::unique_ptr<ScreenLockSignal> m_screen;
};
