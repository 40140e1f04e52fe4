#pragma once
// Schema updates: the database records its schema version in configuration
// key 101; the program carries the scripts of every change since the base
// version and runs the missing ones in a fixed order. The table rights are
// granted at every start.

#include <QString>
#include <QStringList>

#include <vector>

namespace db {
class Attachment;
class Transaction;
}  // namespace db

namespace schema {

// A database without a (numeric) version key counts as this version.
constexpr int BaseDatabaseVersion = 10000;
// The version the program works on.
constexpr int TargetDatabaseVersion = 30079;
// The configuration key (APP_CONFIG.KEY_ID) that holds the version.
constexpr int VersionKeyId = 101;

// An object whose presence means that a script already ran: the script is then
// skipped, so that an update broken off half-way completes at the next run.
struct Presence {
    enum class Kind { None, Table, Column, Domain, Index, Constraint };
    Kind kind = Kind::None;
    QString object;  // table, domain, index or constraint name
    QString column;  // Column only
};

struct UpdateScript {
    QString path;       // under the schema folder, e.g. "updates/05a_rfq_loads_invoiced.sql"
    Presence skipWhen;  // Kind::None: always runs
};

// One update step: it runs when the stored version is below its threshold.
struct UpdateStep {
    int threshold;
    std::vector<UpdateScript> scripts;
};

// The eleven steps in the order they run (the thresholds are not ascending).
const std::vector<UpdateStep>& UpdateSteps();

// The numbers (1 to 11, in running order) of the steps whose threshold is
// above the stored version and not above the target.
std::vector<int> DueSteps(int stored, int target = TargetDatabaseVersion);

// Runs a script (statement terminator ";", "SET TERM" switches it; committed
// after every DDL statement). True when every statement ran; false at the
// first failing statement, whose error is given in *error when asked for.
bool RunScript(db::Attachment& att, db::Transaction& tr, const QString& script,
               QString* error = nullptr);

// Whether the object exists in the database.
bool IsPresent(db::Attachment& att, db::Transaction& tr, const Presence& what);

// Runs, in table order, every step whose threshold is above the stored version
// and not above the target (the program passes TargetDatabaseVersion, which no
// threshold exceeds). A script whose object already exists is skipped. Stops
// at the first failing script and returns false; true when every due step ran.
// Work that is not DDL is left uncommitted on the transaction.
bool RunSchemaUpdates(db::Attachment& att, db::Transaction& tr, int stored,
                      int target = TargetDatabaseVersion, QString* error = nullptr);

// The 41 tables whose rights are granted at every start, in that order.
const QStringList& GrantedTables();

// "GRANT SELECT, INSERT, UPDATE, DELETE, REFERENCES ON <table> TO <user>;" for
// every granted table, in order; stops at the first failure and returns false.
// The user must be a plain identifier (letters, digits, "_", "$").
bool GrantTableRights(db::Attachment& att, db::Transaction& tr,
                      const QString& user = QStringLiteral("SYSDBA"), QString* error = nullptr);

// The stored version: the value of key 101 as a decimal integer; missing or
// not numeric gives BaseDatabaseVersion.
int StoredDatabaseVersion(db::Attachment& att, db::Transaction& tr);
// Stores the version under key 101 (updating or inserting the row).
void StoreDatabaseVersion(db::Attachment& att, db::Transaction& tr, int version);

}  // namespace schema
