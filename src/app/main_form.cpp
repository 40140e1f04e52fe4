#include "app/main_form.h"

#include "app/app_info.h"
#include "app/commands.h"
#include "app/icons.h"
#include "app/main_lists.h"
#include "app/tdm.h"
#include "masterdata/cities_form.h"
#include "masterdata/doc_clauses_form.h"
#include "masterdata/douanes_form.h"
#include "masterdata/reference_lists.h"
#include "masterdata/truck_types_form.h"
#include "framework/forms/globalvalues.h"
#include "framework/settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {
const char *const RightItemProperty = "karvonelRightItem";
const char *const AdminProperty = "karvonelAdminOnly";
const char *const AvailableProperty = "karvonelAvailable";

// The names the one-instance windows are kept under.
const QString WaresWindow = QStringLiteral("frmWares");
const QString TrucksWindow = QStringLiteral("frmTransport");
} // namespace

TfrmMain::TfrmMain(Tdm *dataModule, QWidget *owner) : TBaseMainForm(dataModule, owner), FDm(dataModule)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Карвонел"));
    WebNewsAppName = QStringLiteral("karvonel2_base");
    BuildCommands();
    BuildToolbar();
    // In the main window the maintenance password and the end of the
    // protected zone stay out of the menu.
    actnChangeMainternancePassword->setVisible(false);
    actnLogoff->setVisible(false);

    if (FDm) {
        // The closure button is for administrators only.
        const users::TUserInfo user = FDm->GetUserInfo(FDm->CurrentUserId);
        if (user.UserType != QLatin1String("1"))
            xbtnComplete->hide();
        // The data module's own notices reach every open window.
        FDm->NotifyForms = [this](int action, int kind) { NotifyFormsFor(FDm, action, kind); };
    }
    UpdateActions();
}

TfrmMain::~TfrmMain()
{
    if (FDm)
        FDm->NotifyForms = nullptr;
}

// --- Commands -------------------------------------------------------------

QAction *TfrmMain::Command(const QString &name, const QString &caption, int rightItem, bool admin,
                           const QIcon &icon)
{
    QAction *action = MakeAction(ActionList, name, caption, QString(), icon);
    action->setProperty(RightItemProperty, rightItem);
    action->setProperty(AdminProperty, admin);
    action->setProperty(AvailableProperty, false);
    return action;
}

int TfrmMain::RightItem(const QAction *action)
{
    return action ? action->property(RightItemProperty).toInt() : 0;
}

bool TfrmMain::AdminOnly(const QAction *action)
{
    return action && action->property(AdminProperty).toBool();
}

void TfrmMain::SetAvailable(QAction *action, bool available)
{
    action->setProperty(AvailableProperty, available);
    UpdateActions();
}

void TfrmMain::UpdateActions()
{
    const bool admin = FDm && FDm->IsAdmin;
    for (QAction *action : std::as_const(ActionList)) {
        bool enabled = action->property(AvailableProperty).toBool();
        if (AdminOnly(action) && !admin)
            enabled = false;
        action->setEnabled(enabled);
    }
    // The plain currency list needs its dataset open.
    if (actnCurrencies->isEnabled() && !(FDm && FDm->qCurrencies.Active()))
        actnCurrencies->setEnabled(false);
}

bool TfrmMain::Allowed(int rightItem)
{
    return rightItem <= 0 || (FDm && FDm->IsAllowed(rightItem));
}

QWidget *TfrmMain::OpenSingle(int rightItem, const QString &name, const std::function<QWidget *()> &create)
{
    if (!Allowed(rightItem))
        return nullptr;
    return ShowSingleInstance(name, create);
}

bool TfrmMain::RunNew(int rightItem, const QString &listName, const std::function<void()> &open)
{
    if (!Allowed(rightItem))
        return false;
    PutGlobalValue(listName + QStringLiteral("::SHOWCMD"), QStringLiteral("NEW"));
    if (open)
        open();
    return true;
}

