// The shared operations of the main data module against a real database.

#include "app/shared_ops.h"

#include "db/db_value.h"
#include "framework/data/basedm.h"
#include "framework/data/dataset.h"
#include "framework/text/win1251.h"
#include "support/db/test_database.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QStringList>

#include <functional>
#include <ostream>

namespace {

using testsupport::TestDatabase;
namespace sample = testsupport::sample;

class SharedOpsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dm.IBDatabase.Params = tdb.params();
        dm.ConnectPauseMs = 0;
        ASSERT_TRUE(dm.Connect());
    }
    void TearDown() override { dm.Disconnect(); }

    QVariant value(const QString &sql) { return dm.QueryValue(sql); }
    int count(const QString &sql) { return dm.QueryInteger(sql); }

    void addRequest(int id, int status, double price, int withVat, int currency = 0, double payPrice = 0)
    {
        dm.ExecSQL(QStringLiteral("insert into RFQ (ID, RFQ_NO, STATUS, KARVONEL_ID, OWNER_CLIENT_ID, RECV_CLIENT_ID, "
                                  "PRICE, WITH_VAT, KV_CURRENCY_TYPE, KV_CURRENCY_PAY_PRICE, INVOICED) "
                                  "values (:ID, :ID, :STATUS, 1, 1, 1, :PRICE, :VAT, :CUR, :PAY, 1)"),
                   {{"ID", id}, {"STATUS", status}, {"PRICE", price}, {"VAT", withVat},
                    {"CUR", currency ? QVariant(currency) : QVariant()}, {"PAY", payPrice}});
    }
    void addConfirm(int id, int status, double price, int withVat, int currency = 0, double payPrice = 0)
    {
        dm.ExecSQL(QStringLiteral("insert into RFQ_CONFIRM (ID, CLIENT_ID, CONF_NO, STATUS, PRICE, WITH_VAT, "
                                  "KV_CURRENCY_TYPE, KV_CURRENCY_PAY_PRICE) "
                                  "values (:ID, 1, :ID, :STATUS, :PRICE, :VAT, :CUR, :PAY)"),
                   {{"ID", id}, {"STATUS", status}, {"PRICE", price}, {"VAT", withVat},
                    {"CUR", currency ? QVariant(currency) : QVariant()}, {"PAY", payPrice}});
    }
    void addLoad(int id, int requestId, int confirmId, int status = 1)
    {
        dm.ExecSQL(QStringLiteral("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, STATUS, DEAL_NO, INVOICED) "
                                  "values (%1, %2, %3, %4, '%1', 1)")
                       .arg(id)
                       .arg(requestId)
                       .arg(confirmId)
                       .arg(status));
    }
    // A posted entry, as the closure screen leaves it.
    void addPostedEntry(int id, int ioType, int requestId, int loadId)
    {
        dm.ExecSQL(QStringLiteral("insert into RFQ_INVOICES (ID, IO_TYPE, RFQ_ID, RFQ_LOADS_ID, PDATE, AMT, AMT_BG, "
                                  "VAT, AMT_TOTAL, CURRENCY, INVOICE_NO) values (%1, %2, %3, %4, '2024-03-01', 50, "
                                  "50, 10, 60, 1, 'F-1')")
                       .arg(id)
                       .arg(ioType)
                       .arg(requestId)
                       .arg(loadId));
    }

    struct Entry
    {
        double amt = 0, amtBg = 0, vat = 0, total = 0, due = 0, paid = -1;
        int currency = 0, rfqId = -1, loadId = -1;
        bool posted = false;
    };
    // The entries of one side and owner, in key order.
    std::vector<Entry> entries(int ioType, const QString &ownerColumn, int owner)
    {
        TDataSet q;
        q.SetTransaction(&dm.IBTransaction);
        q.SetSelectSQL(QStringLiteral("select * from RFQ_INVOICES where IO_TYPE = %1 and %2 = %3 order by ID")
                           .arg(ioType)
                           .arg(ownerColumn)
                           .arg(owner));
        q.Open();
        std::vector<Entry> out;
        for (q.First(); !q.Eof(); q.Next()) {
            Entry e;
            e.amt = q.FieldByName("AMT").AsFloat();
            e.amtBg = q.FieldByName("AMT_BG").AsFloat();
            e.vat = q.FieldByName("VAT").AsFloat();
            e.total = q.FieldByName("AMT_TOTAL").AsFloat();
            e.due = q.FieldByName("DUE_AMOUNT").AsFloat();
            e.paid = q.FieldByName("PAID_AMOUNT").AsFloat();
            e.currency = q.FieldByName("CURRENCY").AsInteger();
            e.rfqId = q.FieldByName("RFQ_ID").AsInteger();
            e.loadId = q.FieldByName("RFQ_LOADS_ID").AsInteger();
            e.posted = !q.FieldByName("PDATE").IsNull();
            out.push_back(e);
        }
        return out;
    }
    std::vector<Entry> clientEntries(int load) { return entries(1, "RFQ_LOADS_ID", load); }
    std::vector<Entry> carrierEntries(int request) { return entries(2, "RFQ_ID", request); }

    TestDatabase tdb{TestDatabase::Version::Current, TestDatabase::Content::SampleRows};
    TBaseDM dm;
};

