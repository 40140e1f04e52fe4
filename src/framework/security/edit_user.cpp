#include "framework/security/edit_user.h"

#include "framework/data/basedm.h"
#include "framework/data/users.h"
#include "framework/forms/cyrmessagedlg.h"
#include "framework/forms/formutils.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit *newEdit(QWidget *parent, const char *name, int maxLength, bool password)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    edit->setMinimumWidth(220);
    if (password) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }
    return edit;
}

// Required fields: the window colour blended 8 % towards green.
void tintRequired(QWidget *control)
{
    QPalette p = control->palette();
    // Edits paint their field with Base, a closed combo box with Button.
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button})
        p.setColor(role, BlendColor(p.color(role), QColor(0, 255, 0), 0.08));
    control->setPalette(p);
}

}  // namespace

TfrmEditUser::TfrmEditUser(QWidget *owner, TBaseDM &dm, TDataSet *users) : TfrmBaseDBEditForm(owner), FDM(dm)
{
    setObjectName(QStringLiteral("frmEditUser"));
    QWidget *client = ClientArea();
    cbUserType = new QComboBox(client);
    cbUserType->setObjectName(QStringLiteral("cbUserType"));
    eName = newEdit(client, "eName", users::NameLength, false);
    eNameEng = newEdit(client, "eNameEng", users::NameLength, false);
    eLogin = newEdit(client, "eLogin", users::LoginLength, false);
    ePass = newEdit(client, "ePass", users::PasswordLength, true);
    eRePass = newEdit(client, "eRePass", users::PasswordLength, true);
    for (QWidget *w : std::initializer_list<QWidget *>{cbUserType, eName, eLogin, ePass, eRePass})
        tintRequired(w);

    auto *layout = new QFormLayout(client);
    layout->addRow(QStringLiteral("Тип потребител"), cbUserType);
    layout->addRow(QStringLiteral("Име"), eName);
    layout->addRow(QStringLiteral("Име (латиница)"), eNameEng);
    layout->addRow(QStringLiteral("Потребител"), eLogin);
    layout->addRow(QStringLiteral("Парола"), ePass);
    layout->addRow(QStringLiteral("Повторение на паролата"), eRePass);

    SetDataSet(users);
    Binder->BindComboBox(cbUserType, QStringLiteral("USER_TYPE"),
                         {QStringLiteral("Потребител"), QStringLiteral("Администратор")},
                         {users::UserTypeUser, users::UserTypeAdmin});
    Binder->BindEdit(eName, QStringLiteral("NAME"));
    Binder->BindEdit(eNameEng, QStringLiteral("NAME_ENG"));
    Binder->BindEdit(eLogin, QStringLiteral("LOGIN"));
}

void TfrmEditUser::FirstShow()
{
    TfrmBaseDBEditForm::FirstShow();
    TDataSet *q = DataSet();
    const bool inserting = q && q->State() == TDataSetState::Insert;
    setWindowTitle(inserting ? QStringLiteral("Потребител [добавяне]") : QStringLiteral("Потребител [редакция]"));
    if (!q)
        return;
    TField &id = q->FieldByName(QStringLiteral("ID"));
    FKey = id.IsNull() ? FDM.GetCounterValue(users::UsersCounter) : id.AsInteger();
    // The stored password (its hash) stands in both fields until another
    // one is typed.
    FStoredPass = inserting ? QString() : q->FieldByName(QStringLiteral("PASS")).AsString();
    ePass->setText(FStoredPass);
    eRePass->setText(FStoredPass);
    cbUserType->setFocus();
}

bool TfrmEditUser::Validate()
{
    TDataSet *q = DataSet();
    if (!q || !q->IsEditing())
        return false;
    users::TUserEditValues values;
    // The type as the combo box wrote it (its items carry the stored numbers).
    const TField &type = q->FieldByName(QStringLiteral("USER_TYPE"));
    values.UserType = type.IsNull() ? 0 : type.AsInteger();
    values.Name = eName->text();
    values.NameEng = eNameEng->text();
    values.Login = eLogin->text();
    values.Pass = ePass->text();
    values.RePass = eRePass->text();
    const users::TUserCheck check = users::CheckUserValues(FDM, values, FKey);
    if (!check.Ok()) {
        QWidget *control = nullptr;
        switch (check.Field) {
        case users::TUserField::UserType: control = cbUserType; break;
        case users::TUserField::Name: control = eName; break;
        case users::TUserField::Login: control = eLogin; break;
        case users::TUserField::Pass: control = ePass; break;
        case users::TUserField::RePass: control = eRePass; break;
        case users::TUserField::None: break;
        }
        CyrMessageDlg(check.Message, mtError, {mbOK});
        if (control)
            control->setFocus();
        return false;
    }
    // Stored as the log-in will use them.
    q->FieldByName(QStringLiteral("LOGIN")).SetAsString(users::RemoveApostrophes(values.Login));
    q->FieldByName(QStringLiteral("PASS")).SetAsString(users::PasswordToStore(values.Pass, FStoredPass));
    if (q->FieldByName(QStringLiteral("ID")).IsNull())
        q->FieldByName(QStringLiteral("ID")).SetAsInteger(FKey);
    return true;
}
