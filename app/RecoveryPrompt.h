#pragma once

#include "print/TNotfallzugangDialog.h"

class QWidget;
struct DeskPasswordState;

// The emergency access of the logged-in user's document.

// "Notfallzugang…" at the password prompt: asks for sheets' codes one by one, saying how many
// more are needed and which group is mistyped, until they put together a recovery that opens
// tablePath; that recovery then goes to the session. False when the user gave up.
bool AskRecoveryCodes(QWidget* owner, const std::string& tablePath);

// What the sheets' dialog needs: the password check against the session and the recovery given
// to the working tables (closed around it), the document saved.
RecoveryActions DocumentRecoveryActions(QWidget* desk);

// After the document was opened by sheets: a new password (the used sheets then open nothing),
// and the offer of new sheets.
void NewPasswordAfterRecovery(QWidget* desk, DeskPasswordState& state);
