#include "framework/forms/globalvalues.h"
#include "framework/forms/listchoose.h"
#include "framework/forms/messagerecorder.h"
#include "framework/forms/notifypopup.h"
#include "framework/forms/searchact.h"
#include "framework/lists/list_error.h"
#include "framework/lists/list_form.h"
#include "framework/text/base64.h"
#include "framework/text/win1251.h"
#include "lists_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTest>
#include <QToolButton>

using liststest::ListsDbTest;

namespace {

// A list whose search dialog is answered by the test.
class TTestList : public TIBGridForm
{
public:
    explicit TTestList(QWidget *owner = nullptr) : TIBGridForm(owner)
    {
        setObjectName("frmTestList");
        setWindowTitle("Държави");
        CanFind = true;
    }
    QString Criterion;
    QStringList Fields;
    bool Cancel = false;
    QStringList OfferedHistory;
    bool DeleteIsBlocked = false;

    bool DeleteBlocked() override { return DeleteIsBlocked; }
    QStringList ChooserItems;
    QList<int> Uncheck;

protected:
    bool ExecColumnChooser(TdlgListChoose *Dialog) override
    {
        ChooserItems.clear();
        for (int i = 0; i < Dialog->Count(); ++i)
            ChooserItems << Dialog->ItemText(i) + (Dialog->Checked(i) ? "+" : "-");
        for (int i : Uncheck)
            Dialog->SetChecked(i, false);
        return true;
    }
    bool ExecSearchDialog(TfrmSearchAct *Dialog) override
    {
        OfferedHistory.clear();
        for (int i = 0; i < Dialog->cbCriteria->count(); ++i)
            OfferedHistory << Dialog->cbCriteria->itemText(i);
        Dialog->cbCriteria->setEditText(Criterion);
        for (int i = 0; i < Dialog->FieldCount(); ++i)
            Dialog->SetFieldChecked(i, false);
        Dialog->CheckAll(false);
        // check the wanted fields by name
        const QStringList all = [&] {
            Dialog->CheckAll(true);
            QStringList names = Dialog->CheckedFields();
            Dialog->CheckAll(false);
            return names;
        }();
        for (int i = 0; i < all.size(); ++i)
            Dialog->SetFieldChecked(i, Fields.contains(all[i]));
        return !Cancel;
    }
};

class ListFormTest : public ListsDbTest
{
protected:
    ListFormTest()
    {
        AddCountries({{3, "AT", "Австрия"}, {4, "GR", "Гърция"}, {5, "RO", "Румъния"}, {6, "RS", "Сърбия"}});
        q = Countries();
        q->Open();
    }
    std::unique_ptr<TTestList> MakeList(const QString &Node = "frmTestList")
    {
        auto l = std::make_unique<TTestList>();
        l->SetSettings(AppSettings().OpenSection(Node));
        l->Grid->AddColumn("CODE", "Код");
        l->Grid->AddColumn("NAME", "Име|Българско");
        l->Grid->AddColumn("NAME_ENG", "Име|Английско");
        l->SetDataSet(q.get());
        return l;
    }
    QString Notice(QWidget *Form)
    {
        const auto popups = Form->findChildren<TNotifyPopup *>();
        return popups.isEmpty() ? QString() : popups.last()->Text();
    }
    std::unique_ptr<TDataSet> q;
};

} // namespace

