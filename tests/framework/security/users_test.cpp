// Log-in, elevation and passwords of the data module.

#include "users_fixture.h"

#include "db/statement.h"
#include "framework/data/rights.h"
#include "framework/data/users_password.h"
#include "framework/text/clock.h"

#include <QCoreApplication>

namespace {

using securitytest::LoginAnswer;
using securitytest::UsersTest;
using namespace users;

// --- The stored form of a password (no database) ---

TEST(PasswordForm, HashFitsTheColumnAndMatchesOnlyItsPassword)
{
    const QString hash = EncodePassword(QStringLiteral("Таен'Pass1"));
    EXPECT_EQ(hash.size(), PasswordLength);
    EXPECT_TRUE(hash.startsWith(QLatin1Char('$')));
    EXPECT_TRUE(IsPasswordHash(hash));
    EXPECT_NE(EncodePassword(QStringLiteral("Таен'Pass1")), hash) << "every encoding draws a new salt";

    struct Case {
        const char *typed;
        const char *stored;  // "#" stands for the hash above
        bool matches;
    };
    const Case cases[] = {
        {"Таен'Pass1", "#", true},
        {"таен'pass1", "#", false},   // case-sensitive
        {"Таен'Pass", "#", false},
        {"", "#", false},
        {"", "", true},               // no password
        {"x", "", false},
        {"hwolbin", "hwolbin", true}, // clear text of an older database
        {"Hwolbin", "hwolbin", false},
        {"", "hwolbin", false},
    };
    for (const Case &c : cases) {
        const QString stored = QString::fromUtf8(c.stored) == QLatin1String("#") ? hash : QString::fromUtf8(c.stored);
        EXPECT_EQ(PasswordMatches(QString::fromUtf8(c.typed), stored), c.matches) << c.typed << " / " << c.stored;
    }
    EXPECT_EQ(EncodePassword(QString()), QString());
    EXPECT_FALSE(NeedsRehash(hash));
    EXPECT_FALSE(NeedsRehash(QString()));
    EXPECT_TRUE(NeedsRehash(QStringLiteral("hwolbin")));
    // A clear-text value of the length of a hash but not of its form.
    EXPECT_FALSE(IsPasswordHash(QStringLiteral("$abc'defghijklmnopqr")));
}

TEST(PasswordForm, DerivationMatchesPublishedVectors)
{
    const auto hex = [](const QByteArray &b) { return b.toHex().toStdString(); };
    EXPECT_EQ(hex(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex(Sha256(QByteArray(1000, 'a'))), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
    // A key longer than the block is hashed first.
    EXPECT_EQ(hex(HmacSha256(QByteArray(100, 'k'), "msg")),
              "bd56a1782c2830e8abc6ed866a57a1230661e650b84c62f7ee3accc5fa5af491");
    // RFC 7914, section 11 (two blocks of output).
    EXPECT_EQ(hex(Pbkdf2Sha256("passwd", "salt", 1, 64)),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
              "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    EXPECT_EQ(hex(Pbkdf2Sha256("Password", "NaCl", 80000, 64)),
              "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
              "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");
    // The stored form: the salt, then the digest of the UTF-8 password.
    EXPECT_EQ(EncodePasswordWithSalt(QStringLiteral("Таен"), QStringLiteral("AbCdEfGh")),
              QStringLiteral("$AbCdEfGh1LQpnlY1UN8"));
}

TEST(PasswordForm, ChangePassOkButton)
{
    EXPECT_TRUE(ChangePassOkEnabled(false, QString(), QStringLiteral("a"), QStringLiteral("a")));
    EXPECT_TRUE(ChangePassOkEnabled(true, QStringLiteral("o"), QStringLiteral("a"), QStringLiteral("a")));
    EXPECT_FALSE(ChangePassOkEnabled(true, QString(), QStringLiteral("a"), QStringLiteral("a")));
    EXPECT_FALSE(ChangePassOkEnabled(false, QString(), QStringLiteral("a"), QStringLiteral("A")));
}

// --- CheckLogin ---

TEST_F(UsersTest, ApostrophesAreRemovedFromTypedLoginAndPassword)
{
    addUser(5, QStringLiteral("OBrien"), EncodePassword(QStringLiteral("itsme")), UserTypeUser,
            QStringLiteral("Патрик"));
    EXPECT_TRUE(dm->CheckLogin(QStringLiteral("O'Brien"), QStringLiteral("it's'me")));
    EXPECT_EQ(dm->CurrentUserId, 5);
    EXPECT_EQ(dm->CurrentUserName, QStringLiteral("Патрик"));
    EXPECT_FALSE(dm->IsAdmin);

    EXPECT_FALSE(dm->CheckLogin(QStringLiteral("OBrien"), QStringLiteral("ItsMe")));
    EXPECT_FALSE(dm->CheckLogin(QStringLiteral("obrien"), QStringLiteral("itsme")));
    // The maintenance row never logs in, not even with its empty login and password.
    EXPECT_FALSE(dm->CheckLogin(QString(), QString()));
    // A login Windows-1251 cannot hold matches nobody (and is not an error).
    EXPECT_FALSE(dm->CheckLogin(QStringLiteral("O\u0151Brien"), QStringLiteral("itsme")));

    EXPECT_TRUE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("hwolbin")));
    EXPECT_EQ(dm->CurrentUserId, 1);
    EXPECT_TRUE(dm->IsAdmin);
}

TEST_F(UsersTest, ClearTextPasswordLogsInOnceAndIsThenStoredHashed)
{
    ASSERT_EQ(storedPass(1), QStringLiteral("hwolbin"));
    EXPECT_FALSE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("wrong")));
    EXPECT_EQ(storedPass(1), QStringLiteral("hwolbin")) << "a failed log-in changes nothing";

    ASSERT_TRUE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("hwolbin")));
    // Committed at once: another station sees the hash.
    const QString stored = tdb.value(QStringLiteral("select PASS from USERS where ID = 1")).toString();
    EXPECT_TRUE(IsPasswordHash(stored)) << stored.toStdString();
    EXPECT_TRUE(PasswordMatches(QStringLiteral("hwolbin"), stored));

    EXPECT_TRUE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("hwolbin")));
    EXPECT_EQ(storedPass(1), stored) << "a hashed password is not written again";
    EXPECT_FALSE(dm->CheckLogin(QStringLiteral("admin"), stored)) << "the stored form is not a password";
}

