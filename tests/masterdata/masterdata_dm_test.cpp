// The lookup datasets of the main data module and their rules, against a
// real database.

#include "masterdata_fixture.h"

#include "framework/text/abort.h"

#include <QCoreApplication>

namespace {

namespace sample = testsupport::sample;
using Notice = std::pair<int, int>;

TEST_F(MasterDataFixture, ConnectOpensEveryLookupWithItsFields)
{
    for (TDataSet *ds : dm.Lookups())
        EXPECT_TRUE(ds->Active()) << ds->objectName().toStdString();
    EXPECT_EQ(dm.qCountries.FieldByName("CODE").DisplayLabel, "КОД");
    EXPECT_EQ(dm.qCurrencies.FieldByName("TYPE").DisplayLabel, "КОД");
    EXPECT_TRUE(dm.qCurrencies.FieldByName("TYPE").Required);
    EXPECT_EQ(dm.qTruckTypes.FieldByName("SEC_W").DisplayLabel, "Ремарке|Ширина");
    EXPECT_EQ(dm.qCountries.Tag, 5);
    // The neighbours show both countries by name.
    dm.ExecSQL("insert into COUNTRY_NEIGHBOURING (ID, COUNTRY_1, COUNTRY_2, RADIUS) values (1, 1, 2, 3)");
    dm.RefreshDataSet(dm.qNeghbourhood);
    EXPECT_EQ(dm.qNeghbourhood.FieldByName("COUNTRY_1_D").AsString(), "България");
    EXPECT_EQ(dm.qNeghbourhood.FieldByName("COUNTRY_2_D").AsString(), "Германия");
}

TEST(MasterDataConnect, ALookupThatCannotOpenFailsTheConnection)
{
    testsupport::TestDatabase tdb;
    tdb.exec("drop table LOAD_CHARGE_TYPES");
    tdb.detach();
    TMasterDataDM dm;
    dm.IBDatabase.Params = tdb.params();
    dm.ConnectPauseMs = 0;
    EXPECT_FALSE(dm.Connect());
    dm.Disconnect();
}

TEST_F(MasterDataFixture, CountryInUseIsRefusedWithTheCountOfRowsPointingAtIt)
{
    dm.ExecSQL("insert into CITIES (ID, COUNTRY_ID, NAME) values (10, 2, 'Берлин')");
    addLoad(1, "LOAD_COUNTRY", sample::CountryDE);
    addLoad(2, "UNLOAD_DOUANNE_COUTRY", sample::CountryDE);
    addLoad(3, "LOAD_DOUANNE_COUNTRY", sample::CountryBG);  // another country: not counted
    ASSERT_TRUE(dm.qCountries.Locate("ID", sample::CountryDE));
    notices.clear();

    EXPECT_THROW(dm.qCountries.Delete(), EAbort);

    // Munich and Berlin, the load country and the unload customs country.
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "Записът не може да бъде изтрит, тъй като се използва от 4 свързани записа!");
    EXPECT_EQ(count("select count(*) from COUNTRIES where ID = 2"), 1);
    EXPECT_EQ(dm.qCountries.FieldByName("ID").AsInteger(), sample::CountryDE);
    EXPECT_TRUE(notices.empty());
}

TEST_F(MasterDataFixture, CountryUsedOnlyByAClientIsDeleted)
{
    dm.ExecSQL("insert into COUNTRIES (ID, CODE, NAME) values (7, 'RO', 'Румъния')");
    dm.ExecSQL("update CLIENTS set COUNTRY = 7, CTRY_REL1 = 7");
    dm.RefreshDataSet(dm.qCountries);
    ASSERT_TRUE(dm.qCountries.Locate("ID", 7));
    notices.clear();

    dm.qCountries.Delete();

    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(count("select count(*) from COUNTRIES where ID = 7"), 0);
    EXPECT_EQ(notices, (std::vector<Notice>{{2, 0}}));
}

TEST_F(MasterDataFixture, WithoutAMessageHandlerTheRefusalIsAnError)
{
    dm.ErrorMessage = nullptr;
    ASSERT_TRUE(dm.qCountries.Locate("ID", sample::CountryBG));  // Sofia
    EXPECT_THROW(dm.qCountries.Delete(), EDataSetError);
    EXPECT_EQ(count("select count(*) from COUNTRIES where ID = 1"), 1);
}

TEST_F(MasterDataFixture, NewCountryTakesItsKeyAndAppearsInTheNameOrderList)
{
    const int before = dm.qCountries1.RecordCount();
    dm.qCountries.Append();
    dm.qCountries.FieldByName("CODE").SetAsString("AT");
    dm.qCountries.FieldByName("NAME").SetAsString("Австрия");
    dm.qCountries.Post();

    const int id = dm.qCountries.FieldByName("ID").AsInteger();
    EXPECT_GT(id, sample::CountryDE);
    EXPECT_EQ(count(QStringLiteral("select count(*) from COUNTRIES where ID = %1 and CODE = 'AT'").arg(id)), 1);
    EXPECT_EQ(dm.qCountries1.RecordCount(), before + 1);
    // Name order: Австрия comes first.
    dm.qCountries1.First();
    EXPECT_EQ(dm.qCountries1.FieldByName("ID").AsInteger(), id);
    EXPECT_EQ(notices, (std::vector<Notice>{{1, 0}}));
}

