// The reference screens against a real database, headless: the delete
// guards as a user meets them, the truck types' defaults, the clauses of a
// document, the city list and the customs office editor.

#include "masterdata_fixture.h"

#include "framework/forms/cyrmessagedlg.h"
#include "framework/forms/insertcity.h"
#include "framework/forms/messagerecorder.h"
#include "framework/lists/lookup_combo.h"
#include "framework/settings/settings.h"
#include "masterdata/cities_form.h"
#include "masterdata/doc_clauses_form.h"
#include "masterdata/douanes_form.h"
#include "masterdata/reference_lists.h"
#include "masterdata/refdata_rules.h"
#include "masterdata/truck_types_form.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {

namespace sample = testsupport::sample;

class ScreensTest : public MasterDataFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CreateAppSettings(dir.filePath("test.xdb"));
        MasterDataFixture::SetUp();
        // The program's way: the message dialog, here recorded.
        dm.ErrorMessage = [](const QString &text) { CyrMessageDlg(text, mtError, {mbOK}); };
    }
    void TearDown() override
    {
        MasterDataFixture::TearDown();
        DestroyAppSettings();
    }

    QTemporaryDir dir;
    TMessageRecorder messages;
};

// ---------------------------------------------------------------------------
// Delete guards

TEST_F(ScreensTest, CountryInUseIsRefusedAfterTheQuestionWithOneMessage)
{
    addLoad(1, "UNLOAD_COUNTRY", sample::CountryDE);
    addLoad(2, "LOAD_DOUANNE_COUNTRY", sample::CountryDE);
    std::unique_ptr<TIBGridForm> list(CreateCountriesList(nullptr, dm, "Държави"));
    ASSERT_TRUE(dm.qCountries.Locate("ID", sample::CountryDE));

    messages.Answer(mrYes);
    list->actnDelete->trigger();

    // The question, then the refusal with the two loads and Munich; nothing else.
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_EQ(messages.Messages()[0].Text, "Моля, потвърдете изтриване!");
    EXPECT_EQ(messages.Last().Text, "Записът не може да бъде изтрит, тъй като се използва от 3 свързани записа!");
    EXPECT_EQ(messages.Last().Type, mtError);
    EXPECT_EQ(count("select count(*) from COUNTRIES where ID = 2"), 1);
    EXPECT_EQ(dm.qCountries.FieldByName("ID").AsInteger(), sample::CountryDE);
}

TEST_F(ScreensTest, TruckTypeUsedByATransportOfferIsRefusedBeforeAnyQuestion)
{
    dm.ExecSQL("insert into TRANSPORT_TRUCKS (ID, TRANSPORT_ID, TRUCK_TYPE) values (1, 1, 1)");
    dm.ExecSQL("insert into KARVONEL_TRUCKS (ID, KARVONEL_ID, TRUCK_TYPE) values (1, 1, 1)");
    TfrmTruckTypes list(nullptr, dm);
    ASSERT_TRUE(list.qTruckTypes.Locate("ID", sample::TruckType));

    list.actnDelete->trigger();

    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Записът не може да бъде изтрит, тъй като се използва от 1 свързани записа!");
    EXPECT_EQ(count("select count(*) from TRUCK_TYPES where ID = 1"), 1);
}

TEST_F(ScreensTest, TruckTypeUsedOnlyByCarrierFleetsIsDeleted)
{
    dm.ExecSQL("insert into KARVONEL_TRUCKS (ID, KARVONEL_ID, TRUCK_TYPE) values (1, 1, 1)");
    TfrmTruckTypes list(nullptr, dm);
    ASSERT_TRUE(list.qTruckTypes.Locate("ID", sample::TruckType));

    messages.Answer(mrYes);
    list.actnDelete->trigger();

    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Моля, потвърдете изтриване!");
    EXPECT_EQ(count("select count(*) from TRUCK_TYPES where ID = 1"), 0);
}

// ---------------------------------------------------------------------------
// Truck types

