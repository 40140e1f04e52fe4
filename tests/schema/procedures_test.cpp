// The procedures and the trigger of the schema, on a database of the current
// version with the initial data.

#include "db/db_error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "schema/schema_test_util.h"
#include "support/db/test_database.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include <optional>

using namespace schematest;
using testsupport::TestDatabase;

namespace {

constexpr double kCent = 1e-6;

// Deals made of requests, confirmations and loads, with keys of their own.
class Deals {
public:
    explicit Deals(TestDatabase& tdb) : tdb_(tdb) {}

    int request(int docType, double price, const char* truck = nullptr, const char* trailer = nullptr,
                int withVat = 0, double currencyPrice = 0)
    {
        const int id = next_++;
        tdb_.exec(QStringLiteral("insert into RFQ (ID, KARVONEL_ID, OWNER_CLIENT_ID, RECV_CLIENT_ID, DOC_TYPE,"
                                 " PRICE, TRUCK_REGISTRATION, TRAILER_REGISTRATION, WITH_VAT, KV_CURRENCY_PAY_PRICE)"
                                 " values (%1, 1, 1, 1, %2, %3, %4, %5, %6, %7)")
                      .arg(id)
                      .arg(docType)
                      .arg(price)
                      .arg(quoted(truck), quoted(trailer))
                      .arg(withVat)
                      .arg(currencyPrice));
        return id;
    }
    int confirmation(double price, int withVat = 0, double currencyPrice = 0)
    {
        const int id = next_++;
        tdb_.exec(QStringLiteral("insert into RFQ_CONFIRM (ID, CLIENT_ID, PRICE, WITH_VAT, KV_CURRENCY_PAY_PRICE)"
                                 " values (%1, 1, %2, %3, %4)")
                      .arg(id)
                      .arg(price)
                      .arg(withVat)
                      .arg(currencyPrice));
        return id;
    }
    int load(int request, int confirmation, int status = 1, const char* dealDate = "2009-03-05")
    {
        const int id = next_++;
        tdb_.exec(QStringLiteral("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, STATUS, DEAL_DATE)"
                                 " values (%1, %2, %3, %4, '%5')")
                      .arg(id)
                      .arg(request)
                      .arg(confirmation)
                      .arg(status)
                      .arg(QString::fromLatin1(dealDate)));
        return id;
    }
    void expense(int load, int ioType, double amountBg)
    {
        tdb_.exec(QStringLiteral("insert into RFQ_EXPENSES (ID, RFQ_LOADS_ID, IO_TYPE, EXPENSE_TYPE, AMT, CURRENCY,"
                                 " AMT_BG) values (%1, %2, %3, 1, %4, 1, %4)")
                      .arg(next_++)
                      .arg(load)
                      .arg(ioType)
                      .arg(amountBg));
    }
    // Sets (or, with nullptr, removes) a configuration value by name.
    void config(const char* name, const char* value)
    {
        const QString n = QString::fromLatin1(name);
        tdb_.exec(QStringLiteral("delete from APP_CONFIG where KEY_ID in"
                                 " (select KEY_ID from APP_CONFIG_KEYS where NAME = '%1')")
                      .arg(n));
        tdb_.exec(QStringLiteral("delete from APP_CONFIG_KEYS where NAME = '%1'").arg(n));
        if (!value)
            return;
        const int key = next_++;
        tdb_.exec(QStringLiteral("insert into APP_CONFIG_KEYS (KEY_ID, NAME) values (%1, '%2')").arg(key).arg(n));
        tdb_.exec(QStringLiteral("insert into APP_CONFIG (KEY_ID, KEY_VALUE) values (%1, '%2')")
                      .arg(key)
                      .arg(QString::fromUtf8(value)));
    }

private:
    static QString quoted(const char* s)
    {
        return s ? QStringLiteral("'%1'").arg(QString::fromUtf8(s)) : QStringLiteral("null");
    }
    TestDatabase& tdb_;
    int next_ = 2000;
};

db::Row One(db::Attachment& att, const QString& sql)
{
    const std::vector<db::Row> rows = Rows(att, sql);
    EXPECT_EQ(rows.size(), 1u) << sql.toStdString();
    return rows.empty() ? db::Row() : rows.front();
}

}  // namespace

