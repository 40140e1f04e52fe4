#include "framework/forms/searchact.h"

#include "framework/forms/formutils.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmSearchAct::TfrmSearchAct(QWidget *owner) : TfrmBaseForm(owner)
{
    setObjectName(QStringLiteral("frmSearchAct"));
    setWindowTitle(QStringLiteral("Търсене"));
    SetBorderStyle(TBorderStyle::Dialog);
    SetPosition(TFormPosition::DesktopCenter);

    auto *layout = new QVBoxLayout(this);
    auto *criteriaLabel = new QLabel(QStringLiteral("Текст за търсене"), this);
    cbCriteria = new QComboBox(this);
    cbCriteria->setObjectName(QStringLiteral("cbCriteria"));
    cbCriteria->setEditable(true);
    cbCriteria->setInsertPolicy(QComboBox::NoInsert);
    cbCriteria->setMinimumWidth(320);
    criteriaLabel->setBuddy(cbCriteria);
    layout->addWidget(criteriaLabel);
    layout->addWidget(cbCriteria);

    auto *fieldsLabel = new QLabel(QStringLiteral("Полета за търсене"), this);
    layout->addSpacing(4);
    auto *fieldsHeader = new QHBoxLayout();
    fieldsHeader->addWidget(fieldsLabel, 1);
    btnAll = new QToolButton(this);
    btnAll->setObjectName(QStringLiteral("btnAll"));
    btnAll->setToolTip(QStringLiteral("Всички"));
    btnAll->setAutoRaise(true);
    btnAll->setIcon(CheckMarkIcon(true, btnAll));
    btnNone = new QToolButton(this);
    btnNone->setObjectName(QStringLiteral("btnNone"));
    btnNone->setToolTip(QStringLiteral("Никой"));
    btnNone->setAutoRaise(true);
    btnNone->setIcon(CheckMarkIcon(false, btnNone));
    fieldsHeader->addWidget(btnAll);
    fieldsHeader->addWidget(btnNone);
    layout->addLayout(fieldsHeader);

    lvFields = new QTreeWidget(this);
    lvFields->setObjectName(QStringLiteral("lvFields"));
    lvFields->setColumnCount(2);
    lvFields->setHeaderHidden(true);
    lvFields->setRootIsDecorated(false);
    lvFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFields->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFields->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvFields->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lvFields->header()->setStretchLastSection(false);
    lvFields->setMinimumHeight(200);
    fieldsLabel->setBuddy(lvFields);
    layout->addWidget(lvFields, 1);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отказ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    SetCancelButton(btnCancel);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnAll, &QToolButton::clicked, this, [this] { CheckAll(true); });
    connect(btnNone, &QToolButton::clicked, this, [this] { CheckAll(false); });
    connect(btnOk, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSearchAct::reject);
    connect(lvFields, &QTreeWidget::itemDoubleClicked, this, [](QTreeWidgetItem *item, int) {
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
}

void TfrmSearchAct::SetCriteria(const QStringList &history)
{
    cbCriteria->clear();
    cbCriteria->addItems(history);
    if (!history.isEmpty())
        cbCriteria->setCurrentIndex(0);
    else
        cbCriteria->setEditText(QString());
}

QString TfrmSearchAct::CriteriaText() const
{
    return cbCriteria->currentText();
}

void TfrmSearchAct::AddField(const QString &displayName, const QString &fieldName, bool checked)
{
    auto *item = new QTreeWidgetItem(lvFields, QStringList{displayName, fieldName});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

int TfrmSearchAct::FieldCount() const
{
    return lvFields->topLevelItemCount();
}

bool TfrmSearchAct::FieldChecked(int index) const
{
    QTreeWidgetItem *item = lvFields->topLevelItem(index);
    return item && item->checkState(0) == Qt::Checked;
}

void TfrmSearchAct::SetFieldChecked(int index, bool checked)
{
    if (QTreeWidgetItem *item = lvFields->topLevelItem(index))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

QStringList TfrmSearchAct::CheckedFields() const
{
    QStringList names;
    for (int i = 0; i < FieldCount(); ++i)
        if (FieldChecked(i))
            names << lvFields->topLevelItem(i)->text(1);
    return names;
}

void TfrmSearchAct::CheckAll(bool checked)
{
    for (int i = 0; i < FieldCount(); ++i)
        SetFieldChecked(i, checked);
}

void TfrmSearchAct::FirstShow()
{
    cbCriteria->setFocus();
    if (cbCriteria->lineEdit())
        cbCriteria->lineEdit()->selectAll();
}