TEST(SearchHistory, NewGoesFirstKnownSwapsWithFirstAtMostTen)
{
    struct Case
    {
        QStringList Before;
        QString Used;
        QStringList After;
    };
    QStringList ten;
    for (int i = 1; i <= 10; ++i)
        ten << QString::number(i);
    const std::vector<Case> cases = {
        {{}, "а", {"а"}},
        {{"а", "б", "в"}, "г", {"г", "а", "б", "в"}},
        {{"а", "б", "в"}, "в", {"в", "б", "а"}}, // the third swaps with the first
        {{"а", "б", "в"}, "а", {"а", "б", "в"}},
        {ten, "нов", QStringList{"нов"} + ten.mid(0, 9)},
        {ten, "10", QStringList{"10", "2", "3", "4", "5", "6", "7", "8", "9", "1"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(UpdateSearchHistory(c.Before, c.Used), c.After) << c.Used.toStdString();
}

TEST_F(ListFormTest, SearchFindsCyrillicInAnyCaseAndKeepsItsHistory)
{
    auto list = MakeList();
    q->First();
    list->Criterion = "рум";
    list->Fields = {"CODE", "NAME"};
    list->actnFindExecute();
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 5);
    EXPECT_TRUE(list->FoundOnce);
    EXPECT_TRUE(list->actnFindNext->isEnabled());

    // find next: nothing further; the list stays and says so
    EXPECT_FALSE(list->Search(true));
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 5);
    EXPECT_EQ(Notice(list.get()), "Друг такъв запис не е намерен!");
    EXPECT_FALSE(list->FoundOnce);

    list->Criterion = "ГЪР";
    list->actnFindExecute();
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 4);
    EXPECT_EQ(list->OfferedHistory, QStringList{"рум"});
    EXPECT_EQ(AppSettings().ReadString("BASEGRID_SearchHistory", ""), "ГЪР\r\nрум");
    EXPECT_EQ(AppSettings().ReadString("BASEGRID_SearchFields", ""), "CODE\r\nNAME");

    // No field chosen: nothing is found, the row stays.
    list->Criterion = "Румъния";
    list->Fields = {};
    list->actnFindExecute();
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 4);
    EXPECT_EQ(Notice(list.get()), "Такъв запис не е намерен!");
    EXPECT_EQ(list->OfferedHistory, (QStringList{"ГЪР", "рум"}));
}

TEST_F(ListFormTest, FilterRewritesTheAnchorKeepsParametersAndRestoresAfterFailure)
{
    tdb.exec("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) values (10, 1, 'Пловдив', '4000')");
    tdb.exec("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) values (11, 1, 'Плевен', '5800')");
    tdb.exec("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) values (12, 2, 'Пасау', '94032')");
    auto cities = Table("select * from CITIES where (1=1) and COUNTRY_ID = :COUNTRY order by NAME", "CITIES",
                        {"COUNTRY_ID", "NAME", "NAME_ENG", "POST_CODE"});
    cities->ParamByName("COUNTRY").SetAsInteger(1);
    cities->Open();
    TTestList list;
    list.SetDataSet(cities.get());
    ASSERT_EQ(list.RecordCount(), 3); // София, Плевен, Пловдив
    cities->Locate("ID", 10);

    list.SetFilter("NAME starting with :PREFIX", "Пл", {{"PREFIX", "Пл"}});
    EXPECT_TRUE(list.FilterActive);
    EXPECT_EQ(list.WhereClause, "where (NAME starting with :PREFIX)");
    EXPECT_EQ(list.windowTitle(), "Държави [Пл]");
    EXPECT_EQ(cities->SelectSQL(),
              "select * from CITIES where (NAME starting with :PREFIX) and COUNTRY_ID = :COUNTRY order by NAME");
    EXPECT_EQ(cities->ParamByName("COUNTRY").AsInteger(), 1);
    EXPECT_EQ(list.RecordCount(), 2); // Пасау of the other country stays out
    EXPECT_EQ(cities->FieldByName("ID").AsInteger(), 10); // back on the remembered row
    EXPECT_TRUE(list.actnRemoveFilter->isEnabled());

    // A filter that cannot run leaves the statement, the rows and the caption.
    const QString before = cities->SelectSQL();
    EXPECT_FALSE(list.ApplyWhere("where (NO_SUCH_COLUMN = 1)"));
    list.SetFilter("NO_SUCH_COLUMN = 1", "грешка");
    EXPECT_EQ(cities->SelectSQL(), before);
    EXPECT_TRUE(cities->Active());
    EXPECT_EQ(list.RecordCount(), 2);
    EXPECT_EQ(cities->ParamByName("COUNTRY").AsInteger(), 1);
    EXPECT_EQ(list.WhereClause, "where (NAME starting with :PREFIX)");
    EXPECT_EQ(list.windowTitle(), "Държави [Пл]");

    list.RemoveFilter();
    EXPECT_FALSE(list.FilterActive);
    EXPECT_EQ(list.windowTitle(), "Държави");
    EXPECT_EQ(cities->SelectSQL(), "select * from CITIES where (1=1) and COUNTRY_ID = :COUNTRY order by NAME");
    EXPECT_EQ(list.RecordCount(), 3);
    EXPECT_EQ(cities->FieldByName("ID").AsInteger(), 10);

    // Removing no filter does nothing (the dataset is not even reopened).
    int reopened = 0;
    cities->AfterOpen = [&](TDataSet &) { ++reopened; };
    list.RemoveFilter();
    EXPECT_EQ(reopened, 0);
}

