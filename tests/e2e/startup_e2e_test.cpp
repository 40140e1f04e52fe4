// Start-up and shutdown of the real program, end to end.

#include "e2e/harness.h"
#include "support/db/test_database.h"
#include "support/settings_file.h"

#include "framework/settings/settings.h"

#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

using namespace e2e;
using testsupport::Exec;
using testsupport::Value;
using testsupport::SettingOnDisk;

namespace {

const QString kMainTitle = QStringLiteral("ИС Карвонел 4");
const QString kConfirmTitle = QStringLiteral("Потвърждение");
const QString kMessageTitle = QStringLiteral("Съобщение");

void WriteSettings(const QString &file, const QList<std::pair<QString, QString>> &values)
{
    TXMLSettings s;
    s.SetFileName(file);
    s.Open();
    for (const auto &[key, value] : values)
        s.WriteString(key, value);
    s.Flush();
}

class StartupE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.isRunning()) << x.startError().toStdString();
        ASSERT_TRUE(folder.isValid()) << folder.error().toStdString();
        // Zone mode: these runs start without the log-in dialog.
        Exec(folder.database(), QStringLiteral("update APP_CONFIG set KEY_VALUE = '0' where KEY_ID = "
                                               "(select KEY_ID from APP_CONFIG_KEYS where NAME = 'AUTH_MODE')"));
    }

    // Starts the program and waits for its main window.
    unsigned long startToMainWindow(Program &p)
    {
        if (!p.start())
            return 0;
        const unsigned long w = x.waitForWindow(kMainTitle);
        if (!w)
            ADD_FAILURE() << "no main window; stderr:\n" << p.standardError().toStdString();
        return w;
    }

    // Closes the main window as the user does (the close box, then Yes on
    // the question) and answers the exit status.
    std::optional<int> closeNormally(Program &p, unsigned long mainWindow)
    {
        EXPECT_TRUE(x.closeWindow(mainWindow));
        const unsigned long q = x.waitForWindow(kConfirmTitle);
        EXPECT_NE(q, 0u) << "no close question";
        if (!q)
            return std::nullopt;
        EXPECT_TRUE(x.sendKeys(q, {QStringLiteral("Return")}));  // Yes is the default
        return p.waitForExit();
    }

    XServer x;
    ProgramFolder folder;
};

TEST_F(StartupE2E, FirstRunWithoutSettingsFileRunsLocallyAndWritesShutdownSeed)
{
    ASSERT_FALSE(QFileInfo::exists(folder.settingsFile()));
    Program p(folder, x);
    const unsigned long w = startToMainWindow(p);
    ASSERT_NE(w, 0u);
    EXPECT_TRUE(x.screenshot(ArtefactDir() + QStringLiteral("/main_window.png")));
    // Local mode keeps a plain copy of the database from this start.
    EXPECT_TRUE(folder.exists(QStringLiteral("karvonel.fdb.copy")));
    // The guard is off: nothing was written at start.
    EXPECT_FALSE(QFileInfo::exists(folder.settingsFile()));

    // Cancel keeps the window; Yes ends the run.
    ASSERT_TRUE(x.closeWindow(w));
    unsigned long q = x.waitForWindow(kConfirmTitle);
    ASSERT_NE(q, 0u);
    ASSERT_TRUE(x.sendKeys(q, {QStringLiteral("Escape")}));  // Cancel
    ASSERT_TRUE(x.waitForWindowGone(kConfirmTitle));
    QThread::msleep(300);
    EXPECT_TRUE(p.isRunning());
    EXPECT_TRUE(x.hasWindow(kMainTitle));

    EXPECT_EQ(closeNormally(p, w), std::optional<int>(0)) << p.standardError().toStdString();
    EXPECT_EQ(SettingOnDisk(folder.settingsFile(), QStringLiteral("ShutdownSeed")), QStringLiteral("0"));
    EXPECT_EQ(SettingOnDisk(folder.settingsFile(), QStringLiteral("StartupSeed")), std::nullopt);
}

