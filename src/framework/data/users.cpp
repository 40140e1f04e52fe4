#include "framework/data/users.h"

#include "framework/data/basedm.h"
#include "framework/data/dataset.h"
#include "framework/data/users_password.h"
#include "framework/settings/settings.h"
#include "framework/text/clock.h"
#include "framework/text/win1251.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QVariantList>

#include <cstdio>
#include <vector>

namespace users {

namespace {

constexpr int SaltBytes = 6;      // 8 Base64 characters
constexpr int SaltChars = 8;
constexpr int DigestBytes = 8;    // 11 Base64 characters
constexpr int DigestChars = 11;
constexpr int Iterations = 20000;

QByteArray base64(const QByteArray &bytes)
{
    return bytes.toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals);
}

bool isBase64Char(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '+' || u == '/';
}

}  // namespace

QString RemoveApostrophes(const QString &text)
{
    QString result = text;
    result.remove(QLatin1Char('\''));
    return result;
}

QString EncodePasswordWithSalt(const QString &password, const QString &salt)
{
    if (password.isEmpty())
        return QString();
    const QByteArray digest = Pbkdf2Sha256(password.toUtf8(), salt.toLatin1(), Iterations, DigestBytes);
    return QLatin1Char('$') + salt + QString::fromLatin1(base64(digest));
}

QString EncodePassword(const QString &password)
{
    if (password.isEmpty())
        return QString();
    QByteArray salt(SaltBytes, Qt::Uninitialized);
    QRandomGenerator *rng = QRandomGenerator::system();
    for (int i = 0; i < SaltBytes; ++i)
        salt[i] = char(rng->bounded(256));
    return EncodePasswordWithSalt(password, QString::fromLatin1(base64(salt)));
}

bool IsPasswordHash(const QString &stored)
{
    if (stored.size() != 1 + SaltChars + DigestChars || stored.at(0) != QLatin1Char('$'))
        return false;
    for (int i = 1; i < stored.size(); ++i) {
        if (!isBase64Char(stored.at(i)))
            return false;
    }
    return true;
}

bool PasswordMatches(const QString &typed, const QString &stored)
{
    if (stored.isEmpty())
        return typed.isEmpty();
    if (!IsPasswordHash(stored))
        return typed == stored;
    if (typed.isEmpty())
        return false;
    const QString salt = stored.mid(1, SaltChars);
    const QByteArray expected = EncodePasswordWithSalt(typed, salt).toLatin1();
    const QByteArray actual = stored.toLatin1();
    // The same time whatever the position of the first difference.
    unsigned char diff = 0;
    for (int i = 0; i < actual.size(); ++i)
        diff |= static_cast<unsigned char>(actual[i] ^ expected[i]);
    return diff == 0;
}

bool NeedsRehash(const QString &stored) { return !stored.isEmpty() && !IsPasswordHash(stored); }

bool ChangePassOkEnabled(bool oldPassEnabled, const QString &oldPass, const QString &newPass,
                         const QString &rePass)
{
    return (!oldPassEnabled || !oldPass.isEmpty()) && newPass == rePass;
}

// ---------------------------------------------------------------------------
// The user list and the editor

void SetupUsersDataSet(TDataSet &q, TDBTransaction &transaction)
{
    q.SetTransaction(&transaction);
    q.SetSelectSQL(QStringLiteral("select * from USERS Order By USER_TYPE,LOGIN"));
    q.SetInsertSQL(QStringLiteral(
        "insert into USERS (ID, USER_TYPE, NAME, LOGIN, PASS, NAME_ENG) "
        "values (:ID, :USER_TYPE, :NAME, :LOGIN, :PASS, :NAME_ENG)"));
    q.SetModifySQL(QStringLiteral(
        "update USERS set ID = :ID, USER_TYPE = :USER_TYPE, NAME = :NAME, LOGIN = :LOGIN, "
        "PASS = :PASS, NAME_ENG = :NAME_ENG where ID = :OLD_ID"));
    q.SetDeleteSQL(QStringLiteral("delete from USERS where ID = :OLD_ID"));
    q.SetRefreshSQL(QStringLiteral("select * from USERS where ID = :ID"));
    TField &isAdmin = q.AddCalcField(QStringLiteral("IS_ADMIN"), TFieldType::String, 5);
    isAdmin.DisplayLabel = QStringLiteral("Адм/Потр");
    q.OnCalcFields = [](TDataSet &ds) {
        ds.FieldByName(QStringLiteral("IS_ADMIN"))
            .SetValue(ds.FieldByName(QStringLiteral("USER_TYPE")).AsInteger() == UserTypeAdmin
                          ? QStringLiteral("А")
                          : QStringLiteral("п"));
    };
}

