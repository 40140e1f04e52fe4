#include "db/db_error.h"
#include "db/script.h"
#include "db/statement.h"
#include "temp_database.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

const char* const kScript = R"(-- schema; with comments
create table T (ID integer, S varchar(20)); /* a ; in a comment */
insert into T values (1, 'a;b');

SET TERM ^ ;
create procedure P (X integer) returns (Y integer) as
begin
  Y = :X * 2; -- ; stays inside
  suspend;
end^
SET TERM ; ^
insert into T values (2, 'it''s; fine') ;
  )";

TEST(Script, SplitsOnTheTerminatorOutsideQuotesAndComments)
{
    const auto st = splitScript(QString::fromUtf8(kScript));
    ASSERT_EQ(st.size(), 4u);
    EXPECT_EQ(st[0].text, QStringLiteral("create table T (ID integer, S varchar(20))"));
    EXPECT_EQ(st[0].line, 2);
    EXPECT_EQ(st[1].text, QStringLiteral("insert into T values (1, 'a;b')"));
    EXPECT_EQ(st[1].line, 3);
    EXPECT_TRUE(st[2].text.startsWith(QStringLiteral("create procedure P")));
    EXPECT_TRUE(st[2].text.endsWith(QStringLiteral("suspend;\nend")));
    EXPECT_EQ(st[2].line, 6);
    EXPECT_EQ(st[3].text, QStringLiteral("insert into T values (2, 'it''s; fine')"));
    EXPECT_EQ(st[3].line, 12);

    // A script without a final terminator, and a multi-character terminator.
    const auto st2 = splitScript(QStringLiteral("set term !! ;\nselect 1 from rdb$database!!\nselect 2 from rdb$database"));
    ASSERT_EQ(st2.size(), 2u);
    EXPECT_EQ(st2[0].text, QStringLiteral("select 1 from rdb$database"));
    EXPECT_EQ(st2[1].text, QStringLiteral("select 2 from rdb$database"));
    EXPECT_EQ(st2[1].line, 3);
}

TEST(Script, RunsCommittingDdlAndReportsTheFailingStatement)
{
    dbtest::TempDatabase db;
    Transaction tr(db.att);
    // The insert needs the table committed first.
    runScript(db.att, tr, QString::fromUtf8(kScript));
    tr.commit();

    Statement q(db.att, tr, QStringLiteral("select count(*), (select Y from P(21)) from T"));
    q.execute();
    EXPECT_EQ(q.output()[0].toInt(), 2);
    EXPECT_EQ(q.output()[1].toInt(), 42);
    tr.commit();

    const QString failing = QStringLiteral(
        "create table U (ID integer);\n"
        "insert into U values (1);\n"
        "insert into NO_SUCH_TABLE values (1);\n"
        "insert into U values (2);\n");
    try {
        runScript(db.att, tr, failing);
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.statement().line, 3);
        EXPECT_EQ(e.statement().text, QStringLiteral("insert into NO_SUCH_TABLE values (1)"));
        EXPECT_TRUE(e.message().contains(QStringLiteral("NO_SUCH_TABLE"))) << e.what();
        EXPECT_NE(e.sqlCode(), 0);
    }
    tr.commit();
    Statement u(db.att, tr, QStringLiteral("select count(*) from U"));
    u.execute();
    EXPECT_EQ(u.output()[0].toInt(), 1);  // the statement after the failure did not run
}

}  // namespace
