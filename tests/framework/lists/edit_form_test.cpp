#include "framework/forms/messagerecorder.h"
#include "framework/lists/date_edit.h"
#include "framework/lists/edit_form.h"
#include "framework/lists/lookup_combo.h"
#include "lists_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using liststest::ListsDbTest;

namespace {

class TCountryEditor : public TfrmBaseDBEditForm
{
public:
    explicit TCountryEditor(QWidget *owner = nullptr) : TfrmBaseDBEditForm(owner)
    {
        setObjectName("frmEditCountry");
        setWindowTitle("Държава");
        auto *form = new QFormLayout(ClientArea());
        eCode = new QLineEdit(ClientArea());
        eName = new QLineEdit(ClientArea());
        eNameEng = new QLineEdit(ClientArea());
        form->addRow("Код", eCode);
        form->addRow("Име", eName);
        form->addRow("Name", eNameEng);
    }
    void Bind(TDataSet *q)
    {
        SetDataSet(q);
        Binder->BindEdit(eCode, "CODE");
        Binder->BindEdit(eName, "NAME");
        Binder->BindEdit(eNameEng, "NAME_ENG");
    }
    bool Validate() override { return CheckRequired("NAME") && CheckRequired("CODE"); }

    QLineEdit *eCode, *eName, *eNameEng;
};

class EditFormTest : public ListsDbTest
{
protected:
    EditFormTest()
    {
        q = Countries();
        q->Open();
        q->FieldByName("NAME").DisplayLabel = "Име";
        ed.Bind(q.get());
    }
    void ShowActive(QWidget &W)
    {
        W.show();
        QApplication::setActiveWindow(&W);
        W.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&W));
    }
    void Type(QLineEdit *Edit, const QString &Text)
    {
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClick(Edit, Qt::Key_Backspace);
        liststest::TypeText(Edit, Text);
    }

    std::unique_ptr<TDataSet> q;
    TCountryEditor ed;
};

} // namespace

TEST_F(EditFormTest, AnUnchangedEditorClosesWithoutAQuestion)
{
    q->Edit();
    ShowActive(ed);
    EXPECT_EQ(ed.eName->text(), "България");
    TMessageRecorder messages;
    ed.reject();
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_FALSE(ed.isVisible());
    EXPECT_EQ(q->State(), TDataSetState::Browse);
}

TEST_F(EditFormTest, AnsweringNoKeepsEveryTypedValue)
{
    q->Edit();
    ShowActive(ed);
    Type(ed.eName, "Република България");
    Type(ed.eNameEng, "Republic");
    TMessageRecorder messages;
    messages.Answer(mrNo);
    ed.reject();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Отказвате ли се от направените промени?");
    EXPECT_EQ(messages.Last().Type, mtConfirmation);
    EXPECT_TRUE(messages.Last().Buttons == (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(ed.eName->text(), "Република България");
    EXPECT_EQ(ed.eNameEng->text(), "Republic");
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(q->FieldByName("NAME").AsString(), "Република България");

    messages.Answer(mrYes);
    ed.reject();
    EXPECT_FALSE(ed.isVisible());
    EXPECT_EQ(q->State(), TDataSetState::Browse);
    EXPECT_EQ(q->FieldByName("NAME").AsString(), "България");
    EXPECT_EQ(Seen("select NAME from COUNTRIES where ID = 1").toString(), "България");
}

TEST_F(EditFormTest, AnEmptyRequiredFieldIsShownAtItsControlAndNothingIsPosted)
{
    q->Edit();
    ShowActive(ed);
    Type(ed.eName, "");
    ed.eCode->setFocus();
    TMessageRecorder messages;
    ed.btnOk->click();
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), ed.eName);
    ASSERT_NE(ed.Balloon(), nullptr);
    EXPECT_EQ(ed.Balloon()->Title(), "Внимание!");
    // the Latin "e" of "бъдe" is part of the message
    EXPECT_EQ(ed.Balloon()->Text(), QString::fromUtf8("Полето \"Име\" трябва да бъд") + QLatin1Char('e') +
                                        QString::fromUtf8(" попълнено!"));
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(Seen("select NAME from COUNTRIES where ID = 1").toString(), "България");

    // A control without an edit box gets the message dialog instead.
    QCheckBox box(&ed);
    box.show();
    EXPECT_FALSE(ed.CheckRequired(q->FieldByName("NAME"), "Изберете!", &box));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Изберете!");
    EXPECT_EQ(messages.Last().Type, mtError);
}

