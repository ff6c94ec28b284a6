#pragma once

#include <functional>
#include <string>

// The login of a user: asks for the name (proposing the last user, nothing at the first
// start), opens that user's document or, after asking, creates a new one, and records the last
// user in the settings file. The prompts and the data store are injected, so the rules run
// without widgets.

// What the data store made of an open or create attempt.
enum class DocumentOutcome {
    Done,  // opened or created (or failed and said so itself: the run goes on)
    InUse, // the document is open in another run; the store has said so, the prompt returns
};

struct LoginServices {
    // Shows the input box (caption the version title, the prompt, name as its initial text,
    // at most kMaxUserNameLength characters) and leaves the edited text in name; false on
    // Cancel.
    std::function<bool(const std::string& prompt, std::string& name)> askName;
    std::function<void(const std::string& documentPath)> setDocumentPath;
    std::function<DocumentOutcome(const std::string& documentPath)> open;
    // Creates the new user's tables for the document path already set.
    std::function<DocumentOutcome()> create;
};

enum class LoginResult { Opened, Created, Cancelled };

struct LoginOutcome {
    LoginResult result = LoginResult::Cancelled;
    std::string typedName;    // as typed, stored as the last user
    std::string documentPath; // program directory + name (+ ".qlr")
};

inline constexpr const char* kSettingsFileName = "Quillory.Ini";
inline constexpr const char* kLastUserSection = "LASTUSER";
inline constexpr const char* kLastUserKey = "NAME";
inline constexpr size_t kMaxUserNameLength = 255;

// windowsDir + "Quillory.Ini", created empty (owner read and write) when missing.
std::string PrepareSettingsFile(const std::string& windowsDir);

// The document file name of a typed name: ".qlr" appended unless it is there already.
std::string DocumentFileName(const std::string& typedName);

// A name that is a plain file name: no path separator, no NUL, not "." or "..".
bool IsPlainFileName(const std::string& name);

// Runs the login until a document was opened or created, or the user cancelled. Messages
// go through ShowMessage with the version title as caption.
LoginOutcome RunLogin(const LoginServices& services, const std::string& programDir,
                      const std::string& windowsDir);
