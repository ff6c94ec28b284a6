#pragma once

// One installation in temporary directories and the whole program run in this process, with
// steps played on the shown desk.
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

inline QPoint Centre(int command) {
    for (const auto& row : kHotSpotTable) {
        if (row.command == command) {
            return {row.x + row.w / 2, row.y + row.h / 2};
        }
    }
    return {};
}

inline void Press(QWidget* desk, const QPoint& p) {
    QMouseEvent event(QEvent::MouseButtonPress, p, desk->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(desk, &event);
}

inline int SpotState(TQuilloryDlgClient* desk, int command) {
    return desk->HotSpots()[static_cast<size_t>(desk->HotSpotOf(command))]->state;
}

// One installation: a program folder with the template tables and a settings folder.
class ProgramRun : public ::testing::Test {
protected:
    TempDir programDir;
    TempDir windowsDir;
    TempDir tempDir;

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
        SystemDirs::SetTempDirectory(tempDir.path());
    }
    void TearDown() override {
        SystemDirs::SetProgramDirectory("");
        SystemDirs::SetWindowsDirectory("");
        SystemDirs::SetTempDirectory("");
    }

    // Runs the program with typed names; steps run one after another on the shown desk,
    // each from the event loop. Returns the exit status.
    int Run(std::deque<std::string> names,
            std::vector<std::function<void(TQuilloryDlgClient*)>> steps, bool* shown = nullptr,
            const std::function<void(TQuilloryApp::Options&)>& adjust = {}) {
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
        if (adjust) {
            adjust(options);
        }
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

inline const auto kExit = [](TQuilloryDlgClient* desk) { Press(desk, Centre(CmExit)); };

// Calls `act` with the modal dialog once one is shown, polling from the event loop.
inline void WhenModalShown(QObject* context, std::function<void(QWidget*)> act) {
    QTimer::singleShot(1, context, [context, act] {
        if (QWidget* box = QApplication::activeModalWidget(); box && box->isVisible()) {
            act(box);
        } else {
            WhenModalShown(context, act);
        }
    });
}
