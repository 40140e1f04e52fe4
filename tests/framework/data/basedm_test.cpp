// The data services of the base data module.

#include "data_fixture.h"

#include "framework/settings/settings.h"
#include "framework/text/win1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using datatest::DataTest;

// --- Connection settings (no database needed) ---

struct ModeCase {
    const char *title;
    bool firebirdConf;
    QList<QPair<const char *, const char *>> keys;
    const char *name;  // "%f" stands for the program's default database
    const char *user;
    const char *password;
};

TEST(ConnectionSettings, DatabaseNameInEachMode)
{
    const ModeCase cases[] = {
        {"local mode goes through the server on localhost", false, {}, "localhost:%f", "SYSDBA", "qopwilten"},
        {"network mode with every key",
         false,
         {{"db_server\\network", "1"},
          {"db_server\\host", "srv"},
          {"db_server\\user", "IVAN"},
          {"db_server\\pass", "secret"},
          {"db_server\\database", "/data/k.fdb"}},
         "srv:/data/k.fdb",
         "IVAN",
         "secret"},
        {"network mode with the defaults", false, {{"db_server\\network", "1"}}, "localhost:%f", "SYSDBA", "qopwilten"},
        {"network mode with an empty host", false, {{"db_server\\network", "1"}, {"db_server\\host", ""}}, "%f",
         "SYSDBA", "qopwilten"},
        {"embedded engine ignores the network keys",
         true,
         {{"db_server\\network", "1"}, {"db_server\\host", "srv"}, {"db_server\\database", "/data/k.fdb"}},
         "%f",
         "SYSDBA",
         "qopwilten"},
        {"network is only \"1\"", false, {{"db_server\\network", "yes"}, {"db_server\\host", "srv"}}, "localhost:%f",
         "SYSDBA", "qopwilten"},
    };
    for (const ModeCase &c : cases) {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("karvonel"));
        if (c.firebirdConf) {
            QFile conf(dir.filePath(QStringLiteral("firebird.conf")));
            ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        }
        TXMLSettings settings;
        settings.SetFileName(dir.filePath(QStringLiteral("karvonel.xdb")));
        settings.Open();
        for (const auto &[key, value] : c.keys)
            settings.WriteString(QString::fromLatin1(key), QString::fromLatin1(value));

        TBaseDM dm;
        dm.SetProgramPath(program);
        dm.SetSettings(&settings);
        dm.ReadConnectionSettings();
        dm.ApplyConnectionParams();
        const QString expected = QString::fromLatin1(c.name).replace(QStringLiteral("%f"), program + QStringLiteral(".fdb"));
        EXPECT_EQ(dm.ConnectionName(), expected) << c.title;
        EXPECT_EQ(dm.IBDatabase.Params.user, QString::fromLatin1(c.user)) << c.title;
        EXPECT_EQ(dm.IBDatabase.Params.password, QString::fromLatin1(c.password)) << c.title;
        EXPECT_EQ(dm.EmbeddedServer, c.firebirdConf) << c.title;
        EXPECT_EQ(dm.BackupFolder, dir.filePath(QStringLiteral("Backup")));
    }
}

TEST(ConnectionSettings, DefaultDatabaseReplacesTheExtension)
{
    TBaseDM dm;
    dm.SetProgramPath(QStringLiteral("/opt/x.y/app.exe"));
    EXPECT_EQ(dm.DatabaseFile, "/opt/x.y/app.fdb");
    dm.SetProgramPath(QStringLiteral("/opt/x.y/karvonel"));
    EXPECT_EQ(dm.DatabaseFile, "/opt/x.y/karvonel.fdb");
    EXPECT_EQ(dm.DatabasePassword, "qopwilten");
}

TEST(ConnectionSettings, ServerNotFoundGoesToTheErrorBox)
{
    QTemporaryDir dir;
    TBaseDM dm;
    dm.ConnectPauseMs = 0;
    dm.ServerHost = QStringLiteral("localhost");
    dm.DatabaseFile = dir.filePath(QStringLiteral("missing.fdb"));
    dm.EmbeddedServer = true;
    dm.ApplyConnectionParams();
    QStringList boxes;
    dm.ErrorBox = [&](const QString &caption, const QString &text) { boxes << caption << text; };
    EXPECT_FALSE(dm.Connect());
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0], "Грешка: 001");
    EXPECT_EQ(boxes[1], QStringLiteral("[localhost:") + dm.DatabaseFile
                            + QStringLiteral("]\n\rСървъра на базата данни не е открит! Моля, рестартирайте "
                                             "компютъра.\n\rАко грешката се повтори, потърсете помощ от "
                                             "дистрибутора на програмата! "));
    EXPECT_FALSE(dm.IsConnected());
}