void TfrmMain::BuildCommands()
{
    actnClients = Command(QStringLiteral("actnClients"), QStringLiteral("Търговски фирми / Карвонели"), 15, false,
                          MainIcon(QStringLiteral("x-office-contact"), QStyle::SP_DirHomeIcon));
    actnKarvonel = Command(QStringLiteral("actnKarvonel"), QStringLiteral("Превозвачи"), 16, false,
                           MainIcon(QStringLiteral("globe"), QStyle::SP_DriveNetIcon));
    actnWares = Command(QStringLiteral("actnWares"), QStringLiteral("Товари"), 17);
    actnTrucks = Command(QStringLiteral("actnTrucks"), QStringLiteral("Превоз"), 18);
    actnRFQ = Command(QStringLiteral("actnRFQ"), QStringLiteral("Заявки"), 19, false,
                      MainIcon(QStringLiteral("document-edit"), QStyle::SP_FileDialogContentsView));
    actnConfirm = Command(QStringLiteral("actnConfirm"), QStringLiteral("Потвърждения"), 19, false,
                          MainIcon(QStringLiteral("mail-mark-task"), QStyle::SP_DialogApplyButton));
    actnContracts = Command(QStringLiteral("actnContracts"), QStringLiteral("Договори за транспорт"), 19);
    actnDeals = Command(QStringLiteral("actnDeals"), QStringLiteral("Сделки"), 19, false,
                        MainIcon(QStringLiteral("view-financial-list"), QStyle::SP_FileDialogListView));
    // "Заявки" of the second kind has no behaviour.
    actnRequest = Command(QStringLiteral("actnRequest"), QStringLiteral("Заявки"));

    actnCountries = Command(QStringLiteral("actnCountries"), QStringLiteral("Държави"), 10);
    connect(actnCountries, &QAction::triggered, this, [this] { actnCountriesExecute(); });
    actnCities = Command(QStringLiteral("actnCities"), QStringLiteral("Градове"), 35);
    actnCurrencies = Command(QStringLiteral("actnCurrencies"), QStringLiteral("Валути"), 13);
    connect(actnCurrencies, &QAction::triggered, this, [this] { actnCurrenciesExecute(); });
    actnTruckTypes = Command(QStringLiteral("actnTruckTypes"), QStringLiteral("Видове камиони"), 9);
    actnActivityTypes = Command(QStringLiteral("actnActivityTypes"), QStringLiteral("Видове дейности"), 36);
    connect(actnActivityTypes, &QAction::triggered, this, [this] { actnActivityTypesExecute(); });
    actnLoadChargeTypes = Command(QStringLiteral("actnLoadChargeTypes"), QStringLiteral("Видове доп. разходи"), 13);
    connect(actnLoadChargeTypes, &QAction::triggered, this, [this] { actnLoadChargeTypesExecute(); });
    actnKalendar = Command(QStringLiteral("actnKalendar"), QStringLiteral("Календар"), 0, false,
                           MainIcon(QStringLiteral("view-calendar"), QStyle::SP_FileDialogInfoView));
    actnNeighbouring = Command(QStringLiteral("actnNeighbouring"), QStringLiteral("Съседни държави"), 11);
    connect(actnNeighbouring, &QAction::triggered, this, [this] { actnNeighbouringExecute(); });
    actnDouanes = Command(QStringLiteral("actnDouanes"), QStringLiteral("Митници"), 12);
    connect(actnDouanes, &QAction::triggered, this, [this] { actnDouanesExecute(); });
    connect(actnCities, &QAction::triggered, this, [this] { actnCitiesExecute(); });
    connect(actnTruckTypes, &QAction::triggered, this, [this] { actnTruckTypesExecute(); });
    actnContactInfoTypes = Command(QStringLiteral("actnContactInfoTypes"), QStringLiteral("Типове контакти"), 14);
    connect(actnContactInfoTypes, &QAction::triggered, this, [this] { actnContactInfoTypesExecute(); });
    for (QAction *a : {actnCountries, actnCurrencies, actnActivityTypes, actnLoadChargeTypes, actnNeighbouring,
                       actnContactInfoTypes, actnCities, actnTruckTypes, actnDouanes})
        a->setProperty(AvailableProperty, true);

    actnInvoices = Command(QStringLiteral("actnInvoices"), QStringLiteral("Издадени фактури"), 20);
    actnNewInvoice = Command(QStringLiteral("actnNewInvoice"), QStringLiteral("Нова фактура"), 20);
    connect(actnNewInvoice, &QAction::triggered, this, [this] { actnNewInvoiceExecute(); });
    actnIntInvoices = Command(QStringLiteral("actnIntInvoices"), QStringLiteral("Инвойси"), 23);
    actnNewIntInvoice = Command(QStringLiteral("actnNewIntInvoice"), QStringLiteral("Нов инвойс"), 23);
    connect(actnNewIntInvoice, &QAction::triggered, this, [this] { actnNewIntInvoiceExecute(); });
    actnKarvonelInvoices = Command(QStringLiteral("actnKarvonelInvoices"), QStringLiteral("Плащания към заявки"), 22);
    actnNewKarvonelInvoice =
        Command(QStringLiteral("actnNewKarvonelInvoice"), QStringLiteral("Ново плащане към заявка"), 22);
    connect(actnNewKarvonelInvoice, &QAction::triggered, this, [this] { actnNewKarvonelInvoiceExecute(); });
    actnChargeInvoices = Command(QStringLiteral("actnChargeInvoices"), QStringLiteral("Разходни фактури"), 21);
    actnNewChargeInvoice = Command(QStringLiteral("actnNewChargeInvoice"), QStringLiteral("Нова разходна фактура"), 21);
    connect(actnNewChargeInvoice, &QAction::triggered, this, [this] { actnNewChargeInvoiceExecute(); });

    actnCommission = Command(QStringLiteral("actnCommission"), QStringLiteral("Комисион карвонели"));
    actnDetailedReport = Command(QStringLiteral("actnDetailedReport"), QStringLiteral("Подробна справка"), 26, true);
    actnPaymentsReport = Command(QStringLiteral("actnPaymentsReport"), QStringLiteral("Баланс"), 0, true);
    // The K of "Kлиенти" is a Latin K, as the program always wrote it.
    actnDueBGClients = Command(QStringLiteral("actnDueBGClients"), QStringLiteral("Kлиенти - неплатени лева"), 27, true);
    actnDueINTClients =
        Command(QStringLiteral("actnDueINTClients"), QStringLiteral("Kлиенти - неплатени валута"), 28, true);
    actnDueBGKarvonels =
        Command(QStringLiteral("actnDueBGKarvonels"), QStringLiteral("Превозвачи - неплатени лева"), 29, true);
    actnDueINTKarvonels =
        Command(QStringLiteral("actnDueINTKarvonels"), QStringLiteral("Превозвачи - неплатени валута"), 30, true);
    actnExpensesReport = Command(QStringLiteral("actnExpensesReport"), QStringLiteral("Справка Разходи"), 0, true);
    actnPaymentsReportClients =
        Command(QStringLiteral("actnPaymentsReportClients"), QStringLiteral("Плащания от клиенти"), 0, true);
    actnPaymentsReportKarvonels =
        Command(QStringLiteral("actnPaymentsReportKarvonels"), QStringLiteral("Плащания към превозвачи"), 0, true);
}

