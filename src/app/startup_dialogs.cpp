#include "app/startup_dialogs.h"

#include "framework/data/basedm.h"
#include "framework/data/startup.h"
#include "framework/forms/cyrmessagedlg.h"

#include <QApplication>
#include <QMessageBox>

namespace {

SystemErrorBoxHandler &Handler()
{
    static SystemErrorBoxHandler handler;
    return handler;
}

} // namespace

SystemErrorBoxHandler SetSystemErrorBoxHandler(SystemErrorBoxHandler handler)
{
    SystemErrorBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

void SystemErrorBox(const QString &caption, const QString &text)
{
    startup::LogError(caption + QStringLiteral(": ") + text);
    if (Handler())
        Handler()(caption, text);
    else
        ShowSystemErrorBox(caption, text);
}

void ShowSystemErrorBox(const QString &caption, const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return; // no screen: standard error only
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

void ConnectStartupDialogs(TBaseDM &dm)
{
    dm.ErrorBox = [](const QString &caption, const QString &text) { SystemErrorBox(caption, text); };
    dm.ConfirmBox = [](const QString &text) {
        return CyrMessageDlg(text, mtConfirmation, {mbYes, mbNo}) == mrYes;
    };
    dm.InformBox = [](const QString &text) { CyrMessageDlg(text, mtInformation, {mbOK}); };
}

TErrorBoxRecorder::TErrorBoxRecorder()
{
    FPrevious = SetSystemErrorBoxHandler(
        [this](const QString &caption, const QString &text) { FBoxes.push_back({caption, text}); });
}

TErrorBoxRecorder::~TErrorBoxRecorder()
{
    SetSystemErrorBoxHandler(std::move(FPrevious));
}
