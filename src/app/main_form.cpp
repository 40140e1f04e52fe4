#include "app/main_form.h"

#include "app/tdm.h"

TfrmMain::TfrmMain(Tdm *dataModule, QWidget *owner) : TBaseMainForm(dataModule, owner), FDm(dataModule)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Карвонел"));
    WebNewsAppName = QStringLiteral("karvonel2_base");
}