TUserCheck CheckUserValues(TBaseDM &dm, const TUserEditValues &values, int key)
{
    const QString login = RemoveApostrophes(values.Login);
    const QString pass = RemoveApostrophes(values.Pass);
    const QString rePass = RemoveApostrophes(values.RePass);
    if (values.UserType != UserTypeAdmin && values.UserType != UserTypeUser)
        return {TUserField::UserType, QStringLiteral("Моля, изберете \"Тип потребител\"!")};
    if (values.Name.trimmed().isEmpty())
        return {TUserField::Name, QStringLiteral("Моля, попълнете \"Име\"!")};
    if (login.trimmed().isEmpty())
        return {TUserField::Login, QStringLiteral("Моля, попълнете \"Потребител\"!")};
    if (!IsWin1251Text(login))
        return {TUserField::Login, Win1251RefusalMessage(login)};
    if (dm.QueryHasRows(QStringLiteral("Select ID from Users where LOGIN = :LOGIN and ID <> :ID"),
                        {{QStringLiteral("LOGIN"), login}, {QStringLiteral("ID"), key}}))
        return {TUserField::Login,
                QStringLiteral("Такъв потребител съществува!\r\nЗадайте друго потребителско име!")};
    if (pass.isEmpty())
        return {TUserField::Pass, QStringLiteral("Моля, попълнете \"Парола\"!")};
    if (rePass.isEmpty())
        return {TUserField::RePass, QStringLiteral("Моля, повторете паролата!")};
    if (pass != rePass)
        return {TUserField::RePass,
                QStringLiteral("Двете пароли трябвада бъдат еднакви!\r\nГолемите и малки букви са от значение!")};
    return {};
}

QString PasswordToStore(const QString &typedPass, const QString &storedPass)
{
    if (!storedPass.isEmpty() && typedPass == storedPass)
        return storedPass;
    return EncodePassword(RemoveApostrophes(typedPass));
}

}  // namespace users

// ---------------------------------------------------------------------------
// TBaseDM: log-in, elevation, passwords

using namespace users;

