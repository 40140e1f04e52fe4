// How a dataset of many rows opens and moves.
//
//   bench_dataset_rows [--rows N]
//
// Makes a database in a temporary folder (embedded engine) with a table of N
// rows (100 000 by default) of a dozen columns, and times on a TDataSet over
// it: the open (every row fetched, a calculated field computed per row), a
// walk through every row with Next, row numbers set at random, Locate by key
// and by text, the values a grid reads (every row and column, a lookup field
// included), one edit posted, and the refresh.

#include "framework/data/basedm.h"

#include "db/attachment.h"
#include "db/statement.h"
#include "db/transaction.h"

#include "bench_support.h"
#include "framework/text/formats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using bench::Timer;

void report(const char *what, double ms, long long count = 0)
{
    if (count > 0)
        std::printf("%-44s %10.1f ms  (%.3f us each)\n", what, ms, ms * 1000.0 / double(count));
    else
        std::printf("%-44s %10.1f ms\n", what, ms);
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ApplyProcessFormats(); // as the program starts: C number formats, the time zone named once
    const int rows = bench::RowsArgument(app.arguments());

    QTemporaryDir dir;
    db::ConnectionParams params;
    params.database = dir.filePath(QStringLiteral("rows.fdb"));
    params.password = QStringLiteral("masterkey");
    {
        db::Attachment att;
        att.create(params);
        db::Transaction tr(att);
        att.executeImmediate(tr, QStringLiteral(
            "create table T (ID integer not null primary key, GRP integer, NAME varchar(80), CITY varchar(40), "
            "CODE varchar(20), AMT double precision, QTY integer, PRICE numeric(15,2), D date, TS timestamp, "
            "NOTES varchar(200), FLAG smallint)"));
        att.executeImmediate(tr, QStringLiteral("create table G (ID integer not null primary key, NAME varchar(40))"));
        tr.commit();
        Timer fill;
        att.executeImmediate(tr, QStringLiteral(
            "execute block as declare i integer = 1; begin "
            "while (i <= %1) do begin "
            "insert into T values (:i, mod(:i, 50), 'Клиент ' || :i, 'Град ' || mod(:i, 300), 'K-' || :i, "
            ":i * 1.25, mod(:i, 17), :i / 3.0, dateadd(mod(:i, 3000) day to date '2001-01-01'), "
            "current_timestamp, 'Бележка към запис ' || :i, mod(:i, 2)); i = i + 1; end "
            "i = 0; while (i < 50) do begin insert into G values (:i, 'Група ' || :i); i = i + 1; end end")
                                     .arg(rows));
        tr.commit();
        report("fill the table (server side)", fill.ms());
    }

    TBaseDM dm;
    dm.ConnectPauseMs = 0;
    dm.IBDatabase.Params = params;
    dm.IBDatabase.Open();
    dm.IBTransaction.StartTransaction();

    TDataSet groups;
    groups.SetTransaction(&dm.IBTransaction);
    groups.SetSelectSQL(QStringLiteral("select * from G"));
    groups.Open();

    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from T order by ID"));
    q.SetModifySQL(QStringLiteral("update T set NAME = :NAME where ID = :OLD_ID"));
    q.SetRefreshSQL(QStringLiteral("select * from T where ID = :ID"));
    q.AddCalcField(QStringLiteral("TOTAL"), TFieldType::Float);
    q.AddLookupField(QStringLiteral("GRP_D"), TFieldType::String, QStringLiteral("GRP"), &groups,
                     QStringLiteral("ID"), QStringLiteral("NAME"));
    q.OnCalcFields = [](TDataSet &ds) {
        ds.FieldByName(QStringLiteral("TOTAL"))
            .SetAsFloat(ds.FieldByName(QStringLiteral("QTY")).AsFloat() * ds.FieldByName(QStringLiteral("PRICE")).AsFloat());
    };

    {
        Timer t;
        db::Statement st(dm.IBDatabase.Attachment(), dm.IBTransaction.Handle(), QStringLiteral("select * from T order by ID"));
        db::Cursor c = st.open();
        const auto all = c.fetchAll();
        report("the same select fetched by the db layer alone", t.ms(), (long long)all.size());
    }
    {
        Timer t;
        q.Open();
        report("open: fetch every row, calculate each", t.ms(), q.RecordCount());
    }
    {
        Timer t;
        long long n = 0;
        for (q.First(); !q.Eof(); q.Next())
            ++n;
        report("walk every row with Next", t.ms(), n);
    }
    {
        Timer t;
        auto *rng = QRandomGenerator::global();
        for (int i = 0; i < 100000; ++i)
            q.SetRecNo(int(rng->bounded(rows)) + 1);
        report("set a random row number (100 000 times)", t.ms(), 100000);
    }
    {
        Timer t;
        q.Locate(QStringLiteral("ID"), rows / 2);
        report("first Locate by key (builds its index)", t.ms());
        Timer t2;
        for (int i = 0; i < 10000; ++i)
            q.Locate(QStringLiteral("ID"), int(QRandomGenerator::global()->bounded(rows)) + 1);
        report("Locate by key (10 000 times)", t2.ms(), 10000);
        Timer t3;
        q.Locate(QStringLiteral("NAME"), QStringLiteral("клиент %1").arg(rows - 1), loCaseInsensitive);
        report("Locate by text, case-insensitive, near the end", t3.ms());
    }
    {
        Timer t;
        long long cells = 0;
        qsizetype chars = 0;
        for (int r = 0; r < q.RecordCount(); ++r)
            for (int f = 0; f < q.FieldCount(); ++f) {
                chars += q.Fields(f).DisplayTextAt(r).size();
                ++cells;
            }
        report("display text of every cell (lookup included)", t.ms(), cells);
    }
    {
        Timer t;
        q.SetRecNo(rows / 3);
        q.Edit();
        q.FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("Променен"));
        q.Post();
        report("edit and post one row (with its refresh)", t.ms());
    }
    {
        Timer t;
        dm.RefreshDataSet(q, QStringLiteral("ID"));
        report("RefreshDataSet keeping the row", t.ms(), q.RecordCount());
    }
    dm.IBTransaction.Commit();
    dm.IBDatabase.Close();
    return 0;
}