TEST_F(ListFormTest, PickerTakesItsRequestsAndStaysOnTheRowWhenTheKeyIsMissing)
{
    auto list = MakeList();
    list->ListName = "COUNTRIES";
    q->Locate("ID", 3);
    PutGlobalValue("COUNTRIES::RETURN_SELECTION", "1");
    PutGlobalValue("COUNTRIES::SHOWCMD", "POS");
    PutGlobalValue("COUNTRIES::KEY", "999");
    PutGlobalValue("COUNTRIES::STALE", "x");
    list->open();
    QTest::qWait(20);
    EXPECT_TRUE(list->PickerMode);
    EXPECT_EQ(list->windowTitle(), "Държави [избор]");
    EXPECT_FALSE(list->btnPick->isHidden());
    EXPECT_TRUE(list->Grid->ReadOnly());
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 3);
    EXPECT_FALSE(GlobalValues().Contains("COUNTRIES::STALE"));

    // A key that exists is found; picking answers it under ::SELECTION.
    PutGlobalValue("COUNTRIES::SHOWCMD", "POS");
    PutGlobalValue("COUNTRIES::KEY", "5");
    list->ReadPickerRequest();
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 5);
    list->actnSelectionPick->trigger();
    EXPECT_TRUE(list->Picked);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->result(), mrOk);
    EXPECT_EQ(TakeGlobalValue("COUNTRIES::SELECTION", "-EMPTY-").toInt(), 5);
}

TEST_F(ListFormTest, GridLayoutIsStoredAndUsedOnlyUnderTheSameVersion)
{
    q->Tag = 2;
    {
        auto list = MakeList();
        list->show();
        list->Grid->SetColumnVisible(2, false);
        list->close();
    }
    auto node = AppSettings().OpenSection("frmTestList");
    EXPECT_EQ(node->ReadInteger("grid_layout_version", 0), 2);
    const QString text = node->ReadString("grid_layout(Grid)", "");
    ASSERT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.contains('='));
    EXPECT_TRUE(Base64DecodeNoFill(text.toLatin1()).contains("NAME_ENG"));

    auto same = MakeList();
    same->LoadPlacement();
    EXPECT_FALSE(same->Grid->ColumnVisible(2));

    q->Tag = 3; // a new version of the list's columns: the stored layout is ignored
    auto newer = MakeList();
    newer->LoadPlacement();
    EXPECT_TRUE(newer->Grid->ColumnVisible(2));
}

TEST_F(ListFormTest, DeleteAsksAndHonoursTheBlock)
{
    auto list = MakeList();
    q->Locate("ID", 6);
    TMessageRecorder messages;
    messages.Answer(mrNo);
    list->actnDeleteExecute();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Моля, потвърдете изтриване!");
    EXPECT_EQ(messages.Last().Type, mtConfirmation);
    EXPECT_EQ(list->RecordCount(), 6);

    list->DeleteIsBlocked = true;
    list->actnDeleteExecute();
    EXPECT_EQ(messages.Count(), 1); // refused without the question

    list->DeleteIsBlocked = false;
    messages.Answer(mrYes);
    list->actnDeleteExecute();
    EXPECT_EQ(list->RecordCount(), 5);
    EXPECT_EQ(Seen("select count(*) from COUNTRIES where ID = 6").toInt(), 0);
}