TEST(SQLDate, DatesAndTexts)
{
    EXPECT_EQ(TBaseDM::SQLDate(QStringLiteral("5.3.2009")), "'03/05/2009'");
    EXPECT_EQ(TBaseDM::SQLDate(QStringLiteral("05.03.2009")), "'03/05/2009'");
    EXPECT_EQ(TBaseDM::SQLDate(QDate(2009, 12, 31)), "'12/31/2009'");
    EXPECT_EQ(TBaseDM::SQLDate(QDateTime(QDate(2009, 3, 5), QTime(23, 59))), "'03/05/2009'");
    for (const QVariant &bad : {QVariant(QStringLiteral("31.2.2009")), QVariant(QStringLiteral("")),
                                QVariant(QStringLiteral("2009-03-05")), QVariant()}) {
        try {
            TBaseDM::SQLDate(bad);
            ADD_FAILURE() << "accepted " << bad.toString().toStdString();
        } catch (const EDataSetError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid date \"") + bad.toString() + QStringLiteral("\" in SQLDate!"));
        }
    }
}

// --- On a database ---

class BaseDMTest : public DataTest
{
};

TEST_F(BaseDMTest, QueryHelpers)
{
    const QString none = QStringLiteral("select NAME, ID from CITIES where ID = -1");
    EXPECT_FALSE(dm->QueryValue(none).isValid());
    EXPECT_EQ(dm->QueryInteger(none, QStringLiteral("ID")), 0);
    EXPECT_EQ(dm->QueryFloat(none, QStringLiteral("ID")), 0.0);
    EXPECT_FALSE(dm->QueryHasRows(none));

    const QString munich = QStringLiteral("select NAME, POST_CODE from CITIES where ID = :ID");
    const QVariantMap id2{{QStringLiteral("ID"), 2}};
    EXPECT_EQ(dm->QueryValue(munich, QString(), id2).toString(), "Мюнхен");
    EXPECT_EQ(dm->QueryValue(munich, QStringLiteral("post_code"), id2).toString(), "80331");
    EXPECT_EQ(dm->QueryInteger(munich, QStringLiteral("POST_CODE"), id2), 80331);
    EXPECT_TRUE(dm->QueryHasRows(munich, id2));
    EXPECT_THROW(dm->QueryValue(munich, QStringLiteral("NOPE"), id2), EDataSetError);
    EXPECT_THROW(dm->QueryValue(munich), EDataSetError);  // :ID without a value
    EXPECT_THROW(dm->QueryValue(munich, QString(), {{QStringLiteral("ID"), 2}, {QStringLiteral("X"), 1}}),
                 EDataSetError);

    // A typed value with an apostrophe travels bound, as typed.
    EXPECT_EQ(dm->ExecSQL(QStringLiteral("update CITIES set NAME = :NAME where ID = :ID"),
                          {{QStringLiteral("NAME"), QStringLiteral("L'Aquila")}, {QStringLiteral("id"), 2}}),
              1);
    EXPECT_EQ(dm->QueryValue(munich, QString(), id2).toString(), "L'Aquila");
    EXPECT_EQ(dm->ExecSQL(QStringLiteral("update CITIES set POST_CODE = '1' where ID < 0")), 0);
    EXPECT_THROW(dm->ExecSQL(QStringLiteral("update CITIES set NAME = :NAME where ID = 1"),
                             {{QStringLiteral("NAME"), QStringLiteral("Ωmega")}}),
                 ENotWin1251);
    EXPECT_THROW(dm->ExecSQL(QStringLiteral("update CITIES set NAME = 'Ωmega' where ID = 1")), ENotWin1251);
    EXPECT_EQ(dm->QueryValue(QStringLiteral("select NAME from CITIES where ID = 1")).toString(), "София");
}

