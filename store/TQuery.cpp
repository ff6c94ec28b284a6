#include "store/TQuery.h"

#include "engine/EngineError.h"
#include "engine/SqlStatement.h"
#include "engine/Table.h"
#include "store/TSession.h"

void TQuery::Open() {
    if (!propActive())
        DoOpen();
}

bool TQuery::DoOpen() {
    m_lastError.clear();
    try {
        InitBDTExceptions();
        std::string path = engine::ParseSelectAll(m_sql.Text());
        Attach(engine::Table::Open(path, Session().Engine()), m_live);
        return true;
    } catch (const EPasswordCancelled& e) {
        m_lastError = e.what();
        Close();
        throw;
    } catch (const std::exception& e) {
        m_lastError = e.what();
        Close();
        return false;
    }
}
