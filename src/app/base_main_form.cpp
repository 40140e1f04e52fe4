#include "app/base_main_form.h"

#include "app/app_info.h"
#include "app/icons.h"
#include "app/main_wheel.h"
#include "framework/data/basedm.h"
#include "framework/forms/cyrmessagedlg.h"
#include "framework/text/abort.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

#ifndef KARVONEL_VERSION
#define KARVONEL_VERSION "4.0.0"
#endif

QString TBaseMainForm::CloseQuestion()
{
    return QStringLiteral("Желаете ли да приключите работа с програмата?");
}

QString TBaseMainForm::EmptyDatabaseQuestion()
{
    return QStringLiteral("Всички данни в базата данни ще бъдат изтрити! Желаете ли да продължите?");
}

QString TBaseMainForm::AboutText()
{
    return QStringLiteral("%1\nВерсия %2").arg(ApplicationTitle(), QStringLiteral(KARVONEL_VERSION));
}

TBaseMainForm::TBaseMainForm(TBaseDM *dataModule, QWidget *owner)
    : TfrmBaseForm(owner), FDataModule(dataModule)
{
    setObjectName(QStringLiteral("frmBaseMain"));
    KeyboardState = [] { return QGuiApplication::queryKeyboardModifiers(); };
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
    TaskBar = new QWidget(this);
    TaskBar->setObjectName(QStringLiteral("TaskBar"));
    TaskBar->hide();
    layout->addWidget(TaskBar);
    layout->addStretch(1);

    WebCheckTimer.setInterval(500);

    // --- System commands ---
    actnChangePassword = MakeAction(ActionList2, QStringLiteral("actnChangePassword"),
                                    QStringLiteral("Смана на парола"), QString(),
                                    MainIcon(QStringLiteral("dialog-password"), QStyle::SP_DialogResetButton));
    connect(actnChangePassword, &QAction::triggered, this, [this] { actnChangePasswordExecute(); });
    actnChangeMainternancePassword = MakeAction(ActionList2, QStringLiteral("actnChangeMainternancePassword"),
                                                QStringLiteral("Парола за поддръжка"));
    connect(actnChangeMainternancePassword, &QAction::triggered, this,
            [this] { actnChangeMainternancePasswordExecute(); });
    actnUserRights = MakeAction(ActionList2, QStringLiteral("actnUserRights"), QStringLiteral("Потребителски права"),
                                QString(), MainIcon(QStringLiteral("user-group-properties"), QStyle::SP_DirHomeIcon));
    connect(actnUserRights, &QAction::triggered, this, [this] { actnUserRightsExecute(); });
    actnLogoff = MakeAction(ActionList2, QStringLiteral("actnLogoff"), QStringLiteral("Изход от защитена зона"));
    connect(actnLogoff, &QAction::triggered, this, [this] { actnLogoffExecute(); });
    actnSettings = MakeAction(ActionList2, QStringLiteral("actnSettings"), QStringLiteral("Настройки"), QString(),
                              MainIcon(QStringLiteral("configure"), QStyle::SP_FileDialogDetailedView));
    connect(actnSettings, &QAction::triggered, this, [this] { actnSettingsExecute(); });
    actnDocClauses = MakeAction(ActionList2, QStringLiteral("actnDocClauses"), QStringLiteral("Документи-Клаузи"));
    connect(actnDocClauses, &QAction::triggered, this, [this] { actnDocClausesExecute(); });
    // The network settings, the archives and the news check come with their
    // own tools; until then the commands are shown disabled.
    actnNetwork = MakeAction(ActionList2, QStringLiteral("actnNetwork"), QStringLiteral("Настройки на мрежа"),
                             QString(), MainIcon(QStringLiteral("network-wired"), QStyle::SP_DriveNetIcon));
    actnBackupDB = MakeAction(ActionList2, QStringLiteral("actnBackupDB"), QStringLiteral("Архивиране"),
                              QStringLiteral("Архивиране на базата данни"),
                              MainIcon(QStringLiteral("document-save"), QStyle::SP_DialogSaveButton));
    actnBackupDBToDir = MakeAction(ActionList2, QStringLiteral("actnBackupDBToDir"), QStringLiteral("Архивиране в ..."),
                                   QStringLiteral("Архивиране на базата данни"),
                                   MainIcon(QStringLiteral("document-save-as"), QStyle::SP_DialogSaveButton));
    actnRestoreDB = MakeAction(ActionList2, QStringLiteral("actnRestoreDB"), QStringLiteral("Възстановяване"),
                               QStringLiteral("Възстановяване на базата данни"),
                               MainIcon(QStringLiteral("document-revert"), QStyle::SP_BrowserReload));
    actnAbout = MakeAction(ActionList2, QStringLiteral("actnAbout"), QStringLiteral("За програмата"), QString(),
                           MainIcon(QStringLiteral("help-about"), QStyle::SP_MessageBoxInformation));
    connect(actnAbout, &QAction::triggered, this, [this] { actnAboutExecute(); });
    // Help has no behaviour in this system.
    actnHelp = MakeAction(ActionList2, QStringLiteral("actnHelp"), QStringLiteral("Помощна информация"), QString(),
                          MainIcon(QStringLiteral("help-contents"), QStyle::SP_DialogHelpButton),
                          QKeySequence(Qt::Key_F1));
    actnWebCheck = MakeAction(ActionList2, QStringLiteral("actnWebCheck"), QStringLiteral("Нова версия - проверка"));
    // The settings dialog comes with the client data.
    for (QAction *a : {actnSettings, actnNetwork, actnBackupDB, actnBackupDBToDir, actnRestoreDB, actnWebCheck})
        a->setEnabled(false);
    actnWebCheck->setVisible(false);

    // --- "Системни" ---
    SettingsPopupMenu = new QMenu(this);
    SettingsPopupMenu->setObjectName(QStringLiteral("SettingsPopupMenu"));
    SettingsPopupMenu->addAction(actnChangePassword);
    SettingsPopupMenu->addAction(actnChangeMainternancePassword);
    SettingsPopupMenu->addAction(actnUserRights);
    SettingsPopupMenu->addAction(actnLogoff);
    SettingsPopupMenu->addAction(actnSettings);
    SettingsPopupMenu->addAction(actnDocClauses);
    SettingsPopupMenu->addSeparator();
    SettingsPopupMenu->addAction(actnNetwork);
    SettingsPopupMenu->addSeparator();
    mnuArchives = SettingsPopupMenu->addMenu(QStringLiteral("Архиви"));
    mnuArchives->setObjectName(QStringLiteral("mnuArchives"));
    mnuArchives->addAction(actnBackupDB);
    mnuArchives->addAction(actnBackupDBToDir);
    mnuArchives->addAction(actnRestoreDB);
    miSep2 = SettingsPopupMenu->addSeparator();
    miSep2->setObjectName(QStringLiteral("miSep2"));
    miMainternance = SettingsPopupMenu->addMenu(QStringLiteral("Mainternance"));
    miMainternance->setObjectName(QStringLiteral("miMainternance"));
    miUndoStorno = miMainternance->addAction(QStringLiteral("Undo STORNO"));
    miUndoStorno->setEnabled(false); // the maintenance tools bring it
    miMainternance->addSeparator();
    miSQLPad = miMainternance->addAction(QStringLiteral("SQL Pad"));
    miSQLPad->setEnabled(false);     // the maintenance tools bring it
    miMainternance->addSeparator();
    miEmptyDB = miMainternance->addAction(QStringLiteral("Empty DB"));
    miResetPass = miMainternance->addAction(QStringLiteral("Reset Pass"));
    miAdjustCounters = miMainternance->addAction(QStringLiteral("Adjust Counters"));
    connect(miEmptyDB, &QAction::triggered, this, [this] { miEmptyDBClick(); });
    connect(miResetPass, &QAction::triggered, this, [this] { miResetPassClick(); });
    connect(miAdjustCounters, &QAction::triggered, this, [this] { miAdjustCountersClick(); });
    connect(SettingsPopupMenu, &QMenu::aboutToShow, this, [this] {
        UpdateMaintenanceMenu();
        UpdateSystemActions();
    });
    UpdateMaintenanceMenu();

    // --- "Документация" ---
    DocsPopupMenu = new QMenu(this);
    DocsPopupMenu->setObjectName(QStringLiteral("DocsPopupMenu"));
    DocsPopupMenu->addAction(actnAbout);
    DocsPopupMenu->addAction(actnHelp);
    DocsPopupMenu->addAction(actnWebCheck);

    mxXPButton5 = MakeButton(QStringLiteral("mxXPButton5"), QStringLiteral("Системни"), QString(),
                             MainIcon(QStringLiteral("preferences-system"), QStyle::SP_ComputerIcon));
    mxXPButton5->setMenu(SettingsPopupMenu);
    mxXPButton5->setPopupMode(QToolButton::InstantPopup);
    mxXPButton4 = MakeButton(QStringLiteral("mxXPButton4"), QStringLiteral("Документация"), QString(),
                             MainIcon(QStringLiteral("help-contents"), QStyle::SP_DialogHelpButton));
    mxXPButton4->setMenu(DocsPopupMenu);
    mxXPButton4->setPopupMode(QToolButton::InstantPopup);
    btnExit = MakeButton(QStringLiteral("btnExit"), QStringLiteral("Изход"), QStringLiteral("Изход от програмата"),
                         MainIcon(QStringLiteral("application-exit"), QStyle::SP_DialogCloseButton));
    connect(btnExit, &QToolButton::clicked, this, &QWidget::close);

    if (FDataModule)
        connect(FDataModule, &TBaseDM::ElevationChanged, this, [this] { UpdateSystemActions(); });
    UpdateSystemActions();

    // The wheel scrolls what is under the pointer, in every window.
    FWheel = new TWheelRedirector(this);
    qApp->installEventFilter(FWheel);
}

