#pragma once
// The user editor "Потребител [добавяне]" / "Потребител [редакция]", a record
// editor over the user list (users::SetupUsersDataSet). The caller puts the
// list into insert or edit on the row and shows the editor modally.
//
// The checks are users::CheckUserValues. The login and the password are
// stored with their apostrophes removed, as the log-in uses them; the
// password is stored in its hash form. An existing user's stored password
// stays as it is unless another one is typed.

#include "framework/lists/edit_form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TBaseDM;

class TfrmEditUser : public TfrmBaseDBEditForm
{
    Q_OBJECT
public:
    TfrmEditUser(QWidget *owner, TBaseDM &dm, TDataSet *users);

    QComboBox *cbUserType = nullptr;  // "Тип потребител": "Потребител" (2), "Администратор" (1)
    QLineEdit *eName = nullptr;       // "Име"
    QLineEdit *eNameEng = nullptr;    // the name in Latin letters (NAME_ENG)
    QLineEdit *eLogin = nullptr;      // "Потребител"
    QLineEdit *ePass = nullptr;       // "Парола"
    QLineEdit *eRePass = nullptr;     // "Повторение на паролата"

    // The record's key, or for a new record the number drawn from counter 17
    // when the editor was shown.
    int Key() const { return FKey; }

    bool Validate() override;

protected:
    void FirstShow() override;

private:
    TBaseDM &FDM;
    int FKey = 0;
    QString FStoredPass;
};
