// Datasets over the cities and countries of a fresh database.

#include "data_fixture.h"

#include "db/attachment.h"
#include "db/db_error.h"
#include "db/transaction.h"
#include "framework/text/abort.h"
#include "framework/text/win1251.h"

#include <QStringList>

#include <memory>

namespace {

using datatest::DataTest;

class DatasetTest : public DataTest
{
protected:
    DatasetTest()
    {
        setUpCities(cities);
        countries.setObjectName(QStringLiteral("qCountries"));
        countries.SetTransaction(&dm->IBTransaction);
        countries.SetSelectSQL(QStringLiteral("select * from COUNTRIES order by ID"));
        countries.SetInsertSQL(QStringLiteral(
            "insert into COUNTRIES (ID, CODE, NAME, NAME_ENG) values (:ID, :CODE, :NAME, :NAME_ENG)"));
    }

    void setUpCities(TDataSet &q)
    {
        q.setObjectName(QStringLiteral("qCities"));
        q.SetTransaction(&dm->IBTransaction);
        q.SetSelectSQL(QStringLiteral("select ID, COUNTRY_ID, NAME, POST_CODE from CITIES order by ID"));
        q.SetInsertSQL(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) "
                                      "values (:ID, :COUNTRY_ID, :NAME, :POST_CODE)"));
        q.SetModifySQL(QStringLiteral(
            "update CITIES set ID = :ID, NAME = :NAME, POST_CODE = :POST_CODE where ID = :OLD_ID"));
        q.SetDeleteSQL(QStringLiteral("delete from CITIES where ID = :OLD_ID"));
    }

    QString name() const { return cities.FieldByName(QStringLiteral("NAME")).AsString(); }
    void set(TDataSet &q, const char *field, const QVariant &v) { q.FieldByName(QString::fromLatin1(field)).SetValue(v); }
    QVariant stored(const QString &sql)
    {
        dm->ProcessIdle();
        return seen(sql);
    }

    TDataSet cities;
    TDataSet countries;
};

void logEvents(TDataSet &q, QStringList &log)
{
    const auto on = [&log](const char *name) {
        return [&log, name](TDataSet &) { log << QString::fromLatin1(name); };
    };
    q.BeforeOpen = on("BeforeOpen");
    q.AfterOpen = on("AfterOpen");
    q.BeforeInsert = on("BeforeInsert");
    q.AfterInsert = on("AfterInsert");
    q.BeforeEdit = on("BeforeEdit");
    q.AfterEdit = on("AfterEdit");
    q.BeforePost = on("BeforePost");
    q.AfterPost = on("AfterPost");
    q.BeforeCancel = on("BeforeCancel");
    q.AfterCancel = on("AfterCancel");
    q.BeforeDelete = on("BeforeDelete");
    q.AfterDelete = on("AfterDelete");
    q.BeforeScroll = on("BeforeScroll");
    q.AfterScroll = on("AfterScroll");
    q.OnNewRecord = [&log](TDataSet &ds) {
        log << QStringLiteral("OnNewRecord");
        ds.FieldByName(QStringLiteral("COUNTRY_ID")).SetAsInteger(1);
    };
}

