#include "app/base_main_form.h"

#include "app/app_info.h"
#include "framework/forms/cyrmessagedlg.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

QString TBaseMainForm::CloseQuestion()
{
    return QStringLiteral("Желаете ли да приключите работа с програмата?");
}

TBaseMainForm::TBaseMainForm(TBaseDM *dataModule, QWidget *owner)
    : TfrmBaseForm(owner), FDataModule(dataModule)
{
    setObjectName(QStringLiteral("frmBaseMain"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Toolbar = new QWidget(this);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar->setFixedHeight(56);
    auto *bar = new QHBoxLayout(Toolbar);
    bar->setContentsMargins(2, 1, 2, 1);
    bar->setSpacing(2);
    bar->addStretch(1);
    layout->addWidget(Toolbar);
    layout->addStretch(1);

    btnExit = AddToolbarButton(QStringLiteral("btnExit"), QStringLiteral("Изход"),
                               QStringLiteral("Изход от програмата"),
                               QIcon::fromTheme(QStringLiteral("application-exit"),
                                                style()->standardIcon(QStyle::SP_DialogCloseButton)));
    connect(btnExit, &QToolButton::clicked, this, &QWidget::close);
}

TBaseMainForm::~TBaseMainForm()
{
    FreeKeptObjects();
}

QToolButton *TBaseMainForm::AddToolbarButton(const QString &name, const QString &caption,
                                             const QString &hint, const QIcon &icon)
{
    auto *button = new QToolButton(Toolbar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedHeight(53);
    button->setMinimumWidth(64);
    auto *bar = static_cast<QHBoxLayout *>(Toolbar->layout());
    // Buttons stay left of the stretch, in the order they are added; the
    // exit button is the last one.
    const int at = btnExit ? bar->indexOf(btnExit) : bar->count() - 1;
    bar->insertWidget(at, button);
    return button;
}

void TBaseMainForm::KeepObject(QObject *object)
{
    if (object)
        FKeptObjects.append(object);
}

int TBaseMainForm::KeptObjectCount() const
{
    int n = 0;
    for (const QPointer<QObject> &o : FKeptObjects)
        if (o)
            ++n;
    return n;
}

void TBaseMainForm::FreeKeptObjects()
{
    const QList<QPointer<QObject>> objects = std::move(FKeptObjects);
    FKeptObjects.clear();
    for (const QPointer<QObject> &o : objects)
        delete o.data();
}

void TBaseMainForm::FirstShow()
{
    if (QScreen *monitor = screen()) {
        const QRect area = monitor->geometry();
        move(area.topLeft());
        resize(area.width(), height());
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    setWindowTitle(ApplicationTitle());
}

bool TBaseMainForm::CloseQuery(int result)
{
    return CyrMessageDlg(CloseQuestion(), mtConfirmation, {mbYes, mbCancel}) == mrYes;
}

void TBaseMainForm::done(int result)
{
    TfrmBaseForm::done(result);
    if (!isVisible())
        FreeKeptObjects();
}
