// Counters: drawing them, adjusting them to the keys in use, and clearing the data.

#include "data_fixture.h"

#include "app/tdm_counters.h"
#include "db/attachment.h"
#include "db/db_error.h"
#include "db/transaction.h"

#include <QSet>

#include <map>

namespace {

using datatest::DataTest;

class CountersTest : public DataTest
{
protected:
    int counter(int id) { return dm->QueryInteger(QStringLiteral("select VAL from COUNTERS where ID = %1").arg(id)); }
    void setCounter(int id, int value)
    {
        dm->ExecSQL(QStringLiteral("update COUNTERS set VAL = %1 where ID = %2").arg(value).arg(id));
    }
};

TEST_F(CountersTest, TablesRaiseTheirCountersAndNeverLowerThem)
{
    dm->ExecSQL(QStringLiteral("insert into RFQ_CONFIRM (ID, CLIENT_ID) values (7, 1)"));  // 15, shared with RFQ
    dm->ExecSQL(QStringLiteral("insert into CARGO (ID) values (5)"));                      // 11, shared with TRANSPORT
    dm->ExecSQL(QStringLiteral("insert into INVOICE_DETAILS (DETAIL_ID, INVOICE_ID, ROWNUM, DETAIL_TEXT, "
                               "DETAIL_MEAS, DETAIL_QTY, DETAIL_PRICE) values (9, 1, 1, 'x', 'kg', 1, 1)"));
    dm->ExecSQL(QStringLiteral("insert into ACTIVITY_TYPES (ID, NAME) values (12, 'x')"));
    dm->ExecSQL(QStringLiteral("insert into RFQ_PAYMENTS (ID) values (30)"));
    dm->ExecSQL(QStringLiteral("insert into REPORT_CLAUSES (ID) values (5000)"));
    for (int id : {15, 11, 23, 4, 51, 200, 43})
        setCounter(id, 1);
    setCounter(9, 100);                                              // above CITIES (2): stays
    dm->ExecSQL(QStringLiteral("delete from COUNTERS where ID = 50"));  // a missing row stays missing
    std::map<int, int> before;
    for (const TCounterTable &entry : CounterMap())
        before[entry.counter] = counter(entry.counter);

    AdjustCountersForTables(*dm);

    const std::map<int, int> expected{{15, 8}, {11, 6}, {23, 10}, {4, 13}, {51, 31}, {200, 5001}, {43, 2}, {9, 100}};
    for (const auto &[id, value] : expected)
        EXPECT_EQ(counter(id), value) << "counter " << id;
    EXPECT_FALSE(dm->QueryHasRows(QStringLiteral("select 1 from COUNTERS where ID = 50")));
    for (const TCounterTable &entry : CounterMap()) {
        EXPECT_GE(counter(entry.counter), before[entry.counter]) << "counter " << entry.counter << " went down";
        for (const QString &table : entry.tables) {
            const int top = dm->QueryInteger(QStringLiteral("select max(%1) from %2").arg(entry.keyColumn, table));
            if (entry.counter != 50) {
                EXPECT_GT(counter(entry.counter), top) << table.toStdString();
            }
        }
    }
}

TEST_F(CountersTest, TwoAttachmentsInOneProcessNeverDrawTheSameNumber)
{
    auto second = datatest::connectedModule(tdb.params());
    QSet<int> drawn;
    for (int i = 0; i < 50; ++i) {
        drawn.insert(dm->GetCounterValue(43));
        drawn.insert(second->GetCounterValue(43));
    }
    EXPECT_EQ(drawn.size(), 100);
    EXPECT_EQ(*std::min_element(drawn.begin(), drawn.end()), 2);
    EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()), 101);
    EXPECT_EQ(seen(QStringLiteral("select VAL from COUNTERS where ID = 43")).toInt(), 102);
}

TEST_F(CountersTest, CounterHeldByAnotherStationFailsAfterTheRetriesAndWorksOnceFree)
{
    auto other = tdb.newAttachment();
    db::Transaction holder(*other);
    other->executeImmediate(holder, QStringLiteral("update COUNTERS set VAL = VAL where ID = 43"));
    try {
        dm->GetCounterValue(43);
        FAIL() << "drew a number from a row another station holds";
    } catch (const db::DbError &e) {
        EXPECT_TRUE(e.isUpdateConflict() || e.isLockConflict()) << e.what();
    }
    holder.rollback();
    EXPECT_EQ(dm->GetCounterValue(43), 2);  // nothing was used up by the failures
    EXPECT_THROW(dm->GetCounterValue(4242), db::DbError);  // no such counter: not retried, reported
}

class ClearingModule : public TBaseDM
{
public:
    bool failAtTheEnd = false;
    int opened = 0;
    void ClearData() override
    {
        ClearTdmData(*this);
        if (failAtTheEnd)
            ExecSQL(QStringLiteral("delete from NO_SUCH_TABLE"));
    }
    bool OpenDatasets() override
    {
        ++opened;
        return TBaseDM::OpenDatasets();
    }
};

TEST_F(CountersTest, EmptyDatabaseClearsTheDataInOneUnit)
{
    dm.reset();
    ClearingModule m;
    m.ConnectPauseMs = 0;
    m.IBDatabase.Params = tdb.params();
    ASSERT_TRUE(m.Connect());
    m.ExecSQL(QStringLiteral("insert into APP_CONFIG_KEYS (KEY_ID, NAME) values (1500, 'HIGH')"));
    m.SetConfigValueById(20, QStringLiteral("kept"));
    m.SetConfigValueById(1500, QStringLiteral("dropped"));
    m.ProcessIdle();
    const int users = seen(QStringLiteral("select count(*) from USERS")).toInt();

    m.failAtTheEnd = true;
    m.opened = 0;
    EXPECT_THROW(m.EmptyDatabase(), db::DbError);
    EXPECT_EQ(m.opened, 1);  // even after the failure
    m.ProcessIdle();
    EXPECT_EQ(seen(QStringLiteral("select count(*) from CITIES")).toInt(), 2);
    EXPECT_EQ(seen(QStringLiteral("select count(*) from APP_CONFIG where KEY_ID = 1500")).toInt(), 1);

    m.failAtTheEnd = false;
    m.EmptyDatabase();
    m.ProcessIdle();
    for (const QString &table : ClearDataTables()) {
        if (table != QLatin1String("APP_CONFIG")) {
            EXPECT_EQ(seen(QStringLiteral("select count(*) from ") + table).toInt(), 0) << table.toStdString();
        }
    }
    EXPECT_EQ(seen(QStringLiteral("select list(KEY_ID) from (select KEY_ID from APP_CONFIG order by KEY_ID)"))
                  .toString(),
              "1,20,101");
    EXPECT_EQ(seen(QStringLiteral("select count(*) from USERS")).toInt(), users);
    // The counters follow the keys: the name of key 1500 stays, so 7 is above it.
    EXPECT_EQ(seen(QStringLiteral("select VAL from COUNTERS where ID = 7")).toInt(), 1501);
    EXPECT_TRUE(m.IBTransaction.Active());
}

}  // namespace