TEST_F(DatasetTest, StatesAndEventsThroughEditPostInsertCancelAndDelete)
{
    QStringList log;
    logEvents(cities, log);
    const auto step = [&](auto &&action) {
        log.clear();
        action();
        return log.join(u' ');
    };

    EXPECT_EQ(step([&] { cities.Open(); }), "BeforeOpen AfterOpen AfterScroll");
    EXPECT_EQ(cities.State(), TDataSetState::Browse);
    EXPECT_EQ(cities.RecordCount(), 2);
    EXPECT_EQ(cities.RecNo(), 1);
    EXPECT_TRUE(cities.Bof());
    EXPECT_FALSE(cities.Eof());

    EXPECT_EQ(step([&] { cities.Edit(); }), "BeforeEdit AfterEdit");
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
    EXPECT_FALSE(cities.Modified());
    set(cities, "POST_CODE", QStringLiteral("1001"));
    EXPECT_TRUE(cities.Modified());
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).OldValue().toString(), "1000");
    EXPECT_EQ(step([&] { cities.Post(); }), "BeforePost AfterPost");
    EXPECT_EQ(cities.State(), TDataSetState::Browse);
    EXPECT_EQ(stored(QStringLiteral("select POST_CODE from CITIES where ID = 1")).toString(), "1001");

    // A value set by OnNewRecord is no modification of the user's.
    EXPECT_EQ(step([&] { cities.Append(); }), "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll");
    EXPECT_EQ(cities.State(), TDataSetState::Insert);
    EXPECT_FALSE(cities.Modified());
    EXPECT_EQ(cities.RecordCount(), 3);
    EXPECT_EQ(cities.RecNo(), 3);
    EXPECT_EQ(cities.FieldByName(QStringLiteral("COUNTRY_ID")).AsInteger(), 1);
    EXPECT_EQ(step([&] { cities.Cancel(); }), "BeforeCancel AfterCancel");
    EXPECT_EQ(cities.RecordCount(), 2);
    EXPECT_EQ(cities.RecNo(), 1);

    // Moving posts a row in edit.
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("1002"));
    EXPECT_EQ(step([&] { cities.Next(); }), "BeforePost AfterPost BeforeScroll AfterScroll");
    EXPECT_EQ(cities.RecNo(), 2);
    cities.Next();
    EXPECT_TRUE(cities.Eof());
    EXPECT_EQ(cities.RecNo(), 2);

    EXPECT_EQ(step([&] { cities.Delete(); }), "BeforeDelete BeforeScroll AfterDelete AfterScroll");
    EXPECT_EQ(cities.RecordCount(), 1);
    EXPECT_EQ(cities.RecNo(), 1);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from CITIES")).toInt(), 1);
    EXPECT_EQ(stored(QStringLiteral("select POST_CODE from CITIES where ID = 1")).toString(), "1002");

    cities.Close();
    EXPECT_EQ(cities.State(), TDataSetState::Inactive);
    EXPECT_EQ(cities.RecordCount(), 0);
}

TEST_F(DatasetTest, FailedPostKeepsTheRowInItsStateWithEveryTypedValue)
{
    cities.Open();
    cities.Append();
    set(cities, "ID", 1);  // the key of Sofia
    set(cities, "COUNTRY_ID", 1);
    set(cities, "NAME", QStringLiteral("Варна"));
    set(cities, "POST_CODE", QStringLiteral("9000"));
    EXPECT_THROW(cities.Post(), db::DbError);
    EXPECT_EQ(cities.State(), TDataSetState::Insert);
    EXPECT_EQ(name(), "Варна");
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "9000");
    EXPECT_EQ(cities.RecordCount(), 3);

    set(cities, "ID", 3);
    cities.Post();
    EXPECT_EQ(cities.State(), TDataSetState::Browse);
    EXPECT_EQ(stored(QStringLiteral("select NAME from CITIES where ID = 3")).toString(), "Варна");

    // NAME is NOT NULL: the modify fails and the edit stays as typed.
    cities.First();
    cities.Edit();
    cities.FieldByName(QStringLiteral("NAME")).Clear();
    set(cities, "POST_CODE", QStringLiteral("1111"));
    EXPECT_THROW(cities.Post(), db::DbError);
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
    EXPECT_TRUE(cities.FieldByName(QStringLiteral("NAME")).IsNull());
    EXPECT_EQ(cities.FieldByName(QStringLiteral("NAME")).OldValue().toString(), "София");
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "1111");
    cities.Cancel();
    EXPECT_EQ(name(), "София");
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "1000");
}