TEST_F(ScreensTest, TruckTypePostedWithoutCemtAndStandardStoresZeroForBoth)
{
    TfrmTruckTypes list(nullptr, dm);
    list.qTruckTypes.Append();
    list.qTruckTypes.FieldByName("NAME").SetAsString("Падащ борд");
    list.qTruckTypes.FieldByName("PRIMARY_L").SetAsFloat(7.2);
    list.qTruckTypes.FieldByName("PRIMARY_W").SetAsFloat(2.4);
    list.qTruckTypes.Post();

    const int id = list.qTruckTypes.FieldByName("ID").AsInteger();
    EXPECT_GT(id, sample::TruckType);
    EXPECT_EQ(count(QStringLiteral("select count(*) from TRUCK_TYPES where ID = %1 and CEMT = 0 and STANDARD = 0")
                        .arg(id)),
              1);
    // No height: no volume. The sample's trailer has all three.
    EXPECT_TRUE(list.qTruckTypes.FieldByName("PRIMARY_VOL_D").IsNull());
    ASSERT_TRUE(list.qTruckTypes.Locate("ID", sample::TruckType));
    EXPECT_NEAR(list.qTruckTypes.FieldByName("SEC_VOL_D").AsFloat(), 13.6 * 2.45 * 2.7, 1e-9);
}

TEST(LoadSpaceVolume, OnlyWhenAllThreeDimensionsAreGiven)
{
    EXPECT_EQ(LoadSpaceVolume(2.0, 3.0, 4.0), 24.0);
    EXPECT_EQ(LoadSpaceVolume(0.0, 3.0, 4.0), 0.0);
    EXPECT_FALSE(LoadSpaceVolume(QVariant(), 3.0, 4.0));
    EXPECT_FALSE(LoadSpaceVolume(2.0, QVariant(), 4.0));
    EXPECT_FALSE(LoadSpaceVolume(2.0, 3.0, QVariant()));
}

// ---------------------------------------------------------------------------
// Document clauses

// Text typed into an edit box.
void type(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    emit edit->textEdited(text);
}

class ClausesAnswered : public TfrmDocClauses
{
public:
    using TfrmDocClauses::TfrmDocClauses;
    std::function<int(TfrmEditDocClause *)> answer;

protected:
    int ExecEditor(TfrmEditDocClause *editor) override { return answer(editor); }
};

TEST_F(ScreensTest, ClauseAddedToTheEnglishConfirmationGetsItsDocumentAndNumbers)
{
    ClausesAnswered list(nullptr, dm);
    EXPECT_EQ(list.DocumentKey(), 11);
    list.cbDocument->setCurrentIndex(list.cbDocument->findText("Потвърждение към клиент [ EN ]"));
    ASSERT_EQ(list.DocumentKey(), 22);

    QString caption;
    list.answer = [&](TfrmEditDocClause *editor) {
        caption = editor->windowTitle();
        type(editor->eMajor, "3");
        type(editor->eMinor, "1");
        type(editor->eTitle, "Плащане");
        editor->mmoText->setPlainText("Плащането е в срок от 30 дни.");
        return editor->Save() ? int(mrOk) : int(mrCancel);
    };
    list.actnInsert->trigger();

    EXPECT_EQ(caption, "Клауза [добавяне]");
    EXPECT_EQ(count("select count(*) from REPORT_CLAUSES where REP_TYPE = 2 and LANG_ID = 2 and MAJOR_NUM = 3 "
                    "and MINOR_NUM = 1 and ITEM_TITLE = 'Плащане'"),
              1);
    EXPECT_GT(count("select max(ID) from REPORT_CLAUSES"), 0);
    // The list shows its document's new clause.
    EXPECT_EQ(list.qClauses.RecordCount(), 1);
    EXPECT_EQ(list.qClauses.FieldByName("ITEM_TITLE").AsString(), "Плащане");
    list.SelectDocument(21);
    EXPECT_EQ(list.qClauses.RecordCount(), 0);
}

TEST(ClauseDocuments, EachDocumentSelectsItsTypeAndLanguage)
{
    const std::vector<std::tuple<int, int, int>> expected = {{11, 1, 1},   {12, 1, 2},   {21, 2, 1},
                                                             {22, 2, 2},   {101, 100, 1}, {102, 100, 2},
                                                             {201, 200, 1}, {202, 200, 2}};
    ASSERT_EQ(ClauseDocuments().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto &[key, type, lang] = expected[i];
        EXPECT_EQ(ClauseDocuments()[i].Key, key);
        EXPECT_EQ(ClauseDocuments()[i].RepType, type);
        EXPECT_EQ(ClauseDocuments()[i].LangId, lang);
    }
    EXPECT_EQ(ClauseDocumentByKey(999), nullptr);
}

