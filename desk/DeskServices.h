#pragma once

#include <functional>
#include <stdexcept>
#include <string>

class QWidget;

// The desk's table password and whether the user's tables are protected; the password
// commands and the engine's password request read and change it.
// The password itself is held by the engine's session only (store/TSession).
struct DeskPasswordState {
    bool isProtected = false;
};

// What the desk asks of the program around it. Empty functions do nothing (and a missing
// login counts as done, a missing protection query as unprotected).
struct DeskServices {
    // The login; false when the user cancelled it.
    std::function<bool()> login;
    // Whether the logged-in user's tables are password-protected.
    std::function<bool()> queryProtection;
    // The engine's password request, attached at construction and detached at destruction.
    std::function<void(QWidget* desk, DeskPasswordState& state)> attachPasswordRequest;
    std::function<void()> detachPasswordRequest;
    // Commands 6 and 7.
    std::function<void(QWidget* desk, DeskPasswordState& state)> setPassword;
    std::function<void(QWidget* desk, DeskPasswordState& state)> removePassword;
    // Command 2: the backup dialog for the program directory, run modally.
    std::function<void(QWidget* desk, const std::string& programDir)> backup;
    // Commands 8 to 16: the category form of the command, run modally.
    std::function<void(int command, QWidget* desk)> runForm;
    // The form of a category with one of its fields focused (and its text selected), modally.
    std::function<void(QWidget* desk, int category, int id, bool selectText)> openFormAtField;
    // Command 17 (and Ctrl+P): the emergency folder's dialog, run modally.
    std::function<void(QWidget* desk, const DeskPasswordState& state)> emergencyFolder;
    // Command 18: the overview of the dates in the user's forms, run modally.
    std::function<void(QWidget* desk, const DeskPasswordState& state)> deadlines;
    // Command 19 (and Ctrl+F): the search window, run modally; openField opens the form of the
    // field chosen there.
    std::function<void(QWidget* desk, const std::function<void(int category, int id)>& openField)>
        search;
    // Command 3: ends the message loop with status 0 (by default QCoreApplication::exit(0)).
    std::function<void()> quit;
};

// Thrown out of the desk's construction when the login is cancelled: the program ends at
// once with status 0, before any window exists and without writing anything.
class LoginCancelled : public std::runtime_error {
public:
    LoginCancelled() : std::runtime_error("login cancelled") {}
};
