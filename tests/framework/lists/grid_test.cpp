#include "framework/forms/messagerecorder.h"
#include "framework/lists/data_grid.h"
#include "framework/lists/grid_header.h"
#include "lists_fixture.h"

#include <QApplication>
#include <QTest>

using liststest::ListsDbTest;

namespace {

class GridTest : public ListsDbTest
{
protected:
    std::unique_ptr<TDataSet> Trucks()
    {
        tdb.exec("insert into TRUCK_TYPES (ID, NAME, PRIMARY_L, STANDARD, CEMT) values (2, 'Мега', 13.62, 3, 0)");
        tdb.exec("insert into TRUCK_TYPES (ID, NAME, PRIMARY_L, STANDARD, CEMT) values (3, 'Бус', NULL, 1, 1)");
        return Table("select ID, NAME, PRIMARY_L, STANDARD, CEMT from TRUCK_TYPES order by ID",
                     "TRUCK_TYPES", {"NAME", "PRIMARY_L", "STANDARD", "CEMT"});
    }
};

} // namespace

TEST_F(GridTest, ModelShowsFormatsEditBufferCheckBoxPickListAndFooters)
{
    auto q = Trucks();
    q->Open();
    q->FieldByName("PRIMARY_L").DisplayFormat = "0.00";
    TDataGrid grid;
    TGridColumn name;
    name.FieldName = "NAME";
    name.Title = "Вид";
    name.Footer = TFooterKind::Count;
    grid.AddColumn(name);
    TGridColumn len;
    len.FieldName = "PRIMARY_L";
    len.Title = "Размери|Д";
    len.Footer = TFooterKind::Sum;
    grid.AddColumn(len);
    TGridColumn std;
    std.FieldName = "STANDARD";
    std.PickList = {"няма", "EURO 1", "EURO 2", "EURO 3"};
    std.KeyList = {"0", "1", "2", "3"};
    grid.AddColumn(std);
    TGridColumn cemt;
    cemt.FieldName = "CEMT";
    cemt.CheckBox = true;
    grid.AddColumn(cemt);
    TGridColumn text;
    text.FieldName = "ID";
    text.Footer = TFooterKind::Text;
    text.FooterText = "ОБЩО:";
    grid.AddColumn(text);
    grid.SetDataSet(q.get());
    TDataSetModel *m = grid.Model();

    ASSERT_EQ(m->rowCount(), 3);
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Размери|Д");
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "13.62");
    EXPECT_EQ(m->data(m->index(2, 1)).toString(), "");
    EXPECT_EQ(m->data(m->index(1, 2)).toString(), "EURO 3");
    EXPECT_EQ(m->data(m->index(2, 3), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(m->data(m->index(1, 3), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(m->data(m->index(1, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(m->FooterText(0), "3");
    EXPECT_EQ(m->FooterText(1), "13.62"); // the NULL lengths are left out
    EXPECT_EQ(m->FooterText(4), "ОБЩО:");

    // The row in edit shows its edit buffer; the footer follows it.
    q->SetRecNo(2);
    q->Edit();
    q->FieldByName("PRIMARY_L").SetAsFloat(1);
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "1.00");
    EXPECT_EQ(m->FooterText(1), "1.00");
    q->Cancel();
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "13.62");

    // A pick list stores the key of the item; a check box toggles 1 and 0.
    EXPECT_TRUE(m->setData(m->index(2, 2), "EURO 2", Qt::EditRole));
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(q->FieldByName("STANDARD").AsInteger(), 2);
    EXPECT_TRUE(m->setData(m->index(2, 3), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(q->FieldByName("CEMT").AsInteger(), 0);
    q->Post();
    EXPECT_EQ(Seen("select STANDARD || '/' || CEMT from TRUCK_TYPES where ID = 3").toString(), "2/0");
}

TEST_F(GridTest, TitleClicksSortLocallyByCyrillicTextInAnyCaseAndSeveralColumns)
{
    AddCountries({{3, "AT", "австрия"}, {4, "AU", "Австралия"}, {5, "BE", "белгия"}, {6, "B2", "България"}});
    auto q = Countries();
    q->Open();
    TDataGrid grid;
    grid.resize(600, 300);
    for (const char *f : {"CODE", "NAME", "NAME_ENG"}) {
        TGridColumn c;
        c.FieldName = f;
        c.TitleButton = true;
        grid.AddColumn(c);
    }
    grid.SetDataSet(q.get());
    grid.show();
    TDataSetModel *m = grid.Model();
    auto names = [&] {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, 1)).toString();
        return out;
    };
    q->Locate("ID", 5);
    const int nameX = grid.Header()->sectionViewportPosition(1) + 5;
    QTest::mouseClick(grid.Header()->viewport(), Qt::LeftButton, {}, QPoint(nameX, 5));
    EXPECT_EQ(names(), (QStringList{"Австралия", "австрия", "белгия", "България", "България", "Германия"}));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal, GridRoles::SortMarker).toInt(), 1);
    // the current row stays the same record, now at its sorted place
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 5);
    EXPECT_EQ(grid.currentIndex().row(), 2);

    QTest::mouseClick(grid.Header()->viewport(), Qt::LeftButton, {}, QPoint(nameX, 5));
    EXPECT_EQ(names(), (QStringList{"Германия", "България", "България", "белгия", "австрия", "Австралия"}));

    // Several columns: the first marked sorts first.
    grid.MultiSortMarking = true;
    grid.ClearSortMarkers();
    tdb.exec("update COUNTRIES set NAME_ENG = 'X' where ID in (3, 5)");
    q->Refresh();
    grid.SetSortMarker(2, 1); // NAME_ENG ascending
    grid.SetSortMarker(1, 2); // then NAME descending
    m->SortRows();
    EXPECT_EQ(m->headerData(1, Qt::Horizontal, GridRoles::SortIndex).toInt(), 2);
    // NAME_ENG: AU, B2, Bulgaria, Germany, X, X; the two X by NAME descending
    EXPECT_EQ(names(), (QStringList{"Австралия", "България", "България", "Германия", "белгия", "австрия"}));
}

TEST_F(GridTest, MovingOffAnEditedRowPostsItAndAFailingPostKeepsTheRow)
{
    auto q = Countries();
    q->Open();
    q->FieldByName("NAME").Required = true;
    TDataGrid grid;
    grid.AddColumn("CODE");
    grid.AddColumn("NAME");
    grid.SetDataSet(q.get());
    grid.show();
    TDataSetModel *m = grid.Model();
    TMessageRecorder messages;

    grid.setCurrentIndex(m->index(0, 1));
    ASSERT_TRUE(m->setData(m->index(0, 1), "", Qt::EditRole));
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    grid.setCurrentIndex(m->index(1, 1));
    QApplication::processEvents();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Type, mtError);
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(q->CurrentRow(), 0);
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), "");

    ASSERT_TRUE(m->setData(m->index(0, 1), "Република България", Qt::EditRole));
    grid.setCurrentIndex(m->index(1, 1));
    QApplication::processEvents();
    EXPECT_EQ(messages.Count(), 1);
    EXPECT_EQ(q->State(), TDataSetState::Browse);
    EXPECT_EQ(q->CurrentRow(), 1);
    EXPECT_EQ(Seen("select NAME from COUNTRIES where ID = 1").toString(), "Република България");

    // The dataset moving moves the grid.
    q->First();
    EXPECT_EQ(grid.currentIndex().row(), 0);
}