TEST_F(DatasetTest, SilentAbortInAChainedBeforePostStopsThePost)
{
    QStringList log;
    cities.BeforePost = [&log](TDataSet &) { log << QStringLiteral("screen"); };
    cities.AfterPost = [&log](TDataSet &) { log << QStringLiteral("after"); };
    // A list replaces the handler and calls the one it found.
    auto previous = cities.BeforePost;
    cities.BeforePost = [previous, &log](TDataSet &ds) {
        log << QStringLiteral("list");
        if (previous)
            previous(ds);
        if (ds.FieldByName(QStringLiteral("POST_CODE")).AsString() == u"0000")
            Abort();
    };
    cities.Open();
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("0000"));
    EXPECT_THROW(cities.Post(), EAbort);
    EXPECT_EQ(log.join(u' '), "list screen");
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "0000");
    EXPECT_EQ(stored(QStringLiteral("select POST_CODE from CITIES where ID = 1")).toString(), "1000");

    // Required fields are checked after BeforePost, which may still fill them.
    cities.Cancel();
    cities.FieldByName(QStringLiteral("POST_CODE")).Required = true;
    cities.FieldByName(QStringLiteral("POST_CODE")).DisplayLabel = QStringLiteral("Пощ. код");
    cities.Edit();
    cities.FieldByName(QStringLiteral("POST_CODE")).Clear();
    try {
        cities.Post();
        FAIL() << "posted an empty required field";
    } catch (const EDataSetError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Полето \"Пощ. код\" трябва да бъдe попълнено!"));
    }
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
}

TEST_F(DatasetTest, PostedRowIsReadBackByTheRefreshStatement)
{
    cities.SetRefreshSQL(QStringLiteral("select ID, COUNTRY_ID, upper(NAME) as NAME, POST_CODE from CITIES "
                                        "where ID = :ID"));
    QList<int> updated;
    QObject::connect(&cities, &TDataSet::rowUpdated, [&](int row) { updated << row; });
    cities.Open();
    cities.Append();
    set(cities, "ID", 3);
    set(cities, "COUNTRY_ID", 1);
    set(cities, "NAME", QStringLiteral("Plovdiv"));
    cities.Post();
    EXPECT_EQ(name(), "PLOVDIV");
    EXPECT_EQ(updated, QList<int>{2});

    // Another station changes the first row, then deletes the second.
    tdb.exec(QStringLiteral("update CITIES set POST_CODE = '1111' where ID = 1"));
    tdb.exec(QStringLiteral("delete from CITIES where ID = 2"));
    cities.First();
    cities.RefreshRecord();
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "1111");
    cities.Next();
    cities.RefreshRecord();  // gone: the row leaves the dataset
    EXPECT_EQ(cities.RecordCount(), 2);
    EXPECT_EQ(name(), "PLOVDIV");
}

TEST_F(DatasetTest, ModifyOfARowAnotherStationDeletedFailsInsteadOfLosingTheChange)
{
    cities.Open();
    tdb.exec(QStringLiteral("delete from CITIES where ID = 2"));
    ASSERT_TRUE(cities.Locate(QStringLiteral("ID"), 2));
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("80000"));
    EXPECT_THROW(cities.Post(), EDataSetError);
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "80000");
}

TEST_F(DatasetTest, DetailFollowsItsMaster)
{
    TDataSet detail;
    detail.SetTransaction(&dm->IBTransaction);
    detail.SetSelectSQL(QStringLiteral("select * from CITIES where COUNTRY_ID = :ID order by ID"));
    detail.SetModifySQL(QStringLiteral("update CITIES set POST_CODE = :POST_CODE where ID = :OLD_ID"));
    detail.SetMasterSource(&countries);
    int opens = 0;
    detail.AfterOpen = [&opens](TDataSet &) { ++opens; };
    const auto detailName = [&] { return detail.FieldByName(QStringLiteral("NAME")).AsString(); };

    countries.Open();
    detail.Open();
    EXPECT_EQ(detailName(), "София");
    countries.Next();
    EXPECT_EQ(detailName(), "Мюнхен");
    EXPECT_EQ(detail.RecordCount(), 1);
    EXPECT_EQ(opens, 2);

    // Held while the master's controls are disabled, followed once at the end.
    countries.DisableControls();
    countries.First();
    countries.Last();
    countries.First();
    EXPECT_EQ(detailName(), "Мюнхен");
    countries.EnableControls();
    EXPECT_EQ(detailName(), "София");
    EXPECT_EQ(opens, 3);

    // A row the detail is editing is posted before the master moves on.
    detail.Edit();
    detail.FieldByName(QStringLiteral("POST_CODE")).SetAsString(QStringLiteral("1010"));
    countries.Next();
    EXPECT_EQ(detailName(), "Мюнхен");
    EXPECT_EQ(stored(QStringLiteral("select POST_CODE from CITIES where ID = 1")).toString(), "1010");

    // A refreshed master has its detail read again, on the same row too.
    tdb.exec(QStringLiteral("update CITIES set POST_CODE = '80999' where ID = 2"));
    countries.Refresh();
    EXPECT_EQ(detail.FieldByName(QStringLiteral("POST_CODE")).AsString(), "80999");
}

