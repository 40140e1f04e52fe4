// The main window's commands: one-instance windows, rights, admin commands,
// the one-shot "::SHOWCMD" values, the hidden maintenance menu and its
// guard, the list services.

#include "app_fixture.h"

#include "app/commands.h"
#include "app/main_form.h"
#include "app/main_lists.h"
#include "framework/forms/globalvalues.h"
#include "framework/lists/list_form.h"
#include "framework/text/abort.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace apptest;

namespace {

class TTestWindow : public TfrmBaseForm
{
public:
    explicit TTestWindow(QWidget *owner) : TfrmBaseForm(owner) { setObjectName(QStringLiteral("frmTestWindow")); }
};

class MainWindowCommands : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Prepare(dm);
        ASSERT_TRUE(dm.Startup());
        DropGlobalValues(QStringLiteral("INVOICES"));
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TfrmMain &Main()
    {
        if (!form)
            form = std::make_unique<TfrmMain>(&dm);
        return *form;
    }

    // An ordinary user without rights: every right item is refused.
    void BecomePlainUser()
    {
        dm.IsAdmin = false;
        dm.UserBasedRights = true;
        dm.CurrentUserId = 4242;
    }

    static void FreeDeferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    Tdm dm;
    std::unique_ptr<TfrmMain> form;
};

TEST_F(MainWindowCommands, OneInstanceWindowComesToFrontAndIsMadeAgainAfterClosing)
{
    TfrmMain &main = Main();
    int made = 0;
    auto create = [&]() -> QWidget * {
        ++made;
        return main.CreateChildForm<TTestWindow>();
    };
    QWidget *first = main.OpenSingle(0, QStringLiteral("frmTestWindow"), create);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->parentWidget(), &main);
    first->showMinimized();
    QWidget *second = main.OpenSingle(0, QStringLiteral("frmTestWindow"), create);
    EXPECT_EQ(second, first);
    EXPECT_EQ(made, 1);
    EXPECT_FALSE(first->isMinimized());
    EXPECT_EQ(SingleInstance(QStringLiteral("frmTestWindow")), first);

    // Closing frees the window and clears the reference.
    QPointer<QWidget> closed(first);
    first->close();
    FreeDeferred();
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(SingleInstance(QStringLiteral("frmTestWindow")), nullptr);
    QWidget *third = main.OpenSingle(0, QStringLiteral("frmTestWindow"), create);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(made, 2);
    third->close();
    FreeDeferred();
}

TEST_F(MainWindowCommands, RefusedRightDoesNothingAndLeavesNoShowCommand)
{
    BecomePlainUser();
    TfrmMain &main = Main();
    int made = 0;
    EXPECT_EQ(main.OpenSingle(20, QStringLiteral("frmTestWindow"), [&]() -> QWidget * {
        ++made;
        return main.CreateChildForm<TTestWindow>();
    }),
              nullptr);
    EXPECT_EQ(made, 0);

    // "Нова фактура" with right 20 refused: nothing reaches the invoice list.
    main.SetAvailable(main.actnNewInvoice, true);
    ASSERT_TRUE(main.actnNewInvoice->isEnabled());
    bool opened = false;
    EXPECT_FALSE(main.RunNew(TfrmMain::RightItem(main.actnNewInvoice), QStringLiteral("INVOICES"), [&] { opened = true; }));
    main.actnNewInvoice->trigger();
    EXPECT_FALSE(opened);
    EXPECT_EQ(TakeGlobalValue(QStringLiteral("INVOICES::SHOWCMD"), QStringLiteral("-none-")).toString(),
              QStringLiteral("-none-"));

    // With the right granted the value is put, then the list command runs.
    dm.SetRight(dm.CurrentUserId, 20, true);
    EXPECT_TRUE(main.RunNew(20, QStringLiteral("INVOICES"), [&] { opened = true; }));
    EXPECT_TRUE(opened);
    EXPECT_EQ(TakeGlobalValue(QStringLiteral("INVOICES::SHOWCMD")).toString(), QStringLiteral("NEW"));
}

TEST_F(MainWindowCommands, AdminCommandsAreEnabledOnlyForAnAdministrator)
{
    TfrmMain &main = Main();
    const QStringList expected{QStringLiteral("actnDetailedReport"),        QStringLiteral("actnPaymentsReport"),
                               QStringLiteral("actnDueBGClients"),          QStringLiteral("actnDueINTClients"),
                               QStringLiteral("actnDueBGKarvonels"),        QStringLiteral("actnDueINTKarvonels"),
                               QStringLiteral("actnExpensesReport"),        QStringLiteral("actnPaymentsReportClients"),
                               QStringLiteral("actnPaymentsReportKarvonels")};
    QStringList admin;
    for (QAction *a : main.ActionList)
        if (TfrmMain::AdminOnly(a)) {
            admin << a->objectName();
            main.SetAvailable(a, true);
        }
    EXPECT_EQ(admin, expected);
    main.SetAvailable(main.actnCommission, true);
    for (bool isAdmin : {false, true}) {
        SCOPED_TRACE(isAdmin);
        dm.IsAdmin = isAdmin;
        main.UpdateActions();
        for (QAction *a : main.ActionList) {
            if (TfrmMain::AdminOnly(a)) {
                EXPECT_EQ(a->isEnabled(), isAdmin) << a->objectName().toStdString();
            }
        }
        EXPECT_TRUE(main.actnCommission->isEnabled());
    }
}

