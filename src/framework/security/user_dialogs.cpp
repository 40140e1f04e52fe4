#include "framework/security/user_dialogs.h"

#include "framework/data/basedm.h"
#include "framework/forms/modalresult.h"
#include "framework/security/password_dialogs.h"
#include "framework/security/security_settings.h"
#include "framework/settings/settings.h"

#include <QApplication>
#include <QLineEdit>

namespace {

// The small dialogs open centred on the screen and store no placement.
template <class T>
void prepare(T &dialog)
{
    dialog.SetPosition(TFormPosition::ScreenCenter);
    dialog.SetRestorePosition(false);
    dialog.SetRestoreSize(false);
}

}  // namespace

void InstallUserDialogs(TBaseDM &dm, TDataSet *users)
{
    dm.UserPrompts.Login = [](QString &login, QString &password) {
        TfrmLogin dialog(QApplication::activeWindow());
        prepare(dialog);
        dialog.eLogin->setText(login);
        const bool ok = dialog.exec() == mrOk;
        login = dialog.eLogin->text();
        password = dialog.ePass->text();
        return ok;
    };
    dm.UserPrompts.EnterPassword = [](QString &password) {
        TfrmEnterPass dialog(QApplication::activeWindow());
        prepare(dialog);
        const bool ok = dialog.exec() == mrOk;
        password = dialog.ePass->text();
        return ok;
    };
    dm.UserPrompts.ChangePassword = [](bool oldPassEnabled, users::TChangePassInput &input) {
        TfrmChangePass dialog(QApplication::activeWindow());
        prepare(dialog);
        dialog.SetOldPassEnabled(oldPassEnabled);
        const bool ok = dialog.exec() == mrOk;
        input.OldPass = dialog.eOldPass->text();
        input.NewPass = dialog.ePass->text();
        input.RePass = dialog.eRePass->text();
        return ok;
    };
    dm.UserPrompts.SystemMessage = [](const QString &text) { SystemMessageBox(text); };
    dm.UserPrompts.SecuritySettings = [users](TBaseDM &module) {
        TfrmSecuritySettings dialog(QApplication::activeWindow(), module, users);
        if (AppSettingsExists())
            dialog.SetSettings(AppSettings().OpenSection(dialog.SettingsName()));
        dialog.exec();
    };
}