struct LocateCase {
    const char *fields;
    QVariantList values;
    TLocateOptions options;
    const char *expected;  // the name found, or null: no move
};

TEST_F(DatasetTest, LocateByFieldsWithItsOptions)
{
    tdb.exec(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) values (3, 1, 'Пловдив', '4000')"));
    tdb.exec(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) values (4, 1, 'Пазарджик', '4400')"));
    const LocateCase cases[] = {
        {"NAME", {QStringLiteral("Пловдив")}, 0, "Пловдив"},
        {"NAME", {QStringLiteral("пловдив")}, 0, nullptr},
        {"NAME", {QStringLiteral("пловдив")}, loCaseInsensitive, "Пловдив"},
        {"NAME", {QStringLiteral("Па")}, loPartialKey, "Пазарджик"},
        {"NAME", {QStringLiteral("па")}, loPartialKey, nullptr},
        {"NAME", {QStringLiteral("па")}, loPartialKey | loCaseInsensitive, "Пазарджик"},
        {"COUNTRY_ID;POST_CODE", {1, QStringLiteral("4000")}, 0, "Пловдив"},
        {"COUNTRY_ID;POST_CODE", {2, QStringLiteral("4000")}, 0, nullptr},
        {"ID", {QStringLiteral("4")}, 0, "Пазарджик"},
        {"ID", {99}, 0, nullptr},
        {"POST_CODE", {QVariant()}, 0, nullptr},
    };
    cities.Open();
    for (const LocateCase &c : cases) {
        cities.First();
        const bool found = cities.Locate(QString::fromLatin1(c.fields), c.values, c.options);
        EXPECT_EQ(found, c.expected != nullptr) << c.fields << " " << c.values.first().toString().toStdString();
        EXPECT_EQ(name(), c.expected ? QString::fromUtf8(c.expected) : QStringLiteral("София")) << c.fields;
    }
    // Lookup answers without moving.
    cities.First();
    EXPECT_EQ(cities.Lookup(QStringLiteral("ID"), {2}, QStringLiteral("NAME")).toString(), "Мюнхен");
    EXPECT_FALSE(cities.Lookup(QStringLiteral("ID"), {7}, QStringLiteral("NAME")).isValid());
    EXPECT_EQ(cities.RecNo(), 1);
}

