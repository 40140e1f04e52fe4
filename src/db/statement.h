#pragma once
// Prepared statements with named parameters, and their cursors.

#include "db/db_value.h"
#include "db/named_params.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace Firebird {
class IStatement;
class IResultSet;
class IMessageMetadata;
}  // namespace Firebird

namespace db {

class Attachment;
class Transaction;
class Cursor;

enum class StatementKind {
    Unknown,
    Select,           // returns rows through a cursor
    SelectForUpdate,
    Insert,
    Update,
    Delete,
    Ddl,
    ExecProcedure,    // EXECUTE PROCEDURE, EXECUTE BLOCK without SUSPEND, ... RETURNING
    SetGenerator,
    Savepoint,
    Other,
};

// For tests: a function that sees the text of every statement prepared (as
// given, before named parameters are translated), for instance to check that
// no typed value was pasted into a statement. Answers the previous one; an
// empty function stops the observation.
using PrepareObserver = std::function<void(const QString& sql)>;
PrepareObserver setPrepareObserver(PrepareObserver observer);

// A statement prepared once and run any number of times. The text may use
// :NAME parameters (see translateNamedParams) or positional ?. Parameters keep
// their values between runs; clearParams() sets them all to NULL.
// Not copyable, not movable. Freed with the object or when its attachment detaches
// (it must then be prepared again).
class Statement {
public:
    Statement(Attachment& att, Transaction& tr);
    Statement(Attachment& att, Transaction& tr, const QString& sql);  // prepares
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Prepares the text on the statement's transaction (started when inactive).
    void prepare(const QString& sql);
    void unprepare();
    bool isPrepared() const { return stmt_ != nullptr; }
    const QString& sql() const { return sql_; }            // as given
    const QString& translatedSql() const { return translated_.sql; }
    StatementKind kind() const { return kind_; }
    bool hasCursor() const { return hasCursor_; }          // use open(), not execute()

    Transaction& transaction() const { return *tr_; }
    void setTransaction(Transaction& tr);  // same attachment

    // Parameters.
    int paramCount() const { return int(params_.size()); }
    // Distinct names in upper case, in the order of their first occurrence.
    const QStringList& paramNames() const { return names_; }
    bool hasParam(const QString& name) const;
    // Sets every position of the name (case-insensitive). A name the statement
    // lacks is an error (DbError).
    void setParam(const QString& name, const DbValue& value);
    void setParam(int index, const DbValue& value);  // 0-based position
    DbValue param(const QString& name) const;
    void clearParams();
    const std::vector<ColumnInfo>& paramInfo() const { return paramInfo_; }

    // Result columns (of a select, or the outputs of EXECUTE PROCEDURE / RETURNING).
    const std::vector<ColumnInfo>& columns() const { return columns_; }
    // Index of a column by alias, then by field name (case-insensitive); -1 if none.
    int columnIndex(const QString& name) const;

    // Runs a statement without a cursor; the transaction is started when
    // inactive. Returns the number of rows inserted, updated or deleted.
    // Output values (EXECUTE PROCEDURE, RETURNING) are then in output().
    std::uint64_t execute();
    const Row& output() const { return output_; }
    DbValue output(const QString& name) const;

    // Opens a cursor over the rows of a select (one open cursor per statement;
    // opening again closes the previous one).
    Cursor open();

    Firebird::IStatement* handle() const { return stmt_; }

private:
    friend class Attachment;
    friend class Cursor;
    struct Param {
        DbValue value;
    };
    void release();  // the attachment ends: free quietly
    void transactionGone();  // its transaction object is destroyed
    void requirePrepared() const;
    void closeCursor();
    Firebird::IMessageMetadata* buildInput(std::vector<unsigned char>& buffer);
    Row readRow(const unsigned char* buffer);

    Attachment* att_;
    Transaction* tr_;
    QString sql_;
    TranslatedSql translated_;
    QStringList names_;
    Firebird::IStatement* stmt_ = nullptr;
    Firebird::IMessageMetadata* outMeta_ = nullptr;
    std::vector<unsigned char> outBuffer_;
    StatementKind kind_ = StatementKind::Unknown;
    bool hasCursor_ = false;
    std::vector<Param> params_;
    std::vector<ColumnInfo> paramInfo_;
    std::vector<ColumnInfo> columns_;
    Row output_;
    Cursor* cursor_ = nullptr;
};

// The rows of an open select. Move-only; closed at destruction, when the
// statement opens another cursor, or when the statement is freed.
class Cursor {
public:
    Cursor() = default;
    Cursor(Cursor&& other) noexcept;
    Cursor& operator=(Cursor&& other) noexcept;
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    bool isOpen() const { return rs_ != nullptr; }
    // Moves to the next row; false at the end (the cursor is then closed).
    bool fetch();
    const Row& row() const { return row_; }
    DbValue value(int column) const;
    DbValue value(const QString& name) const;  // error when the column does not exist
    const std::vector<ColumnInfo>& columns() const;
    // Fetches every remaining row.
    std::vector<Row> fetchAll();
    void close();

private:
    friend class Statement;
    void detach();  // the statement goes away first
    Statement* st_ = nullptr;
    Firebird::IResultSet* rs_ = nullptr;
    Row row_;
};

}  // namespace db