TEST_F(MasterDataFixture, AddCityDrawsItsKeyStoresTheRowAndBroadcastsKindOne)
{
    const int first = dm.AddCity(sample::CountryDE, "Берлин", "10115", "Berlin");
    const int second = dm.AddCity(sample::CountryDE, "Кьолн", "", "");

    EXPECT_GT(first, sample::CityMunich);
    EXPECT_NE(first, second);
    EXPECT_EQ(dm.QueryValue(QStringLiteral("select NAME_ENG from CITIES where ID = %1 and COUNTRY_ID = 2 and "
                                           "NAME = 'Берлин' and POST_CODE = '10115'")
                                .arg(first))
                  .toString(),
              "Berlin");
    EXPECT_TRUE(dm.QueryValue(QStringLiteral("select POST_CODE from CITIES where ID = %1").arg(second)).isNull());
    EXPECT_EQ(dm.qCities.FieldByName("ID").AsInteger(), second);
    EXPECT_EQ(notices, (std::vector<Notice>{{1, 1}, {1, 1}}));
}

TEST_F(MasterDataFixture, CityNameWithAnApostropheIsStoredAndFound)
{
    const int id = dm.AddCity(sample::CountryDE, "L'Aquila", "67100", "L'Aquila");
    EXPECT_EQ(dm.QueryInteger("select ID from CITIES where NAME = :N", QString(), {{"N", "L'Aquila"}}), id);

    dm.UpdateCity(id, sample::CountryBG, "67101", "D'Ivoire", "Д'Ивоар");
    EXPECT_EQ(dm.QueryInteger("select ID from CITIES where NAME = :N and NAME_ENG = :E and COUNTRY_ID = 1",
                              QString(), {{"N", "Д'Ивоар"}, {"E", "D'Ivoire"}}),
              id);
    dm.RefreshDataSet(dm.qCities);
    EXPECT_TRUE(dm.qCities.Locate("NAME", "Д'Ивоар"));
}

TEST_F(MasterDataFixture, AddCityRefusedByTheDatabaseLeavesNoRowBehind)
{
    const int rows = dm.qCities.RecordCount();
    EXPECT_ANY_THROW(dm.AddCity(sample::CountryDE, "Ő-town", "", ""));  // not in Windows-1251
    EXPECT_ANY_THROW(dm.AddCity(sample::CountryDE, QString(), "", ""));  // NAME is NOT NULL
    EXPECT_EQ(dm.qCities.RecordCount(), rows);
    EXPECT_FALSE(dm.qCities.IsEditing());
    EXPECT_EQ(count("select count(*) from CITIES"), 2);
    EXPECT_TRUE(notices.empty());
}

TEST_F(MasterDataFixture, UpdateCityFindsACityAnotherStationAdded)
{
    dm.ExecSQL("insert into CITIES (ID, COUNTRY_ID, NAME) values (40, 2, 'Берлин')");
    dm.UpdateCity(40, sample::CountryDE, "10115", "Berlin", "Берлин");
    EXPECT_EQ(dm.QueryValue("select POST_CODE from CITIES where ID = 40").toString(), "10115");
    EXPECT_THROW(dm.UpdateCity(41, sample::CountryDE, "", "", "Няма"), EDataSetError);
}

TEST_F(MasterDataFixture, NoticesOfOthersReReadTheLookupKeepingTheRowOwnNoticesAreIgnored)
{
    ASSERT_TRUE(dm.qCities.Locate("ID", sample::CityMunich));
    dm.ExecSQL("insert into CITIES (ID, COUNTRY_ID, NAME) values (50, 2, 'Аахен')");
    QObject other;

    dm.NotifyDataChanged(&dm, 1, 1);
    EXPECT_FALSE(dm.qCities.Locate("ID", 50));
    dm.NotifyDataChanged(&other, 2, 1);  // a delete: nothing to re-read
    EXPECT_FALSE(dm.qCities.Locate("ID", 50));
    ASSERT_TRUE(dm.qCities.Locate("ID", sample::CityMunich));

    dm.NotifyDataChanged(&other, 1, 1);
    EXPECT_EQ(dm.qCities.FieldByName("ID").AsInteger(), sample::CityMunich);
    EXPECT_TRUE(dm.qCities.Locate("ID", 50));
}

TEST_F(MasterDataFixture, LookupPostsTakeKeysFromTheirCounters)
{
    struct Case
    {
        TDataSet *ds;
        const char *field;
        const char *value;
        const char *table;
    };
    for (const Case &c : {Case{&dm.qActivityTypes, "NAME", "Внос", "ACTIVITY_TYPES"},
                          Case{&dm.qContactInfoTypes, "NAME", "Skype", "CONTACTINFO_TYPES"},
                          Case{&dm.qCurrencies, "TYPE", "JPY", "CURRENCIES"},
                          Case{&dm.qChargeTypes, "NAME", "Магистрала", "LOAD_CHARGE_TYPES"},
                          Case{&dm.qTruckTypes, "NAME", "Хладилен", "TRUCK_TYPES"}}) {
        SCOPED_TRACE(c.table);
        const int max = count(QStringLiteral("select coalesce(max(ID), 0) from %1").arg(c.table));
        c.ds->Append();
        c.ds->FieldByName(c.field).SetAsString(QString::fromUtf8(c.value));
        c.ds->Post();
        const int id = c.ds->FieldByName("ID").AsInteger();
        EXPECT_GT(id, max);
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where ID = %2").arg(c.table).arg(id)), 1);
    }
}

}  // namespace