TEST_F(DatasetTest, CalculatedAndLookupFieldsOfAnyRowWithoutMoving)
{
    cities.AddCalcField(QStringLiteral("LABEL"), TFieldType::String, 60);
    cities.AddLookupField(QStringLiteral("COUNTRY_D"), TFieldType::String, QStringLiteral("COUNTRY_ID"), &countries,
                          QStringLiteral("ID"), QStringLiteral("NAME"));
    int calcs = 0;
    cities.OnCalcFields = [&calcs](TDataSet &ds) {
        ++calcs;
        EXPECT_EQ(ds.State(), TDataSetState::CalcFields);
        ds.FieldByName(QStringLiteral("LABEL"))
            .SetAsString(ds.FieldByName(QStringLiteral("NAME")).AsString() + QStringLiteral(" (")
                         + ds.FieldByName(QStringLiteral("POST_CODE")).AsString() + QStringLiteral(")"));
    };
    countries.Open();
    cities.Open();
    EXPECT_EQ(calcs, 2);
    const TField &label = cities.FieldByName(QStringLiteral("LABEL"));
    const TField &country = cities.FieldByName(QStringLiteral("COUNTRY_D"));
    EXPECT_EQ(label.ValueAt(1).toString(), "Мюнхен (80331)");
    EXPECT_EQ(country.DisplayTextAt(1), "Германия");
    EXPECT_EQ(country.ValueAt(0).toString(), "България");
    EXPECT_EQ(cities.RecNo(), 1);

    // The edit buffer is calculated again as values change.
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("1700"));
    EXPECT_EQ(label.AsString(), "София (1700)");
    EXPECT_EQ(label.ValueAt(0).toString(), "София (1700)");
    EXPECT_THROW(cities.FieldByName(QStringLiteral("COUNTRY_D")).SetAsString(QStringLiteral("x")), EDataSetError);
    cities.Cancel();
    EXPECT_EQ(label.AsString(), "София (1000)");

    // A lookup dataset that goes away leaves its fields empty, not dangling.
    {
        auto codes = std::make_unique<TDataSet>();
        codes->SetTransaction(&dm->IBTransaction);
        codes->SetSelectSQL(QStringLiteral("select * from COUNTRIES"));
        codes->Open();
        TDataSet q;
        setUpCities(q);
        q.AddLookupField(QStringLiteral("C"), TFieldType::String, QStringLiteral("COUNTRY_ID"), codes.get(),
                         QStringLiteral("ID"), QStringLiteral("CODE"));
        q.Open();
        EXPECT_EQ(q.FieldByName(QStringLiteral("C")).AsString(), "BG");
        codes.reset();
        EXPECT_TRUE(q.FieldByName(QStringLiteral("C")).IsNull());
    }
}

TEST_F(DatasetTest, DisabledControlsHoldEverySignalUntilTheLastEnable)
{
    cities.Open();
    QStringList signalsSeen;
    QObject::connect(&cities, &TDataSet::refreshed, [&] { signalsSeen << QStringLiteral("refreshed"); });
    QObject::connect(&cities, &TDataSet::rowChanged, [&] { signalsSeen << QStringLiteral("row"); });
    QObject::connect(&cities, &TDataSet::stateChanged, [&] { signalsSeen << QStringLiteral("state"); });
    QObject::connect(&cities, &TDataSet::fieldChanged, [&](TField *) { signalsSeen << QStringLiteral("field"); });
    QObject::connect(&cities, &TDataSet::rowUpdated, [&](int) { signalsSeen << QStringLiteral("updated"); });

    cities.DisableControls();
    cities.DisableControls();
    cities.Last();
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("80333"));
    cities.Post();
    cities.First();
    cities.EnableControls();
    EXPECT_TRUE(signalsSeen.isEmpty()) << signalsSeen.join(u' ').toStdString();
    cities.EnableControls();
    EXPECT_EQ(signalsSeen.join(u' '), "refreshed state row");

    signalsSeen.clear();
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("1004"));
    cities.Post();
    EXPECT_EQ(signalsSeen.join(u' '), "state field updated state field");
}

TEST_F(DatasetTest, TextWindows1251CannotHoldIsRefusedBeforeItIsSent)
{
    cities.Open();
    cities.Edit();
    set(cities, "NAME", QStringLiteral("Tōkyō 東京"));
    try {
        cities.Post();
        FAIL() << "posted text the database cannot hold";
    } catch (const ENotWin1251 &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("東"))) << e.what();
    }
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
    EXPECT_EQ(name(), "Tōkyō 東京");
    EXPECT_EQ(stored(QStringLiteral("select NAME from CITIES where ID = 1")).toString(), "София");

    TDataSet byName;
    byName.SetTransaction(&dm->IBTransaction);
    byName.SetSelectSQL(QStringLiteral("select * from CITIES where NAME = :NAME"));
    byName.ParamByName(QStringLiteral("name")).SetAsString(QStringLiteral("東京"));
    EXPECT_THROW(byName.Open(), ENotWin1251);
    EXPECT_FALSE(byName.Active());
}