TEST_F(GridTest, LayoutKeepsWidthsVisibilityOrderAndMarkersByField)
{
    auto q = Countries();
    q->Open();
    auto make = [&](TDataGrid &g) {
        for (const char *f : {"ID", "CODE", "NAME", "NAME_ENG"})
            g.AddColumn(f);
        g.SetDataSet(q.get());
    };
    TDataGrid a;
    make(a);
    a.SetColumnWidth(2, 217);
    a.SetColumnVisible(3, false);
    a.Header()->moveSection(a.Header()->visualIndex(0), 3); // ID last
    a.SetSortMarker(1, 2);
    const QByteArray layout = a.SaveLayout();

    TDataGrid b;
    make(b);
    ASSERT_TRUE(b.LoadLayout(layout));
    EXPECT_EQ(b.ColumnWidth(2), 217);
    EXPECT_FALSE(b.ColumnVisible(3));
    EXPECT_EQ(b.VisibleColumns(), (QList<int>{1, 2, 0}));
    EXPECT_EQ(b.Column(1).SortMarker, 2);
    EXPECT_EQ(b.Model()->data(b.Model()->index(0, 0)).toString(), "2"); // sorted by CODE descending: DE, BG

    TDataGrid c;
    make(c);
    EXPECT_FALSE(c.LoadLayout("not a layout"));
    EXPECT_EQ(c.VisibleColumns(), (QList<int>{0, 1, 2, 3}));
}
