#pragma once
// The connection and transactions the data module and its datasets run on.
//
// TDBDatabase holds the one attachment. TDBTransaction is a transaction on it
// with an idle action: after a statement has run, a zero-delay timer fires as
// soon as the program is back in its event loop and commits (keeping the
// transaction context, or ending it). Committing or rolling back for good
// closes the datasets that run on the transaction. TUnitOfWork makes several
// statements stand or fall together.

#include "db/attachment.h"
#include "db/transaction.h"

#include <QObject>
#include <QTimer>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TDBTransaction;
struct TDataSetSnapshot;

class TDBDatabase
{
public:
    TDBDatabase();
    ~TDBDatabase();
    TDBDatabase(const TDBDatabase &) = delete;
    TDBDatabase &operator=(const TDBDatabase &) = delete;

    // The database name (a path for the embedded engine, host:path for a
    // server) and the user; used by the next Open.
    db::ConnectionParams Params;

    void Open();   // attaches; DbError when it cannot
    // Closes every dataset of every transaction, ends the transactions
    // (rolling back), frees the statements, detaches.
    void Close();
    bool Connected() const { return m_att.isAttached(); }

    db::Attachment &Attachment() { return m_att; }

private:
    friend class TDBTransaction;
    db::Attachment m_att;
    std::vector<TDBTransaction *> m_transactions;
};

class TDBTransaction : public QObject
{
    Q_OBJECT
public:
    enum class TIdleAction { None, CommitRetaining, Commit };

    TDBTransaction(TDBDatabase &database, db::TransactionOptions options, TIdleAction idleAction,
                   QObject *parent = nullptr);
    ~TDBTransaction() override;

    TDBDatabase &Database() const { return *m_database; }
    TIdleAction IdleAction() const { return m_idleAction; }

    bool Active() const;
    void StartTransaction();  // error when already active
    // The transaction of the db layer, started when inactive.
    db::Transaction &Handle();

    // Commit and Rollback end the transaction and close its datasets; the
    // retaining forms keep both. Each does nothing when inactive.
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();

    // Called after every statement run on this transaction: arms the idle
    // timer (unless a unit of work holds the transaction).
    void StatementDone();
    // Runs the idle action now when it is due (what the timer does).
    void ProcessIdle();
    bool IdlePending() const { return m_idlePending; }

    // A failure of the idle action (it runs from the event loop, where
    // nothing can be thrown); without a handler it is dropped, and the next
    // statement meets the same trouble.
    std::function<void(const std::exception &error)> OnIdleError;

    // Inside a unit of work the idle action waits, and CommitRetaining is
    // left to the unit; Commit, Rollback and RollbackRetaining are errors.
    bool InUnitOfWork() const { return m_unitDepth > 0; }

private:
    friend class TDataSet;
    friend class TDBDatabase;
    friend class TUnitOfWork;
    void addDataSet(TDataSet *ds);
    void removeDataSet(TDataSet *ds);
    void closeDataSets();

    TDBDatabase *m_database;
    db::TransactionOptions m_options;
    TIdleAction m_idleAction;
    std::unique_ptr<db::Transaction> m_tr;
    std::vector<TDataSet *> m_dataSets;
    QTimer m_idleTimer;
    bool m_idlePending = false;
    int m_unitDepth = 0;
    bool m_unitFailed = false;
};

// Several statements that must stand or fall together:
//
//   TUnitOfWork unit(dm.IBTransaction, {&qDetails, &qMain});
//   qDetails.Post(); qMain.Post(); dm.ExecSQL(...);
//   unit.Commit();
//
// The constructor commits (retaining) what the transaction already holds and
// keeps the idle commit away. Commit commits retaining. Leaving the scope
// without Commit (an exception) rolls back retaining and puts the guarded
// datasets back as they were when the unit began (rows, position, state and
// edit buffers), so an editor keeps every typed value. A unit inside another
// one joins it: only the outermost commits; a rollback of an inner unit rolls
// the whole back and the outer Commit then throws EDataSetError.
class TUnitOfWork
{
public:
    explicit TUnitOfWork(TDBTransaction &transaction, std::vector<TDataSet *> guarded = {});
    ~TUnitOfWork();
    TUnitOfWork(const TUnitOfWork &) = delete;
    TUnitOfWork &operator=(const TUnitOfWork &) = delete;

    void Commit();
    void Rollback();  // explicitly; the destructor does it when needed
    bool Finished() const { return m_finished; }

private:
    TDBTransaction &m_tr;
    bool m_outer;
    bool m_finished = false;
    std::vector<TDataSet *> m_guarded;
    std::vector<std::shared_ptr<TDataSetSnapshot>> m_snapshots;
};