TEST(Procedures, CalcRfqPrizesFollowsTheCommissionRules)
{
    TestDatabase tdb;
    Deals d(tdb);
    struct Case {
        const char* name;
        const char* commission;  // nullptr: key missing
        const char* share;
        int load;
        double gross, commissionValue, truck, perLoad;
        int loads;
    };
    std::vector<Case> cases;

    // No expenses, no confirmation, freight 1000.
    {
        const int r = d.request(0, 1000);
        cases.push_back({"no client side", nullptr, nullptr, d.load(r, 0), -1000, 0, 0, 0, 1});
    }
    // Gross profit 1000 over three loads of a circular request.
    {
        const int r = d.request(2, 1000);
        const int l = d.load(r, d.confirmation(1000));
        d.load(r, d.confirmation(500));
        d.load(r, d.confirmation(500));
        cases.push_back({"circular", "26", "10", l, 1000, 260, 26, 78, 3});
    }
    // The same for a one-way request: no truck share.
    {
        const int r = d.request(0, 1000);
        const int l = d.load(r, d.confirmation(1000));
        d.load(r, d.confirmation(500));
        d.load(r, d.confirmation(500));
        cases.push_back({"one way", "26", "10", l, 1000, 260, 0, 86.67, 3});
    }
    // Only the company's own expenses (side 2) count, over every load.
    {
        const int r = d.request(2, 500);
        const int l1 = d.load(r, d.confirmation(600));
        const int l2 = d.load(r, d.confirmation(400));
        d.expense(l1, 2, 100);
        d.expense(l2, 2, 200);
        d.expense(l2, 1, 999);
        d.expense(l2, 3, 999);
        cases.push_back({"own expenses", "26", "10", l2, 200, 52, 5.2, 23.4, 2});
    }
    // Values that are not numbers fall back to 26 and 0.
    {
        const int r = d.request(2, 0);
        cases.push_back({"not numbers", "abc", "", d.load(r, d.confirmation(100)), 100, 26, 0, 26, 1});
    }
    // A confirmation named by two loads is counted twice.
    {
        const int r = d.request(0, 200);
        const int c = d.confirmation(500);
        const int l = d.load(r, c);
        d.load(r, c);
        cases.push_back({"shared confirmation", "26", "10", l, 800, 208, 0, 104, 2});
    }
    // A load without a request stands alone (not with every other such load).
    {
        d.load(0, d.confirmation(700));
        cases.push_back({"no request", "26", "10", d.load(0, d.confirmation(300)), 300, 78, 0, 78, 1});
    }

    for (const Case& c : cases) {
        d.config("KARVONEL_COMMISION", c.commission);
        d.config("KARVONEL_COMMISION2", c.share);
        const db::Row row = One(tdb.attach(),
                                QStringLiteral("select GROSS_PROFIT, COMMISSION, TRUCK_PRIZE, LOAD_PRIZE, LOAD_NUM"
                                               " from CALC_RFQ_PRIZES(%1)")
                                    .arg(c.load));
        ASSERT_EQ(row.size(), 5) << c.name;
        EXPECT_NEAR(row[0].toDouble(), c.gross, kCent) << c.name;
        EXPECT_NEAR(row[1].toDouble(), c.commissionValue, kCent) << c.name;
        EXPECT_NEAR(row[2].toDouble(), c.truck, kCent) << c.name;
        EXPECT_NEAR(row[3].toDouble(), c.perLoad, kCent) << c.name;
        EXPECT_EQ(row[4].toInt(), c.loads) << c.name;
    }
}