// --- Contact data ---------------------------------------------------------

struct ContactOps
{
    const char *name;
    const char *table;
    int owner;
    std::function<QString(TBaseDM &, int, int)> last;
    std::function<void(TBaseDM &, int, int, const QString &)> add;
    std::function<void(TBaseDM &, int, int, QStringList &)> list;
};

void PrintTo(const ContactOps &ops, std::ostream *os) { *os << ops.name; }

class ContactTest : public SharedOpsTest, public ::testing::WithParamInterface<ContactOps>
{
};

TEST_P(ContactTest, SameDatumTwiceIsStoredOnceAndTheNewestIsLast)
{
    const ContactOps &ops = GetParam();
    ops.add(dm, ops.owner, 1, "+359 2 123 456");
    ops.add(dm, ops.owner, 1, "+359 2 123 456");
    EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where CONTACT_ID = %2").arg(ops.table).arg(ops.owner)), 1);

    // The same text under another kind or another owner is another datum;
    // apostrophes are stored as typed.
    ops.add(dm, ops.owner, 3, "+359 2 123 456");
    ops.add(dm, ops.owner + 1, 1, "+359 2 123 456");
    ops.add(dm, ops.owner, 1, "O'Brien' or ''='");
    EXPECT_EQ(count(QStringLiteral("select count(*) from %1").arg(ops.table)), 4);
    EXPECT_EQ(ops.last(dm, ops.owner, 1), "O'Brien' or ''='");
    EXPECT_EQ(ops.last(dm, ops.owner, 3), "+359 2 123 456");
    EXPECT_EQ(ops.last(dm, ops.owner, 2), "");
    ops.add(dm, ops.owner, 1, "O'Brien' or ''='");
    // Text the database cannot hold is refused, nothing stored.
    EXPECT_THROW(ops.add(dm, ops.owner, 1, "Győr"), ENotWin1251);
    EXPECT_EQ(count(QStringLiteral("select count(*) from %1").arg(ops.table)), 4);
}