TEST_F(UsersTest, GetUserInfoGivesTheFieldsAsTexts)
{
    const TUserInfo admin = dm->GetUserInfo(1);
    EXPECT_TRUE(admin.Found);
    EXPECT_EQ(admin.Name, QStringLiteral("Администратор"));
    EXPECT_EQ(admin.Login, QStringLiteral("admin"));
    EXPECT_EQ(admin.UserType, QStringLiteral("1"));
    const TUserInfo none = dm->GetUserInfo(77);
    EXPECT_FALSE(none.Found);
    EXPECT_TRUE(none.Name.isEmpty() && none.UserType.isEmpty() && none.Pass.isEmpty());
}

// --- Login ---

TEST_F(UsersTest, UserWithoutItemOneEndsAfterTheLogIn)
{
    addUser(5, QStringLiteral("ivan"), EncodePassword(QStringLiteral("pw")), UserTypeUser);
    loginAnswers.push_back(LoginAnswer{QStringLiteral("ivan"), QStringLiteral("pw")});
    EXPECT_FALSE(dm->Login());
    EXPECT_EQ(loginPrompts, 1) << "the log-in itself succeeded: no second dialog";
    EXPECT_EQ(dm->CurrentUserId, 5);

    grant(5, rights::EnterProgramItem);
    loginAnswers.push_back(LoginAnswer{QStringLiteral("ivan"), QStringLiteral("pw")});
    EXPECT_TRUE(dm->Login());
}