TEST_F(EditFormTest, AFailingDetailPostSavesNothingAndKeepsTheEditorOpen)
{
    // The country's cities, owned by the editor, are posted with it.
    auto *cities = Table("select * from CITIES where COUNTRY_ID = :ID order by ID", "CITIES",
                         {"COUNTRY_ID", "NAME", "NAME_ENG", "POST_CODE"}, &ed)
                       .release();
    cities->SetMasterSource(q.get());
    cities->Open();
    q->Edit();
    ShowActive(ed);
    Type(ed.eName, "Република България");
    cities->Append();
    cities->FieldByName("ID").SetAsInteger(50);
    cities->FieldByName("COUNTRY_ID").SetAsInteger(1);
    cities->FieldByName("POST_CODE").SetAsString("2000"); // NAME is missing: the database refuses it

    TMessageRecorder messages;
    EXPECT_FALSE(ed.Save());
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Type, mtError);
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(Seen("select NAME from COUNTRIES where ID = 1").toString(), "България");
    EXPECT_EQ(Seen("select count(*) from CITIES where ID = 50").toInt(), 0);
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(q->FieldByName("NAME").AsString(), "Република България");
    EXPECT_EQ(ed.eName->text(), "Република България");
    EXPECT_EQ(cities->State(), TDataSetState::Insert);
    EXPECT_EQ(cities->FieldByName("POST_CODE").AsString(), "2000");

    // Mended, the same save stores both.
    cities->FieldByName("NAME").SetAsString("Самоков");
    EXPECT_TRUE(ed.Save());
    EXPECT_FALSE(ed.isVisible());
    EXPECT_EQ(ed.result(), mrOk);
    EXPECT_EQ(Seen("select NAME from COUNTRIES where ID = 1").toString(), "Република България");
    EXPECT_EQ(Seen("select NAME from CITIES where ID = 50").toString(), "Самоков");
}