// ---------------------------------------------------------------------------
// Cities

class CitiesAnswered : public TfrmCities
{
public:
    using TfrmCities::TfrmCities;
    std::function<bool(TfrmInsertCity *)> answer;

protected:
    bool ExecCityDialog(TfrmInsertCity *dialog) override { return answer(dialog); }
};

TEST_F(ScreensTest, CityListAddsAndEditsThroughTheDialogInTheChosenCountry)
{
    CitiesAnswered list(nullptr, dm);
    list.answer = [](TfrmInsertCity *d) {
        d->eCode->setText("67100");
        d->eName->setText("Л'Акуила");
        d->eCityName->setText("L'Aquila");
        return true;
    };
    list.actnInsert->trigger();  // no country yet
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Изберете държава преди да се опитате да въвеждате град!");
    EXPECT_EQ(count("select count(*) from CITIES"), 2);

    list.SetCountry(sample::CountryDE);
    EXPECT_EQ(dm.qCities1.RecordCount(), 1);  // Munich
    list.actnInsert->trigger();
    EXPECT_EQ(messages.Count(), 1);
    const int id = dm.QueryInteger("select ID from CITIES where NAME = :N and NAME_ENG = :E and COUNTRY_ID = 2",
                                   QString(), {{"N", "Л'Акуила"}, {"E", "L'Aquila"}});
    ASSERT_GT(id, 0);
    EXPECT_EQ(dm.qCities1.RecordCount(), 2);
    EXPECT_EQ(list.CurrentKey().toInt(), id);

    QStringList shown;
    list.answer = [&](TfrmInsertCity *d) {
        shown << d->eCode->text() << d->eName->text() << d->eCityName->text();
        d->eCode->setText("67010");
        return true;
    };
    list.actnEdit->trigger();
    EXPECT_EQ(shown, (QStringList{"67100", "Л'Акуила", "L'Aquila"}));
    EXPECT_EQ(dm.QueryValue(QStringLiteral("select POST_CODE from CITIES where ID = %1").arg(id)).toString(), "67010");
    EXPECT_EQ(list.CurrentKey().toInt(), id);
}

TEST_F(ScreensTest, CityListRuleRefusesRowsPostedThroughItsDatasetAndLeavesWithTheWindow)
{
    {
        TfrmCities list(nullptr, dm);
        list.SetCountry(sample::CountryDE);
        list.show();
        ASSERT_TRUE(list.BeforePostInstalled());
        struct Case
        {
            const char *code, *name, *message;
        };
        for (const Case &c : {Case{"8", "Аугсбург", "Трябва да попълните пощенски код дълъг поне два символа!"},
                              Case{"1000", "София", "Този град е вече вписан!"}}) {
            messages.Clear();
            dm.qCities1.Append();
            dm.qCities1.FieldByName("POST_CODE").SetAsString(c.code);
            dm.qCities1.FieldByName("NAME").SetAsString(QString::fromUtf8(c.name));
            EXPECT_ANY_THROW(dm.qCities1.Post());
            dm.qCities1.Cancel();
            ASSERT_EQ(messages.Count(), 1) << c.name;
            EXPECT_EQ(messages.Last().Text, QString::fromUtf8(c.message));
        }
        dm.qCities1.Append();
        dm.qCities1.FieldByName("POST_CODE").SetAsString("86150");
        dm.qCities1.FieldByName("NAME").SetAsString("Аугсбург");
        dm.qCities1.Post();
        EXPECT_EQ(count("select count(*) from CITIES where NAME = 'Аугсбург' and COUNTRY_ID = 2"), 1);
        list.close();
    }
    EXPECT_FALSE(dm.qCities1.BeforePost);
}

// ---------------------------------------------------------------------------
// Customs offices