TEST_F(UsersTest, ThreeFailedAttemptsEndTheLogInAndTheLastLoginIsRemembered)
{
    settings.WriteString(QStringLiteral("lastLogin"), QStringLiteral("petar"));
    loginAnswers.push_back(LoginAnswer{QStringLiteral("admin"), QStringLiteral("bad")});
    loginAnswers.push_back(std::nullopt);  // Cancel counts as an attempt
    loginAnswers.push_back(LoginAnswer{QStringLiteral("nobody"), QStringLiteral("hwolbin")});
    loginAnswers.push_back(LoginAnswer{QStringLiteral("admin"), QStringLiteral("hwolbin")});
    EXPECT_FALSE(dm->Login());
    EXPECT_EQ(loginPrompts, 3);
    EXPECT_EQ(dm->CurrentUserId, 0);
    // Each dialog starts with the login typed last, also after a failure.
    EXPECT_EQ(shownLogins, (QStringList{QStringLiteral("petar"), QStringLiteral("admin"), QStringLiteral("admin")}));
    EXPECT_EQ(settings.ReadString(QStringLiteral("lastLogin"), QString()), QStringLiteral("nobody"));

    loginAnswers.clear();
    loginAnswers.push_back(LoginAnswer{QStringLiteral("nobody"), QStringLiteral("x")});
    loginAnswers.push_back(LoginAnswer{QStringLiteral("admin"), QStringLiteral("hwolbin")});
    EXPECT_TRUE(dm->Login()) << "an administrator needs no item 1";
    EXPECT_EQ(loginPrompts, 5);
}

TEST_F(UsersTest, ZoneModeAsksNothingUnlessEnteringIsAProtectedZone)
{
    dm->UserBasedRights = false;
    tdb.exec(QStringLiteral("update USERS set PASS = 'maint' where ID = -1"));
    EXPECT_TRUE(dm->Login());
    EXPECT_EQ(loginPrompts + passwordPrompts, 0);

    grant(rights::ZoneUserId, rights::EnterProgramItem);
    passwordAnswers = {QStringLiteral("x"), std::nullopt, QStringLiteral("y")};
    EXPECT_FALSE(dm->Login());
    EXPECT_EQ(passwordPrompts, 3);
    EXPECT_EQ(loginPrompts, 0);

    passwordAnswers = {QStringLiteral("maint")};
    EXPECT_TRUE(dm->Login());
    EXPECT_TRUE(dm->IsElevated());
    EXPECT_EQ(dm->CurrentUserId, 0);
}

// --- Elevation ---

TEST_F(UsersTest, EmptyMaintenancePasswordPassesOnlyWhenItIsTheOnlyOne)
{
    EXPECT_TRUE(dm->AskElevation());
    EXPECT_EQ(passwordPrompts, 0);
    EXPECT_FALSE(dm->IsElevated()) << "passing without a password does not elevate";

    addUser(-2, QStringLiteral("m2"), QString(), UserTypeMaintenance);
    passwordAnswers = {QStringLiteral("wrong")};
    EXPECT_FALSE(dm->AskElevation());
    EXPECT_EQ(passwordPrompts, 3);

    passwordAnswers = {QStringLiteral("hwol'bin")};  // apostrophes removed
    EXPECT_TRUE(dm->AskElevation());
    EXPECT_TRUE(dm->IsElevated());
    EXPECT_TRUE(IsPasswordHash(storedPass(1))) << "the clear-text password was rewritten";
    const int prompts = passwordPrompts;
    EXPECT_TRUE(dm->AskElevation());
    EXPECT_EQ(passwordPrompts, prompts) << "no prompt while elevated";
}

TEST_F(UsersTest, ElevationEndsAfterTenMinutesByTicksAndByTheClock)
{
    const QDateTime start(QDate(2024, 3, 1), QTime(9, 0));
    FixedClock clock(start);

    // By the ticks of the timer, with the clock standing still.
    ASSERT_TRUE(dm->CheckElevationPassword(QStringLiteral("hwolbin")));
    EXPECT_TRUE(dm->FunctionAuthTimer.isActive());
    EXPECT_EQ(dm->FunctionAuthTimer.interval(), 1000);
    for (int i = 0; i < 599; ++i)
        dm->ElevationTick();
    EXPECT_TRUE(dm->IsElevated());
    dm->ElevationTick();
    EXPECT_FALSE(dm->IsElevated());
    EXPECT_FALSE(dm->FunctionAuthTimer.isActive());

    // By the clock, when the ticks fell behind (a busy program).
    ASSERT_TRUE(dm->CheckElevationPassword(QStringLiteral("hwolbin")));
    EXPECT_EQ(dm->ElevationTickCount(), 0);
    dm->ElevationTick();
    Clock::setFixed(start.addSecs(599));
    EXPECT_TRUE(dm->IsElevated());
    Clock::setFixed(start.addSecs(600));
    EXPECT_FALSE(dm->IsElevated());
    EXPECT_FALSE(dm->FunctionAuthTimer.isActive());

    // EndElevation at once.
    ASSERT_TRUE(dm->CheckElevationPassword(QStringLiteral("hwolbin")));
    dm->EndElevation();
    EXPECT_FALSE(dm->IsElevated());
    EXPECT_FALSE(dm->CheckElevationPassword(QStringLiteral("nope")));
    EXPECT_FALSE(dm->IsElevated());
}