TEST_F(MainWindowCommands, CommandsOfAbsentWindowsAreDisabledAndToolbarIsInOrder)
{
    TfrmMain &main = Main();
    for (QAction *a : {main.actnClients, main.actnRFQ, main.actnDeals, main.actnInvoices, main.actnKalendar,
                       main.actnSettings, main.actnNetwork, main.actnBackupDB, main.actnRestoreDB})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(main.actnCountries->isEnabled());
    // Items without a command are greyed.
    for (QMenu *menu : {main.mnuClients, main.NomPopupMenu, main.mnuComplete}) {
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator() && item->isVisible() && item->objectName().isEmpty()) {
                EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
            }
        }
    }
    EXPECT_EQ(main.actnDueBGClients->text(), QStringLiteral("Kлиенти - неплатени лева"));
    EXPECT_EQ(main.actnDueBGClients->text().at(0), QLatin1Char('K')); // Latin

    main.Toolbar->layout()->activate();
    QStringList byPosition;
    QList<QToolButton *> buttons = main.Toolbar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(buttons.begin(), buttons.end(), [&](QToolButton *a, QToolButton *b) {
        return main.Toolbar->layout()->indexOf(a) < main.Toolbar->layout()->indexOf(b);
    });
    for (QToolButton *b : buttons)
        if (!b->isHidden()) {
            byPosition << b->objectName();
            EXPECT_EQ(b->height(), 53);
            EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        }
    // A user who is not an administrator has no closure button.
    EXPECT_EQ(byPosition, QStringList({QStringLiteral("xbtnCustomers"), QStringLiteral("mxXPButton2"),
                                       QStringLiteral("xbtnTransporters"), QStringLiteral("mxXPButton1"),
                                       QStringLiteral("xbtnQuerys"), QStringLiteral("xbtnCarts"),
                                       QStringLiteral("xbtnReports"), QStringLiteral("xbtnInvoices"),
                                       QStringLiteral("mxXPButton5"), QStringLiteral("mxXPButton4"),
                                       QStringLiteral("btnExit")}));
}

TEST_F(MainWindowCommands, MaintenanceMenuShowsOnlyWithShiftAndCtrl)
{
    TfrmMain &main = Main();
    const struct {
        Qt::KeyboardModifiers held;
        bool shown;
    } cases[] = {{Qt::NoModifier, false},
                 {Qt::ShiftModifier, false},
                 {Qt::ControlModifier, false},
                 {Qt::ShiftModifier | Qt::ControlModifier, true},
                 {Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.held));
        main.KeyboardState = [&c] { return c.held; };
        emit main.SettingsPopupMenu->aboutToShow();
        EXPECT_EQ(main.miMainternance->menuAction()->isVisible(), c.shown);
        EXPECT_EQ(main.miSep2->isVisible(), c.shown);
    }
}

TEST_F(MainWindowCommands, MaintenanceItemsNeedAnAdministratorOrElevation)
{
    // The maintenance account has a password, so elevation must be asked.
    Exec(database(), QStringLiteral("update USERS set PASS = 'secret' where USER_TYPE = 0"));
    dm.RefreshDataSet(dm.qUsers);
    BecomePlainUser();
    int asked = 0;
    dm.UserPrompts.EnterPassword = [&](QString &password) {
        ++asked;
        password = QStringLiteral("wrong");
        return true;
    };
    TfrmMain &main = Main();
    const int countries = dm.QueryInteger(QStringLiteral("select count(*) from COUNTRIES"));
    const int before = messages.Count();
    main.miEmptyDB->trigger();
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(messages.Count(), before); // refused: not even the question
    main.miResetPass->trigger();
    EXPECT_EQ(asked, 6);
    EXPECT_EQ(Value(database(), QStringLiteral("select PASS from USERS where USER_TYPE = 0")).value_or(QString()),
              QStringLiteral("secret"));

    // An administrator is asked nothing; "Empty DB" still asks first, and No
    // keeps the data.
    dm.IsAdmin = true;
    messages.Answer(mrNo);
    main.miEmptyDB->trigger();
    EXPECT_EQ(asked, 6);
    ASSERT_EQ(messages.Count(), before + 1);
    EXPECT_EQ(messages.Last().Text, TBaseMainForm::EmptyDatabaseQuestion());
    EXPECT_EQ(messages.Last().Buttons, TMsgDlgButtons({mbYes, mbNo}));
    EXPECT_EQ(dm.QueryInteger(QStringLiteral("select count(*) from COUNTRIES")), countries);
    main.miResetPass->trigger();
    EXPECT_NE(dm.QueryValue(QStringLiteral("select PASS from USERS where USER_TYPE = 0")).toString(),
              QStringLiteral("secret"));
}

