#include "framework/forms/yesno.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TfrmYesNo::TfrmYesNo(QWidget *owner) : TfrmBaseForm(owner)
{
    setObjectName(QStringLiteral("frmYesNo"));
    SetBorderStyle(TBorderStyle::Dialog);
    SetBorderIcons(biSystemMenu | biMinimize);

    auto *layout = new QVBoxLayout(this);
    FClient = new QWidget(this);
    FClient->setObjectName(QStringLiteral("ClientArea"));
    layout->addWidget(FClient, 1);

    FButtonRow = new QHBoxLayout();
    FButtonRow->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : {btnOk, btnCancel})
        button->setMinimumWidth(std::max(button->sizeHint().width(), 80));
    SetCancelButton(btnCancel);
    FButtonRow->addWidget(btnOk);
    FButtonRow->addWidget(btnCancel);
    layout->addLayout(FButtonRow);

    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmYesNo::btnOkClick()
{
    SetModalResult(mrOk);
}

void TfrmYesNo::btnCancelClick()
{
    reject();
}