TEST_F(ListFormTest, ActionsFollowTheFlagsAndTheDataset)
{
    auto list = MakeList();
    list->CanDelete = false;
    list->UpdateActions();
    EXPECT_TRUE(list->actnInsert->isEnabled());
    EXPECT_FALSE(list->actnDelete->isEnabled());
    EXPECT_FALSE(list->actnFindNext->isEnabled());
    EXPECT_FALSE(list->actnRemoveFilter->isEnabled());
    list->RelayoutToolbar();
    EXPECT_TRUE(list->btnDel->isHidden());
    EXPECT_TRUE(list->btnPrint->isHidden());
    EXPECT_TRUE(list->btnPick->isHidden());
    EXPECT_EQ(list->actnEdit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Return));
    EXPECT_EQ(list->actnRefresh->toolTip(), "Обнови списъка");
    q->Edit();
    EXPECT_FALSE(list->actnPrint->isEnabled()); // printing only while browsing
    EXPECT_FALSE(list->actnFilter->isEnabled());
    q->Cancel();
    EXPECT_EQ(list->StatusText(), " Запис № 1 от общо 6");
    q->Close();
    EXPECT_FALSE(list->actnInsert->isEnabled());
    EXPECT_EQ(list->StatusText(), " Няма намерени записи.");
}

TEST_F(ListFormTest, SeekAndParameterErrorsNameWhatIsMissing)
{
    auto list = MakeList();
    try {
        list->LocateRecord(q.get(), "CODE;NOPE", {"BG", 1});
        ADD_FAILURE();
    } catch (const EListError &e) {
        EXPECT_EQ(e.Message(), "Bad seek field name! NOPE");
    }
    try {
        list->SetDSParam("COUNTRY", 1);
        ADD_FAILURE();
    } catch (const EListError &e) {
        EXPECT_EQ(e.Message(), "SetDSParam:Parameter does not exist \"COUNTRY\"");
    }
    EXPECT_TRUE(list->LocateRecord(q.get(), "CODE;NAME", {"RO", "Румъния"}));
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 5);
    EXPECT_FALSE(list->LocateRecord(q.get(), "CODE", {QVariant()})); // NULL finds nothing
    EXPECT_FALSE(list->LocateKey(77));
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 5);
}

TEST_F(ListFormTest, ServerSortRewritesTheOrderByOfTheStatement)
{
    auto list = MakeList();
    list->ServerSort = true;
    list->Grid->MultiSortMarking = true;
    list->SetSortFields({"CODE", "NAME"}, {"c.CODE", "NAME"});
    EXPECT_EQ(WithOrderBy("select * from T ORDER BY ID", "A ASC"), "select * from T ORDER BY A ASC");
    EXPECT_EQ(WithOrderBy("select * from T", "A ASC"), "select * from T Order by A ASC");

    q->Locate("ID", 4);
    list->Grid->SetSortMarker(1, 2);
    list->Grid->SetSortMarker(0, 1);
    EXPECT_EQ(list->ServerSortList(), "NAME DESC, c.CODE ASC");
    list->Grid->SetSortMarker(0, 0);
    list->RefreshList();
    EXPECT_EQ(q->SelectSQL(), "select * from COUNTRIES where (1=1) order by NAME DESC");
    EXPECT_EQ(q->FieldByName("ID").AsInteger(), 4);
    q->First();
    EXPECT_EQ(q->FieldByName("NAME").AsString(), "Сърбия");
}