TEST(Procedures, GetDealInvoiceInfoSumsOneSideAndNamesItsLatestInvoice)
{
    TestDatabase tdb;
    db::Attachment& att = tdb.attach();
    const QString query = QStringLiteral(
        "select INVOICE_NO, INVOICE_SEND_DATE, INVOICE_AMOUNT, INVOICE_CURRENCY, INVOICE_BGN, INVOICE_VAT,"
        " INVOICE_BGN_TOTAL, INVOICE_PAID, INVOICE_DUE_AMOUNT from GET_DEAL_INVOICE_INFO(%1, %2, %3)");

    // No rows: one row of NULLs.
    {
        const db::Row row = One(att, query.arg(1).arg(0).arg(42));
        ASSERT_EQ(row.size(), 9);
        for (int i = 0; i < 9; ++i)
            EXPECT_TRUE(db::isNull(row[i])) << i;
    }

    auto invoice = [&tdb](int id, int io, int rfq, int load, const char* no, const char* date, const char* sent,
                          double amt, int currency, double bg, double vat, double paid, double due) {
        auto lit = [](const char* s) { return s ? QStringLiteral("'%1'").arg(QString::fromLatin1(s)) : QStringLiteral("null"); };
        tdb.exec(QStringLiteral("insert into RFQ_INVOICES (ID, IO_TYPE, RFQ_ID, RFQ_LOADS_ID, INVOICE_NO, INVOICE_DATE,"
                                " SEND_DATE, AMT, CURRENCY, AMT_BG, VAT, AMT_TOTAL, PAID_AMOUNT, DUE_AMOUNT) values"
                                " (%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13, %14)")
                     .arg(id).arg(io).arg(rfq).arg(load)
                     .arg(lit(no), lit(date), lit(sent))
                     .arg(amt).arg(currency).arg(bg).arg(vat).arg(bg + vat).arg(paid).arg(due));
    };
    // Client side of load 5: the row sent last names the invoice; a row
    // without a send date comes last.
    invoice(1, 1, 0, 5, "0000000123", "2009-03-05", "2009-03-06", 100, 2, 195.58, 39.12, 100, 134.70);
    invoice(2, 1, 0, 5, "0000000124", "2009-03-01", nullptr, 50, 3, 80, 16, 0, 96);
    invoice(3, 2, 0, 5, "999", "2009-03-07", "2009-03-08", 1, 1, 1, 0, 0, 1);  // other side
    // Carrier side of request 7.
    invoice(4, 2, 7, 0, "1234567890123456789012345", "2009-10-15", "2009-10-20", 10, 1, 10, 2, 12, 0);
    invoice(5, 2, 8, 0, "other request", "2009-10-15", "2009-12-31", 10, 1, 10, 2, 12, 0);

    {
        const db::Row row = One(att, query.arg(1).arg(0).arg(5));
        EXPECT_EQ(row[0].toString(), QStringLiteral("0000000123 / 5.3.2009"));
        EXPECT_EQ(row[1].toDate(), QDate(2009, 3, 6));
        EXPECT_NEAR(row[2].toDouble(), 150, kCent);
        EXPECT_EQ(row[3].toInt(), 2);
        EXPECT_NEAR(row[4].toDouble(), 275.58, kCent);
        EXPECT_NEAR(row[5].toDouble(), 55.12, kCent);
        EXPECT_NEAR(row[6].toDouble(), 330.70, kCent);
        EXPECT_NEAR(row[7].toDouble(), 100, kCent);
        EXPECT_NEAR(row[8].toDouble(), 230.70, kCent);
    }
    // A number with its date is cut to 30 characters.
    {
        const db::Row row = One(att, query.arg(2).arg(7).arg(0));
        EXPECT_EQ(row[0].toString(), QStringLiteral("1234567890123456789012345 / 15"));
        EXPECT_NEAR(row[4].toDouble(), 10, kCent);
    }
    // Without an invoice date the number stands alone.
    invoice(6, 2, 7, 0, "77", nullptr, "2009-10-21", 5, 3, 5, 1, 0, 6);
    {
        const db::Row row = One(att, query.arg(2).arg(7).arg(0));
        EXPECT_EQ(row[0].toString(), QStringLiteral("77"));
        EXPECT_EQ(row[3].toInt(), 3);
        EXPECT_NEAR(row[4].toDouble(), 15, kCent);
    }
}