TEST_F(StartupE2E, KilledRunIsNoticedOnceAndTheNewSeedIsFlushedAtStart)
{
    WriteSettings(folder.settingsFile(), {{QStringLiteral("AutoBackup"), QStringLiteral("1")},
                                          {QStringLiteral("StartupSeed"), QStringLiteral("77")},
                                          {QStringLiteral("ShutdownSeed"), QStringLiteral("77")}});
    // A clean previous run: no question; a new seed is on disk while running.
    {
        Program p(folder, x);
        ASSERT_NE(startToMainWindow(p), 0u);
        EXPECT_FALSE(x.hasWindow(kConfirmTitle));
        const auto seed = SettingOnDisk(folder.settingsFile(), QStringLiteral("StartupSeed"));
        ASSERT_TRUE(seed.has_value());
        EXPECT_NE(*seed, QStringLiteral("77"));
        p.kill();
    }
    // Each answer: the question comes once, then the run goes on.
    for (const bool restore : {false, true}) {
        SCOPED_TRACE(restore ? "answered Yes" : "answered No");
        const auto before = SettingOnDisk(folder.settingsFile(), QStringLiteral("StartupSeed"));
        ASSERT_NE(before, SettingOnDisk(folder.settingsFile(), QStringLiteral("ShutdownSeed")));

        Program p(folder, x);
        ASSERT_TRUE(p.start());
        const unsigned long q = x.waitForWindow(kConfirmTitle);
        ASSERT_NE(q, 0u) << p.standardError().toStdString();
        ASSERT_TRUE(x.sendKeys(q, {restore ? QStringLiteral("Return") : QStringLiteral("Escape")}));
        if (restore) {
            // There is no automatic archive to restore from: the user is told.
            const unsigned long m = x.waitForWindow(kMessageTitle);
            ASSERT_NE(m, 0u);
            ASSERT_TRUE(x.sendKeys(m, {QStringLiteral("Return")}));
        }
        const unsigned long w = x.waitForWindow(kMainTitle);
        ASSERT_NE(w, 0u) << p.standardError().toStdString();
        EXPECT_FALSE(x.hasWindow(kConfirmTitle));
        const auto during = SettingOnDisk(folder.settingsFile(), QStringLiteral("StartupSeed"));
        EXPECT_NE(during, before);
        EXPECT_NE(during, SettingOnDisk(folder.settingsFile(), QStringLiteral("ShutdownSeed")));
        if (!restore) {
            p.kill();
            continue;
        }
        ASSERT_EQ(closeNormally(p, w), std::optional<int>(0));
        EXPECT_EQ(SettingOnDisk(folder.settingsFile(), QStringLiteral("ShutdownSeed")), during);
    }
}

TEST_F(StartupE2E, DatabaseWithoutVersionKeyIsBroughtToTheCurrentVersion)
{
    {
        Exec(folder.database(), QStringLiteral("delete from APP_CONFIG where KEY_ID = 101"));
        // A trace that the update steps ran: the last step makes this procedure.
        Exec(folder.database(), QStringLiteral("drop procedure GET_DEAL_INVOICE_INFO"));
    }
    Program p(folder, x);
    const unsigned long w = startToMainWindow(p);
    ASSERT_NE(w, 0u);
    ASSERT_EQ(closeNormally(p, w), std::optional<int>(0)) << p.standardError().toStdString();

    // The file as it was before the update is kept under its old version.
    EXPECT_TRUE(folder.exists(QStringLiteral("karvonel.fdb.10000")));
    EXPECT_EQ(Value(folder.database(), QStringLiteral("select KEY_VALUE from APP_CONFIG where KEY_ID = 101")),
              QStringLiteral("30079"));
    EXPECT_EQ(Value(folder.database(), QStringLiteral("select count(*) from RDB$PROCEDURES "
                                     "where RDB$PROCEDURE_NAME = 'GET_DEAL_INVOICE_INFO'")),
              QStringLiteral("1"));
}

