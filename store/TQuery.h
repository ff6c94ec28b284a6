#pragma once

#include "store/TDataSet.h"
#include "store/TStrings.h"

// The one statement: SELECT * FROM "<table path>" ; (spread over lines as wished).
class TQuery : public TDataSet {
public:
    TStrings& propSQL() { return m_sql; }
    // true: the result is editable.
    void propRequestLive(bool live) { m_live = live; }
    bool propRequestLive() const { return m_live; }
    // A failure (bad statement, damaged table, no valid password) leaves the query inactive.
    // A protected table asks the default session's password event; a handler that gives up
    // throws EPasswordCancelled, which passes through here on purpose: the data set manager
    // removes the working files and the login ends (LoginEndingOnPasswordCancel in app/).
    void Open();
    // The engine cursor of the open table; nullptr when inactive.
    hDBICur CursorHandle() const { return Table(); }
    // The engine's message of the last failed open.
    const std::string& LastError() const { return m_lastError; }

protected:
    bool DoOpen() override;

private:
    TStrings m_sql;
    bool m_live = false;
    std::string m_lastError;
};
