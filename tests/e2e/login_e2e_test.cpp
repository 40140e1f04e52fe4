// The log-in of the real program, end to end: user-based rights with and
// without the right to enter, three failed attempts, and zone mode with an
// empty and with a set maintenance password. The exit status is 0 after the
// main window was closed and 1 after a failed or cancelled log-in.

#include "e2e/harness.h"
#include "support/db/test_database.h"
#include "support/settings_file.h"


#include <QThread>

#include <gtest/gtest.h>

#include <optional>

using namespace e2e;
using testsupport::Exec;
using testsupport::Value;
using testsupport::SettingOnDisk;

namespace {

const QString kLoginTitle = QStringLiteral("Идентификация");
const QString kPasswordTitle = QStringLiteral("Въвъдете парола");
const QString kMainTitle = QStringLiteral("ИС Карвонел 4");
const QString kConfirmTitle = QStringLiteral("Потвърждение");

class LoginE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.isRunning()) << x.startError().toStdString();
        ASSERT_TRUE(folder.isValid()) << folder.error().toStdString();
    }

    void setMode(bool userBased)
    {
        Exec(folder.database(), QStringLiteral("update APP_CONFIG set KEY_VALUE = '%1' where KEY_ID = "
                                               "(select KEY_ID from APP_CONFIG_KEYS where NAME = 'AUTH_MODE')")
                                    .arg(userBased ? 1 : 0));
    }

    // The visible windows with exactly that title (no regex characters in
    // the titles used here).
    QList<unsigned long> windows(const QString &title) const
    {
        const ToolResult r = RunTool(QStringLiteral("xdotool"),
                                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                      u'^' + title + u'$'},
                                     x.clientEnvironment(), 5000);
        QList<unsigned long> ids;
        for (const QByteArray &line : r.out.trimmed().split('\n')) {
            bool ok = false;
            const unsigned long id = line.trimmed().toULong(&ok);
            if (ok && id != 0)
                ids << id;
        }
        return ids;
    }
    // Whether the window of that title and id is gone within the time-out
    // (another of the same title may have taken its place).
    bool gone(const QString &title, unsigned long w, int timeoutMs) const
    {
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            if (!windows(title).contains(w))
                return true;
            QThread::msleep(100);
        }
        return !windows(title).contains(w);
    }

    // Types into the dialog with the title: the text of each field, Tab
    // between them, then Enter until the dialog is gone (Enter moves on to
    // the OK button first). Answers whether the dialog went away.
    bool answer(const QString &title, const QStringList &fields)
    {
        const unsigned long w = x.waitForWindow(title);
        if (!w)
            return false;
        QStringList keys;
        for (int i = 0; i < fields.size(); ++i) {
            if (i > 0)
                keys << QStringLiteral("Tab");
            keys << Letters(fields[i]);
        }
        keys << QStringLiteral("Return");
        if (!x.sendKeys(w, keys))
            return false;
        for (int i = 0; i < 2 && !gone(title, w, 1500); ++i)
            x.sendKeys(w, {QStringLiteral("Return")});
        return gone(title, w, 5000);
    }
    bool cancel(const QString &title)
    {
        const unsigned long w = x.waitForWindow(title);
        return w && x.sendKeys(w, {QStringLiteral("Escape")}) && gone(title, w, 5000);
    }

    // Closes the main window as the user does and answers the exit status.
    std::optional<int> closeMainWindow(Program &p)
    {
        const unsigned long w = x.waitForWindow(kMainTitle);
        if (!w) {
            ADD_FAILURE() << "no main window; stderr:\n" << p.standardError().toStdString();
            return std::nullopt;
        }
        EXPECT_TRUE(x.closeWindow(w));
        const unsigned long q = x.waitForWindow(kConfirmTitle);
        EXPECT_NE(q, 0u);
        if (!q)
            return std::nullopt;
        EXPECT_TRUE(x.sendKeys(q, {QStringLiteral("Return")}));
        return p.waitForExit();
    }

    XServer x;
    ProgramFolder folder;
};

TEST_F(LoginE2E, DeliveredAdministratorLogsInWithItsHashedPassword)
{
    setMode(true);
    Program p(folder, x);
    ASSERT_TRUE(p.start());
    ASSERT_NE(x.waitForWindow(kLoginTitle), 0u) << p.standardError().toStdString();
    QThread::msleep(300);
    EXPECT_TRUE(x.screenshot(ArtefactDir() + QStringLiteral("/login_dialog.png")));
    ASSERT_TRUE(answer(kLoginTitle, {QStringLiteral("admin"), QStringLiteral("hwolbin")}));
    EXPECT_EQ(closeMainWindow(p), std::optional<int>(0)) << p.standardError().toStdString();
    EXPECT_EQ(SettingOnDisk(folder.settingsFile(), QStringLiteral("lastLogin")), QStringLiteral("admin"));
}

