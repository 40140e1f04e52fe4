// How a list of many rows opens, scrolls, searches and sorts.
//
//   bench_lists_rows [--rows N]      (QT_QPA_PLATFORM=offscreen is fine)
//
// Makes a database in a temporary folder (embedded engine) with a table of N
// rows (100 000 by default) and times a list form over it: the open (rows
// fetched, the grid shown and painted), scrolling page by page from the top
// and to the end (each step repainted; the slowest step is the stall a user
// would feel), a text search that scans every row, a find-next, a local sort
// by a text column and by a number, the footer sums after an edit, the CSV
// text of every row, and a filter applied and removed.

#include "framework/data/basedm.h"
#include "framework/lists/list_form.h"
#include "framework/settings/settings.h"
#include "bench_support.h"
#include "framework/text/formats.h"

#include "db/attachment.h"
#include "db/transaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

using bench::Timer;

void report(const char *what, double ms)
{
    std::printf("%-52s %10.1f ms\n", what, ms);
}

class TBenchList : public TIBGridForm
{
public:
    using TIBGridForm::TIBGridForm;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ApplyProcessFormats(); // as the program starts: C number formats, the time zone named once
    const int rows = bench::RowsArgument(app.arguments());

    QTemporaryDir dir;
    CreateAppSettings(dir.filePath(QStringLiteral("bench.xdb")));
    db::ConnectionParams params;
    params.database = dir.filePath(QStringLiteral("rows.fdb"));
    params.password = QStringLiteral("masterkey");
    {
        db::Attachment att;
        att.create(params);
        db::Transaction tr(att);
        att.executeImmediate(tr, QStringLiteral(
            "create table T (ID integer not null primary key, NAME varchar(80), CITY varchar(40), "
            "CODE varchar(20), AMT double precision, QTY integer, D date, NOTES varchar(200))"));
        tr.commit();
        att.executeImmediate(tr, QStringLiteral(
            "execute block as declare i integer = 1; begin "
            "while (i <= %1) do begin "
            "insert into T values (:i, 'Клиент ' || :i, 'Град ' || mod(:i, 300), 'K-' || :i, "
            ":i * 1.25, mod(:i, 17), dateadd(mod(:i, 3000) day to date '2001-01-01'), "
            "'Бележка към запис ' || :i); i = i + 1; end end")
                                     .arg(rows));
        tr.commit();
    }

    TBaseDM dm;
    dm.ConnectPauseMs = 0;
    dm.IBDatabase.Params = params;
    dm.IBDatabase.Open(); // a bare database: no counters or configuration to read
    dm.IBTransaction.StartTransaction();
    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from T where (1=1) order by ID"));
    std::printf("rows: %d\n", rows);

    TBenchList list;
    list.setWindowTitle(QStringLiteral("Записи"));
    list.CanFind = true;
    list.Grid->AddColumn(QStringLiteral("ID"), QStringLiteral("№"));
    list.Grid->AddColumn(QStringLiteral("NAME"), QStringLiteral("Клиент|Име"));
    list.Grid->AddColumn(QStringLiteral("CITY"), QStringLiteral("Клиент|Град"));
    list.Grid->AddColumn(QStringLiteral("CODE"), QStringLiteral("Код"));
    TGridColumn amt;
    amt.FieldName = QStringLiteral("AMT");
    amt.Title = QStringLiteral("Сума");
    amt.Footer = TFooterKind::Sum;
    amt.FooterFormat = QStringLiteral("0.00");
    list.Grid->AddColumn(amt);
    list.Grid->AddColumn(QStringLiteral("QTY"), QStringLiteral("Бр."));
    list.Grid->AddColumn(QStringLiteral("D"), QStringLiteral("Дата"));
    list.Grid->AddColumn(QStringLiteral("NOTES"), QStringLiteral("Бележки"));
    for (int c = 0; c < list.Grid->ColumnCount(); ++c)
        list.Grid->Column(c).TitleButton = true;
    list.resize(1000, 700);

