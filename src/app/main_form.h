#pragma once
// The main window of the program: the toolbar of command groups with their
// drop-down menus, the commands that open the program's windows after the
// rights check, and the list services other windows use.
//
// A command checks its right item first (a refused right does nothing); a
// command marked admin is enabled only for an administrator; a command whose
// window is not part of the program yet is shown disabled. A window that
// joins wires its command in the command's own Execute slot and calls
// SetAvailable(action, true).

#include "app/base_main_form.h"

#include <QVariant>

#include <functional>

class QMenu;
class Tdm;
class TDataSet;
class TfrmList;

class TfrmMain : public TBaseMainForm
{
    Q_OBJECT
public:
    explicit TfrmMain(Tdm *dataModule, QWidget *owner = nullptr);
    ~TfrmMain() override;

    Tdm *dm() const { return FDm; }

    // --- Toolbar ---
    QToolButton *xbtnCustomers = nullptr, *mxXPButton2 = nullptr, *xbtnTransporters = nullptr,
                *mxXPButton1 = nullptr, *xbtnQuerys = nullptr, *xbtnCarts = nullptr, *xbtnReports = nullptr,
                *xbtnInvoices = nullptr, *xbtnComplete = nullptr;
    QToolButton *btnWares = nullptr, *btnTrucks = nullptr; // hidden, below the toolbar
    QMenu *mnuClients = nullptr, *mnuConfirmations = nullptr, *NomPopupMenu = nullptr,
          *ReportsPopupMenu = nullptr, *mnuInvoices = nullptr, *mnuComplete = nullptr;

    // --- Commands ---
    QAction *actnClients = nullptr, *actnKarvonel = nullptr, *actnWares = nullptr, *actnTrucks = nullptr,
            *actnRFQ = nullptr, *actnConfirm = nullptr, *actnContracts = nullptr, *actnDeals = nullptr,
            *actnRequest = nullptr, *actnCountries = nullptr, *actnCities = nullptr, *actnCurrencies = nullptr,
            *actnTruckTypes = nullptr, *actnActivityTypes = nullptr, *actnLoadChargeTypes = nullptr,
            *actnKalendar = nullptr, *actnNeighbouring = nullptr, *actnDouanes = nullptr,
            *actnContactInfoTypes = nullptr, *actnInvoices = nullptr, *actnNewInvoice = nullptr,
            *actnIntInvoices = nullptr, *actnNewIntInvoice = nullptr, *actnKarvonelInvoices = nullptr,
            *actnNewKarvonelInvoice = nullptr, *actnChargeInvoices = nullptr, *actnNewChargeInvoice = nullptr,
            *actnCommission = nullptr, *actnDetailedReport = nullptr, *actnPaymentsReport = nullptr,
            *actnDueBGClients = nullptr, *actnDueINTClients = nullptr, *actnDueBGKarvonels = nullptr,
            *actnDueINTKarvonels = nullptr, *actnExpensesReport = nullptr, *actnPaymentsReportClients = nullptr,
            *actnPaymentsReportKarvonels = nullptr;

    // The right item a command checks (0: none) and whether it is admin.
    static int RightItem(const QAction *action);
    static bool AdminOnly(const QAction *action);
    // Whether the command's window is part of the program; the command is
    // enabled when it is, and for an admin command only for an administrator.
    void SetAvailable(QAction *action, bool available);
    void UpdateActions();

    // --- Command handlers: one per command ---
    void actnCountriesExecute();
    void actnCurrenciesExecute();
    void actnActivityTypesExecute();
    void actnLoadChargeTypesExecute();
    void actnNeighbouringExecute();
    void actnContactInfoTypesExecute();
    void actnCitiesExecute();
    void actnTruckTypesExecute();
    void actnDouanesExecute();
    void actnDocClausesExecute() override;
    void actnNewInvoiceExecute();
    void actnNewIntInvoiceExecute();
    void actnNewKarvonelInvoiceExecute();
    void actnNewChargeInvoiceExecute();
    // The backups check their right once more before the base behaviour.
    // (The archives join with the backup tools.)

    // The command of a one-instance window: after the right check (item 0:
    // none) the window kept under name comes to the front, or create makes
    // it with this window as owner. Answers the window, null when refused.
    QWidget *OpenSingle(int rightItem, const QString &name, const std::function<QWidget *()> &create);
    // A "New ..." command: after the right check, value name + "::SHOWCMD" =
    // "NEW" is put and open runs. Nothing is put when the right is refused.
    bool RunNew(int rightItem, const QString &listName, const std::function<void()> &open);

    // --- List services ---
    void ShowDatasetList(TDataSet *dataSet, const QString &caption, const QString &section);
    bool PickFromDatasetList(TDataSet *dataSet, const QString &caption, QVariant &key, const QString &section);

    void LoadPlacement() override;
    void SavePlacement() override;

protected:
    void AfterShow() override;
    void FirstShow() override;
    void FormNotify(QObject *sender, int action, int kind) override;

private:
    QAction *Command(const QString &name, const QString &caption, int rightItem = 0, bool admin = false,
                     const QIcon &icon = QIcon());
    bool Allowed(int rightItem);
    QToolButton *GroupButton(const QString &name, const QString &caption, const QString &hint, const QIcon &icon,
                             QAction *click, QMenu *menu);
    void BuildCommands();
    void BuildToolbar();

    Tdm *FDm;
};
