#include "framework/forms/listchoose.h"

#include "framework/forms/cyrmessagedlg.h"
#include "framework/forms/formutils.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

TdlgListChoose::TdlgListChoose(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dlgListChoose"));
    auto *layout = new QVBoxLayout(this);

    auto *tools = new QHBoxLayout();
    tools->setSpacing(2);
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
    tools->addWidget(btnAll);
    tools->addWidget(btnNone);
    tools->addStretch(1);
    layout->addLayout(tools);
    btnAll->hide();
    btnNone->hide();

    chlbChoose = new QListWidget(this);
    chlbChoose->setObjectName(QStringLiteral("chlbChoose"));
    chlbChoose->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(chlbChoose, 1);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отказ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    resize(320, 400);

    connect(btnAll, &QToolButton::clicked, this, [this] { CheckAll(true); });
    connect(btnNone, &QToolButton::clicked, this, [this] { CheckAll(false); });
    connect(btnOk, &QPushButton::clicked, this, &TdlgListChoose::TryAccept);
    connect(btnCancel, &QPushButton::clicked, this, &TdlgListChoose::reject);
    connect(chlbChoose, &QListWidget::itemDoubleClicked, this, [this] {
        if (SingleChoice)
            TryAccept();
    });
    // A dragged item is the selected one where it lands.
    connect(chlbChoose->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int first, int last, const QModelIndex &, int row) {
                int landed = row > first ? row - (last - first + 1) : row;
                chlbChoose->setCurrentRow(landed);
            });
}

void TdlgListChoose::SetAllowDrag(bool allow)
{
    FAllowDrag = allow;
    chlbChoose->setDragEnabled(allow);
    chlbChoose->setAcceptDrops(allow);
    // Only moves inside the list: drops from other controls are refused.
    chlbChoose->setDragDropMode(allow ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
    chlbChoose->setDefaultDropAction(Qt::MoveAction);
}

void TdlgListChoose::ShowAllNone(bool show)
{
    btnAll->setVisible(show);
    btnNone->setVisible(show);
}

int TdlgListChoose::AddItem(const QString &text, bool checked, const QVariant &object)
{
    auto *item = new QListWidgetItem(text, chlbChoose);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                   Qt::ItemIsDragEnabled);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, object);
    return chlbChoose->count() - 1;
}

int TdlgListChoose::Count() const
{
    return chlbChoose->count();
}

QString TdlgListChoose::ItemText(int index) const
{
    QListWidgetItem *item = chlbChoose->item(index);
    return item ? item->text() : QString();
}

QVariant TdlgListChoose::ItemObject(int index) const
{
    QListWidgetItem *item = chlbChoose->item(index);
    return item ? item->data(Qt::UserRole) : QVariant();
}

bool TdlgListChoose::Checked(int index) const
{
    QListWidgetItem *item = chlbChoose->item(index);
    return item && item->checkState() == Qt::Checked;
}

void TdlgListChoose::SetChecked(int index, bool checked)
{
    if (QListWidgetItem *item = chlbChoose->item(index))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int TdlgListChoose::CheckedCount() const
{
    int count = 0;
    for (int i = 0; i < Count(); ++i)
        if (Checked(i))
            ++count;
    return count;
}

void TdlgListChoose::CheckAll(bool checked)
{
    for (int i = 0; i < Count(); ++i)
        SetChecked(i, checked);
}

void TdlgListChoose::TryAccept()
{
    const int checked = CheckedCount();
    QString refusal;
    if (checked == 0 && !AllowEmpty)
        refusal = QStringLiteral("Не сте направили избор!");
    else if (SingleChoice && checked > 1)
        refusal = QStringLiteral("Трябва да направите единичен избор!");
    else if (RefuseAll && checked == Count() && checked > 0)
        refusal = QStringLiteral("Не може да изберете всички!");
    if (!refusal.isEmpty()) {
        CyrMessageDlg(refusal, mtWarning, {mbOK});
        return;
    }
    done(mrOk);
}

void TdlgListChoose::reject()
{
    done(mrCancel);
}

void TdlgListChoose::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FPlaced)
        return;
    FPlaced = true;
    QScreen *screen = parentWidget() ? parentWidget()->window()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        const QSize frame = frameGeometry().size();
        move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
    }
}