TEST_F(DatasetTest, RowChangedByAnotherUncommittedStationIsAConflict)
{
    auto other = tdb.newAttachment();
    db::Transaction tr(*other);
    other->executeImmediate(tr, QStringLiteral("update CITIES set POST_CODE = '2000' where ID = 1"));

    cities.Open();
    cities.Edit();
    set(cities, "POST_CODE", QStringLiteral("3000"));
    try {
        cities.Post();
        FAIL() << "posted over another station's change";
    } catch (const EDataConflict &e) {
        EXPECT_TRUE(e.isUpdateConflict() || e.isLockConflict());
        EXPECT_EQ(e.Message(), EDataConflict::Text);
    }
    EXPECT_EQ(cities.State(), TDataSetState::Edit);
    EXPECT_EQ(cities.FieldByName(QStringLiteral("POST_CODE")).AsString(), "3000");

    tr.rollback();
    cities.Post();
    EXPECT_EQ(stored(QStringLiteral("select POST_CODE from CITIES where ID = 1")).toString(), "3000");
}

TEST_F(DatasetTest, FailedUnitOfWorkPutsItsDatasetsBackAsTheyWere)
{
    cities.Open();
    countries.Open();
    countries.Append();
    set(countries, "ID", 1);  // taken: the post fails
    set(countries, "CODE", QStringLiteral("RO"));
    cities.Append();
    set(cities, "ID", 10);
    set(cities, "COUNTRY_ID", 3);
    set(cities, "NAME", QStringLiteral("Букурещ"));

    const auto save = [&] {
        TUnitOfWork unit(dm->IBTransaction, {&cities, &countries});
        cities.Post();
        dm->ProcessIdle();  // the idle commit waits for the unit
        EXPECT_EQ(seen(QStringLiteral("select count(*) from CITIES")).toInt(), 2);
        countries.Post();
        unit.Commit();
    };
    EXPECT_THROW(save(), db::DbError);
    EXPECT_EQ(cities.State(), TDataSetState::Insert);
    EXPECT_EQ(name(), "Букурещ");
    EXPECT_EQ(cities.RecordCount(), 3);
    EXPECT_EQ(countries.State(), TDataSetState::Insert);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from CITIES where ID = 10")).toInt(), 0);
    EXPECT_EQ(dm->QueryInteger(QStringLiteral("select count(*) from CITIES where ID = 10")), 0);

    set(countries, "ID", 3);
    save();
    EXPECT_EQ(cities.State(), TDataSetState::Browse);
    EXPECT_EQ(seen(QStringLiteral("select count(*) from CITIES where ID = 10")).toInt(), 1);
    EXPECT_EQ(seen(QStringLiteral("select CODE from COUNTRIES where ID = 3")).toString(), "RO");
}

TEST_F(DatasetTest, InnerUnitRollbackDoomsTheOuterUnit)
{
    TUnitOfWork outer(dm->IBTransaction);
    dm->ExecSQL(QStringLiteral("delete from CITIES where ID = 2"));
    {
        TUnitOfWork inner(dm->IBTransaction);
        dm->ExecSQL(QStringLiteral("delete from CITIES where ID = 1"));
    }  // no Commit: rolled back, the whole with it
    dm->ExecSQL(QStringLiteral("update COUNTRIES set CODE = 'XX' where ID = 1"));
    EXPECT_THROW(outer.Commit(), EDataSetError);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from CITIES")).toInt(), 2);
    EXPECT_EQ(seen(QStringLiteral("select CODE from COUNTRIES where ID = 1")).toString(), "BG");
}

struct FormatCase {
    const char *field;
    const char *format;
    const char *expected;
};

