#include "app/DeskLock.h"

#include "platform/Profile.h"
#include "store/TSession.h"
#include "tests/support/TestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

using namespace std::chrono_literals;

namespace {

// A lock on a hand-moved clock whose prompt answers from a list (an exhausted list cancels).
class DeskLockTest : public ::testing::Test {
protected:
    DeskPasswordState state{true};
    std::chrono::steady_clock::time_point now{};

    void SetUp() override { Session().AddPassword("richtig"); }
    void TearDown() override { Session().ClearPasswords(); }
    std::deque<std::string> answers;
    int asked = 0;
    bool ended = false;

    std::unique_ptr<DeskLock> MakeLock(int minutes) {
        DeskLock::Hooks hooks;
        hooks.clock = [this] { return now; };
        hooks.ask = [this](QWidget*, std::string& password) {
            ++asked;
            if (answers.empty())
                return false;
            password = answers.front();
            answers.pop_front();
            return true;
        };
        hooks.endProgram = [this] { ended = true; };
        return std::make_unique<DeskLock>(state, minutes, hooks);
    }
};

} // namespace

// The whole-program run (PasswordRunTest) shows the windows coming back with a form's text;
// these are the rules of when the lock comes at all.
TEST_F(DeskLockTest, OnlyAProtectedDeskLocksAndOnlyAfterTheLockTimeWithoutInput) {
    QWidget desk;
    desk.show();
    {
        state.isProtected = false;
        auto lock = MakeLock(10);
        now += 24h;
        lock->CheckIdle();
        lock->Lock(); // the screen locker
        state.isProtected = true;
        auto off = MakeLock(0); // AUTOLOCK=0
        now += 24h;
        off->CheckIdle();
        EXPECT_EQ(asked, 0);
    }
    auto lock = MakeLock(10);
    now += 9min;
    QTest::keyClick(&desk, Qt::Key_Shift); // input: the idle time starts again
    now += 9min;
    lock->CheckIdle();
    EXPECT_EQ(asked, 0);
    now += 1min;
    lock->CheckIdle(); // Cancel at the prompt
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(lock->Locked());
    EXPECT_FALSE(desk.isVisible()); // nothing shows while the program ends
}

TEST(AutoLockSettings, MissingKeyIsWrittenWithItsDefaultAndOnlyANumberChangesIt) {
    TempDir dir;
    const std::string ini = dir.file("Quillory.Ini");
    WriteFileBytes(ini, "[LASTUSER]\nNAME=Erika\n");
    EXPECT_EQ(AutoLockMinutes(ini), 10);
    EXPECT_EQ(GetPrivateProfileString("OPTIONS", "AUTOLOCK", "", ini), "10");
    EXPECT_EQ(GetPrivateProfileString("LASTUSER", "NAME", "", ini), "Erika");
    const std::pair<const char*, int> cases[] = {{"0", 0}, {" 3 ", 3}, {"zehn", 10}, {"-5", 0}};
    for (const auto& [value, minutes] : cases) {
        WriteFileBytes(ini, std::string("[OPTIONS]\nAUTOLOCK=") + value + "\n"); // as typed by hand
        EXPECT_EQ(AutoLockMinutes(ini), minutes) << value;
    }
}

TEST(DeskPassword, OnlyTheSessionsNewestPasswordUnlocksAndTheTypedTextIsWiped) {
    Session().AddPassword("richtig");
    Session().AddPassword("alt");
    Session().AddPassword("richtig"); // given again: the newest
    for (const char* wrong : {"falsch", "richti", "richtig ", "Richtig", "alt", ""}) {
        std::string typed = wrong;
        EXPECT_FALSE(IsDeskPassword(typed)) << wrong;
    }
    std::string typed = "richtig";
    EXPECT_TRUE(IsDeskPassword(typed));
    EXPECT_TRUE(typed.empty());
    Session().ClearPasswords();
    std::string again = "richtig";
    EXPECT_FALSE(IsDeskPassword(again));
}