TEST_P(ContactTest, KindOneListsTheGroupNewestFirst)
{
    const ContactOps &ops = GetParam();
    ops.add(dm, ops.owner, 1, "тел");
    ops.add(dm, ops.owner, 2, "факс");
    ops.add(dm, ops.owner, 4, "уеб");
    ops.add(dm, ops.owner, 3, "поща");
    ops.add(dm, ops.owner, 6, "мобилен");
    ops.add(dm, ops.owner + 1, 2, "чужд факс");

    QStringList list{"стар ред"};
    ops.list(dm, ops.owner, 1, list);
    EXPECT_EQ(list, QStringList({"мобилен", "поща", "факс", "тел"}));
    ops.list(dm, ops.owner, 2, list);
    EXPECT_EQ(list, QStringList({"факс"}));
    ops.list(dm, ops.owner, 5, list);
    EXPECT_TRUE(list.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Owners, ContactTest,
    ::testing::Values(ContactOps{"Client", "CONTACTINFO", sample::Client, LastClientContact, AddClientContact,
                                 ClientContactList},
                      ContactOps{"Carrier", "KARVONEL_CONTACTINFO", sample::Carrier, LastKarvonelContact,
                                 AddKarvonelContact, KarvonelContactList}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Recently used texts, terms, currencies --------------------------------

TEST_F(SharedOpsTest, RememberRecentKeepsTheNewestAndCommits)
{
    RememberRecent(dm, 1, "L'Aquila", 2);
    RememberRecent(dm, 1, "София", 2);
    RememberRecent(dm, 1, "L'Aquila", 2);  // used again: the newest now
    RememberRecent(dm, 1, "Пловдив", 2);
    RememberRecent(dm, 2, "друг списък", 2);
    // Read through another attachment: stored for good.
    EXPECT_EQ(tdb.value("select count(*) from MRU_ITEMS where MRU_ID = 1").toInt(), 2);
    EXPECT_EQ(tdb.value("select count(*) from MRU_ITEMS where MRU_ID = 1 and MRU_VAL in ('Пловдив', 'L''Aquila')")
                  .toInt(),
              2);
    EXPECT_EQ(tdb.value("select first 1 MRU_VAL from MRU_ITEMS where MRU_ID = 1 order by ID desc").toString(),
              "Пловдив");
}

TEST_F(SharedOpsTest, DueDate)
{
    dm.ExecSQL("insert into HOLIDAYS (THE_DAY) values ('2024-03-04')");  // a Monday
    struct Case
    {
        int days, kind;
        QDate start, expected;
    } cases[] = {
        {10, TermCalendarDays, QDate(2024, 3, 1), QDate(2024, 3, 11)},
        {10, TermCalendarDays, QDate(2023, 3, 1), QDate(2023, 3, 11)},
        {30, 0, QDate(2024, 2, 15), QDate(2024, 3, 16)},  // an unknown kind counts calendar days
        // Friday + 3 working days: Saturday, Sunday and the holiday skipped.
        {3, TermWorkingDays, QDate(2024, 3, 1), QDate(2024, 3, 7)},
        {1, TermWorkingDays, QDate(2024, 3, 1), QDate(2024, 3, 5)},
        {0, TermWorkingDays, QDate(2024, 3, 2), QDate(2024, 3, 2)},
        {5, TermWorkingDays, QDate(), QDate()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DueDate(dm, c.days, c.kind, c.start), c.expected)
            << c.days << " days of kind " << c.kind << " from " << c.start.toString(Qt::ISODate).toStdString();
}

TEST_F(SharedOpsTest, CurrencyIdByCode)
{
    EXPECT_EQ(CurrencyIdByCode(dm, "BGN"), sample::CurrencyBGN);
    EXPECT_EQ(CurrencyIdByCode(dm, "EUR"), sample::CurrencyEUR);
    EXPECT_EQ(CurrencyIdByCode(dm, "XYZ"), 0);
    EXPECT_EQ(CurrencyIdByCode(dm, "' or ''='"), 0);
}

// --- Expected invoice entries ---------------------------------------------

TEST_F(SharedOpsTest, ClientEntryFromTheConfirmationFreight)
{
    struct Case
    {
        double price;
        int withVat, currency;
        double payPrice;
        Entry expected;
    } cases[] = {
        // No currency: the amount is the net in leva, in "BGN".
        {100.00, 1, 0, 0, {100.00, 100.00, 20.00, 120.00, 120.00, 0, sample::CurrencyBGN, 0, 0}},
        {33.33, 1, 0, 0, {33.33, 33.33, 6.67, 40.00, 40.00, 0, sample::CurrencyBGN, 0, 0}},
        {100.005, 0, 0, 0, {100.01, 100.01, 0, 100.01, 100.01, 0, sample::CurrencyBGN, 0, 0}},
        // A foreign currency: its own amount beside the leva.
        {195.58, 0, sample::CurrencyEUR, 100.0, {100.00, 195.58, 0, 195.58, 195.58, 0, sample::CurrencyEUR, 0, 0}},
    };
    int n = 0;
    for (const Case &c : cases) {
        ++n;
        const int confirm = 100 + n, load = 200 + n;
        addConfirm(confirm, 1, c.price, c.withVat, c.currency, c.payPrice);
        addLoad(load, 0, confirm);
        RefreshClientInvoiceEntry(dm, load);
        const auto rows = clientEntries(load);
        ASSERT_EQ(rows.size(), 1u) << "case " << n;
        const Entry &e = rows[0];
        const Entry &x = c.expected;
        EXPECT_DOUBLE_EQ(e.amt, x.amt) << "case " << n;
        EXPECT_DOUBLE_EQ(e.amtBg, x.amtBg) << "case " << n;
        EXPECT_DOUBLE_EQ(e.vat, x.vat) << "case " << n;
        EXPECT_DOUBLE_EQ(e.total, x.total) << "case " << n;
        EXPECT_DOUBLE_EQ(e.due, x.total) << "case " << n;
        EXPECT_DOUBLE_EQ(e.paid, 0) << "case " << n;
        EXPECT_EQ(e.currency, x.currency) << "case " << n;
        EXPECT_EQ(e.rfqId, 0) << "case " << n;
        EXPECT_EQ(e.loadId, load) << "case " << n;
        EXPECT_FALSE(e.posted) << "case " << n;
        EXPECT_EQ(count(QStringLiteral("select INVOICED from RFQ_LOADS where ID = %1").arg(load)), 0);
    }
    // Stored for good, through another attachment.
    EXPECT_EQ(tdb.value("select count(*) from RFQ_INVOICES where IO_TYPE = 1 and PDATE is null").toInt(), 4);
}

TEST_F(SharedOpsTest, ClientEntryIsReplacedWhenTheFreightChanges)
{
    addConfirm(101, 1, 100, 1);
    addLoad(201, 0, 101);
    addLoad(202, 0, 101);
    RefreshClientInvoiceEntry(dm, 201);
    RefreshClientInvoiceEntry(dm, 202);
    dm.ExecSQL("update RFQ_CONFIRM set PRICE = 250, WITH_VAT = 0 where ID = 101");
    RefreshClientInvoiceEntry(dm, 201);
    const auto rows = clientEntries(201);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].total, 250);
    EXPECT_DOUBLE_EQ(rows[0].vat, 0);
    // The other load keeps its own entry until it is refreshed.
    ASSERT_EQ(clientEntries(202).size(), 1u);
    EXPECT_DOUBLE_EQ(clientEntries(202)[0].total, 120);
}

TEST_F(SharedOpsTest, PostedClientEntryFreezesTheDeal)
{
    addConfirm(101, 1, 100, 1);
    addLoad(201, 0, 101);
    RefreshClientInvoiceEntry(dm, 201);
    dm.ExecSQL("update RFQ_INVOICES set PDATE = '2024-03-10', INVOICE_NO = '0000000007' where RFQ_LOADS_ID = 201");
    dm.ExecSQL("update RFQ_LOADS set INVOICED = 1 where ID = 201");
    dm.ExecSQL("update RFQ_CONFIRM set PRICE = 999 where ID = 101");

    RefreshClientInvoiceEntry(dm, 201);
    const auto rows = clientEntries(201);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].posted);
    EXPECT_DOUBLE_EQ(rows[0].total, 120);
    EXPECT_EQ(count("select INVOICED from RFQ_LOADS where ID = 201"), 1);
}