// --- Changing and resetting passwords ---

TEST_F(UsersTest, AdministratorPasswordServesAsTheOldPassword)
{
    addUser(5, QStringLiteral("ivan"), EncodePassword(QStringLiteral("old")), UserTypeUser);
    ASSERT_TRUE(dm->CheckLogin(QStringLiteral("ivan"), QStringLiteral("old")));

    changeAnswer = TChangePassInput{QStringLiteral("hwolbin"), QStringLiteral("new'1"), QStringLiteral("new'1")};
    dm->ChangePassword();
    EXPECT_TRUE(lastOldPassEnabled);
    EXPECT_EQ(systemMessages, QStringList{PasswordChangedText});
    EXPECT_TRUE(PasswordMatches(QStringLiteral("new1"), storedPass(5)));
    EXPECT_TRUE(dm->CheckLogin(QStringLiteral("ivan"), QStringLiteral("new'1")));

    // A wrong old password, or a repetition that differs: refused, nothing changed.
    const QString before = storedPass(5);
    for (const TChangePassInput &input :
         {TChangePassInput{QStringLiteral("bad"), QStringLiteral("x"), QStringLiteral("x")},
          TChangePassInput{QStringLiteral("new1"), QStringLiteral("x"), QStringLiteral("X")}}) {
        changeAnswer = input;
        EXPECT_THROW(dm->ChangePassword(), EPasswordNotChanged);
    }
    EXPECT_EQ(storedPass(5), before);

    // Cancel: nothing at all.
    changeAnswer.reset();
    dm->ChangePassword();
    EXPECT_EQ(storedPass(5), before);
    EXPECT_EQ(systemMessages.size(), 1);
}

TEST_F(UsersTest, MaintenancePasswordHasNoAdministratorAlternative)
{
    // Empty: nothing to type as the old one.
    changeAnswer = TChangePassInput{QString(), QStringLiteral("m1"), QStringLiteral("m1")};
    dm->ChangeMaintenancePassword();
    EXPECT_FALSE(lastOldPassEnabled);
    EXPECT_TRUE(PasswordMatches(QStringLiteral("m1"), storedPass(-1)));

    changeAnswer = TChangePassInput{QStringLiteral("hwolbin"), QStringLiteral("m2"), QStringLiteral("m2")};
    EXPECT_THROW(dm->ChangeMaintenancePassword(), EPasswordNotChanged);
    EXPECT_TRUE(lastOldPassEnabled);
    changeAnswer = TChangePassInput{QStringLiteral("m1"), QStringLiteral("m2"), QStringLiteral("m2")};
    dm->ChangeMaintenancePassword();
    EXPECT_TRUE(PasswordMatches(QStringLiteral("m2"), storedPass(-1)));
}

TEST_F(UsersTest, NobodyLoggedInHasNoPasswordToChange)
{
    changeAnswer = TChangePassInput{QString(), QStringLiteral("n"), QStringLiteral("n")};
    EXPECT_THROW(dm->ChangePassword(), EPasswordNotChanged);
    EXPECT_EQ(changePrompts, 0);
    EXPECT_TRUE(systemMessages.isEmpty());
}

TEST_F(UsersTest, ResetPasswordsInZoneModeChangesOnlyTheMaintenancePassword)
{
    dm->UserBasedRights = false;
    dm->ResetPasswords();
    EXPECT_EQ(tdb.value(QStringLiteral("select PASS from USERS where ID = 1")).toString(), QStringLiteral("hwolbin"));
    const QString maintenance = tdb.value(QStringLiteral("select PASS from USERS where ID = -1")).toString();
    EXPECT_TRUE(PasswordMatches(DefaultMaintenancePassword, maintenance));

    addUser(5, QStringLiteral("ivan"), EncodePassword(QStringLiteral("forgotten")), UserTypeUser);
    dm->CurrentUserId = 5;
    dm->ResetPasswords();
    EXPECT_TRUE(PasswordMatches(DefaultUserPassword, storedPass(5)));
}

