#include "app/PasswordProtection.h"

#include "app/RecoveryPrompt.h"
#include "app/TPassWortDialog.h"
#include "engine/Crypto.h"
#include "platform/Messages.h"
#include "platform/gui/WaitCursor.h"
#include "store/EngineCalls.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "store/TSession.h"
#include "util/FileUtil.h"
#include "util/VersionTitle.h"
#include "util/gui/TInputDialog2.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

namespace {

constexpr size_t kPasswordBufferSize = TPassWortDialog::kMaxPasswordLength + 1;

std::optional<TBdtEventSinkV2<TSession&, bool&>::Token> g_requestToken;
// Set when the prompt's "Notfallzugang…" gave the session a recovery.
bool g_recoveryGiven = false;

// Hourglass and the mouse kept on the desk while the tables are restructured.
class BusyDesk {
public:
    explicit BusyDesk(QWidget* desk) : m_desk(desk) {
        if (m_desk && m_desk->isVisible()) {
            m_desk->grabMouse();
            m_grabbed = true;
        }
    }
    ~BusyDesk() {
        if (m_grabbed) {
            m_desk->releaseMouse();
        }
    }
    BusyDesk(const BusyDesk&) = delete;
    BusyDesk& operator=(const BusyDesk&) = delete;

private:
    WaitCursor m_wait;
    QWidget* m_desk;
    bool m_grabbed = false;
};

// The data set manager's queries made inactive for the engine to change their files, and
// the ones that were active opened again at the end, whatever happened.
class TablesClosed {
public:
    TablesClosed() {
        TDataSetManager& manager = DataSetManager();
        m_tables = manager.Tables();
        for (size_t i = 0; i < m_tables.size(); ++i) {
            m_wasActive[i] = m_tables[i] && m_tables[i]->propActive();
            if (m_wasActive[i]) {
                m_tables[i]->propActive(false);
            }
        }
    }
    ~TablesClosed() {
        for (size_t i = 0; i < m_tables.size(); ++i) {
            if (!m_wasActive[i]) {
                continue;
            }
            try {
                m_tables[i]->propActive(true);
            } catch (const EPasswordCancelled&) {
                // The passwords are in the session; a prompt here is given up and the table
                // stays closed, so nothing is written to it.
            }
        }
    }
    TablesClosed(const TablesClosed&) = delete;
    TablesClosed& operator=(const TablesClosed&) = delete;

private:
    TableQueries m_tables{};
    std::array<bool, kTableCount> m_wasActive{};
};

bool ChangeProtection(const std::vector<std::string>& paths, bool protect,
                      const std::string& password,
                      engine::RecoveryChange recovery = engine::RecoveryChange::Keep,
                      const engine::SecretKey* newRecovery = nullptr) {
    if (paths.empty()) {
        return false;
    }
    std::string directory;
    std::vector<RestructureDesc> descs;
    for (const std::string& path : paths) {
        std::string dir;
        std::string name;
        if (!DirOfPath(path, dir) || !FileNameOf(path, name) || name.empty()) {
            return false;
        }
        if (descs.empty()) {
            directory = dir;
        } else if (dir != directory) {
            return false; // one database directory for all of them
        }
        RestructureDesc desc;
        desc.tableName = name;
        desc.tableType = "PARADOX";
        desc.isProtected = protect;
        if (protect) {
            desc.password = password;
        }
        descs.push_back(std::move(desc));
    }
    hDBIDb db = nullptr;
    if (OpenDatabase(&db) != kEngineOk) {
        return false;
    }
    bool ok = SetDatabaseDirectory(db, directory) == kEngineOk;
    if (ok) {
        ok = RestructureTables(db, descs, recovery, newRecovery) == kEngineOk;
    }
    CloseDatabase(&db);
    for (RestructureDesc& desc : descs) {
        engine::Wipe(desc.password);
    }
    return ok;
}

std::vector<std::string> WorkingTables() {
    const TDataSetManager& manager = DataSetManager();
    std::vector<std::string> tables;
    for (const TableInfo& t : kTables)
        tables.push_back(manager.WorkFiles[static_cast<std::size_t>(t.FirstSlot())]);
    return tables;
}

void Inform(const char* text, QWidget* desk) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION, desk);
}

} // namespace

bool AskTablePassword(QWidget* owner, std::string& password) {
    TInputDialog2 dialog(owner, kPasswordPromptCaption, kPasswordPrompt, password,
                         kPasswordBufferSize, true);
    const std::string table = DataSetManager().WorkFiles[0];
    dialog.SetAction([&dialog, table] {
        if (AskRecoveryCodes(&dialog, table)) {
            g_recoveryGiven = true;
            dialog.CloseWindow(TInputDialog2::kActionId);
        }
    });
    const int result = dialog.Execute();
    return result == IDOK || result == TInputDialog2::kActionId;
}