TEST_F(SharedOpsTest, UnlinkedLoadLosesItsPlannedEntryButKeepsThePostedOne)
{
    addConfirm(101, 1, 100, 1);
    addLoad(201, 0, 101);
    addLoad(202, 0, 101);
    RefreshClientInvoiceEntry(dm, 201);
    RefreshClientInvoiceEntry(dm, 202);
    addPostedEntry(900, 1, 0, 202);

    dm.ExecSQL("update RFQ_LOADS set RFQ_ADDRESS_ID = 0 where ID in (201, 202)");
    RefreshClientInvoiceEntry(dm, 201);
    RefreshClientInvoiceEntry(dm, 202);
    EXPECT_TRUE(clientEntries(201).empty());
    const auto rows = clientEntries(202);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].posted);
    EXPECT_DOUBLE_EQ(rows[0].total, 60);
}

TEST_F(SharedOpsTest, CarrierEntryFollowsTheRequestStatus)
{
    addRequest(11, 1, 1000, 1, sample::CurrencyEUR, 511.29);
    RefreshCarrierInvoiceEntry(dm, 11);
    auto rows = carrierEntries(11);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].amt, 511.29);
    EXPECT_DOUBLE_EQ(rows[0].amtBg, 1000);
    EXPECT_DOUBLE_EQ(rows[0].vat, 200);
    EXPECT_DOUBLE_EQ(rows[0].total, 1200);
    EXPECT_DOUBLE_EQ(rows[0].due, 1200);
    EXPECT_EQ(rows[0].currency, sample::CurrencyEUR);
    EXPECT_EQ(rows[0].rfqId, 11);
    EXPECT_EQ(rows[0].loadId, 0);
    EXPECT_EQ(count("select INVOICED from RFQ where ID = 11"), 0);

    // Pending again: the planned entry goes, and none comes back.
    dm.ExecSQL("update RFQ set STATUS = 0, INVOICED = 1 where ID = 11");
    RefreshCarrierInvoiceEntry(dm, 11);
    EXPECT_TRUE(carrierEntries(11).empty());
    EXPECT_EQ(count("select INVOICED from RFQ where ID = 11"), 1);

    // A posted carrier entry freezes the request.
    dm.ExecSQL("update RFQ set STATUS = 1 where ID = 11");
    addPostedEntry(900, 2, 11, 0);
    RefreshCarrierInvoiceEntry(dm, 11);
    rows = carrierEntries(11);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].posted);
}