TEST_F(BaseDMTest, ConfigurationKeysPresentAndMissing)
{
    EXPECT_EQ(dm->GetConfigValue(QStringLiteral("NO_SUCH_KEY"), QStringLiteral("default")), "default");
    dm->ExecSQL(QStringLiteral("insert into APP_CONFIG_KEYS (KEY_ID, NAME) values (999, 'NO_VALUE')"));
    EXPECT_EQ(dm->GetConfigValue(QStringLiteral("NO_VALUE"), QStringLiteral("default")), "");
    EXPECT_EQ(dm->GetConfigValueById(101), "30079");
    EXPECT_EQ(dm->GetConfigValueById(424242), "");

    // A new key gets a number from counter 7, which Connect put above 1001.
    dm->SetConfigValue(QStringLiteral("TEST.CITY"), QStringLiteral("L'Aquila"));
    EXPECT_GE(dm->QueryInteger(QStringLiteral("select KEY_ID from APP_CONFIG_KEYS where NAME = 'TEST.CITY'")), 1002);
    EXPECT_EQ(dm->GetConfigValue(QStringLiteral("TEST.CITY")), "L'Aquila");
    dm->SetConfigValue(QStringLiteral("TEST.CITY"), QStringLiteral("София"));
    EXPECT_EQ(dm->QueryInteger(QStringLiteral("select count(*) from APP_CONFIG_KEYS where NAME = 'TEST.CITY'")), 1);
    dm->ProcessIdle();
    EXPECT_EQ(seen(QStringLiteral("select c.KEY_VALUE from APP_CONFIG c join APP_CONFIG_KEYS k "
                                  "on k.KEY_ID = c.KEY_ID where k.NAME = 'TEST.CITY'"))
                  .toString(),
              "София");

    dm->SetConfigValueById(555, QStringLiteral("x"));  // no row: inserted
    dm->SetConfigValueById(555, QStringLiteral("y"));  // a row: updated
    EXPECT_EQ(dm->GetConfigValueById(555), "y");

    const int keys = dm->QueryInteger(QStringLiteral("select count(*) from APP_CONFIG_KEYS"));
    EXPECT_THROW(dm->SetConfigValue(QStringLiteral("TEST.JAPAN"), QStringLiteral("東京")), ENotWin1251);
    EXPECT_EQ(dm->QueryInteger(QStringLiteral("select count(*) from APP_CONFIG_KEYS")), keys);
}

TEST_F(BaseDMTest, AdjustCountersRaisesAndLowersCounter7)
{
    const auto counter7 = [&] { return dm->QueryInteger(QStringLiteral("select VAL from COUNTERS where ID = 7")); };
    EXPECT_EQ(counter7(), 1002);  // at Connect
    dm->ExecSQL(QStringLiteral("insert into APP_CONFIG_KEYS (KEY_ID, NAME) values (1500, 'HIGH')"));
    dm->AdjustCounters();
    EXPECT_EQ(counter7(), 1501);
    dm->ExecSQL(QStringLiteral("delete from APP_CONFIG_KEYS where KEY_ID = 1500"));
    dm->AdjustCounters();
    EXPECT_EQ(counter7(), 1002);
    dm->ExecSQL(QStringLiteral("delete from COUNTERS where ID = 7"));
    dm->AdjustCounters();
    EXPECT_EQ(counter7(), 1002);
    EXPECT_EQ(dm->GetCounterValue(7), 1002);
    // AdjustCounters commits: another station sees it at once.
    EXPECT_EQ(seen(QStringLiteral("select VAL from COUNTERS where ID = 7")).toInt(), 1003);
}

