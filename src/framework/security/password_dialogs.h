#pragma once
// The dialogs of the log-in and the passwords: TfrmLogin, TfrmEnterPass and
// TfrmChangePass (OK and Cancel, modal), and the system message box. Every
// field is limited to the length of its column; passwords show as "*".

#include "framework/forms/yesno.h"

#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

// "Идентификация": the login name and the password. OK is enabled only
// while the login name is not empty.
class TfrmLogin : public TfrmYesNo
{
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget *owner = nullptr);

    QLabel *lblLogin = nullptr;
    QLineEdit *eLogin = nullptr;  // "Потребителско име"
    QLabel *lblPass = nullptr;
    QLineEdit *ePass = nullptr;   // "Парола"

protected:
    void FirstShow() override;
    void btnOkClick() override;

private:
    void UpdateOk();
};

// "Въвъдете парола": one password.
class TfrmEnterPass : public TfrmYesNo
{
    Q_OBJECT
public:
    explicit TfrmEnterPass(QWidget *owner = nullptr);

    QLabel *lblPass = nullptr;
    QLineEdit *ePass = nullptr;  // "Парола"

protected:
    void FirstShow() override;
};

// "Смяна на парола": the old password, the new one and its repetition. OK is
// enabled when the old-password field is disabled or filled, and the new
// password equals the repetition exactly.
class TfrmChangePass : public TfrmYesNo
{
    Q_OBJECT
public:
    explicit TfrmChangePass(QWidget *owner = nullptr);

    QLabel *lblOldPass = nullptr;
    QLineEdit *eOldPass = nullptr;  // "Стара парола"
    QLabel *lblPass = nullptr;
    QLineEdit *ePass = nullptr;     // "Нова парола"
    QLabel *lblRePass = nullptr;
    QLineEdit *eRePass = nullptr;   // "Повторете"

    void SetOldPassEnabled(bool enabled);

protected:
    void FirstShow() override;
    void btnOkClick() override;

private:
    void UpdateOk();
};

// The box "Системно съобщение" with the text and an OK button. It goes
// through one replaceable handler, so that a test reads the text instead of
// a modal box; an empty handler puts back the program's own.
using SystemMessageHandler = std::function<void(const QString &text)>;
SystemMessageHandler SetSystemMessageHandler(SystemMessageHandler handler);
void SystemMessageBox(const QString &text);
