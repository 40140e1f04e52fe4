// The start-up sequence and the shutdown of the data module.

#include "app_fixture.h"

#include "framework/data/startup.h"

#include <QDir>
#include <QFileInfo>

using namespace apptest;

namespace {

const QString kUpdateFailed = QStringLiteral(
    "Неуспешно обновяване на базата данни.\n\rПотърсете помощ от дистрибутора на програмата! ");

QByteArray Contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// ------------------------------------------------------------------ failures

using StartupFailure = ProgramFolderTest;

TEST_F(StartupFailure, ConnectionLeftOpenEndsTheStartSilently)
{
    TBaseDM dm;
    Prepare(dm);
    ConnectStartupDialogs(dm);
    dm.ReadConnectionSettings();
    dm.ApplyConnectionParams();
    dm.IBDatabase.Open();
    EXPECT_FALSE(dm.Startup());
    EXPECT_FALSE(dm.IsConnected());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_FALSE(QFileInfo::exists(database() + QStringLiteral(".copy")));
}

TEST_F(StartupFailure, MissingDatabaseFileEndsTheStartSilently)
{
    ASSERT_TRUE(QFile::remove(database()));
    Tdm dm;
    Prepare(dm);
    EXPECT_FALSE(dm.Startup());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(StartupFailure, DatabaseThatCannotBeOpenedShowsError001WithHostAndFile)
{
    WriteFile(database(), QByteArray(8192, 'x'));
    Tdm dm;
    Prepare(dm);
    EXPECT_FALSE(dm.Startup());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Caption, QStringLiteral("Грешка: 001"));
    EXPECT_EQ(boxes.Last().Text,
              QStringLiteral("[localhost:") + database() +
                  QStringLiteral("]\n\rСървъра на базата данни не е открит! Моля, рестартирайте компютъра.\n\r"
                                 "Ако грешката се повтори, потърсете помощ от дистрибутора на програмата! "));
    EXPECT_FALSE(dm.IsConnected());
}

TEST_F(StartupFailure, FailedUpdateShowsError401AndLeavesNothingOfTheUpdate)
{
    Exec(database(), QStringLiteral("delete from APP_CONFIG where KEY_ID = 101"));
    TBaseDM dm;
    Prepare(dm);
    ConnectStartupDialogs(dm);
    dm.TargetDatabaseVersion = 30079;
    int calls = 0;
    dm.SchemaUpdateRoutine = [&](int stored, int target, QString *error) {
        ++calls;
        EXPECT_EQ(stored, 10000);
        EXPECT_EQ(target, 30079);
        // Half of an update: a row, then the failure.
        dm.ExecSQL(QStringLiteral("insert into COUNTRIES (ID, CODE) values (900, 'ZZ')"));
        *error = QStringLiteral("step 4 failed");
        return false;
    };
    bool granted = false;
    dm.TableRightsRoutine = [&](QString *) { return granted = true; };

    EXPECT_FALSE(dm.Startup());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(granted);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Caption, QStringLiteral("Грешка: 401"));
    EXPECT_EQ(boxes.Last().Text, kUpdateFailed);
    EXPECT_FALSE(dm.IsConnected());
    dm.Shutdown();
    // The version stays as it was, so the steps run again next time; the
    // failed step's work is not kept.
    EXPECT_EQ(StoredVersion(), std::nullopt);
    EXPECT_EQ(Value(database(), QStringLiteral("select count(*) from COUNTRIES where ID = 900")),
              QStringLiteral("0"));
}

TEST_F(StartupFailure, FailedGrantShowsError402)
{
    TBaseDM dm;
    Prepare(dm);
    ConnectStartupDialogs(dm);
    dm.TableRightsRoutine = [](QString *error) {
        *error = QStringLiteral("no permission");
        return false;
    };
    EXPECT_FALSE(dm.Startup());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Caption, QStringLiteral("Грешка: 402"));
    EXPECT_EQ(boxes.Last().Text, kUpdateFailed);
    EXPECT_FALSE(dm.IsConnected());
}

// ----------------------------------------------------- version and updates

struct VersionCase {
    const char *name;
    std::optional<QString> stored;  // nullopt: no key 101
    bool updates;                   // the update steps are due
    const char *copySuffix;         // the version copy that is made
    QString after;                  // key 101 after the start
};

class StartupVersion : public ProgramFolderTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(StartupVersion, StoredVersionDecidesTheUpdateAndRightsAreGrantedAlways)
{
    const VersionCase &c = GetParam();
    Exec(database(), QStringLiteral("delete from APP_CONFIG where KEY_ID = 101"));
    if (c.stored)
        Exec(database(), QStringLiteral("insert into APP_CONFIG (KEY_ID, KEY_VALUE) values (101, '%1')").arg(*c.stored));
    // Traces: the last update step makes this procedure; the grants give
    // SYSDBA its five rights on every table again.
    Exec(database(), QStringLiteral("drop procedure GET_DEAL_INVOICE_INFO"));
    Exec(database(), QStringLiteral("revoke all on COUNTRIES from SYSDBA"));

