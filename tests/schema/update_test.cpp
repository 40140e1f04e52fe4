// Schema updates: which steps run, what they leave, and how a broken-off
// update completes.

#include "app/schema/schema_scripts.h"
#include "app/schema/schema_updates.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "schema/expected_tables.h"
#include "schema/schema_test_util.h"
#include "support/db/test_database.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace schematest;
using testsupport::TestDatabase;

namespace {

bool Update(db::Attachment& att, int stored, int target = schema::TargetDatabaseVersion,
            QString* error = nullptr)
{
    db::Transaction tr(att);
    const bool ok = schema::RunSchemaUpdates(att, tr, stored, target, error);
    if (tr.isActive())
        tr.commit();
    return ok;
}

bool HasColumn(db::Attachment& att, const char* table, const char* column)
{
    return Columns(att, QString::fromLatin1(table)).contains(QString::fromLatin1(column));
}

bool HasProcedure(db::Attachment& att, const char* name)
{
    return Value(att, QStringLiteral("select count(*) from RDB$PROCEDURES where RDB$PROCEDURE_NAME = '%1'")
                          .arg(QString::fromLatin1(name)))
               .toInt()
        == 1;
}

bool PdateIsNotNull(db::Attachment& att)
{
    return Value(att, QStringLiteral("select coalesce(RDB$NULL_FLAG, 0) from RDB$RELATION_FIELDS"
                                     " where RDB$RELATION_NAME = 'RFQ_INVOICES' and RDB$FIELD_NAME = 'PDATE'"))
               .toInt()
        == 1;
}

}  // namespace

