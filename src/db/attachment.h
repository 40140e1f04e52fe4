#pragma once
// A connection to one database.

#include <QString>

#include <vector>

namespace Firebird {
class IAttachment;
}

namespace db {

class Transaction;
class Statement;

struct ConnectionParams {
    // A file path opens the database through the embedded engine;
    // "host:path" or "host/port:path" goes to a server.
    QString database;
    QString user = QStringLiteral("SYSDBA");
    QString password;
    QString role;
};

// Options of a new database (created without isql).
struct DatabaseOptions {
    int pageSize = 8192;
    QString defaultCharset = QStringLiteral("WIN1251");
    // SQL dialect 3 always.
};

// The attachment speaks UTF8 to the server (lc_ctype UTF8); the server
// transliterates to and from the database's character set.
// Not copyable, not movable: transactions and statements keep a reference.
class Attachment {
public:
    Attachment();
    ~Attachment();  // detaches
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    void attach(const ConnectionParams& params);
    // Creates the database (page size, dialect 3, default character set) and
    // stays attached to it.
    void create(const ConnectionParams& params, const DatabaseOptions& options = {});
    // Ends every statement (freed) and transaction (rolled back) of this
    // attachment, then detaches. Does nothing when not attached. When the
    // connection is already lost the local handles are released quietly.
    void detach();
    // Drops the database this attachment is attached to and ends the attachment.
    void dropDatabase();

    bool isAttached() const { return att_ != nullptr; }
    const ConnectionParams& params() const { return params_; }

    // Asks the server whether the connection still works; throws DbError
    // (isLostConnection()) when it does not.
    void ping();

    // Runs a statement once, without parameters or results (e.g. DDL), on the
    // given transaction (started when inactive).
    void executeImmediate(Transaction& tr, const QString& sql);

    Firebird::IAttachment* handle() const { return att_; }

private:
    friend class Transaction;
    friend class Statement;
    void add(Transaction* t);
    void remove(Transaction* t);
    void add(Statement* s);
    void remove(Statement* s);
    void releaseDependents();
    void closeCursors(Transaction* t);  // before t ends

    Firebird::IAttachment* att_ = nullptr;
    ConnectionParams params_;
    std::vector<Transaction*> transactions_;
    std::vector<Statement*> statements_;
};

}  // namespace db
