#include "framework/data/dbtransaction.h"

#include "framework/data/dataset.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// TDBDatabase

TDBDatabase::TDBDatabase() = default;

TDBDatabase::~TDBDatabase()
{
    try {
        Close();
    } catch (...) {
    }
}

void TDBDatabase::Open()
{
    if (m_att.isAttached())
        return;
    m_att.attach(Params);
}

void TDBDatabase::Close()
{
    for (TDBTransaction *t : m_transactions) {
        t->closeDataSets();
        t->m_idlePending = false;
        t->m_idleTimer.stop();
    }
    m_att.detach();  // frees the statements, rolls back what is still active
}

// ---------------------------------------------------------------------------
// TDBTransaction

TDBTransaction::TDBTransaction(TDBDatabase &database, db::TransactionOptions options, TIdleAction idleAction,
                               QObject *parent)
    : QObject(parent),
      m_database(&database),
      m_options(options),
      m_idleAction(idleAction),
      m_tr(std::make_unique<db::Transaction>(database.Attachment(), options))
{
    m_database->m_transactions.push_back(this);
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        try {
            ProcessIdle();
        } catch (const std::exception &e) {
            // Nothing can be thrown out of the event loop; the program
            // decides how to tell the user.
            if (OnIdleError)
                OnIdleError(e);
        }
    });
}

TDBTransaction::~TDBTransaction()
{
    for (TDataSet *ds : m_dataSets)
        ds->m_transaction = nullptr;
    std::erase(m_database->m_transactions, this);
}

bool TDBTransaction::Active() const { return m_tr->isActive(); }

void TDBTransaction::StartTransaction() { m_tr->start(); }

db::Transaction &TDBTransaction::Handle() { return *m_tr; }

void TDBTransaction::Commit()
{
    if (m_unitDepth > 0)
        throw EDataSetError(QStringLiteral("Commit inside a unit of work"));
    closeDataSets();
    m_idlePending = false;
    if (m_tr->isActive())
        m_tr->commit();
}

void TDBTransaction::CommitRetaining()
{
    if (m_unitDepth > 0) {
        // The unit commits everything at its end, or nothing.
        return;
    }
    m_idlePending = false;
    if (m_tr->isActive())
        m_tr->commitRetaining();
}

void TDBTransaction::Rollback()
{
    if (m_unitDepth > 0)
        throw EDataSetError(QStringLiteral("Rollback inside a unit of work"));
    closeDataSets();
    m_idlePending = false;
    if (m_tr->isActive())
        m_tr->rollback();
}

void TDBTransaction::RollbackRetaining()
{
    if (m_unitDepth > 0)
        throw EDataSetError(QStringLiteral("RollbackRetaining inside a unit of work"));
    m_idlePending = false;
    if (m_tr->isActive())
        m_tr->rollbackRetaining();
}

void TDBTransaction::StatementDone()
{
    if (m_idleAction == TIdleAction::None || m_unitDepth > 0)
        return;
    m_idlePending = true;
    if (!m_idleTimer.isActive())
        m_idleTimer.start();
}

void TDBTransaction::ProcessIdle()
{
    if (!m_idlePending)
        return;
    m_idlePending = false;
    m_idleTimer.stop();
    if (m_unitDepth > 0 || !m_tr->isActive() || !m_database->Connected())
        return;
    if (m_idleAction == TIdleAction::CommitRetaining)
        CommitRetaining();
    else if (m_idleAction == TIdleAction::Commit)
        Commit();
}

void TDBTransaction::addDataSet(TDataSet *ds)
{
    if (std::find(m_dataSets.begin(), m_dataSets.end(), ds) == m_dataSets.end())
        m_dataSets.push_back(ds);
}

void TDBTransaction::removeDataSet(TDataSet *ds) { std::erase(m_dataSets, ds); }

void TDBTransaction::closeDataSets()
{
    const std::vector<TDataSet *> copy = m_dataSets;
    for (TDataSet *ds : copy)
        ds->transactionEnded();
}

// ---------------------------------------------------------------------------
// TUnitOfWork

TUnitOfWork::TUnitOfWork(TDBTransaction &transaction, std::vector<TDataSet *> guarded)
    : m_tr(transaction), m_outer(transaction.m_unitDepth == 0), m_guarded(std::move(guarded))
{
    if (m_outer) {
        // What the transaction holds so far belongs to no unit: store it, so
        // that a rollback of this unit takes back only the unit's work.
        if (m_tr.m_tr->isActive())
            m_tr.m_tr->commitRetaining();
        m_tr.m_idlePending = false;
        m_tr.m_unitFailed = false;
    }
    for (TDataSet *ds : m_guarded)
        m_snapshots.push_back(ds->TakeSnapshot());
    ++m_tr.m_unitDepth;
}

TUnitOfWork::~TUnitOfWork()
{
    if (!m_finished) {
        try {
            Rollback();
        } catch (...) {
        }
    }
}

void TUnitOfWork::Commit()
{
    if (m_finished)
        throw EDataSetError(QStringLiteral("The unit of work has already ended"));
    if (m_tr.m_unitFailed) {
        // An inner unit rolled everything back; committing now would store
        // whatever ran after it as if the whole had succeeded.
        Rollback();
        throw EDataSetError(QStringLiteral("The unit of work was rolled back by an inner unit"));
    }
    if (!m_outer) {
        m_finished = true;
        --m_tr.m_unitDepth;
        return;
    }
    if (m_tr.m_tr->isActive())
        m_tr.m_tr->commitRetaining();
    m_finished = true;
    --m_tr.m_unitDepth;
}

void TUnitOfWork::Rollback()
{
    if (m_finished)
        return;
    m_finished = true;
    --m_tr.m_unitDepth;
    std::exception_ptr error;
    try {
        if (m_tr.m_tr->isActive())
            m_tr.m_tr->rollbackRetaining();
    } catch (...) {
        error = std::current_exception();
    }
    if (m_outer)
        m_tr.m_unitFailed = false;
    else
        m_tr.m_unitFailed = true;
    for (std::size_t i = 0; i < m_guarded.size(); ++i)
        m_guarded[i]->RestoreSnapshot(*m_snapshots[i]);
    if (error)
        std::rethrow_exception(error);
}
