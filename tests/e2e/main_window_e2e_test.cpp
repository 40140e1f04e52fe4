// The main window of the real program after a log-in, end to end: its
// screenshot is kept under the build folder for a look.

#include "e2e/harness.h"

#include "support/db/test_database.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace e2e;
using testsupport::Exec;

namespace {

TEST(MainWindowE2E, AdministratorLogsInAndSeesTheToolbar)
{
    XServer x;
    ASSERT_TRUE(x.isRunning()) << x.startError().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.isValid()) << folder.error().toStdString();
    // User-based rights: the run starts with the log-in. The administrator
    // gets a known (clear-text, as older databases kept it) password.
    Exec(folder.database(), QStringLiteral("update APP_CONFIG set KEY_VALUE = '1' where KEY_ID = "
                                           "(select KEY_ID from APP_CONFIG_KEYS where NAME = 'AUTH_MODE')"));
    Exec(folder.database(), QStringLiteral("update USERS set LOGIN = 'eadmin', PASS = 'epass' where ID = "
                                           "(select min(ID) from USERS where USER_TYPE = 1)"));

    Program p(folder, x);
    ASSERT_TRUE(p.start());
    const unsigned long login = x.waitForWindow(QStringLiteral("Идентификация"));
    ASSERT_NE(login, 0u) << p.standardError().toStdString();
    QStringList keys = Letters(QStringLiteral("eadmin"));
    keys << QStringLiteral("Tab");
    keys << Letters(QStringLiteral("epass"));
    keys << QStringLiteral("Return");
    ASSERT_TRUE(x.sendKeys(login, keys));
    // Enter may first move on to the OK button.
    if (!x.waitForWindowGone(QStringLiteral("Идентификация"), 1500)) {
        ASSERT_TRUE(x.sendKeys(login, {QStringLiteral("Return")}));
    }

    const unsigned long w = x.waitForWindow(QStringLiteral("ИС Карвонел 4"));
    ASSERT_NE(w, 0u) << p.standardError().toStdString();
    QThread::msleep(800); // let the icons paint
    EXPECT_TRUE(x.screenshot(ArtefactDir() + QStringLiteral("/main_window_after_login.png")));

    ASSERT_TRUE(x.closeWindow(w)); // the close box, as a window manager sends it
    const unsigned long q = x.waitForWindow(QStringLiteral("Потвърждение"));
    ASSERT_NE(q, 0u);
    ASSERT_TRUE(x.sendKeys(q, {QStringLiteral("Return")}));
    EXPECT_EQ(p.waitForExit(), std::optional<int>(0)) << p.standardError().toStdString();
}

} // namespace