TEST_F(DatasetTest, DisplayTextFollowsTheFieldsFormat)
{
    TDataSet q;
    q.SetTransaction(&dm->IBTransaction);
    q.SetSelectSQL(QStringLiteral(
        "select cast(1234.5 as double precision) as F, 42 as N, "
        "cast('2009-03-05' as date) as D, cast('2009-03-05 14:07:09' as timestamp) as T, "
        "cast('2009-03-05 00:00:00' as timestamp) as M, cast(null as integer) as E from RDB$DATABASE"));
    q.Open();
    const FormatCase cases[] = {
        {"F", "", "1234.5"},          {"F", "0.00", "1234.50"},    {"F", "0.##", "1234.5"},
        {"N", "", "42"},             {"N", "0000000000", "0000000042"},
        {"N", "П-00000", "П-00042"},  {"D", "", "05.3.2009"},      {"D", "dd.mm.yyyy", "05.03.2009"},
        {"T", "hh:nn", "14:07"},      {"T", "", "05.3.2009 14:07:09"}, {"M", "", "05.3.2009"},
        {"E", "0.00", ""},
    };
    for (const FormatCase &c : cases) {
        TField &f = q.FieldByName(QString::fromLatin1(c.field));
        f.DisplayFormat = QString::fromUtf8(c.format);
        EXPECT_EQ(f.DisplayText(), QString::fromUtf8(c.expected)) << c.field << " " << c.format;
    }
    EXPECT_EQ(q.FieldByName(QStringLiteral("F")).DataType(), TFieldType::Float);
    EXPECT_EQ(q.FieldByName(QStringLiteral("N")).DataType(), TFieldType::Integer);
    EXPECT_EQ(q.FieldByName(QStringLiteral("D")).AsDate(), QDate(2009, 3, 5));
    // A screen's own text wins over the format.
    q.FieldByName(QStringLiteral("N")).OnGetText = [](TField &f, bool display) {
        return display ? QStringLiteral("№ ") + QString::number(f.AsInteger()) : f.FormatText(f.Value(), false);
    };
    EXPECT_EQ(q.FieldByName(QStringLiteral("N")).DisplayText(), "№ 42");
    EXPECT_EQ(q.FieldByName(QStringLiteral("N")).Text(), "42");
}

TEST_F(DatasetTest, TypedTextIsConvertedToTheFieldsTypeOrRefused)
{
    TDataSet q;
    q.SetTransaction(&dm->IBTransaction);
    q.SetSelectSQL(QStringLiteral("select ID, PRIMARY_L, NAME from TRUCK_TYPES"));
    q.SetModifySQL(QStringLiteral("update TRUCK_TYPES set PRIMARY_L = :PRIMARY_L where ID = :OLD_ID"));
    q.Open();
    q.Edit();
    TField &length = q.FieldByName(QStringLiteral("PRIMARY_L"));
    length.SetAsString(QStringLiteral("12,5"));
    EXPECT_DOUBLE_EQ(length.AsFloat(), 12.5);
    length.SetAsString(QStringLiteral(" 13.6 "));
    EXPECT_DOUBLE_EQ(length.AsFloat(), 13.6);
    EXPECT_THROW(length.SetAsString(QStringLiteral("13.6m")), EDataSetError);
    EXPECT_DOUBLE_EQ(length.AsFloat(), 13.6);
    EXPECT_THROW(q.FieldByName(QStringLiteral("ID")).SetAsString(QStringLiteral("1.5")), EDataSetError);
    length.SetAsString(QString());
    EXPECT_TRUE(length.IsNull());
    q.Cancel();
    EXPECT_THROW(length.SetAsFloat(1), EDataSetError);  // not in edit

    EXPECT_THROW(q.ParamByName(QStringLiteral("NOPE")), EDataSetError);
    q.SetSelectSQL(QStringLiteral("select * from TRUCK_TYPES where ID = :ID"));
    q.ParamByName(QStringLiteral("ID")).SetAsInteger(1);
    q.SetSelectSQL(QStringLiteral("select * from TRUCK_TYPES where ID = :ID or NAME = :NAME"));
    EXPECT_EQ(q.ParamByName(QStringLiteral("ID")).AsInteger(), 1);  // kept across the new text
    EXPECT_TRUE(q.ParamByName(QStringLiteral("NAME")).IsNull());
}

}  // namespace
