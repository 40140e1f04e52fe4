#pragma once
// A transaction on one attachment.

namespace Firebird {
class ITransaction;
}

namespace db {

class Attachment;

struct TransactionOptions {
    enum class Isolation { ReadCommitted, Snapshot, Consistency };
    Isolation isolation = Isolation::ReadCommitted;
    bool recordVersion = true;  // read committed only
    bool wait = false;          // false: a conflict fails at once
    int lockTimeout = 0;        // with wait: seconds, 0 for no limit
    bool readOnly = false;

    // read committed, record version, no wait, read-write
    static TransactionOptions readCommitted() { return {}; }
    // snapshot (concurrency), wait, read-write
    static TransactionOptions snapshot()
    {
        TransactionOptions o;
        o.isolation = Isolation::Snapshot;
        o.wait = true;
        return o;
    }
    // read committed, record version, read-only
    static TransactionOptions readOnlyReadCommitted()
    {
        TransactionOptions o;
        o.readOnly = true;
        return o;
    }
};

// Not copyable, not movable. Still active at destruction: rolled back.
// Statements start an inactive transaction by themselves when they run.
class Transaction {
public:
    explicit Transaction(Attachment& att, TransactionOptions options = TransactionOptions::readCommitted());
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Attachment& attachment() const { return *att_; }
    const TransactionOptions& options() const { return options_; }
    void setOptions(const TransactionOptions& options);  // takes effect at the next start

    void start();  // error when already active or the attachment is not attached
    bool isActive() const { return tra_ != nullptr; }
    void commit();
    void commitRetaining();
    void rollback();
    void rollbackRetaining();

    // The transaction handle; starts the transaction when inactive.
    Firebird::ITransaction* handle();

private:
    friend class Attachment;
    void release();  // the attachment ends: roll back quietly

    Attachment* att_;
    TransactionOptions options_;
    Firebird::ITransaction* tra_ = nullptr;
};

}  // namespace db
