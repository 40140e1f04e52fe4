#include "app/tdm_counters.h"

#include "framework/data/basedm.h"
#include "framework/text/format.h"

#include <algorithm>

const std::vector<TCounterTable> &CounterMap()
{
    static const std::vector<TCounterTable> map = [] {
        const auto one = [](int counter, const char *table, const char *key = "ID") {
            return TCounterTable{counter, {QString::fromLatin1(table)}, QString::fromLatin1(key)};
        };
        const auto two = [](int counter, const char *a, const char *b) {
            return TCounterTable{counter, {QString::fromLatin1(a), QString::fromLatin1(b)}, QStringLiteral("ID")};
        };
        return std::vector<TCounterTable>{
            one(3, "ACTIVITIES"),
            one(25, "BANK_ACCOUNTS"),
            one(18, "CHARGE_INVOICES"),
            one(9, "CITIES"),
            one(43, "CLIENTS"),
            one(5, "CONTACTINFO"),
            one(46, "KARVONEL_CONTACTINFO"),
            one(44, "CLIENT_CONTACTORS"),
            one(45, "KARVONEL_CONTACTORS"),
            one(6, "CONTACTINFO_TYPES"),
            one(1, "COUNTRIES"),
            one(13, "COUNTRY_NEIGHBOURING"),
            one(19, "CRGINV_DETAILS"),
            one(34, "CRGINV_PMTS"),
            one(27, "CURRENCIES"),
            one(36, "DOCCOMP_CUSTOMER"),
            one(40, "DOCCOMP_CUSTOMER_DOCUMENTS"),
            one(35, "DOCCOMP_KARVONEL"),
            one(39, "DOCCOMP_KARVONEL_DOCUMENTS"),
            one(14, "DOUANES"),
            one(38, "FINCOMP_CUSTOMER"),
            one(42, "FINCOMP_PMTS_CUSTOMER"),
            one(37, "FINCOMP_KARVONEL"),
            one(41, "FINCOMP_PMTS_KARVONEL"),
            one(32, "INT_INVOICE"),
            one(33, "INT_INVOICE_PMTS"),
            one(22, "INVOICES"),
            one(23, "INVOICE_DETAILS", "DETAIL_ID"),
            one(24, "INVOICE_PAYMENTS"),
            one(30, "LOAD_CHARGES"),
            one(29, "MRU_ITEMS"),
            two(15, "RFQ", "RFQ_CONFIRM"),
            one(28, "RFQ_ADDRESSES"),
            one(31, "RFQ_LOADS"),
            one(16, "RFQ_TRUCKS"),
            one(2, "KARVONELS"),
            one(26, "KARVONEL_ACCOUNTS"),
            one(10, "KARVONEL_DESTINATIONS"),
            one(20, "KARVONEL_INVOICES"),
            one(21, "KARVONEL_INVOICE_DETAILS"),
            one(47, "KARVONEL_TRUCKS"),
            two(11, "TRANSPORT", "CARGO"),
            one(12, "TRANSPORT_TRUCKS"),
            one(8, "TRUCK_TYPES"),
            one(17, "USERS"),
            one(49, "RFQ_INVOICES"),
            one(48, "RFQ_EXPENSES"),
            one(50, "LOAD_CHARGE_TYPES"),
            one(4, "ACTIVITY_TYPES"),
            one(51, "RFQ_PAYMENTS"),
            one(200, "REPORT_CLAUSES"),
        };
    }();
    return map;
}

void AdjustCountersForTables(TBaseDM &dm)
{
    dm.RunInUnit(
        [&dm] {
            for (const TCounterTable &entry : CounterMap()) {
                int n = 1;
                for (const QString &table : entry.tables)
                    n = std::max(n, dm.QueryInteger(QStringLiteral("SELECT max(%1) FROM %2")
                                                        .arg(entry.keyColumn, table))
                                        + 1);
                const QString update = Format("UPDATE COUNTERS SET VAL = %d WHERE ID = %d and VAL < %d", n,
                                              entry.counter, n);
                dm.ExecSQL(update);
                if (entry.counter == 11)
                    dm.ExecSQL(update);  // the shared counter of the two offer tables, as it always was
            }
        },
        {}, TBaseDM::ContentionAttempts);
}

const QStringList &ClearDataTables()
{
    static const QStringList tables{
        QStringLiteral("ACTIVITIES"), QStringLiteral("ACTIVITY_TYPES"), QStringLiteral("APP_CONFIG"),
        QStringLiteral("BANK_ACCOUNTS"), QStringLiteral("CARGO"), QStringLiteral("CHARGE_INVOICES"),
        QStringLiteral("CITIES"), QStringLiteral("CLIENTS"), QStringLiteral("CLIENT_CONTACTORS"),
        QStringLiteral("CONTACTINFO"), QStringLiteral("COUNTRIES"), QStringLiteral("COUNTRY_NEIGHBOURING"),
        QStringLiteral("CRGINV_DETAILS"), QStringLiteral("CRGINV_PMTS"), QStringLiteral("CURRENCIES"),
        QStringLiteral("DOCCOMP_CUSTOMER"), QStringLiteral("DOCCOMP_CUSTOMER_DOCUMENTS"),
        QStringLiteral("DOCCOMP_KARVONEL"), QStringLiteral("DOCCOMP_KARVONEL_DOCUMENTS"), QStringLiteral("DOUANES"),
        QStringLiteral("FINCOMP_CUSTOMER"), QStringLiteral("FINCOMP_PMTS_CUSTOMER"),
        QStringLiteral("FINCOMP_PMTS_KARVONEL"), QStringLiteral("FINCOMP_KARVONEL"), QStringLiteral("INT_INVOICE"),
        QStringLiteral("INT_INVOICE_PMTS"), QStringLiteral("INVOICES"), QStringLiteral("INVOICE_DETAILS"),
        QStringLiteral("INVOICE_PAYMENTS"), QStringLiteral("LOAD_CHARGES"), QStringLiteral("MRU_ITEMS"),
        QStringLiteral("MRU_NAMES"), QStringLiteral("RFQ"), QStringLiteral("RFQ_ADDRESSES"), QStringLiteral("RFQ_LOADS"),
        QStringLiteral("RFQ_TRUCKS"), QStringLiteral("KARVONELS"), QStringLiteral("KARVONEL_ACCOUNTS"),
        QStringLiteral("KARVONEL_CONTACTINFO"), QStringLiteral("KARVONEL_CONTACTORS"),
        QStringLiteral("KARVONEL_DESTINATIONS"), QStringLiteral("KARVONEL_INVOICES"),
        QStringLiteral("KARVONEL_INVOICE_DETAILS"), QStringLiteral("KARVONEL_TRUCKS"), QStringLiteral("TRANSPORT"),
        QStringLiteral("TRANSPORT_TRUCKS"), QStringLiteral("TRUCK_TYPES"),
    };
    return tables;
}

void ClearTdmData(TBaseDM &dm)
{
    dm.RunInUnit([&dm] {
        for (const QString &table : ClearDataTables()) {
            if (table == QLatin1String("APP_CONFIG"))
                dm.ExecSQL(QStringLiteral("delete from APP_CONFIG where KEY_ID <> 1 and KEY_ID <> 20 and "
                                          "KEY_ID <> 21 and KEY_ID <> 101"));
            else
                dm.ExecSQL(QStringLiteral("delete from ") + table);
        }
    });
}