TEST_F(BaseDMTest, IdleCommitMakesAChangeVisibleToAnotherConnection)
{
    const QString count = QStringLiteral("select count(*) from CITIES");
    dm->ExecSQL(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME) values (3, 1, 'Варна')"));
    EXPECT_TRUE(dm->IBTransaction.IdlePending());
    EXPECT_EQ(seen(count).toInt(), 2);
    // The program returns to its event loop.
    for (int i = 0; i < 100 && dm->IBTransaction.IdlePending(); ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(dm->IBTransaction.IdlePending());
    EXPECT_EQ(seen(count).toInt(), 3);
    EXPECT_TRUE(dm->IBTransaction.Active());  // retained

    // A change notice from another window commits at once; the module's own does not.
    dm->ExecSQL(QStringLiteral("delete from CITIES where ID = 3"));
    dm->NotifyDataChanged(dm.get(), 1, 0);
    EXPECT_EQ(seen(count).toInt(), 3);
    QObject window;
    dm->NotifyDataChanged(&window, 1, 0);
    EXPECT_EQ(seen(count).toInt(), 2);
}

TEST_F(BaseDMTest, DisconnectCommitsClosesAndConnectWorksAgain)
{
    TDataSet q;
    q.SetTransaction(&dm->IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from CITIES"));
    q.Open();
    dm->ExecSQL(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME) values (3, 1, 'Варна')"));
    dm->Disconnect();
    EXPECT_FALSE(dm->IsConnected());
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(dm->IBTransaction.Active());
    EXPECT_EQ(seen(QStringLiteral("select count(*) from CITIES")).toInt(), 3);
    EXPECT_THROW(dm->QueryValue(QStringLiteral("select 1 from RDB$DATABASE")), EDataSetError);
    EXPECT_THROW(q.Open(), EDataSetError);

    ASSERT_TRUE(dm->Connect());
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
}

TEST_F(BaseDMTest, RefreshLocateAndReopenKeepThePosition)
{
    TDataSet q;
    q.SetTransaction(&dm->IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from CITIES where COUNTRY_ID = :COUNTRY or :COUNTRY = 0 order by NAME"));
    q.ParamByName(QStringLiteral("COUNTRY")).SetAsInteger(0);
    int before = 0, after = 0, refreshes = 0;
    q.BeforeScroll = [&](TDataSet &) { ++before; };
    q.AfterScroll = [&](TDataSet &) { ++after; };
    QObject::connect(&q, &TDataSet::refreshed, [&] { ++refreshes; });
    q.Open();
    tdb.exec(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME) values (3, 1, 'Бургас')"));

    ASSERT_TRUE(dm->LocateByKey(q, QStringLiteral("ID"), 1));
    before = after = refreshes = 0;
    dm->RefreshDataSet(q, QStringLiteral("ID"));
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAME")).AsString(), "София");
    EXPECT_EQ(refreshes, 1);  // one refresh for the views

    before = after = 0;
    EXPECT_TRUE(dm->LocateByKey(q, QStringLiteral("COUNTRY_ID;NAME"), {1, QStringLiteral("Бургас")}));
    EXPECT_EQ(q.FieldByName(QStringLiteral("ID")).AsInteger(), 3);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_FALSE(dm->LocateByKey(q, QStringLiteral("ID"), 42));
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.RecNo(), 3);
    EXPECT_TRUE(q.AfterScroll && q.BeforeScroll);  // put back

    dm->SetParamAndReopen(q, QStringLiteral("COUNTRY"), 1, QStringLiteral("ID"));
    EXPECT_EQ(q.RecordCount(), 2);
    q.Close();
    dm->SetParamAndReopen(q, QStringLiteral("COUNTRY"), 2);
    EXPECT_TRUE(q.Active());
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAME")).AsString(), "Мюнхен");
}

TEST_F(BaseDMTest, AppendCopyCopiesTheRowUnderANewKey)
{
    TDataSet q, target;
    for (TDataSet *ds : {&q, &target}) {
        ds->SetTransaction(&dm->IBTransaction);
        ds->SetInsertSQL(QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME, POST_CODE) "
                                        "values (:ID, :COUNTRY_ID, :NAME, :POST_CODE)"));
    }
    q.SetSelectSQL(QStringLiteral("select c.*, 'extra' as EXTRA from CITIES c where ID = 2"));
    target.SetSelectSQL(QStringLiteral("select ID, COUNTRY_ID, NAME, POST_CODE from CITIES where (1=0)"));
    q.Open();
    target.Open();

    dm->AppendCopy(q, target, 20);
    EXPECT_EQ(target.State(), TDataSetState::Insert);
    EXPECT_EQ(target.FieldByName(QStringLiteral("ID")).AsInteger(), 20);
    EXPECT_EQ(target.FieldByName(QStringLiteral("NAME")).AsString(), "Мюнхен");
    EXPECT_EQ(target.FieldByName(QStringLiteral("POST_CODE")).AsString(), "80331");
    target.Post();

    dm->AppendCopy(q, 21);
    EXPECT_EQ(q.State(), TDataSetState::Insert);
    EXPECT_EQ(q.FieldByName(QStringLiteral("EXTRA")).AsString(), "extra");
    EXPECT_EQ(q.FieldByName(QStringLiteral("COUNTRY_ID")).AsInteger(), 2);
    q.Post();
    EXPECT_EQ(dm->QueryInteger(QStringLiteral("select count(*) from CITIES where NAME = 'Мюнхен'")), 3);
}

}  // namespace
