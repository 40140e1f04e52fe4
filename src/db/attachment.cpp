#include "db/attachment.h"

#include "db/fb_status.h"
#include "db/statement.h"
#include "db/transaction.h"

#include <ibase.h>

#include <algorithm>

namespace db {

namespace detail {

Xpb::Xpb(unsigned kind)
{
    b_ = util()->getXpbBuilder(&st_, kind, nullptr, 0);
    st_.check();
}

Xpb::~Xpb()
{
    b_->dispose();
}

void Xpb::tag(unsigned char t)
{
    b_->insertTag(&st_, t);
    st_.check();
}

void Xpb::integer(unsigned char t, int v)
{
    b_->insertInt(&st_, t, v);
    st_.check();
}

void Xpb::string(unsigned char t, const QString& v)
{
    bytes(t, v.toUtf8());
}

void Xpb::bytes(unsigned char t, const QByteArray& v)
{
    b_->insertBytes(&st_, t, v.constData(), unsigned(v.size()));
    st_.check();
}

unsigned Xpb::length()
{
    const unsigned n = b_->getBufferLength(&st_);
    st_.check();
    return n;
}

const unsigned char* Xpb::data()
{
    const unsigned char* p = b_->getBuffer(&st_);
    st_.check();
    return p;
}

void fail(const QString& message)
{
    throw DbError(message);
}

}  // namespace detail

using detail::Status;
using detail::Xpb;

namespace {

void fillConnectionDpb(Xpb& dpb, const ConnectionParams& p)
{
    dpb.tag(isc_dpb_version1);
    if (!p.user.isEmpty())
        dpb.string(isc_dpb_user_name, p.user);
    if (!p.password.isEmpty())
        dpb.string(isc_dpb_password, p.password);
    if (!p.role.isEmpty())
        dpb.string(isc_dpb_sql_role_name, p.role);
    dpb.string(isc_dpb_lc_ctype, QStringLiteral("UTF8"));
}

}  // namespace

Attachment::Attachment() = default;

Attachment::~Attachment()
{
    detach();
    // Transactions and statements that outlive the attachment no longer refer to it.
    for (Transaction* t : transactions_)
        t->att_ = nullptr;
    for (Statement* s : statements_)
        s->att_ = nullptr;
}

void Attachment::attach(const ConnectionParams& params)
{
    if (isAttached())
        detail::fail(QStringLiteral("Връзката с базата данни вече е отворена"));
    Xpb dpb(Firebird::IXpbBuilder::DPB);
    fillConnectionDpb(dpb, params);
    Status st;
    const QByteArray path = params.database.toUtf8();
    Firebird::IAttachment* a = provider()->attachDatabase(&st, path.constData(), dpb.length(), dpb.data());
    st.check();
    att_ = a;
    params_ = params;
}

void Attachment::create(const ConnectionParams& params, const DatabaseOptions& options)
{
    if (isAttached())
        detail::fail(QStringLiteral("Връзката с базата данни вече е отворена"));
    Xpb dpb(Firebird::IXpbBuilder::DPB);
    fillConnectionDpb(dpb, params);
    dpb.integer(isc_dpb_page_size, options.pageSize);
    dpb.integer(isc_dpb_sql_dialect, 3);
    if (!options.defaultCharset.isEmpty())
        dpb.string(isc_dpb_set_db_charset, options.defaultCharset);
    Status st;
    const QByteArray path = params.database.toUtf8();
    Firebird::IAttachment* a = provider()->createDatabase(&st, path.constData(), dpb.length(), dpb.data());
    st.check();
    att_ = a;
    params_ = params;
}

void Attachment::releaseDependents()
{
    for (Statement* s : statements_)
        s->release();
    for (Transaction* t : transactions_)
        t->release();
}

void Attachment::detach()
{
    if (!att_)
        return;
    releaseDependents();
    Status st;
    att_->detach(&st);
    if (st.failed())
        att_->release();  // the connection is gone: drop the local handle
    att_ = nullptr;
}

void Attachment::dropDatabase()
{
    if (!att_)
        detail::fail(QStringLiteral("Няма връзка с базата данни"));
    releaseDependents();
    Status st;
    att_->dropDatabase(&st);
    if (st.failed()) {
        DbError e = DbError::fromStatus(&st);
        // The attachment stays usable when the drop was refused.
        throw e;
    }
    att_ = nullptr;
}

void Attachment::ping()
{
    if (!att_)
        detail::fail(QStringLiteral("Няма връзка с базата данни"));
    Status st;
    att_->ping(&st);
    st.check();
}

void Attachment::executeImmediate(Transaction& tr, const QString& sql)
{
    if (!att_)
        detail::fail(QStringLiteral("Няма връзка с базата данни"));
    const QByteArray text = sql.toUtf8();
    Status st;
    att_->execute(&st, tr.handle(), unsigned(text.size()), text.constData(), 3, nullptr, nullptr,
                  nullptr, nullptr);
    st.check();
}

void Attachment::add(Transaction* t)
{
    transactions_.push_back(t);
}

void Attachment::remove(Transaction* t)
{
    transactions_.erase(std::remove(transactions_.begin(), transactions_.end(), t), transactions_.end());
    for (Statement* s : statements_)
        if (s->tr_ == t)
            s->transactionGone();
}

void Attachment::closeCursors(Transaction* t)
{
    for (Statement* s : statements_)
        if (s->tr_ == t)
            s->closeCursor();
}

void Attachment::add(Statement* s)
{
    statements_.push_back(s);
}

void Attachment::remove(Statement* s)
{
    statements_.erase(std::remove(statements_.begin(), statements_.end(), s), statements_.end());
}

}  // namespace db
