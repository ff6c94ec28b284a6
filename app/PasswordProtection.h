#pragma once

#include "desk/DeskServices.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;
class TQuery;
namespace engine {
class SecretKey;
}

// The table password of the logged-in user's two working tables. The program keeps no
// password of its own: the engine holds the protection, the session the passwords given.

inline constexpr const char* kPasswordPromptCaption = "Geben Sie das Paßwort ein!";
inline constexpr const char* kPasswordPrompt = "Paßwort:";
inline constexpr const char* kUsePasswordQuestion =
    "Sind Sie sicher, daß Sie ein Paßwort verwenden möchten?\nSollten Sie das Paßwort "
    "vergessen, so ist kein Zugriff mehr auf die Daten möglich!";
inline constexpr const char* kSetPasswordFailed = "Paßwortvergabe gescheitert!";
inline constexpr const char* kNoPasswordYet = "Es wurde noch kein Paßwort vergeben!";
inline constexpr const char* kRemovePasswordFailed = "Löschen des Paßwortes gescheitert!";

// Asks for a password; false when the user cancelled.
using PasswordAsk = std::function<bool(QWidget* owner, std::string& password)>;

// The prompt of a password request: masked input box of at most 19 characters.
bool AskTablePassword(QWidget* owner, std::string& password);
// The set-password dialog (password and confirmation).
bool AskNewPassword(QWidget* owner, std::string& password);

// Whether the engine reports the open table as protected; false for an inactive table.
bool IsTableProtected(const TQuery* table);
// The same for the data set manager's first table.
bool QueryProtection();

// Protect (or change the password of) the table files, or unprotect them, all or nothing:
// every table changes or none does. The files lie in one directory. Engine errors are not
// shown; protected tables need their current password in the session.
bool SetTablePasswords(const std::string& password, const std::vector<std::string>& paths);
bool ClearTablePasswords(const std::vector<std::string>& paths);
// Sets the password and gives the tables a new recovery, replacing an earlier one (whose
// sheets then open nothing), or removes it when recovery is nullptr. A password change keeps
// the recovery; removing the password removes it.
bool SetTableRecovery(const std::string& password, const engine::SecretKey* recovery,
                      const std::vector<std::string>& paths);
bool SetTablePassword(const std::string& password, const std::string& path);
bool ClearTablePassword(const std::string& path);

// Sets password (the current or a new one) on the working tables with a new recovery, or
// without any when recovery is nullptr; the password goes to the session and the document is
// saved. False when it failed (nothing changed then).
bool SetRecoveryCommand(QWidget* desk, const std::string& password,
                        const engine::SecretKey* recovery);

// Attaches the answer to the session's password request: the prompt's text goes to the
// session (its only holder) and the engine tries again; Cancel throws
// EPasswordCancelled, so the opening of the tables gives up. The prompt's "Notfallzugang…"
// puts a recovery from the sheets into the session instead; once the tables are open, a new
// password is asked for. One handler at a time.
void AttachPasswordRequest(QWidget* desk, DeskPasswordState& state, PasswordAsk ask = {});
void DetachPasswordRequest();

// Wraps a login so that a cancelled password prompt during it counts as a cancelled login:
// the program then ends at once with nothing written.
std::function<bool()> LoginEndingOnPasswordCancel(std::function<bool()> login);

// The desk's set-password command: the warning question for an unprotected user, the
// dialog, then both working tables protected with the new password together.
void SetPasswordCommand(QWidget* desk, DeskPasswordState& state, PasswordAsk ask = {});
// The desk's remove-password command: both working tables unprotected together.
void RemovePasswordCommand(QWidget* desk, DeskPasswordState& state);
