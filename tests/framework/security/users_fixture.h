#pragma once
// A fresh database with the initial data (the maintenance row -1 without a
// password, the administrator 1 "admin" / "hwolbin" in clear text), a data
// module connected to it with its own settings store, and scripted answers
// for the prompts of the log-in and the password dialogs.

#include "framework/data/basedm.h"
#include "framework/settings/settings.h"
#include "support/db/test_database.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <utility>

namespace securitytest {

// One answer of a prompt: OK with what was typed, or Cancel (nullopt).
struct LoginAnswer {
    QString Login;
    QString Password;
};

class UsersTest : public ::testing::Test
{
protected:
    UsersTest() : tdb(testsupport::TestDatabase::Version::Current, testsupport::TestDatabase::Content::InitialData)
    {
        settings.SetFileName(dir.filePath(QStringLiteral("test.xdb")));
        settings.Open();
        dm = std::make_unique<TBaseDM>();
        dm->ConnectPauseMs = 0;
        dm->IBDatabase.Params = tdb.params();
        dm->SetSettings(&settings);
        if (!dm->Connect())
            throw std::runtime_error("cannot connect to the test database");
        dm->UserBasedRights = true;
        dm->UserPrompts.Login = [this](QString &login, QString &password) {
            ++loginPrompts;
            shownLogins.push_back(login);
            if (loginAnswers.empty())
                return false;
            std::optional<LoginAnswer> a = loginAnswers.front();
            loginAnswers.pop_front();
            if (!a)
                return false;
            login = a->Login;
            password = a->Password;
            return true;
        };
        dm->UserPrompts.EnterPassword = [this](QString &password) {
            ++passwordPrompts;
            if (passwordAnswers.empty())
                return false;
            std::optional<QString> a = passwordAnswers.front();
            passwordAnswers.pop_front();
            if (!a)
                return false;
            password = *a;
            return true;
        };
        dm->UserPrompts.ChangePassword = [this](bool oldEnabled, users::TChangePassInput &input) {
            ++changePrompts;
            lastOldPassEnabled = oldEnabled;
            if (!changeAnswer)
                return false;
            input = *changeAnswer;
            return true;
        };
        dm->UserPrompts.SystemMessage = [this](const QString &text) { systemMessages << text; };
    }
    ~UsersTest() override { dm.reset(); }

    void addUser(int id, const QString &login, const QString &pass, int type, const QString &name = QStringLiteral("Иван"))
    {
        tdb.exec(QStringLiteral("insert into USERS (ID, LOGIN, NAME, PASS, USER_TYPE) values (%1, '%2', '%3', '%4', %5)")
                     .arg(id)
                     .arg(login, name, pass)
                     .arg(type));
    }
    void grant(int user, int item)
    {
        tdb.exec(QStringLiteral("insert into USER_RIGHTS values (%1, %2, 1)").arg(user).arg(item));
    }
    // PASS as the data module's transaction sees it.
    QString storedPass(int id)
    {
        return dm->QueryValue(QStringLiteral("select PASS from USERS where ID = :ID"), QString(),
                              {{QStringLiteral("ID"), id}})
            .toString();
    }

    QTemporaryDir dir;
    testsupport::TestDatabase tdb;
    TXMLSettings settings;
    std::unique_ptr<TBaseDM> dm;

    std::deque<std::optional<LoginAnswer>> loginAnswers;
    std::deque<std::optional<QString>> passwordAnswers;
    std::optional<users::TChangePassInput> changeAnswer;
    int loginPrompts = 0;
    int passwordPrompts = 0;
    int changePrompts = 0;
    bool lastOldPassEnabled = false;
    QStringList shownLogins;
    QStringList systemMessages;
};

}  // namespace securitytest