    {
        Tdm dm;
        Prepare(dm);
        // Whatever the state was, the run starts with nobody.
        dm.CurrentUserId = 5;
        dm.IsAdmin = true;
        dm.StartElevation();
        ASSERT_TRUE(dm.Startup()) << boxes.Count();
        EXPECT_TRUE(dm.IsConnected());
        EXPECT_FALSE(dm.IsElevated());
        EXPECT_EQ(dm.CurrentUserId, 0);
        EXPECT_EQ(dm.CurrentUserName, QStringLiteral("Default"));
        EXPECT_FALSE(dm.IsAdmin);
        EXPECT_FALSE(dm.UserBasedRights);
    }
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(StoredVersion(), c.after);
    EXPECT_EQ(Value(database(), QStringLiteral("select count(*) from RDB$PROCEDURES "
                                               "where RDB$PROCEDURE_NAME = 'GET_DEAL_INVOICE_INFO'")),
              c.updates ? QStringLiteral("1") : QStringLiteral("0"));
    EXPECT_EQ(Value(database(), QStringLiteral("select count(distinct RDB$PRIVILEGE) from RDB$USER_PRIVILEGES "
                                               "where RDB$RELATION_NAME = 'COUNTRIES' and RDB$USER = 'SYSDBA'")),
              QStringLiteral("5"));
    EXPECT_TRUE(QFileInfo::exists(database() + QStringLiteral(".copy")));
    QStringList copies{QStringLiteral("karvonel.fdb.copy")};
    if (c.copySuffix)
        copies << QStringLiteral("karvonel.fdb.") + QLatin1String(c.copySuffix);
    copies.sort();
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("karvonel.fdb.*")}, QDir::Files, QDir::Name), copies);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, StartupVersion,
    ::testing::Values(VersionCase{"NoKey", std::nullopt, true, "10000", QStringLiteral("30079")},
                      VersionCase{"Empty", QString(), true, "10000", QStringLiteral("30079")},
                      VersionCase{"NotANumber", QStringLiteral("3.0.79"), true, "10000", QStringLiteral("30079")},
                      VersionCase{"Older", QStringLiteral("30072"), true, "30072", QStringLiteral("30079")},
                      VersionCase{"Current", QStringLiteral("30079"), false, nullptr, QStringLiteral("30079")},
                      VersionCase{"Newer", QStringLiteral("30080"), false, nullptr, QStringLiteral("30080")}),
    [](const ::testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.name); });

TEST_F(ProgramFolderTest, CopiesReplaceTheStartCopyButNeverAnOlderVersionCopy)
{
    Exec(database(), QStringLiteral("delete from APP_CONFIG where KEY_ID = 101"));
    WriteFile(database() + QStringLiteral(".copy"), "old start copy");
    WriteFile(database() + QStringLiteral(".10000"), "kept");
    const QByteArray before = Contents(database());
    {
        Tdm dm;
        Prepare(dm);
        ASSERT_TRUE(dm.Startup());
    }
    EXPECT_EQ(Contents(database() + QStringLiteral(".copy")), before);
    EXPECT_EQ(Contents(database() + QStringLiteral(".10000")), QByteArray("kept"));
}

TEST_F(ProgramFolderTest, NetworkModeMakesNoCopies)
{
    // firebird.conf lies in the folder: the file is opened by name, and the
    // network keys are not read.
    settings().WriteString(QStringLiteral("db_server\\network"), QStringLiteral("1"));
    settings().WriteString(QStringLiteral("db_server\\database"), QStringLiteral("/nowhere/other.fdb"));
    Exec(database(), QStringLiteral("delete from APP_CONFIG where KEY_ID = 101"));
    {
        Tdm dm;
        Prepare(dm);
        ASSERT_TRUE(dm.Startup());
        EXPECT_FALSE(dm.LocalMode);
        EXPECT_EQ(dm.ConnectionName(), database());
    }
    EXPECT_EQ(StoredVersion(), QStringLiteral("30079"));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("karvonel.fdb.*")}, QDir::Files).isEmpty());
}

// -------------------------------------------------------- clean-exit guard

struct GuardCase {
    const char *name;
    std::optional<QString> autoBackup;
    int startupSeed;
    int shutdownSeed;
    std::optional<int> answer;  // the question is asked and answered so
};

class CleanExitGuard : public ProgramFolderTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(CleanExitGuard, SeedsAndTheQuestion)
{
    const GuardCase &c = GetParam();
    if (c.autoBackup)
        settings().WriteString(QStringLiteral("AutoBackup"), *c.autoBackup);
    settings().WriteInteger(QStringLiteral("StartupSeed"), c.startupSeed);
    settings().WriteInteger(QStringLiteral("ShutdownSeed"), c.shutdownSeed);
    settings().Flush();
    if (c.answer)
        messages.Answer(*c.answer);

