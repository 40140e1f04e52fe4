#pragma once
// Making a database from the schema the program carries: the delivered
// database (tool karvonel-mkdb) and the fresh databases of the tests.

#include "app/schema/schema_updates.h"

#include <QString>

namespace db {
class Attachment;
class Transaction;
}  // namespace db

namespace schema {

// Runs every script of the base schema; throws db::DbError (the failing
// statement) on failure.
void CreateBaseSchema(db::Attachment& att, db::Transaction& tr);

// Runs every script of the initial data (counters, rights tree, users,
// configuration, currencies, contact types); throws db::DbError on failure.
// Not committed.
void LoadInitialData(db::Attachment& att, db::Transaction& tr);

struct BuildOptions {
    // BaseDatabaseVersion: the base schema only, without key 101. Any other
    // version: the base schema brought there by RunSchemaUpdates, with that
    // version stored under key 101.
    int version = TargetDatabaseVersion;
    bool initialData = true;
    // The database's write mode when done. The build itself always runs with
    // forced writes off (it commits after every DDL statement); test databases
    // stay so, the delivered database is switched to forced (synchronous) writes.
    bool forcedWrites = true;
};

// Sets the write mode of a database file (no other attachment may hold it).
void SetForcedWrites(const QString& path, bool on);

// Creates the database file (which must not exist yet) through the embedded
// engine and builds it; detached when done. Throws std::runtime_error (with
// the reason) or db::DbError; a database left half-made is dropped.
void BuildDatabase(const QString& path, const BuildOptions& options = {});

}  // namespace schema