// --- Every typed value is bound ---

TEST_F(UsersTest, NoStatementCarriesATypedValueInItsText)
{
    addUser(5, QStringLiteral("LogMark"), QStringLiteral("PasMark"), UserTypeUser);
    addUser(-2, QStringLiteral("m2"), QString(), UserTypeMaintenance);
    QStringList texts;
    db::PrepareObserver previous = db::setPrepareObserver([&](const QString &sql) { texts << sql; });
    struct Restore {
        db::PrepareObserver previous;
        ~Restore() { db::setPrepareObserver(std::move(previous)); }
    } restore{std::move(previous)};

    const QString login = QStringLiteral("Lo'gMark");
    const QString pass = QStringLiteral("Pa'sMark");
    EXPECT_TRUE(dm->CheckLogin(login, pass));
    EXPECT_FALSE(dm->CheckLogin(login, QStringLiteral("BadMark")));
    changeAnswer = TChangePassInput{pass, QStringLiteral("NewMark"), QStringLiteral("NewMark")};
    dm->ChangePassword();
    passwordAnswers = {QStringLiteral("ElevMark")};
    EXPECT_FALSE(dm->AskElevation());
    TUserEditValues values{UserTypeUser, QStringLiteral("NameMark"), QString(), QStringLiteral("LogMark"),
                           QStringLiteral("p"), QStringLiteral("p")};
    EXPECT_FALSE(CheckUserValues(*dm, values, 9).Ok());

    ASSERT_FALSE(texts.isEmpty());
    for (const QString &sql : texts) {
        for (const char *mark : {"Mark", "hwolbin"})
            EXPECT_FALSE(sql.contains(QLatin1String(mark))) << sql.toStdString();
    }
}

// --- The checks of the user editor ---

TEST_F(UsersTest, UserEditorChecksInOrder)
{
    addUser(5, QStringLiteral("ivan"), QStringLiteral("x"), UserTypeUser);
    struct Case {
        TUserEditValues values;
        int key;
        TUserField field;
        const char *message;
    };
    const QString n = QStringLiteral("Иван");
    const QString p = QStringLiteral("pw");
    const Case cases[] = {
        {{0, QString(), QString(), QString(), QString(), QString()}, 9, TUserField::UserType,
         "Моля, изберете \"Тип потребител\"!"},
        {{2, QStringLiteral(" "), QString(), QString(), QString(), QString()}, 9, TUserField::Name,
         "Моля, попълнете \"Име\"!"},
        {{2, n, QString(), QStringLiteral("'"), QString(), QString()}, 9, TUserField::Login,
         "Моля, попълнете \"Потребител\"!"},
        {{1, n, QString(), QStringLiteral("iv'an"), QString(), QString()}, 9, TUserField::Login,
         "Такъв потребител съществува!\r\nЗадайте друго потребителско име!"},
        {{2, n, QString(), QStringLiteral("petar"), QStringLiteral("'"), p}, 9, TUserField::Pass,
         "Моля, попълнете \"Парола\"!"},
        {{2, n, QString(), QStringLiteral("petar"), p, QString()}, 9, TUserField::RePass, "Моля, повторете паролата!"},
        {{2, n, QString(), QStringLiteral("petar"), p, QStringLiteral("PW")}, 9, TUserField::RePass,
         "Двете пароли трябвада бъдат еднакви!\r\nГолемите и малки букви са от значение!"},
        {{2, n, QString(), QStringLiteral("petar"), p, p}, 9, TUserField::None, ""},
        // The user's own login is no duplicate.
        {{2, n, QString(), QStringLiteral("ivan"), p, p}, 5, TUserField::None, ""},
    };
    for (const Case &c : cases) {
        const TUserCheck check = CheckUserValues(*dm, c.values, c.key);
        EXPECT_EQ(check.Field, c.field) << c.message;
        EXPECT_EQ(check.Message, QString::fromUtf8(c.message));
    }
    EXPECT_EQ(PasswordToStore(QStringLiteral("$stored"), QStringLiteral("$stored")), QStringLiteral("$stored"));
    EXPECT_TRUE(PasswordMatches(QStringLiteral("ab"), PasswordToStore(QStringLiteral("a'b"), QStringLiteral("$x"))));
}

}  // namespace