bool AskNewPassword(QWidget* owner, std::string& password) {
    TPassWortDialog dialog(owner, password);
    return dialog.Execute() == IDOK;
}

bool IsTableProtected(const TQuery* table) {
    if (!table) {
        return false;
    }
    CursorProps props;
    return GetCursorProps(table->CursorHandle(), &props) == kEngineOk && props.isProtected == 1;
}

bool QueryProtection() {
    return IsTableProtected(DataSetManager().FirstTable);
}

bool SetTablePasswords(const std::string& password, const std::vector<std::string>& paths) {
    return !password.empty() && ChangeProtection(paths, true, password);
}

bool SetTableRecovery(const std::string& password, const engine::SecretKey* recovery,
                      const std::vector<std::string>& paths) {
    return !password.empty() && ChangeProtection(paths, true, password,
                                                 recovery ? engine::RecoveryChange::Replace
                                                          : engine::RecoveryChange::Remove,
                                                 recovery);
}

bool ClearTablePasswords(const std::vector<std::string>& paths) {
    return ChangeProtection(paths, false, {});
}

bool SetTablePassword(const std::string& password, const std::string& path) {
    return SetTablePasswords(password, {path});
}

bool ClearTablePassword(const std::string& path) {
    return ClearTablePasswords({path});
}

void AttachPasswordRequest(QWidget* desk, DeskPasswordState& state, PasswordAsk ask) {
    DetachPasswordRequest();
    // Shared, as the event calls copies of its handlers and the prompt may keep state.
    auto prompt = std::make_shared<PasswordAsk>(ask ? std::move(ask) : AskTablePassword);
    g_requestToken =
        Session().OnPassword.attach([desk, prompt, &state](TSession& session, bool& again) {
            std::string password;
            g_recoveryGiven = false;
            if (!(*prompt)(desk, password)) {
                throw EPasswordCancelled();
            }
            if (g_recoveryGiven) {
                // Once the tables are open and the desk runs.
                QTimer::singleShot(0, desk ? static_cast<QObject*>(desk) : qApp,
                                   [desk, &state] { NewPasswordAfterRecovery(desk, state); });
            }
            if (!password.empty()) {
                session.AddPassword(password); // the newest: the desk's password from now on
            }
            engine::Wipe(password);
            again = true;
        });
}

void DetachPasswordRequest() {
    if (g_requestToken) {
        Session().OnPassword.detach(*g_requestToken);
        g_requestToken.reset();
    }
}

std::function<bool()> LoginEndingOnPasswordCancel(std::function<bool()> login) {
    if (!login) {
        return login;
    }
    return [login = std::move(login)] {
        try {
            return login();
        } catch (const EPasswordCancelled&) {
            return false;
        }
    };
}

void SetPasswordCommand(QWidget* desk, DeskPasswordState& state, PasswordAsk ask) {
    if (!state.isProtected && ShowMessage(kUsePasswordQuestion, kVersionTitle,
                                          MB_YESNO | MB_ICONEXCLAMATION, desk) != IDYES) {
        return;
    }
    std::string password;
    if (!(ask ? ask : AskNewPassword)(desk, password) || password.empty()) {
        return;
    }
    bool ok = false;
    {
        BusyDesk busy(desk);
        TablesClosed closed;
        ok = SetTablePasswords(password, WorkingTables());
        if (ok) {
            Session().AddPassword(password); // the newest: the desk's password from now on
        }
    }
    engine::Wipe(password);
    // Shown once the mouse is free again, so the box can be answered.
    if (ok) {
        state.isProtected = true;
        DataSetManager().Save();
    } else {
        Inform(kSetPasswordFailed, desk);
    }
}

bool SetRecoveryCommand(QWidget* desk, const std::string& password,
                        const engine::SecretKey* recovery) {
    bool ok = false;
    {
        BusyDesk busy(desk);
        TablesClosed closed;
        ok = SetTableRecovery(password, recovery, WorkingTables());
        if (ok) {
            Session().AddPassword(password);
        }
    }
    if (ok) {
        DataSetManager().Save();
    }
    return ok;
}

void RemovePasswordCommand(QWidget* desk, DeskPasswordState& state) {
    if (!state.isProtected) {
        Inform(kNoPasswordYet, desk);
        return;
    }
    bool ok = false;
    {
        BusyDesk busy(desk);
        TablesClosed closed;
        ok = ClearTablePasswords(WorkingTables());
    }
    if (ok) {
        state.isProtected = false;
        Session().ClearPasswords(); // no table needs one any more
        DataSetManager().Save();
    } else {
        Inform(kRemovePasswordFailed, desk);
    }
}