class DouaneEditorTest : public ScreensTest
{
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        root = std::make_unique<TfrmBaseForm>();
        dm.NotifyForms = [this](int action, int kind) { root->NotifyFormsFor(&dm, action, kind); };
        dm.qDouanes.Append();
        editor = root->CreateChildForm<TfrmEditDouane>(dm);
        editor->SetDataSet(&dm.qDouanes);
        editor->show();
    }
    void TearDown() override
    {
        delete editor;
        if (dm.qDouanes.IsEditing())
            dm.qDouanes.Cancel();
        dm.NotifyForms = nullptr;
        root.reset();
        ScreensTest::TearDown();
    }
    // The user types into the city box and leaves it.
    void typeCity(const QString &text)
    {
        editor->cbCity->LineEdit()->setText(text);
        emit editor->cbCity->LineEdit()->textEdited(text);
        editor->cbCity->CloseUp(false);  // the list the typing dropped down
        emit editor->cbCity->LineEdit()->editingFinished();
    }

    std::unique_ptr<TfrmBaseForm> root;
    TfrmEditDouane *editor = nullptr;
};

TEST_F(DouaneEditorTest, TypedUnknownCityIsAddedToTheOfficesCountryAfterYes)
{
    dm.qDouanes.FieldByName("COUNTRY_ID").SetAsInteger(sample::CountryDE);
    EXPECT_TRUE(editor->btnCities->isEnabled());
    messages.Answer(mrYes);
    typeCity("Бон");

    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Този град не е описан в базата данни.\nЖелаете ли да го добавите?");
    EXPECT_EQ(messages.Last().Type, mtConfirmation);
    const int city = dm.QueryInteger("select ID from CITIES where NAME = 'Бон' and COUNTRY_ID = 2 "
                                     "and POST_CODE is null and NAME_ENG is null");
    ASSERT_GT(city, sample::CityMunich);
    EXPECT_EQ(dm.qDouanes.FieldByName("CITY_ID").AsInteger(), city);
    EXPECT_EQ(editor->cbCity->Text(), "Бон");
    EXPECT_TRUE(editor->CityIsValid());

    editor->mmoInfo->setPlainText("Митница Бон");
    ASSERT_TRUE(editor->Save());
    EXPECT_EQ(count(QStringLiteral("select count(*) from DOUANES where ID = %1 and COUNTRY_ID = 2 and CITY_ID = %2")
                        .arg(editor->NewKey())
                        .arg(city)),
              1);
    EXPECT_EQ(dm.qDouanes.FieldByName("CTY_NAME").AsString(), "Бон");
}

TEST_F(DouaneEditorTest, TypedCityWithoutACountryOrAnsweredNoIsNotAdded)
{
    typeCity("Бон");
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Моля изберете държава!");
    EXPECT_FALSE(editor->btnCities->isEnabled());
    EXPECT_FALSE(editor->CityIsValid());
    EXPECT_EQ(editor->cbCity->LineEdit()->palette().color(QPalette::Base), TfrmEditDouane::InvalidCityColor());

    dm.qDouanes.FieldByName("COUNTRY_ID").SetAsInteger(sample::CountryDE);
    messages.Answer(mrNo);
    typeCity("Бон");
    EXPECT_EQ(messages.Count(), 2);
    EXPECT_EQ(count("select count(*) from CITIES where NAME = 'Бон'"), 0);
    EXPECT_TRUE(dm.qDouanes.FieldByName("CITY_ID").IsNull());
}

TEST_F(DouaneEditorTest, OfficeNeedsACountryThenACity)
{
    EXPECT_FALSE(editor->Save());
    ASSERT_TRUE(editor->Balloon());
    EXPECT_EQ(editor->Balloon()->Text(), "Полето \"Държава\" трябва да бъдe попълнено!");
    dm.qDouanes.FieldByName("COUNTRY_ID").SetAsInteger(sample::CountryDE);
    EXPECT_FALSE(editor->Save());
    EXPECT_EQ(editor->Balloon()->Text(), "Полето \"Град\" трябва да бъдe попълнено!");
    EXPECT_EQ(count("select count(*) from DOUANES"), 0);
}

TEST_F(DouaneEditorTest, CityAddedInAnotherWindowAppearsInTheEditorsList)
{
    dm.qDouanes.FieldByName("COUNTRY_ID").SetAsInteger(sample::CountryDE);
    ASSERT_EQ(editor->qCities.RecordCount(), 1);
    const int city = dm.AddCity(sample::CountryDE, "Дрезден", "01067", "Dresden");
    EXPECT_EQ(editor->qCities.RecordCount(), 2);
    EXPECT_GE(editor->qCities.FindRow("ID", {city}), 0);
    EXPECT_EQ(editor->cbCity->DisplayTextOf(city), "Дрезден");
}

}  // namespace