TEST(Procedures, StrValueReadsTheDigitsOfAText)
{
    TestDatabase tdb;
    db::Attachment& att = tdb.attach();
    db::Transaction tr(att);
    db::Statement st(att, tr, QStringLiteral("execute procedure STR_VALUE(:ST)"));
    const std::pair<std::optional<QString>, int> cases[] = {
        {std::nullopt, 0},
        {QString(), 0},
        {QStringLiteral("абв/Г"), 0},
        {QStringLiteral("12/А"), 12},
        {QStringLiteral("125A-01"), 12501},
        {QStringLiteral("0007"), 7},
        {QStringLiteral("2147483647"), 2147483647},
        {QStringLiteral("2147483648"), 0},
        {QStringLiteral("123456789012"), 0},
        {QStringLiteral("1234567890123456789012345"), 0},
    };
    for (const auto& [text, expected] : cases) {
        st.setParam(QStringLiteral("ST"), text ? db::DbValue(*text) : db::DbValue());
        st.execute();
        EXPECT_EQ(st.output(QStringLiteral("INT_RES")).toInt(), expected) << text.value_or("NULL").toStdString();
    }
}

TEST(Procedures, LoadTriggerKeepsStatusDateDealInfoAndDealNumber)
{
    TestDatabase tdb;
    Deals d(tdb);
    db::Attachment& att = tdb.attach();
    auto info = [&att](int load) {
        return Value(att, QStringLiteral("select DEAL_INFO from RFQ_LOADS where ID = %1").arg(load)).toString();
    };
    const int both = d.load(d.request(0, 0, "СА 1111 АА", "С 2222 ВВ"), 0);
    const int trailer = d.load(d.request(0, 0, nullptr, "С 2222 ВВ"), 0);
    const int truck = d.load(d.request(0, 0, "СА 1111 АА", nullptr), 0);
    const int none = d.load(d.request(0, 0), 0);
    const int noRequest = d.load(0, 0);
    const int missingRequest = d.load(99999, 0);
    EXPECT_EQ(info(both), QStringLiteral("СА 1111 АА / С 2222 ВВ"));
    EXPECT_EQ(info(trailer), QStringLiteral(" / С 2222 ВВ"));
    EXPECT_EQ(info(truck), QStringLiteral("СА 1111 АА"));
    EXPECT_EQ(info(none), QString());
    EXPECT_EQ(info(noRequest), QString());
    EXPECT_EQ(info(missingRequest), QString());

    auto statusDate = [&att, both] {
        return Value(att, QStringLiteral("select STATUS_DATE from RFQ_LOADS where ID = %1").arg(both)).toDateTime();
    };
    EXPECT_TRUE(statusDate().isValid());  // stamped on insert
    const QDateTime old(QDate(2001, 1, 1), QTime(10, 0));
    tdb.exec(QStringLiteral("update RFQ_LOADS set STATUS_DATE = '2001-01-01 10:00:00' where ID = %1").arg(both));
    EXPECT_EQ(statusDate(), old);
    tdb.exec(QStringLiteral("update RFQ_LOADS set LOAD_NOTES = 'x', STATUS = 1 where ID = %1").arg(both));
    EXPECT_EQ(statusDate(), old);  // the status stayed 1
    tdb.exec(QStringLiteral("update RFQ_LOADS set STATUS = 2 where ID = %1").arg(both));
    EXPECT_GT(statusDate(), old);

    tdb.exec(QStringLiteral("update RFQ_LOADS set DEAL_NO = '125A-01' where ID = %1").arg(both));
    EXPECT_EQ(Value(att, QStringLiteral("select DEAL_NO_I from RFQ_LOADS where ID = %1").arg(both)).toInt(), 12501);
}

