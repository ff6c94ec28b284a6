#include "app/TQuilloryApp.h"
#include "app/TSDIDecFrame.h"
#include "desk/HotSpotTable.h"
#include "desk/TQuilloryDlgClient.h"
#include "graphics/TBitmapRegion.h"
#include "platform/Profile.h"
#include "platform/SystemDirs.h"
#include "platform/gui/HelpViewer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#ifndef QUILLORY_TEMPLATE_DIR
#define QUILLORY_TEMPLATE_DIR ""
#endif

namespace {

QPoint Centre(int command) {
    for (const auto& row : kHotSpotTable) {
        if (row.command == command) {
            return {row.x + row.w / 2, row.y + row.h / 2};
        }
    }
    return {};
}

void Press(QWidget* desk, const QPoint& p) {
    QMouseEvent event(QEvent::MouseButtonPress, p, desk->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(desk, &event);
}

int SpotState(TQuilloryDlgClient* desk, int command) {
    return desk->HotSpots()[static_cast<size_t>(desk->HotSpotOf(command))]->state;
}

// One installation: a program folder with the template tables and a settings folder.
class ProgramRun : public ::testing::Test {
protected:
    TempDir programDir;
    TempDir windowsDir;

    void SetUp() override {
        namespace fs = std::filesystem;
        const fs::path templates = QUILLORY_TEMPLATE_DIR;
        ASSERT_TRUE(fs::is_directory(templates)) << templates;
        for (const auto& entry : fs::directory_iterator(templates)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("QUILLORY ", 0) == 0) {
                fs::copy_file(entry.path(), programDir.file(name));
            }
        }
        SystemDirs::SetProgramDirectory(programDir.path());
        SystemDirs::SetWindowsDirectory(windowsDir.path());
    }
    void TearDown() override {
        SystemDirs::SetProgramDirectory("");
        SystemDirs::SetWindowsDirectory("");
    }

    // Runs the program with typed names; steps run one after another on the shown desk,
    // each from the event loop. Returns the exit status.
    int Run(std::deque<std::string> names,
            std::vector<std::function<void(TQuilloryDlgClient*)>> steps, bool* shown = nullptr) {
        TQuilloryApp::Options options;
        options.realMessageBoxes = false;
        options.askName = [names](const std::string&, std::string& name) mutable {
            if (names.empty()) {
                return false;
            }
            name = names.front();
            names.pop_front();
            return true;
        };
        options.onShown = [steps, shown](TSDIDecFrame& frame) {
            if (shown) {
                *shown = true;
            }
            RunSteps(frame.Desk(), steps, 0);
        };
        return RunQuillory(*qApp, options);
    }
    // Each step starts from the event loop once the one before has returned, so a step
    // that runs a modal dialog never overlaps the next.
    static void RunSteps(TQuilloryDlgClient* desk,
                         std::vector<std::function<void(TQuilloryDlgClient*)>> steps, size_t next) {
        if (next >= steps.size()) {
            return;
        }
        QTimer::singleShot(0, desk, [desk, steps, next] {
            steps[next](desk);
            RunSteps(desk, steps, next + 1);
        });
    }
    std::string LastUser() {
        return GetPrivateProfileString("LASTUSER", "NAME", "<none>",
                                       windowsDir.file("Quillory.Ini"));
    }
};

const auto kExit = [](TQuilloryDlgClient* desk) { Press(desk, Centre(CmExit)); };

} // namespace

TEST_F(ProgramRun, FirstStartCreatesTheUserAndExitWritesTheDocument) {
    ScriptedMessages messages({IDYES});
    bool shown = false;
    EXPECT_EQ(Run({"Quillory"}, {kExit}, &shown), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{
                  "Der Benutzer existiert noch nicht, soll ein neuer Benutzer erstellt werden?"});
    EXPECT_FALSE(ReadFileBytes(programDir.file("Quillory.qlr")).empty());
    EXPECT_EQ(LastUser(), "Quillory");

    // The next start opens it without asking.
    messages.clear();
    EXPECT_EQ(Run({"Quillory"}, {kExit}), 0);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProgramRun, CancelledLoginEndsAtOnceWithoutWindowAndWritesNothing) {
    WritePrivateProfileString("LASTUSER", "NAME", "Erika", windowsDir.file("Quillory.Ini"));
    ScriptedMessages messages;
    bool shown = false;
    EXPECT_EQ(Run({}, {kExit}, &shown), 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(LastUser(), "Erika");
    EXPECT_FALSE(std::filesystem::exists(programDir.file("Erika.qlr")));
}

// Calls `act` with the modal dialog once one is shown, polling from the event loop.
void WhenModalShown(QObject* context, std::function<void(QWidget*)> act) {
    QTimer::singleShot(1, context, [context, act] {
        if (QWidget* box = QApplication::activeModalWidget(); box && box->isVisible()) {
            act(box);
        } else {
            WhenModalShown(context, act);
        }
    });
}

TEST_F(ProgramRun, AboutBoxAndHelpRunWithTheSpotPressedAndNormalAfter) {
    WriteFileBytes(programDir.file("Quillory.hlp"), "<html><body>Hilfe</body></html>");
    ScriptedMessages messages({IDYES});
    std::vector<int> pressedDuring;
    std::vector<int> after;
    bool helpShown = false;
    const auto about = [&](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, [&, desk](QWidget* box) {
            pressedDuring.push_back(SpotState(desk, CmAbout));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Quillory Version 1.0"));
            QMetaObject::invokeMethod(box, "accept");
        });
        Press(desk, Centre(CmAbout));
        after.push_back(SpotState(desk, CmAbout));
    };
    const auto help = [&](TQuilloryDlgClient* desk) {
        Press(desk, Centre(CmHelp));
        helpShown = HelpWindow() && HelpWindow()->isVisible();
        after.push_back(SpotState(desk, CmHelp));
    };
    EXPECT_EQ(Run({"Hans"}, {about, help, kExit}), 0);
    EXPECT_EQ(pressedDuring, std::vector<int>{1});
    EXPECT_EQ(after, (std::vector<int>{0, 0}));
    EXPECT_TRUE(helpShown);
    EXPECT_EQ(HelpWindow(), nullptr) << "the help window ends with the loop";
    EXPECT_FALSE(ReadFileBytes(programDir.file("Hans.qlr")).empty());
}