TEST_F(StartupE2E, CurrentDatabaseRunsNoUpdateStepButEveryGrant)
{
    {
        Exec(folder.database(), QStringLiteral("drop procedure GET_DEAL_INVOICE_INFO"));
        Exec(folder.database(), QStringLiteral("revoke all on COUNTRIES from SYSDBA"));
    }
    Program p(folder, x);
    const unsigned long w = startToMainWindow(p);
    ASSERT_NE(w, 0u);
    ASSERT_EQ(closeNormally(p, w), std::optional<int>(0)) << p.standardError().toStdString();

    EXPECT_FALSE(folder.exists(QStringLiteral("karvonel.fdb.30079")));
    EXPECT_EQ(Value(folder.database(), QStringLiteral("select KEY_VALUE from APP_CONFIG where KEY_ID = 101")),
              QStringLiteral("30079"));
    EXPECT_EQ(Value(folder.database(), QStringLiteral("select count(*) from RDB$PROCEDURES "
                                     "where RDB$PROCEDURE_NAME = 'GET_DEAL_INVOICE_INFO'")),
              QStringLiteral("0"));
    EXPECT_EQ(Value(folder.database(), QStringLiteral("select count(distinct RDB$PRIVILEGE) from RDB$USER_PRIVILEGES "
                                     "where RDB$RELATION_NAME = 'COUNTRIES' and RDB$USER = 'SYSDBA'")),
              QStringLiteral("5"));
}

TEST_F(StartupE2E, UnreachableServerShowsError001AndEndsWithStatus1)
{
    ASSERT_TRUE(folder.remove(QStringLiteral("firebird.conf")));
    WriteSettings(folder.settingsFile(),
                  {{QStringLiteral("db_server\\network"), QStringLiteral("1")},
                   {QStringLiteral("db_server\\host"), QStringLiteral("127.0.0.1/1")},
                   {QStringLiteral("db_server\\database"), QStringLiteral("/nowhere/data.fdb")}});
    Program p(folder, x);
    ASSERT_TRUE(p.start());
    const unsigned long box = x.waitForWindow(QStringLiteral("Грешка: 001"));
    ASSERT_NE(box, 0u) << p.standardError().toStdString();
    x.screenshot(ArtefactDir() + QStringLiteral("/error_001.png"));
    EXPECT_FALSE(x.hasWindow(kMainTitle));
    ASSERT_TRUE(x.sendKeys(box, {QStringLiteral("Return")}));
    EXPECT_EQ(p.waitForExit(), std::optional<int>(1));
    EXPECT_FALSE(x.hasWindow(kMainTitle));
    // The box names host and file; beside it the server's own reason.
    const QString err = p.standardError();
    EXPECT_TRUE(err.contains(QStringLiteral("[127.0.0.1/1:/nowhere/data.fdb]"))) << err.toStdString();
    // Network mode makes no copies.
    EXPECT_FALSE(folder.exists(QStringLiteral("karvonel.fdb.copy")));
}

TEST_F(StartupE2E, FirebirdConfInTheProgramFolderIgnoresTheNetworkKeys)
{
    WriteSettings(folder.settingsFile(),
                  {{QStringLiteral("db_server\\network"), QStringLiteral("1")},
                   {QStringLiteral("db_server\\host"), QStringLiteral("127.0.0.1/1")},
                   {QStringLiteral("db_server\\database"), QStringLiteral("/nowhere/data.fdb")}});
    Program p(folder, x);
    const unsigned long w = startToMainWindow(p);
    ASSERT_NE(w, 0u);
    EXPECT_EQ(closeNormally(p, w), std::optional<int>(0)) << p.standardError().toStdString();
    // The network switch still says "not local": no start-up copy.
    EXPECT_FALSE(folder.exists(QStringLiteral("karvonel.fdb.copy")));
    EXPECT_EQ(SettingOnDisk(folder.settingsFile(), QStringLiteral("db_server\\host")),
              QStringLiteral("127.0.0.1/1"));
}

}  // namespace