TEST(SchemaUpdates, DueStepsFollowTheThresholdsInTableOrder)
{
    using V = std::vector<int>;
    struct Case {
        int stored;
        int target;
        V steps;
    };
    const Case cases[] = {
        {10000, 30079, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {30072, 30079, {9, 10, 11}},
        {30079, 30079, {}},
        {40000, 30079, {}},
        // Step 1 (below 30064) runs although step 2 (below 30062) does not.
        {30063, 30079, {1, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        // Older than 30066: the commission procedure twice, as steps 3 and 10.
        {30065, 30079, {3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {10000, 30072, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(schema::DueSteps(c.stored, c.target), c.steps) << c.stored << " -> " << c.target;
    EXPECT_EQ(schema::UpdateSteps()[2].scripts.front().path, schema::UpdateSteps()[9].scripts.front().path);
}

// The whole schema: a base database brought to 30079, a 30072 database
// brought to 30079 and the delivered database have the same metadata, and
// hold every table and column of the list, and no other table.
TEST(SchemaUpdates, EveryPathEndsInTheDeliveredSchema)
{
    DeliveredCopy delivered;
    const QStringList expected = Metadata(delivered.attachment());

    TestDatabase base(TestDatabase::Version::Base, TestDatabase::Content::Empty);
    EXPECT_FALSE(HasColumn(base.attach(), "RFQ_LOADS", "DEAL_NO_I"));
    QString error;
    ASSERT_TRUE(Update(base.attach(), schema::BaseDatabaseVersion, schema::TargetDatabaseVersion, &error))
        << error.toStdString();
    EXPECT_EQ(Metadata(base.attach()), expected);

    TestDatabase v30072(TestDatabase::Version::V30072, TestDatabase::Content::Empty);
    ASSERT_TRUE(Update(v30072.attach(), 30072));
    EXPECT_EQ(Metadata(v30072.attach()), expected);

    QSet<QString> listed;
    for (const ExpectedTable& t : ExpectedTables()) {
        const QString table = QString::fromLatin1(t.name);
        listed << table;
        const QStringList columns = Columns(delivered.attachment(), table);
        EXPECT_FALSE(columns.isEmpty()) << t.name;
        for (const char* c : t.columns)
            EXPECT_TRUE(columns.contains(QString::fromLatin1(c))) << t.name << "." << c;
        EXPECT_EQ(columns.size(), int(t.columns.size())) << t.name;
    }
    const QStringList tables = Tables(delivered.attachment());
    EXPECT_EQ(QSet<QString>(tables.begin(), tables.end()), listed);

    // What the updates change, as the delivered database has it.
    db::Attachment& att = delivered.attachment();
    auto field = [&att](const char* table, const char* column) {
        const std::vector<db::Row> rows = Rows(
            att, QStringLiteral("select trim(RDB$FIELD_SOURCE), coalesce(RDB$NULL_FLAG, 0),"
                                " cast(RDB$DEFAULT_SOURCE as varchar(100))"
                                " from RDB$RELATION_FIELDS where RDB$RELATION_NAME = '%1' and RDB$FIELD_NAME = '%2'")
                     .arg(QString::fromLatin1(table), QString::fromLatin1(column)));
        return rows.empty() ? QStringList() : QStringList{rows[0][0].toString(), rows[0][1].toString(), rows[0][2].toString()};
    };
    EXPECT_EQ(field("APP_CONFIG", "KEY_VALUE").value(0), QStringLiteral("TEXT"));
    EXPECT_EQ(field("REPORT_CLAUSES", "ITEM_TEXT").value(0), QStringLiteral("STR2K"));
    EXPECT_EQ(field("RFQ_INVOICES", "PDATE").value(1), QStringLiteral("0"));
    EXPECT_EQ(field("RFQ", "INVOICED_BY"), (QStringList{"INT", "1", "DEFAULT 0"}));
    EXPECT_EQ(field("RFQ_LOADS", "INVOICED_BY"), (QStringList{"INT", "0", "DEFAULT 0"}));
    EXPECT_EQ(field("RFQ_LOADS", "INVOICED").value(1), QStringLiteral("1"));
    EXPECT_EQ(field("RFQ_LOADS", "DEAL_NO_I"), (QStringList{"INT", "0", "DEFAULT 0"}));
    EXPECT_EQ(field("EVENT_LOG", "EVENT"), (QStringList{"LongSTR", "1", ""}));
}

TEST(SchemaUpdates, From30072OnlyStepsNineToElevenRun)
{
    TestDatabase tdb(TestDatabase::Version::V30072, TestDatabase::Content::Empty);
    db::Attachment& att = tdb.attach();
    EXPECT_EQ(tdb.value("select KEY_VALUE from APP_CONFIG where KEY_ID = 101").toString(), QStringLiteral("30072"));
    {
        db::Transaction tr(att);
        EXPECT_EQ(schema::StoredDatabaseVersion(att, tr), 30072);
    }
    // Marks that show which steps run: step 7 would drop this NOT NULL again,
    // step 10 would replace this commission procedure.
    tdb.exec("ALTER TABLE RFQ_INVOICES ALTER COLUMN PDATE SET NOT NULL");
    {
        db::Transaction tr(att);
        ASSERT_TRUE(schema::RunScript(att, tr, QStringLiteral(R"sql(
            SET TERM ^ ;
            CREATE OR ALTER PROCEDURE CALC_RFQ_PRIZES (ID_RFQ INTEGER)
            RETURNS (GROSS_PROFIT DOUBLE PRECISION, COMMISSION DOUBLE PRECISION,
                     TRUCK_PRIZE DOUBLE PRECISION, LOAD_PRIZE DOUBLE PRECISION, LOAD_NUM INTEGER)
            AS BEGIN LOAD_NUM = -1; SUSPEND; END^
            SET TERM ; ^)sql")));
    }
    EXPECT_FALSE(HasColumn(att, "RFQ", "INVOICED_BY"));
    EXPECT_FALSE(HasProcedure(att, "GET_DEAL_INVOICE_INFO"));

    ASSERT_TRUE(Update(att, 30072));

    EXPECT_TRUE(PdateIsNotNull(att));
    EXPECT_TRUE(HasColumn(att, "RFQ", "INVOICED_BY"));
    EXPECT_TRUE(HasColumn(att, "RFQ_LOADS", "INVOICED_BY"));
    EXPECT_EQ(tdb.value("select LOAD_NUM from CALC_RFQ_PRIZES(999)").toInt(), 0);
    EXPECT_TRUE(HasProcedure(att, "GET_DEAL_INVOICE_INFO"));
}

TEST(SchemaUpdates, At30079NothingRunsAndEveryTableIsGranted)
{
    TestDatabase tdb;
    db::Attachment& att = tdb.attach();
    tdb.exec("DROP PROCEDURE GET_DEAL_INVOICE_INFO");
    {
        db::Transaction tr(att);
        EXPECT_EQ(schema::StoredDatabaseVersion(att, tr), 30079);
    }
    ASSERT_TRUE(Update(att, 30079));
    EXPECT_FALSE(HasProcedure(att, "GET_DEAL_INVOICE_INFO"));

    {
        db::Transaction tr(att);
        QString error;
        ASSERT_TRUE(schema::GrantTableRights(att, tr, QStringLiteral("SYSDBA"), &error)) << error.toStdString();
        if (tr.isActive())
            tr.commit();
    }
    ASSERT_EQ(schema::GrantedTables().size(), 41);
    for (const QString& table : schema::GrantedTables()) {
        const QString privileges =
            Value(att, QStringLiteral("select list(trim(RDB$PRIVILEGE), '') from"
                                      " (select RDB$PRIVILEGE from RDB$USER_PRIVILEGES"
                                      "   where RDB$USER = 'SYSDBA' and RDB$RELATION_NAME = '%1'"
                                      "     and RDB$PRIVILEGE in ('S','I','U','D','R')"
                                      "   group by RDB$PRIVILEGE order by RDB$PRIVILEGE)")
                           .arg(table))
                .toString();
        EXPECT_EQ(privileges, QStringLiteral("DIRSU")) << table.toStdString();
    }

    // A user name that is not a plain identifier is refused before any grant.
    db::Transaction tr(att);
    QString error;
    EXPECT_FALSE(schema::GrantTableRights(att, tr, QStringLiteral("PUBLIC; DROP TABLE USERS"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// Step 4 ends with an update of every load, so that the trigger fills the
// new DEAL_NO_I of the rows that were there before.
TEST(SchemaUpdates, StepFourFillsTheDealNumbersOfExistingLoads)
{
    TestDatabase tdb(TestDatabase::Version::Base, TestDatabase::Content::Empty);
    tdb.exec("insert into RFQ (ID, KARVONEL_ID, OWNER_CLIENT_ID, RECV_CLIENT_ID, TRUCK_REGISTRATION,"
             " TRAILER_REGISTRATION) values (7, 1, 1, 1, 'СА 1234 ВК', 'С 5678 ЕЕ')");
    tdb.exec("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, DEAL_NO) values (1, 7, 0, '12/А')");
    tdb.exec("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, DEAL_NO) values (2, 7, 0, '125A-01')");
    tdb.exec("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, DEAL_NO) values (3, 0, 0, '123456789012')");
    tdb.exec("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, DEAL_NO) values (4, 0, 0, null)");

    ASSERT_TRUE(Update(tdb.attach(), schema::BaseDatabaseVersion));

    const std::vector<db::Row> rows = Rows(
        tdb.attach(), QStringLiteral("select ID, DEAL_NO_I, DEAL_INFO, STATUS_DATE from RFQ_LOADS order by ID"));
    ASSERT_EQ(rows.size(), 4u);
    const int dealNoI[] = {12, 12501, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i][1].toInt(), dealNoI[i]) << "load " << i + 1;
        EXPECT_FALSE(db::isNull(rows[i][3])) << "load " << i + 1;
    }
    EXPECT_EQ(rows[0][2].toString(), QStringLiteral("СА 1234 ВК / С 5678 ЕЕ"));
    EXPECT_EQ(rows[2][2].toString(), QString());
}

// An update broken off after the first script of step 5: the next run skips
// the column that exists and completes the schema.
TEST(SchemaUpdates, AHalfAppliedUpdateCompletesAtTheNextRun)
{
    TestDatabase tdb(TestDatabase::Version::Base, TestDatabase::Content::Empty);
    db::Attachment& att = tdb.attach();
    ASSERT_TRUE(Update(att, schema::BaseDatabaseVersion, 30067));
    {
        db::Transaction tr(att);
        ASSERT_TRUE(schema::RunScript(att, tr, schema::ScriptText("updates/05a_rfq_loads_invoiced.sql")));
        // Run as it stands, the script cannot run twice.
        QString error;
        EXPECT_FALSE(schema::RunScript(att, tr, schema::ScriptText("updates/05a_rfq_loads_invoiced.sql"), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("INVOICED"))) << error.toStdString();
    }
    ASSERT_FALSE(HasColumn(att, "RFQ", "INVOICED"));

    QString error;
    ASSERT_TRUE(Update(att, 30067, schema::TargetDatabaseVersion, &error)) << error.toStdString();

    DeliveredCopy delivered;
    EXPECT_EQ(Metadata(att), Metadata(delivered.attachment()));
}

// A script that fails stops the update: the steps before it stay applied,
// the steps after it do not run.
TEST(SchemaUpdates, AFailingScriptStopsTheUpdate)
{
    TestDatabase tdb(TestDatabase::Version::Base, TestDatabase::Content::Empty);
    db::Attachment& att = tdb.attach();
    // A foreign EVENT_LOG without an ID: step 6 skips the table, then fails
    // on its primary key.
    tdb.exec("create table EVENT_LOG (X integer)");

    QString error;
    EXPECT_FALSE(Update(att, schema::BaseDatabaseVersion, schema::TargetDatabaseVersion, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("updates/06b_event_log_pk.sql"))) << error.toStdString();
    EXPECT_TRUE(HasColumn(att, "RFQ", "INVOICED"));   // step 5
    EXPECT_TRUE(PdateIsNotNull(att));                 // step 7 did not run
    EXPECT_FALSE(HasColumn(att, "RFQ", "INVOICE_NOTES"));
}

TEST(SchemaUpdates, StoredVersionIsTheNumberUnderKey101)
{
    TestDatabase tdb(TestDatabase::Version::Base, TestDatabase::Content::Empty);
    db::Attachment& att = tdb.attach();
    auto stored = [&att] {
        db::Transaction tr(att);
        return schema::StoredDatabaseVersion(att, tr);
    };
    EXPECT_EQ(stored(), 10000);  // no key 101
    tdb.exec("insert into APP_CONFIG (KEY_ID, KEY_VALUE) values (101, '3007x')");
    EXPECT_EQ(stored(), 10000);  // not a number
    {
        db::Transaction tr(att);
        schema::StoreDatabaseVersion(att, tr, 30072);
        tr.commit();
    }
    EXPECT_EQ(stored(), 30072);
    EXPECT_EQ(tdb.value("select count(*) from APP_CONFIG where KEY_ID = 101").toInt(), 1);
}
