#pragma once

#include <string>
#include <vector>

#include "engine/Restructure.h"
#include "store/TDataSet.h"

// Direct engine calls of the password code. Every call returns kEngineOk or an error code.
constexpr int kEngineOk = 0;
constexpr int kEngineError = 1;    // file, format or integrity failure
constexpr int kEngineBadArg = 2;   // bad handle, descriptor or table name
constexpr int kEngineNoAccess = 3; // a protected table and no valid password in the session

struct DatabaseHandle;
using hDBIDb = DatabaseHandle*;

// Opens a database handle with every parameter at its default (on the default session).
int OpenDatabase(hDBIDb* db);
// The directory the table names of the restructure descriptors are taken in.
int SetDatabaseDirectory(hDBIDb db, const std::string& directory);
int CloseDatabase(hDBIDb* db);

// What a restructure changes of one table: its protection.
struct RestructureDesc {
    std::string tableName;             // file name with extension, no directory ("tmpab12.DB")
    std::string tableType = "PARADOX"; // the only type
    bool isProtected = false;
    std::string password; // the new password when isProtected
};

// Restructures one table: sets, changes or clears its password, rewriting its three files
// atomically. A protected table needs its current password in the session.
int RestructureTable(hDBIDb db, const RestructureDesc& desc);
// All or nothing over several tables: every table changes or none does. The recovery of the
// protected tables is kept, replaced by newRecovery's or removed.
int RestructureTables(hDBIDb db, const std::vector<RestructureDesc>& descs,
                      engine::RecoveryChange recovery = engine::RecoveryChange::Keep,
                      const engine::SecretKey* newRecovery = nullptr);

// Gives the table (a .DB path) the protection of the model table: a table made from its
// template joins a protected document sealed with its key. False when either does not open
// with the session's passwords or the table cannot be written.
bool ProtectTableLike(const std::string& table, const std::string& model);
// The same with the model table open (nullptr: false).
bool ProtectTableLike(const std::string& table, hDBICur model);

struct CursorProps {
    std::string tableName;
    int fieldCount = 0;
    int recordCount = 0;
    int isProtected = 0; // 1 when the table has a password
};
int GetCursorProps(hDBICur cursor, CursorProps* props);