TEST_F(MainWindowCommands, PickFromDatasetListAnswersThePickedKeyAndLeavesNothingBehind)
{
    TfrmMain &main = Main();
    ASSERT_TRUE(dm.qCurrencies.Active());
    ASSERT_GE(dm.qCurrencies.RecordCount(), 2);
    dm.qCurrencies.First();
    const QVariant firstKey = dm.qCurrencies.FieldByName(QStringLiteral("ID")).Value();
    dm.qCurrencies.Last();
    const QVariant lastKey = dm.qCurrencies.FieldByName(QStringLiteral("ID")).Value();
    dm.qCurrencies.First();

    // The list opens on the given key; picking answers the current row.
    for (bool pick : {true, false}) {
        SCOPED_TRACE(pick);
        QString seenTitle;
        // Answer once the list is up and has read the picker request (it does so
        // after it is shown); give up after about five seconds.
        int tries = 0;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *list = qobject_cast<TfrmList *>(QApplication::activeModalWidget());
            if ((!list || !list->PickerMode) && ++tries < 500)
                return;
            poll.stop();
            ASSERT_NE(list, nullptr);
            seenTitle = list->windowTitle();
            if (pick)
                list->Pick();
            else
                list->reject();
        });
        poll.start();
        QVariant key = lastKey;
        const bool picked = main.PickFromDatasetList(&dm.qCurrencies, QStringLiteral("Валути"), key,
                                                     QStringLiteral("currencies"));
        EXPECT_EQ(picked, pick);
        EXPECT_EQ(key.toString(), lastKey.toString());
        EXPECT_TRUE(seenTitle.startsWith(QStringLiteral("Валути")));
        EXPECT_EQ(DropGlobalValues(QStringLiteral("LIST_FORM")), 0);
    }
    EXPECT_NE(firstKey.toString(), lastKey.toString());
}

// A window's change notice reaches the data module through the main window:
// a city another workstation added is in the city list after the notice.
TEST_F(MainWindowCommands, ChangeNoticesOfWindowsReachTheDataModule)
{
    TfrmMain &main = Main();
    Exec(database(), QStringLiteral("insert into COUNTRIES (ID, CODE, NAME) values (987654, 'NC', 'Нова')"));
    Exec(database(), QStringLiteral("insert into CITIES (ID, COUNTRY_ID, NAME) values (987654, 987654, 'Нов град')"));
    ASSERT_TRUE(dm.qCities.Active());
    EXPECT_FALSE(dm.qCities.Locate(QStringLiteral("ID"), 987654));

    TTestWindow *window = main.CreateChildForm<TTestWindow>();
    window->NotifyForms(naDeleted, nkCities);
    EXPECT_FALSE(dm.qCities.Locate(QStringLiteral("ID"), 987654)); // a deletion re-reads nothing
    window->NotifyForms(naPosted, nkCities);
    EXPECT_TRUE(dm.qCities.Locate(QStringLiteral("ID"), 987654));
    delete window;
}

// The wheel scrolls the list under the pointer, not the field that has the
// focus.
TEST_F(MainWindowCommands, WheelScrollsTheListUnderThePointer)
{
    Main();
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *field = new QLineEdit(&window);
    auto *list = new QTableWidget(300, 2, &window);
    layout->addWidget(field);
    layout->addWidget(list);
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    field->setFocus();
    ASSERT_EQ(list->verticalScrollBar()->value(), 0);

    const QPoint local = list->viewport()->rect().center();
    const QPointF global = list->viewport()->mapToGlobal(QPointF(local));
    ASSERT_EQ(QApplication::widgetAt(global.toPoint()), list->viewport());
    QWheelEvent wheel(field->mapFromGlobal(global), global, QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(field, &wheel);
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(field->hasFocus());
}

// A command that ends with the silent abort says nothing; any other failure
// is told once.
TEST_F(MainWindowCommands, CommandFailuresAreToldAndSilentAbortsAreNot)
{
    struct TOpenMain : TfrmMain {
        using TfrmMain::TfrmMain;
        using TBaseMainForm::RunCommand;
    } main(&dm);
    const int before = messages.Count();
    main.RunCommand([] { Abort(); });
    EXPECT_EQ(messages.Count(), before);
    main.RunCommand([] { throw std::runtime_error("Записът не е намерен."); });
    ASSERT_EQ(messages.Count(), before + 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Записът не е намерен."));
    EXPECT_EQ(messages.Last().Type, mtError);
}

} // namespace