    {
        Timer t;
        q.Open();
        const double fetch = t.ms();
        list.SetDataSet(&q);
        list.show();
        list.repaint();
        app.processEvents();
        report("open: fetch, show and paint the list", t.ms());
        report("  of it the dataset's fetch of every row", fetch);
    }

    auto key = [&](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, k, m);
        QCoreApplication::sendEvent(list.Grid, &e);
        list.Grid->viewport()->repaint();
    };
    {
        double worst = 0;
        Timer all;
        const int pages = 200;
        for (int i = 0; i < pages; ++i) {
            Timer t;
            key(Qt::Key_PageDown);
            worst = std::max(worst, t.ms());
        }
        report("scroll: 200 pages down, all", all.ms());
        report("scroll: slowest page (move, post check, repaint)", worst);
        Timer end;
        key(Qt::Key_End, Qt::ControlModifier);
        report("scroll: to the last row", end.ms());
        Timer top;
        key(Qt::Key_Home, Qt::ControlModifier);
        report("scroll: back to the first row", top.ms());
        double worstBar = 0;
        QScrollBar *bar = list.Grid->verticalScrollBar();
        Timer bars;
        for (int i = 1; i <= 50; ++i) {
            Timer t;
            bar->setValue(bar->maximum() / 50 * i);
            list.Grid->viewport()->repaint();
            worstBar = std::max(worstBar, t.ms());
        }
        report("scroll: 50 scroll-bar jumps, each on average", bars.ms() / 50);
        report("scroll: slowest scroll-bar jump", worstBar);
    }
    {
        list.SearchFields = {QStringLiteral("NAME"), QStringLiteral("NOTES")};
        list.SearchText = QStringLiteral("клиент %1").arg(rows - 5);
        q.First();
        Timer t;
        const bool found = list.Search(false);
        report(found ? "search: found near the end (two fields, any case)" : "search: NOT FOUND (error)", t.ms());
        list.SearchText = QStringLiteral("няма го");
        Timer n;
        list.Search(false);
        report("search: no match, every row scanned", n.ms());
        list.SearchText = QStringLiteral("бележка");
        q.First();
        Timer f;
        list.Search(true);
        report("search: find next (the next row matches)", f.ms());
    }
    {
        Timer t;
        list.Grid->SetSortMarker(1, 2);
        list.Grid->Model()->SortRows();
        list.Grid->SyncToDataSet();
        list.Grid->viewport()->repaint();
        report("sort locally by a text column (descending)", t.ms());
        Timer n;
        list.Grid->SetSortMarker(4, 1);
        list.Grid->Model()->SortRows();
        list.Grid->viewport()->repaint();
        report("sort locally by a number", n.ms());
        list.Grid->ClearSortMarkers();
    }
    {
        q.Edit();
        q.FieldByName(QStringLiteral("AMT")).SetAsFloat(0);
        Timer t;
        const QString sum = list.Grid->Model()->FooterText(4);
        report("footer sum after an edit", t.ms());
        q.Cancel();
        (void)sum;
    }
    {
        Timer t;
        const QString csv = GridToCsv(list.Grid);
        report("CSV text of every row", t.ms());
        std::printf("%-52s %10lld KB\n", "  its size", static_cast<long long>(csv.size() * 2 / 1024));
    }
    {
        Timer t;
        list.SetFilter(QStringLiteral("QTY = :Q"), QStringLiteral("Бр. 3"), {{QStringLiteral("Q"), 3}});
        list.Grid->viewport()->repaint();
        report("filter applied (reopen)", t.ms());
        Timer r;
        list.RemoveFilter();
        list.Grid->viewport()->repaint();
        report("filter removed (reopen)", r.ms());
        Timer f5;
        list.RefreshList();
        list.Grid->viewport()->repaint();
        report("refresh keeping the position (F5)", f5.ms());
    }
    list.hide();
    q.Close();
    dm.IBTransaction.Commit();
    dm.IBDatabase.Close();
    DestroyAppSettings();
    return 0;
}
