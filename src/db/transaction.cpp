#include "db/transaction.h"

#include "db/attachment.h"
#include "db/fb_status.h"

#include <ibase.h>

namespace db {

using detail::Status;
using detail::Xpb;

Transaction::Transaction(Attachment& att, TransactionOptions options) : att_(&att), options_(options)
{
    att_->add(this);
}

Transaction::~Transaction()
{
    if (att_) {
        release();
        att_->remove(this);
    }
}

void Transaction::setOptions(const TransactionOptions& options)
{
    options_ = options;
}

void Transaction::start()
{
    if (tra_)
        detail::fail(QStringLiteral("Транзакцията вече е активна"));
    if (!att_ || !att_->isAttached())
        detail::fail(QStringLiteral("Няма връзка с базата данни"));

    Xpb tpb(Firebird::IXpbBuilder::TPB);
    switch (options_.isolation) {
    case TransactionOptions::Isolation::ReadCommitted:
        tpb.tag(isc_tpb_read_committed);
        tpb.tag(options_.recordVersion ? isc_tpb_rec_version : isc_tpb_no_rec_version);
        break;
    case TransactionOptions::Isolation::Snapshot:
        tpb.tag(isc_tpb_concurrency);
        break;
    case TransactionOptions::Isolation::Consistency:
        tpb.tag(isc_tpb_consistency);
        break;
    }
    if (options_.wait) {
        tpb.tag(isc_tpb_wait);
        if (options_.lockTimeout > 0)
            tpb.integer(isc_tpb_lock_timeout, options_.lockTimeout);
    } else {
        tpb.tag(isc_tpb_nowait);
    }
    tpb.tag(options_.readOnly ? isc_tpb_read : isc_tpb_write);

    Status st;
    Firebird::ITransaction* t = att_->handle()->startTransaction(&st, tpb.length(), tpb.data());
    st.check();
    tra_ = t;
}

Firebird::ITransaction* Transaction::handle()
{
    if (!tra_)
        start();
    return tra_;
}

void Transaction::commit()
{
    if (!tra_)
        detail::fail(QStringLiteral("Транзакцията не е активна"));
    att_->closeCursors(this);
    Status st;
    tra_->commit(&st);
    st.check();  // still active when the commit failed
    tra_ = nullptr;
}

void Transaction::commitRetaining()
{
    if (!tra_)
        detail::fail(QStringLiteral("Транзакцията не е активна"));
    Status st;
    tra_->commitRetaining(&st);
    st.check();
}

void Transaction::rollback()
{
    if (!tra_)
        detail::fail(QStringLiteral("Транзакцията не е активна"));
    att_->closeCursors(this);
    Status st;
    tra_->rollback(&st);
    if (st.failed()) {
        // A rollback that fails (lost connection) still ends the transaction here.
        tra_->release();
        tra_ = nullptr;
        st.check();
    }
    tra_ = nullptr;
}

void Transaction::rollbackRetaining()
{
    if (!tra_)
        detail::fail(QStringLiteral("Транзакцията не е активна"));
    Status st;
    tra_->rollbackRetaining(&st);
    st.check();
}

void Transaction::release()
{
    if (!tra_)
        return;
    if (att_)
        att_->closeCursors(this);
    Status st;
    tra_->rollback(&st);
    if (st.failed())
        tra_->release();
    tra_ = nullptr;
}

}  // namespace db