TBaseMainForm::~TBaseMainForm()
{
    if (FWheel)
        qApp->removeEventFilter(FWheel);
    FreeKeptObjects();
}

QAction *TBaseMainForm::MakeAction(QList<QAction *> &list, const QString &name, const QString &caption,
                                   const QString &hint, const QIcon &icon, const QKeySequence &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    if (!icon.isNull())
        action->setIcon(icon);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        addAction(action);
    }
    list.append(action);
    return action;
}

QToolButton *TBaseMainForm::MakeButton(const QString &name, const QString &caption, const QString &hint,
                                       const QIcon &icon)
{
    auto *button = new QToolButton(Toolbar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint.isEmpty() ? caption : hint);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedHeight(53);
    button->setMinimumWidth(72);
    auto *bar = static_cast<QHBoxLayout *>(Toolbar->layout());
    bar->insertWidget(bar->count() - 1, button); // before the stretch
    return button;
}

QToolButton *TBaseMainForm::AddToolbarButton(const QString &name, const QString &caption, const QString &hint,
                                             const QIcon &icon)
{
    QToolButton *button = MakeButton(name, caption, hint, icon);
    // The command buttons stay left of "Системни", in the order they are added.
    auto *bar = static_cast<QHBoxLayout *>(Toolbar->layout());
    bar->removeWidget(button);
    bar->insertWidget(bar->indexOf(mxXPButton5), button);
    return button;
}

