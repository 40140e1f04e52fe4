#pragma once
// SQL scripts: several statements separated by a terminator.

#include "db/db_error.h"

#include <QString>

#include <vector>

namespace db {

class Attachment;
class Transaction;

struct ScriptStatement {
    QString text;  // without its terminator, trimmed
    int line = 0;  // 1-based line of the script where the statement begins
};

// Splits on the terminator (";" at the start) outside quoted text, quoted
// identifiers and comments. "SET TERM <t> <current>" switches the terminator and is
// not returned. Empty statements are dropped.
std::vector<ScriptStatement> splitScript(const QString& script);

// The statement of a script that failed, with the server's error.
class ScriptError : public DbError {
public:
    ScriptError(const DbError& cause, ScriptStatement statement);
    const ScriptStatement& statement() const { return statement_; }

private:
    ScriptStatement statement_;
};

// Runs each statement of the script on the transaction (started when inactive),
// committing after every DDL statement and starting the transaction again.
// "COMMIT [WORK]" and "ROLLBACK [WORK]" act on the transaction; the isql
// settings "SET SQL DIALECT", "SET NAMES" and "SET AUTODDL" are skipped.
// Stops at the first failing statement with ScriptError; statements run
// before it stay as they are (committed DDL is not undone).
void runScript(Attachment& att, Transaction& tr, const QString& script);

}  // namespace db
