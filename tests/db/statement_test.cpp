#include "db/db_error.h"
#include "db/script.h"
#include "db/statement.h"
#include "temp_database.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>

using namespace db;

namespace {

class StatementTest : public ::testing::Test {
protected:
    dbtest::TempDatabase db;
    Transaction tr{db.att};

    void exec(const QString& sql)
    {
        db.att.executeImmediate(tr, sql);
        tr.commit();
    }
};

TEST_F(StatementTest, EveryValueKindRoundTrips)
{
    exec(QStringLiteral(
        "create table T (ID integer not null, S smallint, I integer, B bigint, "
        "N numeric(15,2), D decimal(18,4), F float, DP double precision, "
        "C char(5), V varchar(40), DT date, TM time, TS timestamp, "
        "TB blob sub_type text, BB blob sub_type 0, BL boolean)"));

    Statement ins(db.att, tr,
                  QStringLiteral("insert into T values (:ID, :S, :I, :B, :N, :D, :F, :DP, :C, :V, :DT, :TM, :TS, "
                                 ":TB, :BB, :BL)"));
    const QString longText = QString(70000, QChar(u'ж')) + QStringLiteral("край");
    const QByteArray bytes("\x00\x01\xff binary", 10);
    ins.setParam(QStringLiteral("id"), 1);
    ins.setParam(QStringLiteral("S"), -12);
    ins.setParam(QStringLiteral("I"), 2147483647);
    ins.setParam(QStringLiteral("B"), qlonglong(9007199254740993LL));
    ins.setParam(QStringLiteral("N"), 1234.56);
    ins.setParam(QStringLiteral("D"), -0.0005);
    ins.setParam(QStringLiteral("F"), 1.5);
    ins.setParam(QStringLiteral("DP"), 0.1);
    ins.setParam(QStringLiteral("C"), QStringLiteral("ab"));
    ins.setParam(QStringLiteral("V"), QStringLiteral("Пловдив 'кв. Тракия'"));
    ins.setParam(QStringLiteral("DT"), QDate(2009, 3, 5));
    ins.setParam(QStringLiteral("TM"), QTime(23, 59, 58, 123));
    ins.setParam(QStringLiteral("TS"), QDateTime(QDate(1999, 12, 31), QTime(0, 0, 1, 500)));
    ins.setParam(QStringLiteral("TB"), longText);
    ins.setParam(QStringLiteral("BB"), bytes);
    ins.setParam(QStringLiteral("BL"), true);
    EXPECT_EQ(ins.execute(), 1u);

    // The same statement again, every value NULL but the key.
    ins.clearParams();
    ins.setParam(QStringLiteral("ID"), 2);
    EXPECT_EQ(ins.execute(), 1u);
    tr.commit();

    Statement sel(db.att, tr, QStringLiteral("select * from T order by ID"));
    ASSERT_TRUE(sel.hasCursor());
    Cursor c = sel.open();
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.value(QStringLiteral("S")), QVariant(-12));
    EXPECT_EQ(c.value(QStringLiteral("S")).typeId(), QMetaType::Int);
    EXPECT_EQ(c.value(QStringLiteral("I")).toInt(), 2147483647);
    EXPECT_EQ(c.value(QStringLiteral("B")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(c.value(QStringLiteral("B")).toLongLong(), 9007199254740993LL);
    EXPECT_EQ(c.value(QStringLiteral("N")).typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(c.value(QStringLiteral("N")).toDouble(), 1234.56);
    EXPECT_DOUBLE_EQ(c.value(QStringLiteral("D")).toDouble(), -0.0005);
    EXPECT_DOUBLE_EQ(c.value(QStringLiteral("F")).toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(c.value(QStringLiteral("DP")).toDouble(), 0.1);
    EXPECT_EQ(c.value(QStringLiteral("C")).toString(), QStringLiteral("ab"));
    EXPECT_EQ(c.value(QStringLiteral("V")).toString(), QStringLiteral("Пловдив 'кв. Тракия'"));
    EXPECT_EQ(c.value(QStringLiteral("DT")).toDate(), QDate(2009, 3, 5));
    EXPECT_EQ(c.value(QStringLiteral("TM")).toTime(), QTime(23, 59, 58, 123));
    EXPECT_EQ(c.value(QStringLiteral("TS")).toDateTime(), QDateTime(QDate(1999, 12, 31), QTime(0, 0, 1, 500)));
    EXPECT_EQ(c.value(QStringLiteral("TB")).toString(), longText);
    EXPECT_EQ(c.value(QStringLiteral("BB")).toByteArray(), bytes);
    EXPECT_EQ(c.value(QStringLiteral("BL")), QVariant(true));

    ASSERT_TRUE(c.fetch());
    for (int i = 1; i < c.row().size(); ++i)
        EXPECT_TRUE(isNull(c.value(i))) << i;
    EXPECT_FALSE(c.fetch());
    EXPECT_FALSE(c.isOpen());

    // Metadata of the result.
    const auto& cols = sel.columns();
    ASSERT_EQ(cols.size(), 16u);
    EXPECT_EQ(cols[4].type, DbType::Numeric);
    EXPECT_EQ(cols[4].scale, -2);
    EXPECT_EQ(cols[8].type, DbType::Char);
    EXPECT_EQ(cols[8].charLength, 5u);
    EXPECT_EQ(cols[9].type, DbType::VarChar);
    EXPECT_EQ(cols[9].charLength, 40u);
    EXPECT_EQ(cols[13].type, DbType::TextBlob);
    EXPECT_FALSE(cols[0].nullable);
    EXPECT_TRUE(cols[1].nullable);
    EXPECT_EQ(cols[0].relation, QStringLiteral("T"));
}

TEST_F(StatementTest, AliasesOutputsAndRepeatedNames)
{
    exec(QStringLiteral("create table P (ID integer, NAME varchar(20))"));
    Statement ins(db.att, tr, QStringLiteral("insert into P (ID, NAME) values (:id, :Name) returning ID * 2 as TWICE"));
    for (int i = 1; i <= 3; ++i) {
        ins.setParam(QStringLiteral("ID"), i);
        ins.setParam(QStringLiteral("NAME"), QStringLiteral("n%1").arg(i));
        ins.execute();
        EXPECT_EQ(ins.output(QStringLiteral("twice")).toInt(), 2 * i);
    }

    // One name in several places; a select run with execute() gives its first row.
    Statement sel(db.att, tr,
                  QStringLiteral("select count(*) as CNT, max(NAME) as M from P where ID >= :X and ID - :X < 2"));
    EXPECT_EQ(sel.paramNames(), QStringList{QStringLiteral("X")});
    EXPECT_EQ(sel.paramCount(), 2);
    sel.setParam(QStringLiteral("x"), 2);
    sel.execute();
    EXPECT_EQ(sel.output(QStringLiteral("CNT")).toLongLong(), 2);
    EXPECT_EQ(sel.output(QStringLiteral("M")).toString(), QStringLiteral("n3"));

    // EXECUTE BLOCK: the input list takes parameters, the body keeps its variables.
    Statement block(db.att, tr,
                    QStringLiteral("execute block (P integer = :P) returns (R integer) as "
                                   "begin R = :P * 3; suspend; R = :P * 4; suspend; end"));
    block.setParam(QStringLiteral("p"), 7);
    Cursor rows = block.open();
    const auto all = rows.fetchAll();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0][0].toInt(), 21);
    EXPECT_EQ(all[1][0].toInt(), 28);

    EXPECT_THROW(sel.setParam(QStringLiteral("Y"), 1), DbError);
    EXPECT_FALSE(sel.hasParam(QStringLiteral("Y")));
    EXPECT_TRUE(sel.hasParam(QStringLiteral("x")));
}

TEST_F(StatementTest, CyrillicThroughWin1251AndRefusedCharacters)
{
    exec(QStringLiteral("create table W (V varchar(10), B blob sub_type text)"));
    Statement ins(db.att, tr, QStringLiteral("insert into W (V, B) values (:V, :B)"));
    const QString bg = QStringLiteral("Щъркел €№");  // all in Windows-1251
    ins.setParam(QStringLiteral("V"), bg);
    ins.setParam(QStringLiteral("B"), bg);
    ins.execute();

    // Stored one byte per character: the column holds exactly 10 characters.
    Statement len(db.att, tr, QStringLiteral("select octet_length(V), octet_length(B), V, B from W"));
    len.execute();
    EXPECT_EQ(len.output()[0].toInt(), bg.size());
    EXPECT_EQ(len.output()[1].toInt(), bg.size());
    EXPECT_EQ(len.output()[2].toString(), bg);
    EXPECT_EQ(len.output()[3].toString(), bg);

    for (const QString& bad : {QStringLiteral("日本"), QStringLiteral("Ω")}) {
        for (const char* column : {"V", "B"}) {
            ins.clearParams();
            ins.setParam(QString::fromLatin1(column), bad);
            try {
                ins.execute();
                ADD_FAILURE() << "stored " << column;
            } catch (const DbError& e) {
                EXPECT_TRUE(e.isTransliteration()) << column << " " << e.what() << " " << e.sqlState().toStdString();
                EXPECT_FALSE(e.isLockConflict());
            }
        }
    }
    tr.commit();
    Statement count(db.att, tr, QStringLiteral("select count(*) from W"));
    count.execute();
    EXPECT_EQ(count.output()[0].toInt(), 1);
}

}  // namespace
