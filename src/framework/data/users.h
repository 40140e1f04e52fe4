#pragma once
// Users, log-in and passwords: the rules the data module follows, free of
// widgets. The operations themselves are members of TBaseDM (users.cpp);
// the dialogs they need reach the screen through TUserPrompts, which the
// program fills (framework/security) and a test fills with answers.
//
// Passwords are kept as salted hashes in the 20 characters of USERS.PASS:
// "$" followed by 19 Base64 characters (8 of salt, 11 of PBKDF2-HMAC-SHA256
// output). An empty password stays empty ("no password"). A stored value of
// any other form is a clear-text password of an older database: it still
// matches what is typed, and is replaced by its hash at the next successful
// log-in or elevation. The program compares; the database only hands out the
// candidate rows, selected with bound parameters.

#include <QString>

#include <functional>
#include <stdexcept>

class TBaseDM;
class TDataSet;
class TDBTransaction;

namespace users {

// The built-in passwords that ResetPasswords gives.
inline const QString DefaultUserPassword = QStringLiteral("hwolbin");
inline const QString DefaultMaintenancePassword = QStringLiteral("hwo2lbin");

// The row of the maintenance password and the user types.
inline constexpr int MaintenanceUserId = -1;
inline constexpr int UserTypeMaintenance = 0;
inline constexpr int UserTypeAdmin = 1;
inline constexpr int UserTypeUser = 2;

// The counter of USERS keys.
inline constexpr int UsersCounter = 17;

// The lengths of the columns the dialogs limit their fields to.
inline constexpr int LoginLength = 20;
inline constexpr int PasswordLength = 20;
inline constexpr int NameLength = 50;

// How long an elevation lasts: ticks of one second, and the same by the clock.
inline constexpr int ElevationTicks = 600;
inline constexpr int ElevationTickMs = 1000;
inline constexpr qint64 ElevationMs = qint64(ElevationTicks) * ElevationTickMs;

// The settings key (root section) of the login name last typed.
inline constexpr const char *LastLoginKey = "lastLogin";

// Texts.
inline const QString PasswordChangedText = QStringLiteral("Паролата е успешно сменена.");
inline const QString PasswordNotChangedText = QStringLiteral("Паролата не е сменена!");
inline const QString SystemMessageCaption = QStringLiteral("Системно съобщение");

// --- Passwords ---

// The text with every apostrophe removed: how typed logins and passwords
// are used and stored.
QString RemoveApostrophes(const QString &text);

// The stored form of a password: the salted hash (a new salt every call);
// the empty text stays empty.
QString EncodePassword(const QString &password);
// The hash of a password with a given salt (8 Base64 characters).
QString EncodePasswordWithSalt(const QString &password, const QString &salt);
// Whether a stored value has the hash form.
bool IsPasswordHash(const QString &stored);
// Whether the typed password matches the stored value: its hash, or (a
// clear-text value of an older database) the value itself, case-sensitive.
bool PasswordMatches(const QString &typed, const QString &stored);
// Whether a stored value that matched should be written again in the hash
// form (a non-empty clear-text value).
bool NeedsRehash(const QString &stored);

// The thrown refusal of a password change ("Паролата не е сменена!"); what()
// is the UTF-8 text.
class EPasswordNotChanged : public std::runtime_error
{
public:
    EPasswordNotChanged() : std::runtime_error(PasswordNotChangedText.toStdString()) {}
};

// --- The record of a user ---

// GetUserInfo: the fields as texts, empty when there is no such user.
struct TUserInfo {
    QString Name;
    QString Login;
    QString UserType;
    QString Pass;
    bool Found = false;
};

// --- The dialogs the operations need ---

// What the change-password dialog gives back.
struct TChangePassInput {
    QString OldPass;
    QString NewPass;
    QString RePass;
};

// The OK button of the change-password dialog: enabled when the old-password
// field is disabled or filled, and the new password equals its repetition
// exactly.
bool ChangePassOkEnabled(bool oldPassEnabled, const QString &oldPass, const QString &newPass,
                         const QString &rePass);

// Each prompt answers true for OK. Without a function a prompt counts as
// cancelled, a system message goes to standard error and the rights dialog
// is not shown.
struct TUserPrompts {
    // TfrmLogin: login comes filled with the last login name and goes back
    // with what was typed (after Cancel too); password is what was typed.
    std::function<bool(QString &login, QString &password)> Login;
    // TfrmEnterPass.
    std::function<bool(QString &password)> EnterPassword;
    // TfrmChangePass, with the old-password field enabled or not.
    std::function<bool(bool oldPassEnabled, TChangePassInput &input)> ChangePassword;
    // The box "Системно съобщение" with OK.
    std::function<void(const QString &text)> SystemMessage;
    // The rights dialog, modal.
    std::function<void(TBaseDM &dm)> SecuritySettings;
};

// --- The user list and the user editor ---

// Makes q the user list: "select * from USERS Order By USER_TYPE,LOGIN" with
// the statements that write a row back, on the transaction, and the
// calculated field IS_ADMIN ("Адм/Потр", 5 characters): "А" for type 1,
// "п" otherwise. q must be closed.
void SetupUsersDataSet(TDataSet &q, TDBTransaction &transaction);

// The values of the user editor as typed.
struct TUserEditValues {
    int UserType = 0;  // 0: none chosen
    QString Name;
    QString NameEng;
    QString Login;
    QString Pass;
    QString RePass;
};

// The fields of the user editor, for the check that failed.
enum class TUserField { None, UserType, Name, Login, Pass, RePass };

struct TUserCheck {
    TUserField Field = TUserField::None;  // None: every check passed
    QString Message;
    bool Ok() const { return Field == TUserField::None; }
};

// The seven checks of the user editor, in order; the login and passwords
// are taken with their apostrophes removed, as they are stored. key is the
// editor's key (another user with the login is one with another ID).
TUserCheck CheckUserValues(TBaseDM &dm, const TUserEditValues &values, int key);

// The value to store in PASS: the stored value unchanged when the typed
// password is still the one the editor was given (storedPass), otherwise the
// hash of the typed password with its apostrophes removed.
QString PasswordToStore(const QString &typedPass, const QString &storedPass);

}  // namespace users