TEST_F(LoginE2E, UserNeedsTheRightToEnter)
{
    setMode(true);
    {
        Exec(folder.database(), QStringLiteral("insert into USERS (ID, LOGIN, NAME, PASS, USER_TYPE) "
                                               "values (50, 'ivan', 'Иван', 'ivanpw', 2)"));
    }
    // Without item 1 the run ends right after the log-in.
    {
        Program p(folder, x);
        ASSERT_TRUE(p.start());
        ASSERT_TRUE(answer(kLoginTitle, {QStringLiteral("ivan"), QStringLiteral("ivanpw")}))
            << p.standardError().toStdString();
        EXPECT_EQ(p.waitForExit(), std::optional<int>(1)) << p.standardError().toStdString();
        EXPECT_FALSE(x.hasWindow(kLoginTitle));
    }
    // The clear-text password was accepted and is now kept hashed.
    {
        const QString stored =
            Value(folder.database(), QStringLiteral("select PASS from USERS where ID = 50")).value_or(QString());
        EXPECT_TRUE(stored.startsWith(u'$') && stored.size() == 20) << stored.toStdString();
        Exec(folder.database(), QStringLiteral("insert into USER_RIGHTS values (50, 1, 1)"));
    }
    // With item 1 the main window opens; the login typed last is offered.
    Program p(folder, x);
    ASSERT_TRUE(p.start());
    ASSERT_TRUE(answer(kLoginTitle, {QStringLiteral("ivanpw")})) << p.standardError().toStdString();
    EXPECT_EQ(closeMainWindow(p), std::optional<int>(0)) << p.standardError().toStdString();
}

TEST_F(LoginE2E, ThreeFailedAttemptsEndWithStatus1)
{
    setMode(true);
    Program p(folder, x);
    ASSERT_TRUE(p.start());
    ASSERT_TRUE(answer(kLoginTitle, {QStringLiteral("admin"), QStringLiteral("wrong")}))
        << p.standardError().toStdString();
    ASSERT_TRUE(cancel(kLoginTitle)) << "Cancel counts as an attempt";
    // The third dialog starts with the login typed before: only the password.
    ASSERT_TRUE(answer(kLoginTitle, {QStringLiteral("Hwolbin")}));
    EXPECT_EQ(p.waitForExit(), std::optional<int>(1)) << p.standardError().toStdString();
    EXPECT_FALSE(x.hasWindow(kMainTitle));
}

TEST_F(LoginE2E, ZoneModeWithAnEmptyMaintenancePasswordStartsWithoutADialog)
{
    setMode(false);
    {
        Exec(folder.database(), QStringLiteral("insert into USER_RIGHTS values (0, 1, 1)"));
    }
    Program p(folder, x);
    ASSERT_TRUE(p.start());
    ASSERT_NE(x.waitForWindow(kMainTitle), 0u) << p.standardError().toStdString();
    EXPECT_FALSE(x.hasWindow(kLoginTitle));
    EXPECT_FALSE(x.hasWindow(kPasswordTitle));
    EXPECT_EQ(closeMainWindow(p), std::optional<int>(0)) << p.standardError().toStdString();
}

TEST_F(LoginE2E, ZoneModeWithAMaintenancePasswordAsksForIt)
{
    setMode(false);
    {
        Exec(folder.database(), QStringLiteral("insert into USER_RIGHTS values (0, 1, 1)"));
        Exec(folder.database(), QStringLiteral("update USERS set PASS = 'mpass' where ID = -1"));
    }
    // Three wrong passwords end the run.
    {
        Program p(folder, x);
        ASSERT_TRUE(p.start());
        ASSERT_NE(x.waitForWindow(kPasswordTitle), 0u) << p.standardError().toStdString();
        QThread::msleep(300);
        EXPECT_TRUE(x.screenshot(ArtefactDir() + QStringLiteral("/password_prompt.png")));
        ASSERT_TRUE(answer(kPasswordTitle, {QStringLiteral("one")}));
        ASSERT_TRUE(cancel(kPasswordTitle));
        ASSERT_TRUE(answer(kPasswordTitle, {QStringLiteral("three")}));
        EXPECT_EQ(p.waitForExit(), std::optional<int>(1)) << p.standardError().toStdString();
    }
    // The maintenance password opens the program.
    Program p(folder, x);
    ASSERT_TRUE(p.start());
    ASSERT_TRUE(answer(kPasswordTitle, {QStringLiteral("mpass")})) << p.standardError().toStdString();
    EXPECT_EQ(closeMainWindow(p), std::optional<int>(0)) << p.standardError().toStdString();
}

}  // namespace
