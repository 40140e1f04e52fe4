#include "framework/security/password_dialogs.h"

#include "framework/data/users.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace {

QLineEdit *newEdit(QWidget *parent, const char *name, int maxLength, bool password)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    edit->setMinimumWidth(180);
    return edit;
}

QLabel *newLabel(QWidget *parent, const char *name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

QFormLayout *formLayout(QWidget *client)
{
    auto *layout = new QFormLayout(client);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return layout;
}

// The password edits show "*" in place of each character.
void starEcho(QLineEdit *edit)
{
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

}  // namespace

// ---------------------------------------------------------------------------

TfrmLogin::TfrmLogin(QWidget *owner) : TfrmYesNo(owner)
{
    setObjectName(QStringLiteral("frmLogin"));
    QWidget *client = ClientArea();
    eLogin = newEdit(client, "eLogin", users::LoginLength, false);
    ePass = newEdit(client, "ePass", users::PasswordLength, true);
    starEcho(ePass);
    lblLogin = newLabel(client, "lblLogin", QStringLiteral("Потребителско име"), eLogin);
    lblPass = newLabel(client, "lblPass", QStringLiteral("Парола"), ePass);
    QFormLayout *layout = formLayout(client);
    layout->addRow(lblLogin, eLogin);
    layout->addRow(lblPass, ePass);
    setTabOrder(eLogin, ePass);
    setTabOrder(ePass, btnOk);
    setTabOrder(btnOk, btnCancel);
    connect(eLogin, &QLineEdit::textChanged, this, &TfrmLogin::UpdateOk);
    UpdateOk();
}

void TfrmLogin::FirstShow()
{
    setWindowTitle(QStringLiteral("Идентификация"));
    // With the last login filled in, the password is what is left to type.
    if (eLogin->text().isEmpty())
        eLogin->setFocus();
    else
        ePass->setFocus();
}

void TfrmLogin::UpdateOk() { btnOk->setEnabled(!eLogin->text().isEmpty()); }

void TfrmLogin::btnOkClick()
{
    if (!eLogin->text().isEmpty())
        TfrmYesNo::btnOkClick();
}

// ---------------------------------------------------------------------------

TfrmEnterPass::TfrmEnterPass(QWidget *owner) : TfrmYesNo(owner)
{
    setObjectName(QStringLiteral("frmEnterPass"));
    QWidget *client = ClientArea();
    ePass = newEdit(client, "ePass", users::PasswordLength, true);
    starEcho(ePass);
    lblPass = newLabel(client, "lblPass", QStringLiteral("Парола"), ePass);
    formLayout(client)->addRow(lblPass, ePass);
    setTabOrder(ePass, btnOk);
    setTabOrder(btnOk, btnCancel);
}

void TfrmEnterPass::FirstShow()
{
    setWindowTitle(QStringLiteral("Въвъдете парола"));
    ePass->setFocus();
}

// ---------------------------------------------------------------------------

TfrmChangePass::TfrmChangePass(QWidget *owner) : TfrmYesNo(owner)
{
    setObjectName(QStringLiteral("frmChangePass"));
    QWidget *client = ClientArea();
    eOldPass = newEdit(client, "eOldPass", users::PasswordLength, true);
    ePass = newEdit(client, "ePass", users::PasswordLength, true);
    eRePass = newEdit(client, "eRePass", users::PasswordLength, true);
    for (QLineEdit *edit : {eOldPass, ePass, eRePass}) {
        starEcho(edit);
        connect(edit, &QLineEdit::textChanged, this, &TfrmChangePass::UpdateOk);
    }
    lblOldPass = newLabel(client, "lblOldPass", QStringLiteral("Стара парола"), eOldPass);
    lblPass = newLabel(client, "lblPass", QStringLiteral("Нова парола"), ePass);
    lblRePass = newLabel(client, "lblRePass", QStringLiteral("Повторете"), eRePass);
    QFormLayout *layout = formLayout(client);
    layout->addRow(lblOldPass, eOldPass);
    layout->addRow(lblPass, ePass);
    layout->addRow(lblRePass, eRePass);
    setTabOrder(eOldPass, ePass);
    setTabOrder(ePass, eRePass);
    setTabOrder(eRePass, btnOk);
    setTabOrder(btnOk, btnCancel);
    UpdateOk();
}

void TfrmChangePass::SetOldPassEnabled(bool enabled)
{
    eOldPass->setEnabled(enabled);
    lblOldPass->setEnabled(enabled);
    UpdateOk();
}

void TfrmChangePass::FirstShow()
{
    setWindowTitle(QStringLiteral("Смяна на парола"));
    if (eOldPass->isEnabled())
        eOldPass->setFocus();
    else
        ePass->setFocus();
}

void TfrmChangePass::UpdateOk()
{
    btnOk->setEnabled(
        users::ChangePassOkEnabled(eOldPass->isEnabled(), eOldPass->text(), ePass->text(), eRePass->text()));
}

void TfrmChangePass::btnOkClick()
{
    if (btnOk->isEnabled())
        TfrmYesNo::btnOkClick();
}

// ---------------------------------------------------------------------------

namespace {

void showSystemMessage(const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", users::SystemMessageCaption.toUtf8().constData(), text.toUtf8().constData());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, users::SystemMessageCaption, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("SystemMessage"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

SystemMessageHandler &handler()
{
    static SystemMessageHandler h;
    return h;
}

}  // namespace

SystemMessageHandler SetSystemMessageHandler(SystemMessageHandler h)
{
    SystemMessageHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

void SystemMessageBox(const QString &text)
{
    if (handler())
        handler()(text);
    else
        showSystemMessage(text);
}