TEST(Procedures, CalcTermCountsWorkingDaysAfterTheStart)
{
    TestDatabase tdb;
    db::Attachment& att = tdb.attach();
    tdb.exec("insert into HOLIDAYS (THE_DAY) values ('2024-05-06')");  // a Monday
    struct Case {
        QDate start;
        int days;
        QDate end;
    };
    const Case cases[] = {
        {QDate(2024, 5, 3), 0, QDate(2024, 5, 3)},   // Friday, no term
        {QDate(2024, 5, 3), 1, QDate(2024, 5, 7)},   // over the weekend and the holiday
        {QDate(2024, 5, 3), 3, QDate(2024, 5, 9)},
        {QDate(2024, 5, 4), 1, QDate(2024, 5, 7)},   // from a Saturday
        {QDate(2024, 5, 6), 5, QDate(2024, 5, 13)},  // from the holiday: Tue to Fri, then Mon
    };
    db::Transaction tr(att);
    db::Statement exec(att, tr, QStringLiteral("execute procedure CALC_TERM(:START_DATE, :WORKDAYS)"));
    db::Statement select(att, tr, QStringLiteral("select TERM_DATE from CALC_TERM(:START_DATE, :WORKDAYS)"));
    for (const Case& c : cases) {
        exec.setParam(QStringLiteral("START_DATE"), c.start);
        exec.setParam(QStringLiteral("WORKDAYS"), c.days);
        exec.execute();
        EXPECT_EQ(exec.output(QStringLiteral("TERM_DATE")).toDate(), c.end) << c.start.toString().toStdString();
        select.setParam(QStringLiteral("START_DATE"), c.start);
        select.setParam(QStringLiteral("WORKDAYS"), c.days);
        db::Cursor cur = select.open();
        ASSERT_TRUE(cur.fetch());
        EXPECT_EQ(cur.value(0).toDate(), c.end);
    }
}

TEST(Procedures, GetCounterValHandsOutEachNumberOnce)
{
    TestDatabase tdb;
    db::Attachment& att = tdb.attach();
    auto draw = [&att](int counter) {
        db::Transaction tr(att);
        db::Statement st(att, tr, QStringLiteral("execute procedure GETCOUNTERVAL(:ID)"));
        st.setParam(QStringLiteral("ID"), counter);
        st.execute();
        const int res = st.output(QStringLiteral("RES")).toInt();
        tr.commit();
        return res;
    };
    EXPECT_EQ(draw(22), 1);
    EXPECT_EQ(draw(22), 2);
    EXPECT_EQ(draw(17), 2);  // above the administrator of the initial data
    tdb.exec("update COUNTERS set VAL = 500 where ID = 22");  // as the counter adjustment does
    EXPECT_EQ(draw(22), 500);
    EXPECT_EQ(draw(22), 501);
    try {
        draw(999);
        ADD_FAILURE() << "a missing counter must fail";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("999"))) << e.what();
    }
}

TEST(Procedures, UpdateMruItemsKeepsTheMostRecentTexts)
{
    TestDatabase tdb;
    db::Attachment& att = tdb.attach();
    auto remember = [&att](int list, const QString& text, int max) {
        db::Transaction tr(att);
        db::Statement st(att, tr, QStringLiteral("execute procedure UPDATE_MRU_ITEMS(:MRU_ID, :MRU_VAL, :MAX_VALS)"));
        st.setParam(QStringLiteral("MRU_ID"), list);
        st.setParam(QStringLiteral("MRU_VAL"), text);
        st.setParam(QStringLiteral("MAX_VALS"), max);
        st.execute();
        tr.commit();
    };
    auto list = [&att](int id) {
        QStringList out;
        for (const db::Row& r : Rows(att, QStringLiteral("select MRU_VAL from MRU_ITEMS where MRU_ID = %1"
                                                         " order by ID desc").arg(id)))
            out << r[0].toString();
        return out;
    };
    remember(2, QStringLiteral("Другият списък"), 5);
    for (const char* t : {"София", "Пловдив", "Варна", "Бургас"})
        remember(1, QString::fromUtf8(t), 3);
    EXPECT_EQ(list(1), (QStringList{"Бургас", "Варна", "Пловдив"}));
    remember(1, QStringLiteral("Пловдив"), 3);
    EXPECT_EQ(list(1), (QStringList{"Пловдив", "Бургас", "Варна"}));
    remember(1, QString(), 3);
    EXPECT_EQ(list(1), (QStringList{"Пловдив", "Бургас", "Варна"}));
    EXPECT_EQ(list(2), (QStringList{"Другият списък"}));
}