TEST_F(ListFormTest, CsvQuotesTextAndDoublesQuotesByteForByteInWindows1251)
{
    tdb.exec("update COUNTRIES set NAME = 'Кафе \"Шипка\"', NAME_ENG = NULL where ID = 1");
    q->Refresh();
    auto only = Table("select ID, NAME, NAME_ENG from COUNTRIES where ID in (1, 2) order by ID", "COUNTRIES",
                      {"NAME", "NAME_ENG"});
    only->Open();
    TDataGrid grid;
    grid.AddColumn("ID", "№");
    grid.AddColumn("NAME", "Име");
    grid.AddColumn("NAME_ENG", "Name");
    grid.SetDataSet(only.get());
    const QString csv = GridToCsv(&grid);
    EXPECT_EQ(csv, "\"№\";\"Име\";\"Name\"\r\n"
                   "1;\"Кафе \"\"Шипка\"\"\";\"\"\r\n"
                   "2;\"Германия\";\"Germany\"");

    const QString path = dir.filePath(CsvFileName("Заявки-", "Заявки [от \"1.1.2024\" до 5/1]"));
    EXPECT_TRUE(path.endsWith("Заявки-от 1.1.2024 до 5_1.CSV"));
    WriteCsvFile(path, csv);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes, *ToWin1251(csv));
    EXPECT_TRUE(bytes.contains(QByteArray("1;\"\xCA\xE0\xF4\xE5 \"\"\xD8\xE8\xEF\xEA\xE0\"\"\";\"\"\r\n")));

    EXPECT_THROW(WriteCsvFile(path, "Zürich ő"), ENotWin1251);

    TDataGrid empty;
    EXPECT_EQ(GridToCsv(&empty), "");
}

TEST_F(ListFormTest, ClosingWithARowThatCannotBePostedKeepsTheListOpen)
{
    auto list = MakeList();
    q->FieldByName("NAME").Required = true;
    list->show();
    TMessageRecorder messages;
    q->Edit();
    q->FieldByName("NAME").Clear();
    EXPECT_FALSE(list->close());
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(messages.Count(), 1);
    q->FieldByName("NAME").SetAsString("Нова");
    EXPECT_TRUE(list->close());
    EXPECT_EQ(Seen("select NAME from COUNTRIES where ID = 1").toString(), "Нова");
}

TEST_F(ListFormTest, ColumnChooserShowsEveryColumnAndCellColoursComeFromTheScreen)
{
    auto list = MakeList();
    list->Grid->SetColumnVisible(0, false);
    list->Uncheck = {2};
    list->actnColumnsExecute();
    EXPECT_EQ(list->ChooserItems, (QStringList{"Код-", "Име|Българско+", "Име|Английско+"}));
    EXPECT_EQ(list->Grid->VisibleColumns(), QList<int>{1});

    TDataSetModel *m = list->Grid->Model();
    m->OnGetCellParams = [](TCellParams &p) {
        if (p.Field && p.Field->FieldName() == "NAME" && p.Field->ValueAt(p.Row).toString() == "Румъния")
            p.Background = QColor(255, 224, 224);
    };
    const int ro = m->ViewRow(q->FindRow("ID", {5}));
    EXPECT_EQ(m->data(m->index(ro, 1), Qt::BackgroundRole).value<QColor>(), QColor(255, 224, 224));
    EXPECT_FALSE(m->data(m->index(0, 1), Qt::BackgroundRole).isValid());
}

TEST_F(ListFormTest, EnterInTheGridStaysInTheGrid)
{
    auto list = MakeList();
    list->show();
    QApplication::setActiveWindow(list.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    list->Grid->setFocus();
    list->Grid->setCurrentIndex(list->Grid->Model()->index(0, 0));
    QTest::keyClick(list->Grid, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(list->Grid->hasFocus());
    EXPECT_EQ(list->Grid->currentIndex().column(), 1); // Enter moved to the next cell

    list->Grid->edit(list->Grid->currentIndex());
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, list->Grid);
    EXPECT_FALSE(list->EnterMovesFocus(editor));
}