void TBaseMainForm::RunCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const EAbort &) {
        // A silent abort ends the command without a message.
    } catch (const std::exception &e) {
        CyrMessageDlg(QString::fromUtf8(e.what()), mtError, {mbOK});
    }
}

bool TBaseMainForm::MaintenanceAllowed()
{
    return FDataModule && (FDataModule->IsAdmin || FDataModule->AskElevation());
}

void TBaseMainForm::actnChangePasswordExecute()
{
    RunCommand([this] { FDataModule->ChangePassword(); });
}

void TBaseMainForm::actnChangeMainternancePasswordExecute()
{
    RunCommand([this] { FDataModule->ChangeMaintenancePassword(); });
}

void TBaseMainForm::actnUserRightsExecute()
{
    RunCommand([this] {
        if (FDataModule->IsAllowed(34))
            FDataModule->ShowSecuritySettings();
    });
}

void TBaseMainForm::actnLogoffExecute()
{
    if (FDataModule)
        FDataModule->EndElevation();
    UpdateSystemActions();
}

void TBaseMainForm::actnAboutExecute()
{
    CyrMessageDlg(AboutText(), mtInformation, {mbOK});
}

void TBaseMainForm::miEmptyDBClick()
{
    RunCommand([this] {
        if (!MaintenanceAllowed())
            return;
        if (CyrMessageDlg(EmptyDatabaseQuestion(), mtConfirmation, {mbYes, mbNo}) != mrYes)
            return;
        PrepareForDatabaseOperation();
        FDataModule->EmptyDatabase();
    });
}

void TBaseMainForm::miResetPassClick()
{
    RunCommand([this] {
        if (MaintenanceAllowed())
            FDataModule->ResetPasswords();
    });
}

void TBaseMainForm::miAdjustCountersClick()
{
    RunCommand([this] {
        if (MaintenanceAllowed())
            FDataModule->AdjustCounters();
    });
}

void TBaseMainForm::UpdateMaintenanceMenu()
{
    const Qt::KeyboardModifiers held = KeyboardState ? KeyboardState() : Qt::KeyboardModifiers();
    const bool show = held.testFlag(Qt::ShiftModifier) && held.testFlag(Qt::ControlModifier);
    miSep2->setVisible(show);
    miMainternance->menuAction()->setVisible(show);
}

void TBaseMainForm::UpdateSystemActions()
{
    actnLogoff->setEnabled(FDataModule && FDataModule->IsElevated());
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
    if (!isVisible()) {
        WebCheckTimer.stop();
        FreeKeptObjects();
    }
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