QToolButton *TfrmMain::GroupButton(const QString &name, const QString &caption, const QString &hint,
                                   const QIcon &icon, QAction *click, QMenu *menu)
{
    QToolButton *button = AddToolbarButton(name, caption, hint, icon);
    if (click) {
        connect(button, &QToolButton::clicked, click, &QAction::trigger);
        connect(click, &QAction::changed, button, [button, click] { button->setEnabled(click->isEnabled()); });
        button->setEnabled(click->isEnabled());
    }
    if (menu) {
        button->setMenu(menu);
        button->setPopupMode(click ? QToolButton::MenuButtonPopup : QToolButton::InstantPopup);
    }
    return button;
}

void TfrmMain::BuildToolbar()
{
    // Items kept in their menus without a command: shown greyed, so that
    // nothing looks like it works when it does not.
    auto inert = [](QMenu *menu, const QString &caption) {
        QAction *item = menu->addAction(caption);
        item->setEnabled(false);
        return item;
    };

    mnuClients = new QMenu(this);
    mnuClients->setObjectName(QStringLiteral("mnuClients"));
    mnuClients->addAction(actnClients);
    mnuClients->addSeparator();
    inert(mnuClients, QStringLiteral("Оферти"));
    inert(mnuClients, QStringLiteral("Писма"));
    xbtnCustomers = GroupButton(QStringLiteral("xbtnCustomers"), QStringLiteral("Товародатели"), QString(),
                                actnClients->icon(), actnClients, mnuClients);

    mnuConfirmations = new QMenu(this);
    mnuConfirmations->setObjectName(QStringLiteral("mnuConfirmations"));
    mnuConfirmations->addAction(actnConfirm);
    mnuConfirmations->addAction(actnContracts);
    mxXPButton2 = GroupButton(QStringLiteral("mxXPButton2"), QStringLiteral("Потвърждения"),
                              QStringLiteral("Потвърждения към клиенти"), actnConfirm->icon(), actnConfirm,
                              mnuConfirmations);

    xbtnTransporters = GroupButton(QStringLiteral("xbtnTransporters"), actnKarvonel->text(), QString(),
                                   actnKarvonel->icon(), actnKarvonel, nullptr);
    mxXPButton1 = GroupButton(QStringLiteral("mxXPButton1"), actnRFQ->text(), QString(), actnRFQ->icon(), actnRFQ,
                              nullptr);
    xbtnQuerys = GroupButton(QStringLiteral("xbtnQuerys"), actnDeals->text(), QString(), actnDeals->icon(),
                             actnDeals, nullptr);

    NomPopupMenu = new QMenu(this);
    NomPopupMenu->setObjectName(QStringLiteral("NomPopupMenu"));
    NomPopupMenu->addAction(actnCountries);
    NomPopupMenu->addAction(actnCities);
    NomPopupMenu->addAction(actnCurrencies);
    NomPopupMenu->addAction(actnTruckTypes);
    NomPopupMenu->addAction(actnActivityTypes);
    NomPopupMenu->addSeparator();
    inert(NomPopupMenu, QStringLiteral("Тип транспорт"));
    NomPopupMenu->addAction(actnLoadChargeTypes);
    NomPopupMenu->addAction(actnKalendar);
    NomPopupMenu->addSeparator();
    // Hidden in the menu; the commands stay.
    QAction *miNeighbouring = NomPopupMenu->addAction(actnNeighbouring->text(), actnNeighbouring, &QAction::trigger);
    miNeighbouring->setVisible(false);
    QAction *miDouanes = NomPopupMenu->addAction(actnDouanes->text(), actnDouanes, &QAction::trigger);
    miDouanes->setVisible(false);
    NomPopupMenu->addSeparator();
    QAction *miContactInfoTypes =
        NomPopupMenu->addAction(actnContactInfoTypes->text(), actnContactInfoTypes, &QAction::trigger);
    miContactInfoTypes->setVisible(false);
    connect(NomPopupMenu, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
    xbtnCarts = GroupButton(QStringLiteral("xbtnCarts"), QStringLiteral("Картотеки"), QString(),
                            MainIcon(QStringLiteral("folder-documents"), QStyle::SP_DirIcon), nullptr, NomPopupMenu);

    ReportsPopupMenu = new QMenu(this);
    ReportsPopupMenu->setObjectName(QStringLiteral("ReportsPopupMenu"));
    ReportsPopupMenu->addAction(actnCommission);
    ReportsPopupMenu->addSeparator();
    QAction *miDetailed =
        ReportsPopupMenu->addAction(QStringLiteral("Справка сделки"), actnDetailedReport, &QAction::trigger);
    connect(actnDetailedReport, &QAction::changed, miDetailed,
            [this, miDetailed] { miDetailed->setEnabled(actnDetailedReport->isEnabled()); });
    ReportsPopupMenu->addAction(actnPaymentsReport);
    ReportsPopupMenu->addAction(actnDueBGClients);
    ReportsPopupMenu->addAction(actnDueINTClients);
    ReportsPopupMenu->addAction(actnDueBGKarvonels);
    ReportsPopupMenu->addAction(actnDueINTKarvonels);
    QAction *miPeriod = inert(ReportsPopupMenu, QStringLiteral("Разчет за период"));
    miPeriod->setVisible(false);
    ReportsPopupMenu->addSeparator();
    ReportsPopupMenu->addAction(actnExpensesReport);
    ReportsPopupMenu->addSeparator();
    ReportsPopupMenu->addAction(actnPaymentsReportClients);
    ReportsPopupMenu->addAction(actnPaymentsReportKarvonels);
    xbtnReports = GroupButton(QStringLiteral("xbtnReports"), QStringLiteral("Справки"), QString(),
                              MainIcon(QStringLiteral("office-chart-bar"), QStyle::SP_FileDialogDetailedView), nullptr,
                              ReportsPopupMenu);

    mnuInvoices = new QMenu(this);
    mnuInvoices->setObjectName(QStringLiteral("mnuInvoices"));
    mnuInvoices->addAction(actnNewInvoice);
    mnuInvoices->addAction(actnInvoices);
    mnuInvoices->addSeparator();
    mnuInvoices->addAction(actnNewChargeInvoice);
    mnuInvoices->addAction(actnChargeInvoices);
    mnuInvoices->addSeparator();
    mnuInvoices->addAction(actnNewKarvonelInvoice);
    mnuInvoices->addAction(actnKarvonelInvoices);
    mnuInvoices->addSeparator();
    mnuInvoices->addAction(actnNewIntInvoice);
    mnuInvoices->addAction(actnIntInvoices);
    // Shown: the only way to the invoice lists.
    xbtnInvoices = GroupButton(QStringLiteral("xbtnInvoices"), QStringLiteral("Фактури"), QString(),
                               MainIcon(QStringLiteral("view-financial-account-cash"), QStyle::SP_FileIcon), nullptr,
                               mnuInvoices);

    mnuComplete = new QMenu(this);
    mnuComplete->setObjectName(QStringLiteral("mnuComplete"));
    inert(mnuComplete, QStringLiteral("Документално - Превозвачи"));
    inert(mnuComplete, QStringLiteral("Финансово - Превозвачи"));
    mnuComplete->addSeparator();
    inert(mnuComplete, QStringLiteral("Документално - Клиенти"));
    inert(mnuComplete, QStringLiteral("Финансово - Клиенти"));
    xbtnComplete = GroupButton(QStringLiteral("xbtnComplete"), QStringLiteral("Приключване"), QString(),
                               MainIcon(QStringLiteral("task-complete"), QStyle::SP_DialogApplyButton), nullptr,
                               mnuComplete);
    xbtnComplete->hide();

    // The goods and transport lists: buttons kept hidden below the toolbar.
    btnWares = new QToolButton(this);
    btnWares->setObjectName(QStringLiteral("btnWares"));
    btnWares->setDefaultAction(actnWares);
    btnWares->hide();
    btnTrucks = new QToolButton(this);
    btnTrucks->setObjectName(QStringLiteral("btnTrucks"));
    btnTrucks->setDefaultAction(actnTrucks);
    btnTrucks->hide();
}

// --- Command handlers -----------------------------------------------------

void TfrmMain::actnCountriesExecute()
{
    if (Allowed(RightItem(actnCountries)))
        RunCommand([this] { ShowModalList(CreateCountriesList(this, *FDm, actnCountries->text())); });
}

void TfrmMain::actnCurrenciesExecute()
{
    if (Allowed(RightItem(actnCurrencies)))
        RunCommand([this] { ::ShowDatasetList(this, &FDm->qCurrencies, actnCurrencies->text(), QStringLiteral("currencies")); });
}

void TfrmMain::actnActivityTypesExecute()
{
    if (Allowed(RightItem(actnActivityTypes)))
        RunCommand([this] {
            ShowModalList(CreateActivityTypesList(this, *FDm, actnActivityTypes->text()));
        });
}

void TfrmMain::actnLoadChargeTypesExecute()
{
    if (Allowed(RightItem(actnLoadChargeTypes)))
        RunCommand([this] {
            ::ShowDatasetList(this, &FDm->qChargeTypes, actnLoadChargeTypes->text(), QStringLiteral("load_charge_types"));
        });
}

void TfrmMain::actnNeighbouringExecute()
{
    if (Allowed(RightItem(actnNeighbouring)))
        RunCommand([this] {
            ShowModalList(CreateNeighboursList(this, *FDm, actnNeighbouring->text()));
        });
}

void TfrmMain::actnContactInfoTypesExecute()
{
    if (Allowed(RightItem(actnContactInfoTypes)))
        RunCommand([this] {
            ShowModalList(CreateContactInfoTypesList(this, *FDm, actnContactInfoTypes->text()));
        });
}

void TfrmMain::actnCitiesExecute()
{
    if (Allowed(RightItem(actnCities)))
        RunCommand([this] {
            std::unique_ptr<TXMLSettings> node;
            if (HasSettings())
                node = Settings()->OpenSection(QStringLiteral("cities"));
            std::unique_ptr<TfrmCities> list(CreateChildFormIn<TfrmCities>(std::move(node), *FDm));
            list->setWindowTitle(actnCities->text());
            list->BaseCaption = actnCities->text();
            list->exec();
        });
}

void TfrmMain::actnTruckTypesExecute()
{
    if (Allowed(RightItem(actnTruckTypes)))
        RunCommand([this] {
            std::unique_ptr<TfrmTruckTypes> list(CreateChildForm<TfrmTruckTypes>(*FDm));
            list->exec();
        });
}

void TfrmMain::actnDouanesExecute()
{
    RunCommand([this] {
        OpenSingle(RightItem(actnDouanes), QStringLiteral("frmDouanes"),
                   [this]() -> QWidget * { return CreateChildForm<TfrmDouanes>(*FDm); });
    });
}

void TfrmMain::actnDocClausesExecute()
{
    RunCommand([this] {
        std::unique_ptr<TfrmDocClauses> list(CreateChildForm<TfrmDocClauses>(*FDm));
        list->exec();
    });
}

void TfrmMain::actnNewInvoiceExecute()
{
    RunNew(RightItem(actnNewInvoice), QStringLiteral("INVOICES"), [this] { actnInvoices->trigger(); });
}

void TfrmMain::actnNewIntInvoiceExecute()
{
    RunNew(RightItem(actnNewIntInvoice), QStringLiteral("INTINVOICES"), [this] { actnIntInvoices->trigger(); });
}

void TfrmMain::actnNewKarvonelInvoiceExecute()
{
    RunNew(RightItem(actnNewKarvonelInvoice), QStringLiteral("KARVONEL_INVOICES"),
           [this] { actnKarvonelInvoices->trigger(); });
}

void TfrmMain::actnNewChargeInvoiceExecute()
{
    RunNew(RightItem(actnNewChargeInvoice), QStringLiteral("CHARGE_INVOICES"),
           [this] { actnChargeInvoices->trigger(); });
}

// --- List services --------------------------------------------------------

void TfrmMain::ShowDatasetList(TDataSet *dataSet, const QString &caption, const QString &section)
{
    ::ShowDatasetList(this, dataSet, caption, section);
}

bool TfrmMain::PickFromDatasetList(TDataSet *dataSet, const QString &caption, QVariant &key, const QString &section)
{
    return ::PickFromDatasetList(this, dataSet, caption, key, section);
}

// --- Placement, show, notices --------------------------------------------

void TfrmMain::LoadPlacement()
{
    TBaseMainForm::LoadPlacement();
    if (!HasSettings())
        return;
    const bool wares = Settings()->ReadBool(QStringLiteral("ShowWares"), false);
    const bool trucks = Settings()->ReadBool(QStringLiteral("ShowTrucks"), false);
    // The lists open once the main window is on the screen.
    QTimer::singleShot(0, this, [this, wares, trucks] {
        if (wares && actnWares->isEnabled())
            actnWares->trigger();
        if (trucks && actnTrucks->isEnabled())
            actnTrucks->trigger();
    });
}

void TfrmMain::SavePlacement()
{
    TBaseMainForm::SavePlacement();
    if (!HasSettings())
        return;
    Settings()->WriteBool(QStringLiteral("ShowWares"), SingleInstance(WaresWindow) != nullptr);
    Settings()->WriteBool(QStringLiteral("ShowTrucks"), SingleInstance(TrucksWindow) != nullptr);
}

void TfrmMain::FirstShow()
{
    TBaseMainForm::FirstShow();
    UpdateActions();
}

void TfrmMain::AfterShow()
{
    // The news check joins here with its own tools.
}

void TfrmMain::FormNotify(QObject *sender, int action, int kind)
{
    TBaseMainForm::FormNotify(sender, action, kind);
    if (FDm)
        FDm->NotifyDataChanged(sender, action, kind);
}
