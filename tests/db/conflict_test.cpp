// Two attachments in one process on one file: the embedded engine serves both.

#include "db/db_error.h"
#include "db/statement.h"
#include "temp_database.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

class Conflict : public ::testing::Test {
protected:
    void SetUp() override
    {
        Transaction tr(db.att);
        db.att.executeImmediate(tr, QStringLiteral("create table C (ID integer not null primary key, V integer)"));
        tr.commit();
        db.att.executeImmediate(tr, QStringLiteral("insert into C values (1, 0)"));
        tr.commit();
        other.attach(db.params());
    }

    static DbError updateFails(Attachment& att, Transaction& tr)
    {
        Statement up(att, tr, QStringLiteral("update C set V = V + 1 where ID = :ID"));
        up.setParam(QStringLiteral("ID"), 1);
        try {
            up.execute();
        } catch (const DbError& e) {
            return e;
        }
        ADD_FAILURE() << "the update did not fail";
        return DbError(QString());
    }

    dbtest::TempDatabase db;
    Attachment other;
};

TEST_F(Conflict, RowChangedByAnUncommittedTransactionIsAnUpdateConflict)
{
    // Firebird 3 reports a row conflict under no wait as deadlock + update
    // conflict at once, not as a lock conflict.
    Transaction first(db.att);
    db.att.executeImmediate(first, QStringLiteral("update C set V = 5 where ID = 1"));

    Transaction second(other);  // read committed, no wait
    const DbError e = updateFails(other, second);
    EXPECT_TRUE(e.isUpdateConflict()) << e.what();
    EXPECT_FALSE(e.isLockConflict());
    EXPECT_EQ(e.sqlState(), QStringLiteral("40001"));
}

TEST_F(Conflict, ObjectInUseIsALockConflict)
{
    Transaction user(db.att);
    db.att.executeImmediate(user, QStringLiteral("update C set V = 5 where ID = 1"));

    Transaction ddl(other);
    other.executeImmediate(ddl, QStringLiteral("drop table C"));
    try {
        ddl.commit();
        FAIL() << "dropped a table in use";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isLockConflict()) << e.what();
        EXPECT_FALSE(e.isUpdateConflict());
    }
}

TEST_F(Conflict, CommittedChangeAfterSnapshotIsAnUpdateConflict)
{
    Transaction snap(other, TransactionOptions::snapshot());
    snap.start();

    Transaction first(db.att);
    db.att.executeImmediate(first, QStringLiteral("update C set V = 5 where ID = 1"));
    first.commit();

    const DbError e = updateFails(other, snap);
    EXPECT_TRUE(e.isUpdateConflict()) << e.what();
    EXPECT_FALSE(e.isLockConflict());
}

TEST_F(Conflict, KilledConnectionIsLostAndStillDetaches)
{
    Transaction tr(other);
    Statement id(other, tr, QStringLiteral("select current_connection from rdb$database"));
    id.execute();
    const qlonglong victim = id.output()[0].toLongLong();
    Statement open(other, tr, QStringLiteral("select ID from C"));
    Cursor c = open.open();

    Transaction killer(db.att);
    Statement kill(db.att, killer, QStringLiteral("delete from mon$attachments where mon$attachment_id = :ID"));
    kill.setParam(QStringLiteral("ID"), victim);
    kill.execute();
    killer.commit();

    try {
        other.ping();
        FAIL() << "the connection still works";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isLostConnection()) << e.what();
    }
    other.detach();  // releases the cursor, statements and transaction quietly
    EXPECT_FALSE(other.isAttached());
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(open.isPrepared());
    EXPECT_FALSE(tr.isActive());
}

TEST_F(Conflict, DetachEndsStatementsAndRollsBack)
{
    {
        Transaction tr(other);
        Statement up(other, tr, QStringLiteral("update C set V = 99"));
        up.execute();
        Statement sel(other, tr, QStringLiteral("select V from C"));
        Cursor c = sel.open();
        other.detach();
        EXPECT_FALSE(c.fetch());
        EXPECT_THROW(up.execute(), DbError);
        other.attach(db.params());
        up.prepare(up.sql());  // usable again once prepared on the new connection
        EXPECT_EQ(up.execute(), 1u);
        tr.rollback();
    }
    Transaction tr(db.att);
    Statement v(db.att, tr, QStringLiteral("select V from C"));
    v.execute();
    EXPECT_EQ(v.output()[0].toInt(), 0);
}

}  // namespace