TEST_F(SharedOpsTest, FailedRebuildLeavesTheOldEntry)
{
    addConfirm(101, 1, 100, 1);
    addLoad(201, 0, 101);
    RefreshClientInvoiceEntry(dm, 201);
    dm.ExecSQL("update RFQ_CONFIRM set PRICE = 300 where ID = 101");
    dm.ExecSQL("delete from COUNTERS where ID = 49");  // no key can be drawn
    dm.IBTransaction.CommitRetaining();

    EXPECT_ANY_THROW(RefreshClientInvoiceEntry(dm, 201));
    const auto rows = clientEntries(201);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].total, 120);
    EXPECT_EQ(tdb.value("select count(*) from RFQ_INVOICES where RFQ_LOADS_ID = 201").toInt(), 1);
}

// --- Cancelled requests ----------------------------------------------------

TEST_F(SharedOpsTest, RestoreCancelledRequest)
{
    addRequest(11, 4, 1000, 0);
    addRequest(12, 4, 1000, 0);
    addConfirm(101, 4, 100, 0);
    addConfirm(102, 2, 100, 0);
    addLoad(201, 11, 101, 4);
    addLoad(202, 11, 102, 4);
    addLoad(203, 11, 0, 4);
    addLoad(204, 11, 0, 2);
    addLoad(205, 12, 0, 4);

    RestoreCancelledRequest(dm, 11);
    EXPECT_EQ(count("select STATUS from RFQ where ID = 11"), 1);
    EXPECT_EQ(count("select count(*) from RFQ_LOADS where RFQ_ID = 11 and STATUS = 1"), 3);
    EXPECT_EQ(count("select STATUS from RFQ_LOADS where ID = 204"), 2);
    EXPECT_EQ(count("select STATUS from RFQ_CONFIRM where ID = 101"), 1);
    EXPECT_EQ(count("select STATUS from RFQ_CONFIRM where ID = 102"), 2);
    // Another request stays cancelled.
    EXPECT_EQ(count("select STATUS from RFQ where ID = 12"), 4);
    EXPECT_EQ(count("select STATUS from RFQ_LOADS where ID = 205"), 4);
}

// --- Calculated fields -----------------------------------------------------