TEST_F(EditFormTest, CtrlEnterSavesFromAnyControl)
{
    q->Edit();
    ShowActive(ed);
    Type(ed.eCode, "BGR");
    QTest::keyClick(ed.eCode, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(ed.isVisible());
    EXPECT_EQ(ed.result(), mrOk);
    EXPECT_EQ(Seen("select CODE from COUNTRIES where ID = 1").toString(), "BGR");
}

TEST_F(EditFormTest, ControlsAreDisabledExceptWhereTheEditorSaysNo)
{
    struct TReadOnlyEditor : TCountryEditor
    {
        bool MayDisable(QWidget *c) override { return c != eCode; }
    } ro;
    ro.SetControlsEnabled(ro.ClientArea(), false);
    EXPECT_TRUE(ro.eCode->isEnabled());
    EXPECT_FALSE(ro.eName->isEnabled());
    ro.SetControlsEnabled(ro.ClientArea(), true);
    EXPECT_TRUE(ro.eName->isEnabled());
}

// --- the field binder with the other controls ---

namespace {

class BinderTest : public ListsDbTest
{
protected:
    BinderTest()
    {
        tdb.exec("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) values (10, 2, 'Пасау', '94032')");
        countries = Countries();
        countries->Open();
        cities = std::make_unique<TDataSet>();
        cities->SetTransaction(&dm->IBTransaction);
        cities->SetSelectSQL("select c.ID, c.COUNTRY_ID, c.NAME, cast(null as date) VALID_FROM, "
                             "cast(0 as smallint) ACTIVE, cast(2 as integer) KIND from CITIES c order by c.ID");
        cities->Open();
    }
    std::unique_ptr<TDataSet> countries, cities;
};

} // namespace

TEST_F(BinderTest, ControlsFollowTheRowAndWriteWhatTheUserDoes)
{
    TCountryEditor w; // any form: Enter as Tab is the program's
    auto *name = new QLineEdit(w.ClientArea());
    auto *country = new TLookupComboBox(w.ClientArea());
    country->SetListSource(countries.get());
    country->SetListFields("CODE;NAME");
    country->ListFieldIndex = 1;
    country->AutoDropDown = true;
    country->TextAllowed = true;
    auto *after = new QLineEdit(w.ClientArea());
    auto *from = new TDateEdit(w.ClientArea());
    auto *active = new QCheckBox("Активен", w.ClientArea());
    auto *kind = new QComboBox(w.ClientArea());
    auto *lay = static_cast<QFormLayout *>(w.ClientArea()->layout());
    for (QWidget *c : std::initializer_list<QWidget *>{name, country, after, from, active, kind})
        lay->addRow(c);
    TFieldBinder binder(cities.get());
    binder.BindEdit(name, "NAME");
    binder.BindLookup(country, "COUNTRY_ID");
    binder.BindDateEdit(from, "VALID_FROM");
    binder.BindCheckBox(active, "ACTIVE");
    binder.BindComboBox(kind, "KIND", {"Град", "Село", "Курорт"}, {1, 2, 3});
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    EXPECT_EQ(name->text(), "София");
    EXPECT_EQ(country->Text(), "България");
    EXPECT_TRUE(from->IsEmpty());
    EXPECT_FALSE(active->isChecked());
    EXPECT_EQ(kind->currentText(), "Село");
    cities->Locate("ID", 10);
    EXPECT_EQ(name->text(), "Пасау");
    EXPECT_EQ(country->Text(), "Германия");

    // Typing starts the edit; the list drops down by itself and Enter in it
    // picks the row without leaving the box.
    country->setFocus();
    country->LineEdit()->selectAll();
    liststest::TypeText(country->LineEdit(), "бъ");
    EXPECT_EQ(cities->State(), TDataSetState::Edit);
    ASSERT_TRUE(country->IsDroppedDown());
    QApplication::processEvents();
    liststest::TypeText(country->ListView(), "л");
    EXPECT_EQ(country->Text(), "бъл");
    QTest::keyClick(country->ListView(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(country->IsDroppedDown());
    EXPECT_EQ(country->Text(), "България");
    EXPECT_EQ(cities->FieldByName("COUNTRY_ID").AsInteger(), 1);
    EXPECT_TRUE(country->LineEdit()->hasFocus());

    // With the list closed Enter moves on.
    QTest::keyClick(country->LineEdit(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(after->hasFocus());

    // A typed text that names no row stays beside an empty key.
    country->setFocus();
    country->LineEdit()->selectAll();
    liststest::TypeText(country->LineEdit(), "Атлантида");
    country->CloseUp(false);
    after->setFocus();
    EXPECT_TRUE(cities->FieldByName("COUNTRY_ID").IsNull());
    EXPECT_EQ(country->Text(), "Атлантида");

    TMessageRecorder messages;
    from->setFocus();
    QTest::keyClicks(from->LineEdit(), "5.3.2024");
    after->setFocus();
    EXPECT_EQ(cities->FieldByName("VALID_FROM").AsDate(), QDate(2024, 3, 5));
    EXPECT_EQ(from->Text(), "05.3.2024");
    from->setFocus();
    from->LineEdit()->selectAll();
    QTest::keyClicks(from->LineEdit(), "32.1.2024");
    after->setFocus();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "\"32.1.2024\" не е валидна дата!");
    EXPECT_EQ(cities->FieldByName("VALID_FROM").AsDate(), QDate(2024, 3, 5));
    from->LineEdit()->selectAll();
    QTest::keyClick(from->LineEdit(), Qt::Key_Backspace);
    after->setFocus();
    EXPECT_TRUE(cities->FieldByName("VALID_FROM").IsNull());

    QTest::mouseClick(active, Qt::LeftButton, {}, QPoint(8, active->height() / 2));
    EXPECT_EQ(cities->FieldByName("ACTIVE").AsInteger(), 1);
    kind->setCurrentIndex(2);
    emit kind->activated(2);
    EXPECT_EQ(cities->FieldByName("KIND").AsInteger(), 3);

    cities->Cancel();
    EXPECT_EQ(country->Text(), "Германия");
    EXPECT_FALSE(active->isChecked());
    EXPECT_EQ(kind->currentText(), "Село");
}