TEST(Procedures, GetClientContactGivesTheNewestOfAKind)
{
    TestDatabase tdb(TestDatabase::Version::Current, TestDatabase::Content::SampleRows);
    tdb.exec("insert into CONTACTINFO (ID, CONTACT_ID, CONTACTINFO_TYPE_ID, TEXT) values (1, 1, 1, '02 111')");
    tdb.exec("insert into CONTACTINFO (ID, CONTACT_ID, CONTACTINFO_TYPE_ID, TEXT) values (2, 1, 4, '02 222')");
    tdb.exec("insert into CONTACTINFO (ID, CONTACT_ID, CONTACTINFO_TYPE_ID, TEXT) values (3, 1, 1, '02 333')");
    tdb.exec("insert into CONTACTINFO (ID, CONTACT_ID, CONTACTINFO_TYPE_ID, TEXT) values (4, 2, 1, '02 444')");
    db::Attachment& att = tdb.attach();
    db::Row row = One(att, QStringLiteral("select INFO_ID, INFO_TEXT from GETCLIENTCONTACT(1, 1)"));
    EXPECT_EQ(row[0].toInt(), 3);
    EXPECT_EQ(row[1].toString(), QStringLiteral("02 333"));
    row = One(att, QStringLiteral("select INFO_ID, INFO_TEXT from GETCLIENTCONTACT(1, 7)"));
    EXPECT_TRUE(db::isNull(row[0]));
    EXPECT_TRUE(db::isNull(row[1]));
}

TEST(Procedures, CalcPeriodGrossSumsTheDealsOfAPeriod)
{
    TestDatabase tdb;
    Deals d(tdb);
    d.config("KARVONEL_COMMISION", "26");
    d.config("KARVONEL_COMMISION2", "10");
    // A circular request with two loads in the period.
    const int r1 = d.request(2, 1000, nullptr, nullptr, 1, 511.29);
    const int l1 = d.load(r1, d.confirmation(1500, 1, 766.94), 1, "2009-03-01");
    d.load(r1, d.confirmation(700), 1, "2009-03-31");
    d.expense(l1, 2, 100);
    // A one-way request with one load in the period and one after it.
    const int r2 = d.request(0, 300);
    d.load(r2, d.confirmation(200), 2, "2009-03-15");
    d.load(r2, d.confirmation(900), 1, "2009-04-01");
    // A load without a request, and a pending deal that does not count.
    d.load(0, d.confirmation(400), 1, "2009-03-10");
    d.load(d.request(0, 50), d.confirmation(60), 0, "2009-03-10");

    const db::Row row = One(tdb.attach(), QStringLiteral("select * from CALC_PERIOD_GROSS('2009-03-01', '2009-03-31', 20)"));
    ASSERT_EQ(row.size(), 13);
    EXPECT_EQ(row[0].toInt(), 4);                          // NUMLOADS
    const double expected[] = {
        2300,     // GROSS_PROFIT: 1100 + 800 + 400
        598,      // GROSS_COMMISSION: 286 + 208 + 104
        28.6,     // TRUCKS_COMMISSION: the circular request only
        465.4,    // LOADS_COMMISSION: 2 x 128.70 + 104 + 104
        766.94,   // C_CURRENCY_CALC
        2800,     // C_BGN_CALC
        300,      // C_VAT_CALC
        3100,     // C_GROSS_CALC
        511.29,   // S_CURRENCY_CALC
        1300,     // S_BGN_CALC
        200,      // S_VAT_CALC
        1500,     // S_GROSS_CALC
    };
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(row[i + 1].toDouble(), expected[i], kCent) << "output " << i + 1;
}