TEST(SharedOpsCalcTest, Texts)
{
    const QDate d(2024, 3, 5);
    EXPECT_EQ(CircularTripSuffix(10, 12), " (I)");
    EXPECT_EQ(CircularTripSuffix(12, 10), " (II)");
    EXPECT_EQ(CircularTripSuffix(12, QVariant()), "");
    EXPECT_EQ(CircularTripSuffix(12, 0), "");
    EXPECT_EQ(CircularTripSuffix(12, 12), "");

    EXPECT_EQ(RfqNoDateText(7, d, " (I)"), "№7/05.3.2024 (I)");
    EXPECT_EQ(RfqInfoText(7, d, "Превозвач ЕООД", 1234.5, QDate(2024, 3, 9), " (II)"),
              "№7/05.3.2024, Превозвач:Превозвач ЕООД, Навло: 1234.50, дата на дост.09/03/2024 (II)");
    EXPECT_EQ(RfqInfoText(QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), ""),
              "№/, Превозвач:, Навло: 0.00, дата на дост.");

    EXPECT_EQ(TransportNumbers("CA 1234 AB", "CA 5678 EE"), "CA 1234 AB/CA 5678 EE");
    EXPECT_EQ(TransportNumbers("CA 1234 AB", ""), "CA 1234 AB");
    EXPECT_EQ(TransportNumbers("CA 1234 AB", QVariant()), "CA 1234 AB");

    EXPECT_EQ(UserTypeText(1), "А");
    EXPECT_EQ(UserTypeText(0), "п");
    EXPECT_EQ(UserTypeText(QVariant()), "п");
    EXPECT_EQ(NotifTypeText(0), "Кредитно");
    EXPECT_EQ(NotifTypeText(1), "Дебитно");
    EXPECT_EQ(NotifTypeText(QVariant()), "");
    EXPECT_EQ(NationalityText(1), "Български");
    EXPECT_EQ(NationalityText(2), "Чуждестранен");
    EXPECT_EQ(NationalityText(0), "");
}

TEST_F(SharedOpsTest, RequestListCalculatedFields)
{
    dm.ExecSQL("insert into RFQ (ID, RFQ_NO, RFQ_DATE, ROUND_ID, KARVONEL_ID, OWNER_CLIENT_ID, RECV_CLIENT_ID, "
               "PRICE, DEADLINE, TRUCK_REGISTRATION, TRAILER_REGISTRATION) values "
               "(21, 5, '2024-03-05', 22, 1, 1, 1, 800, '2024-03-08', 'CA 1111 AA', 'CA 2222 BB')");
    dm.ExecSQL("insert into RFQ (ID, RFQ_NO, RFQ_DATE, ROUND_ID, KARVONEL_ID, OWNER_CLIENT_ID, RECV_CLIENT_ID, "
               "PRICE, TRUCK_REGISTRATION) values (22, 6, '2024-03-06', 21, 1, 1, 1, 700.456, 'CA 1111 AA')");
    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL("select s.name KARVONEL_D, r.* from RFQ r left outer join KARVONELS s on(s.ID=r.KARVONEL_ID) "
                   "order by r.ID");
    q.AddCalcField("RFQ_INFO_D", TFieldType::String, 200);
    q.AddCalcField("RFQ_NO_DATE_D", TFieldType::String, 40);
    q.AddCalcField("TRANSPORT_NUMBERS", TFieldType::String, 120);
    q.OnCalcFields = [](TDataSet &ds) { CalcRfqFields(ds); };
    q.Open();
    ASSERT_EQ(q.RecordCount(), 2);
    EXPECT_EQ(q.FieldByName("RFQ_INFO_D").AsString(),
              "№5/05.3.2024, Превозвач:Превозвач ЕООД, Навло: 800.00, дата на дост.08/03/2024 (I)");
    EXPECT_EQ(q.FieldByName("RFQ_NO_DATE_D").AsString(), "№5/05.3.2024 (I)");
    EXPECT_EQ(q.FieldByName("TRANSPORT_NUMBERS").AsString(), "CA 1111 AA/CA 2222 BB");
    q.Next();
    EXPECT_EQ(q.FieldByName("RFQ_INFO_D").AsString(),
              "№6/06.3.2024, Превозвач:Превозвач ЕООД, Навло: 700.46, дата на дост. (II)");
    EXPECT_EQ(q.FieldByName("TRANSPORT_NUMBERS").AsString(), "CA 1111 AA");
}

}  // namespace