namespace {

struct Candidate {
    int Id = 0;
    QString Pass;
};

// The rows (ID, PASS) of a select with bound parameters, in order.
std::vector<Candidate> candidates(TBaseDM &dm, const QString &sql, const QVariantMap &params = {})
{
    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        q.ParamByName(it.key()).SetValue(it.value());
    q.Open();
    std::vector<Candidate> rows;
    for (q.First(); !q.Eof(); q.Next())
        rows.push_back({q.FieldByName(QStringLiteral("ID")).AsInteger(),
                        q.FieldByName(QStringLiteral("PASS")).AsString()});
    q.Close();
    return rows;
}

// A matching clear-text password is stored again in the hash form.
void rehash(TBaseDM &dm, const Candidate &row, const QString &typed)
{
    if (!NeedsRehash(row.Pass))
        return;
    dm.RunInUnit([&] {
        dm.ExecSQL(QStringLiteral("update USERS set PASS = :PASS where ID = :ID"),
                   {{QStringLiteral("PASS"), EncodePassword(typed)}, {QStringLiteral("ID"), row.Id}});
    });
}

void toStderr(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

}  // namespace

bool TBaseDM::Login()
{
    // Zone mode: nobody logs in; entering the program may be a protected zone.
    if (!UserBasedRights)
        return IsAllowed(rights::EnterProgramItem);

    TSettings &settings = Settings();
    const QString key = QLatin1String(LastLoginKey);
    bool loggedIn = false;
    for (int attempt = 0; attempt < 3 && !loggedIn; ++attempt) {
        QString login = settings.ReadString(key, QString());
        QString password;
        const bool accepted = UserPrompts.Login && UserPrompts.Login(login, password);
        // The settings file cannot hold what Windows-1251 lacks; such a
        // login cannot match a stored one either.
        if (IsWin1251Text(login))
            settings.WriteString(key, login);
        if (accepted)
            loggedIn = CheckLogin(login, password);
    }
    if (!loggedIn)
        return false;
    return IsAllowed(rights::EnterProgramItem);
}

bool TBaseDM::CheckLogin(const QString &login, const QString &password)
{
    const QString name = RemoveApostrophes(login);
    const QString pass = RemoveApostrophes(password);
    if (!IsWin1251Text(name))
        return false;
    const std::vector<Candidate> rows =
        candidates(*this, QStringLiteral("select ID, PASS from USERS where USER_TYPE > 0 and LOGIN = :LOGIN order by ID"),
                   {{QStringLiteral("LOGIN"), name}});
    for (const Candidate &row : rows) {
        if (!PasswordMatches(pass, row.Pass))
            continue;
        rehash(*this, row, pass);
        CurrentUserId = row.Id;
        const TUserInfo info = GetUserInfo(row.Id);
        CurrentUserName = info.Name;
        IsAdmin = info.UserType == QLatin1String("1");
        return true;
    }
    return false;
}

TUserInfo TBaseDM::GetUserInfo(int userId)
{
    TDataSet q;
    q.SetTransaction(&IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from USERS where ID = :ID"));
    q.ParamByName(QStringLiteral("ID")).SetAsInteger(userId);
    q.Open();
    TUserInfo info;
    if (!q.IsEmpty()) {
        info.Found = true;
        info.Name = q.FieldByName(QStringLiteral("NAME")).AsString();
        info.Login = q.FieldByName(QStringLiteral("LOGIN")).AsString();
        info.UserType = q.FieldByName(QStringLiteral("USER_TYPE")).IsNull()
                            ? QString()
                            : QString::number(q.FieldByName(QStringLiteral("USER_TYPE")).AsInteger());
        info.Pass = q.FieldByName(QStringLiteral("PASS")).AsString();
    }
    q.Close();
    return info;
}

bool TBaseDM::AskElevation()
{
    if (IsElevated())
        return true;
    // The maintenance account without a password: nothing to ask.
    if (QueryInteger(QStringLiteral("select count(ID) from USERS where USER_TYPE = 0 and PASS = :PASS"), QString(),
                     {{QStringLiteral("PASS"), EncodePassword(QString())}}) == 1)
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QString password;
        if (!UserPrompts.EnterPassword || !UserPrompts.EnterPassword(password))
            continue;
        if (CheckElevationPassword(RemoveApostrophes(password)))
            return true;
    }
    return false;
}

bool TBaseDM::CheckElevationPassword(const QString &password)
{
    const QString pass = RemoveApostrophes(password);
    const std::vector<Candidate> rows =
        candidates(*this, QStringLiteral("select ID, PASS from USERS where USER_TYPE in (0,1) order by ID"));
    for (const Candidate &row : rows) {
        if (!PasswordMatches(pass, row.Pass))
            continue;
        rehash(*this, row, pass);
        StartElevation();
        return true;
    }
    return false;
}

void TBaseDM::StartElevation()
{
    m_elevated = true;
    m_elevationTicks = 0;
    m_elevationStart = Clock::now();
    connect(&FunctionAuthTimer, &QTimer::timeout, this, &TBaseDM::ElevationTick, Qt::UniqueConnection);
    FunctionAuthTimer.start(ElevationTickMs);
    emit ElevationChanged(true);
}

void TBaseDM::EndElevation()
{
    FunctionAuthTimer.stop();
    m_elevationTicks = 0;
    if (!m_elevated)
        return;
    m_elevated = false;
    emit ElevationChanged(false);
}

bool TBaseDM::ElevationExpiredByClock() const
{
    return m_elevationStart.msecsTo(Clock::now()) >= ElevationMs;
}

bool TBaseDM::IsElevated()
{
    if (m_elevated && ElevationExpiredByClock())
        EndElevation();
    return m_elevated;
}

void TBaseDM::ElevationTick()
{
    if (!m_elevated) {
        FunctionAuthTimer.stop();
        return;
    }
    ++m_elevationTicks;
    if (m_elevationTicks >= ElevationTicks || ElevationExpiredByClock())
        EndElevation();
}

void TBaseDM::ChangeUserPassword(int userId, bool administratorMayAllow)
{
    const auto currentPass = [&]() -> QVariant {
        return QueryValue(QStringLiteral("select PASS from USERS where ID = :ID"), QString(),
                          {{QStringLiteral("ID"), userId}});
    };
    // No row for the user (zone mode has no user 0): nothing could be changed.
    const QVariant before = currentPass();
    if (before.isNull())
        throw EPasswordNotChanged();
    // Without a password there is no old one to type.
    const bool oldPassEnabled = before.toString() != EncodePassword(QString());
    TChangePassInput input;
    if (!UserPrompts.ChangePassword || !UserPrompts.ChangePassword(oldPassEnabled, input))
        return;

    const QString newPass = RemoveApostrophes(input.NewPass);
    const QString rePass = RemoveApostrophes(input.RePass);
    const QString oldPass = oldPassEnabled ? RemoveApostrophes(input.OldPass) : QString();
    const QVariant current = currentPass();
    if (current.isNull())
        throw EPasswordNotChanged();
    bool allowed = newPass == rePass && PasswordMatches(oldPass, current.toString());
    if (!allowed && newPass == rePass && administratorMayAllow && !oldPass.isEmpty()) {
        for (const Candidate &admin :
             candidates(*this, QStringLiteral("select ID, PASS from USERS where USER_TYPE = 1 order by ID"))) {
            if (PasswordMatches(oldPass, admin.Pass)) {
                allowed = true;
                break;
            }
        }
    }
    if (!allowed)
        throw EPasswordNotChanged();
    qint64 changed = 0;
    RunInUnit([&] {
        changed = ExecSQL(QStringLiteral("update USERS set PASS = :PASS where ID = :ID"),
                          {{QStringLiteral("PASS"), EncodePassword(newPass)}, {QStringLiteral("ID"), userId}});
    });
    if (changed == 0)
        throw EPasswordNotChanged();
    ShowSystemMessage(PasswordChangedText);
}

void TBaseDM::ChangePassword() { ChangeUserPassword(CurrentUserId, true); }

void TBaseDM::ChangeMaintenancePassword() { ChangeUserPassword(MaintenanceUserId, false); }

void TBaseDM::ResetPasswords()
{
    RunInUnit([&] {
        const QString sql = QStringLiteral("update USERS set PASS = :PASS where ID = :ID");
        ExecSQL(sql, {{QStringLiteral("PASS"), EncodePassword(DefaultUserPassword)},
                      {QStringLiteral("ID"), CurrentUserId}});
        ExecSQL(sql, {{QStringLiteral("PASS"), EncodePassword(DefaultMaintenancePassword)},
                      {QStringLiteral("ID"), MaintenanceUserId}});
    });
}

void TBaseDM::ShowSystemMessage(const QString &text)
{
    if (UserPrompts.SystemMessage)
        UserPrompts.SystemMessage(text);
    else
        toStderr(SystemMessageCaption + QStringLiteral(": ") + text);
}
