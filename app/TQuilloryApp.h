#pragma once

#include "app/DeskLock.h"
#include "app/Login.h"
#include "deadlines/gui/TFristenDialog.h"
#include "desk/DeskServices.h"

#include <functional>
#include <memory>
#include <string>

class QApplication;
class TSDIDecFrame;

// The application object: builds the main frame (whose desk runs the login), shows it and
// runs the message loop. The QApplication is created before it and outlives it, so message
// boxes work until the very end.
class TQuilloryApp {
public:
    // Replacements for tests; empty members keep the program's own behaviour.
    struct Options {
        std::function<bool(const std::string& prompt, std::string& name)> askName;
        std::function<void(DeskServices&)> adjustServices;
        // Called once the frame is shown, before the loop runs.
        std::function<void(TSDIDecFrame&)> onShown;
        // False keeps the message handler already installed (scripted answers in tests).
        bool realMessageBoxes = true;
        // The desk lock's clock (empty: the steady clock).
        DeskLock::Clock lockClock;
    };

    explicit TQuilloryApp(QApplication& application);
    TQuilloryApp(QApplication& application, Options options);
    ~TQuilloryApp();
    TQuilloryApp(const TQuilloryApp&) = delete;
    TQuilloryApp& operator=(const TQuilloryApp&) = delete;

    const std::string& Name() const { return m_name; }

    // Creates the main window: the frame with its desk. False when the login was cancelled.
    bool InitMainWindow();
    // Main window shown with the show mode and its lock set up; false when the login was
    // cancelled.
    bool InitInstance();
    // InitInstance, then the message loop; the run result (0). A cancelled login returns 0
    // at once without any window.
    int Run();

    const LoginOutcome& Login() const { return m_login; }
    // The services the desk is given (the program's own, after the test adjustments).
    DeskServices Services();

private:
    std::string DeadlineUser() const;
    FristenFacts DeadlineFacts(QWidget* desk, const DeskPasswordState& state) const;
    // The overview once a day at login when anything is due, and the day's notification.
    void StartDeadlineReminders();

    QApplication& m_application;
    Options m_options;
    std::string m_name;
    LoginOutcome m_login;
    std::function<void()> m_quit;
    std::unique_ptr<TSDIDecFrame> m_frame;
};

// The login's input box: caption the version title, owner the active window.
bool AskUserNameDialog(const std::string& prompt, std::string& name);

// The whole program between the creation of the QApplication and its end: message handler,
// translations, termination signals, application object, loop, frame and desk destroyed, then
// the document written by the data set manager. Returns the exit status.
int RunQuillory(QApplication& application, TQuilloryApp::Options options = {});