    const bool guarded = c.autoBackup == QStringLiteral("1");
    const int expected = startup::NextStartupSeed(c.startupSeed, c.shutdownSeed);
    Tdm dm;
    Prepare(dm);
    ASSERT_TRUE(dm.Startup());

    // The new seed is on disk already, while the program runs.
    EXPECT_EQ(SettingOnDisk(settingsFile(), QStringLiteral("StartupSeed")),
              QString::number(guarded ? expected : c.startupSeed));
    QStringList texts;
    for (const MessageRequest &m : messages.Messages())
        texts << m.Text;
    if (!c.answer) {
        EXPECT_EQ(messages.Count(), 0) << texts.join(u'|').toStdString();
        return;
    }
    ASSERT_GE(messages.Count(), 1);
    const MessageRequest &q = messages.Messages().front();
    EXPECT_EQ(q.Text, startup::UncleanExitQuestion());
    EXPECT_EQ(q.Type, mtConfirmation);
    EXPECT_EQ(q.Buttons, TMsgDlgButtons({mbYes, mbNo}));
    if (*c.answer == mrYes) {
        // Nothing to restore from: the user is told so.
        ASSERT_EQ(messages.Count(), 2);
        EXPECT_EQ(messages.Last().Text, startup::NoSessionBackupText());
        EXPECT_EQ(messages.Last().Type, mtInformation);
    } else {
        EXPECT_EQ(messages.Count(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CleanExitGuard,
    ::testing::Values(GuardCase{"NoKey", std::nullopt, 5, 9, std::nullopt},
                      GuardCase{"Off", QStringLiteral("0"), 5, 9, std::nullopt},
                      GuardCase{"CleanEnd", QStringLiteral("1"), 5, 5, std::nullopt},
                      GuardCase{"KilledAnsweredNo", QStringLiteral("1"), 5, 9, mrNo},
                      GuardCase{"KilledAnsweredYes", QStringLiteral("1"), 5, 9, mrYes}),
    [](const ::testing::TestParamInfo<GuardCase> &info) { return std::string(info.param.name); });

TEST_F(ProgramFolderTest, NewSeedIsOnDiskBeforeTheDatabaseIsTouched)
{
    settings().WriteString(QStringLiteral("AutoBackup"), QStringLiteral("1"));
    settings().Flush();
    ASSERT_TRUE(QFile::remove(database()));
    Tdm dm;
    Prepare(dm);
    EXPECT_FALSE(dm.Startup());
    EXPECT_EQ(SettingOnDisk(settingsFile(), QStringLiteral("StartupSeed")),
              QString::number(startup::NextStartupSeed(0, 0)));
}

TEST(StartupSeed, DrawIsRepeatableInRangeAndNeverTheShutdownSeed)
{
    for (int s1 : {0, 1, 77, 2147483646}) {
        const int v = startup::NextStartupSeed(s1, -1);
        EXPECT_EQ(v, startup::NextStartupSeed(s1, -1));
        EXPECT_GE(v, 0);
        EXPECT_LE(v, startup::MaxSeed);
        // A draw that happens to equal "ShutdownSeed" would hide a crash.
        EXPECT_NE(startup::NextStartupSeed(s1, v), v);
    }
}

// ------------------------------------------------------------------ shutdown

struct ShutdownCase {
    const char *name;
    std::optional<QString> autoBackup;
    bool writesSeed;
};

class Shutdown : public ProgramFolderTest, public ::testing::WithParamInterface<ShutdownCase> {};

TEST_P(Shutdown, WritesTheShutdownSeedUnlessTheGuardIsOff)
{
    const ShutdownCase &c = GetParam();
    if (c.autoBackup)
        settings().WriteString(QStringLiteral("AutoBackup"), *c.autoBackup);
    settings().WriteInteger(QStringLiteral("StartupSeed"), 42);
    {
        Tdm dm;
        Prepare(dm);
        ASSERT_TRUE(dm.Startup());
        const int seed = settings().ReadInteger(QStringLiteral("StartupSeed"), 0);
        dm.Shutdown();
        EXPECT_FALSE(dm.IsConnected());
        EXPECT_EQ(SettingOnDisk(settingsFile(), QStringLiteral("ShutdownSeed")),
                  c.writesSeed ? std::optional<QString>(QString::number(seed)) : std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, Shutdown,
                         ::testing::Values(ShutdownCase{"NoKey", std::nullopt, true},
                                           ShutdownCase{"On", QStringLiteral("1"), true},
                                           ShutdownCase{"Off", QStringLiteral("0"), false}),
                         [](const ::testing::TestParamInfo<ShutdownCase> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace
