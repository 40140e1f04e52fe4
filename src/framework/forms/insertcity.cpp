#include "framework/forms/insertcity.h"

#include "framework/forms/formutils.h"

#include <QAction>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmInsertCity::TfrmInsertCity(QWidget *owner) : TfrmYesNo(owner)
{
    setObjectName(QStringLiteral("frmInsertCity"));
    setWindowTitle(QStringLiteral("Въвеждане на град"));

    auto *form = new QFormLayout(ClientArea());
    form->setContentsMargins(0, 0, 0, 0);
    eCode = new QLineEdit(ClientArea());
    eCode->setObjectName(QStringLiteral("eCode"));
    eName = new QLineEdit(ClientArea());
    eName->setObjectName(QStringLiteral("eName"));
    eCityName = new QLineEdit(ClientArea());
    eCityName->setObjectName(QStringLiteral("eCityName"));
    eCode->setMaximumWidth(120);
    eName->setMinimumWidth(260);
    form->addRow(QStringLiteral("Код"), eCode);
    form->addRow(QStringLiteral("Град"), eName);
    form->addRow(QStringLiteral("City Name"), eCityName);

    actnSave = new QAction(QStringLiteral("Запис"), this);
    actnSave->setObjectName(QStringLiteral("actnSave"));
    btnOk->setText(actnSave->text());
    btnCancel->setText(QStringLiteral("Отказ"));
    connect(actnSave, &QAction::changed, this, [this] { btnOk->setEnabled(actnSave->isEnabled()); });
    connect(actnSave, &QAction::triggered, this, [this] { SetModalResult(mrOk); });
    for (QLineEdit *edit : {eCode, eName, eCityName})
        connect(edit, &QLineEdit::textChanged, this, &TfrmInsertCity::UpdateActions);

    FWindowColor = eName->palette().color(QPalette::Base);
    FEmptyTint = BlendColor(FWindowColor, QColor(255, 0, 0), 0.1);
    UpdateActions();
}

void TfrmInsertCity::SetTexts(const QString &code, const QString &name, const QString &cityName)
{
    eCode->setText(code);
    eName->setText(name);
    eCityName->setText(cityName);
}

void TfrmInsertCity::UpdateActions()
{
    bool all = true;
    for (QLineEdit *edit : {eCode, eName, eCityName}) {
        const bool empty = edit->text().isEmpty();
        all = all && !empty;
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, empty ? FEmptyTint : FWindowColor);
        edit->setPalette(palette);
    }
    actnSave->setEnabled(all);
    btnOk->setEnabled(all);
}

void TfrmInsertCity::FirstShow()
{
    FWindowColor = palette().color(QPalette::Base);
    FEmptyTint = BlendColor(FWindowColor, QColor(255, 0, 0), 0.1);
    UpdateActions();
}

void TfrmInsertCity::AfterShow()
{
    if (eName->text().isEmpty())
        eName->setFocus();
    else
        eCode->setFocus();
}

void TfrmInsertCity::btnOkClick()
{
    UpdateActions();
    if (actnSave->isEnabled())
        actnSave->trigger();
}
