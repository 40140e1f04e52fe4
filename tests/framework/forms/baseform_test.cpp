#include "formtest.h"

#include "framework/forms/baseform.h"
#include "framework/forms/formutils.h"
#include "framework/forms/messagerecorder.h"
#include "framework/forms/yesno.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QPushButton>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include <map>
#include <vector>

namespace {

class TestForm : public TfrmBaseForm
{
public:
    explicit TestForm(QWidget *owner, const QString &name = "frmTest",
                      TBorderStyle style = TBorderStyle::Sizeable)
        : TfrmBaseForm(owner)
    {
        setObjectName(name);
        SetBorderStyle(style);
        resize(300, 200);
    }
    int firstShows = 0;
    int afterShows = 0;
    bool visibleInAfterShow = false;
    bool refuseClose = false;

protected:
    void FirstShow() override { ++firstShows; }
    void AfterShow() override
    {
        ++afterShows;
        visibleInAfterShow = isVisible();
    }
    bool CloseQuery(int) override { return !refuseClose; }
};

int Stored(const QString &key)
{
    return AppSettings().ReadInteger(key, -999);
}

void ShowAndWait(QWidget *w)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
}

} // namespace

using Placement = SettingsFixture;

TEST_F(Placement, WrittenOnCloseAndRestoredNextTime)
{
    TestForm main(nullptr, "frmMain");
    main.SetRestorePosition(false);
    main.SetRestoreSize(false);
    {
        auto *list = main.CreateChildForm<TestForm>(QString("frmList"));
        ShowAndWait(list);
        list->move(120, 90);
        list->resize(420, 310);
        list->close();
        delete list;
    }
    EXPECT_EQ(Stored("frmList\\posLeft"), 120);
    EXPECT_EQ(Stored("frmList\\posTop"), 90);
    EXPECT_EQ(Stored("frmList\\sizeWidth"), 420);
    EXPECT_EQ(Stored("frmList\\sizeHeight"), 310);
    EXPECT_EQ(Stored("frmList\\Maximized"), 0);
    // The main window keeps its own placement: nothing at the root.
    EXPECT_EQ(Stored("posLeft"), -999);

    auto *again = main.CreateChildForm<TestForm>(QString("frmList"));
    EXPECT_EQ(again->pos(), QPoint(120, 90)); // loaded at creation
    EXPECT_EQ(again->size(), QSize(420, 310));
    ShowAndWait(again);
    EXPECT_EQ(again->pos(), QPoint(120, 90));
    EXPECT_EQ(again->size(), QSize(420, 310));

    // A form opened by a child keeps its node below the child's.
    auto *editor = again->CreateChildForm<TestForm>(QString("frmEditor"));
    ShowAndWait(editor);
    editor->move(10, 20);
    editor->close();
    EXPECT_EQ(Stored("frmList\\frmEditor\\posLeft"), 10);
}

TEST_F(Placement, DialogBorderNeverStoresItsSize)
{
    AppSettings().WriteInteger("frmDialog\\sizeWidth", 999);
    AppSettings().WriteInteger("frmDialog\\sizeHeight", 888);
    AppSettings().WriteInteger("frmDialog\\posLeft", 70);
    AppSettings().WriteInteger("frmDialog\\posTop", 60);
    TestForm main(nullptr, "frmMain");
    auto *dialog = main.CreateChildForm<TestForm>(QString("frmDialog"), TBorderStyle::Dialog);
    ShowAndWait(dialog);
    EXPECT_EQ(dialog->size(), QSize(300, 200));
    EXPECT_EQ(dialog->pos(), QPoint(70, 60));
    dialog->move(80, 85);
    dialog->close();
    EXPECT_EQ(Stored("frmDialog\\sizeWidth"), 999);
    EXPECT_EQ(Stored("frmDialog\\sizeHeight"), 888);
    EXPECT_EQ(Stored("frmDialog\\posLeft"), 80);
    EXPECT_EQ(Stored("frmDialog\\posTop"), 85);
}

TEST_F(Placement, ClosedMaximizedKeepsTheOldPositionAndOpensMaximized)
{
    AppSettings().WriteInteger("frmList\\posLeft", 40);
    AppSettings().WriteInteger("frmList\\posTop", 50);
    AppSettings().WriteInteger("frmList\\sizeWidth", 350);
    AppSettings().WriteInteger("frmList\\sizeHeight", 250);
    TestForm main(nullptr, "frmMain");
    {
        auto *list = main.CreateChildForm<TestForm>(QString("frmList"));
        ShowAndWait(list);
        list->showMaximized();
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->isMaximized(); }));
        list->close();
        delete list;
    }
    EXPECT_EQ(Stored("frmList\\Maximized"), 1);
    EXPECT_EQ(Stored("frmList\\posLeft"), 40);
    EXPECT_EQ(Stored("frmList\\posTop"), 50);
    EXPECT_EQ(Stored("frmList\\sizeWidth"), 350);

    auto *again = main.CreateChildForm<TestForm>(QString("frmList"));
    ShowAndWait(again);
    EXPECT_TRUE(again->isMaximized());
}

TEST_F(Placement, FirstTimeFormKeepsItsOwnPlacement)
{
    TestForm main(nullptr, "frmMain");
    auto *fresh = main.CreateChildForm<TestForm>(QString("frmFresh"));
    fresh->move(33, 44);
    ShowAndWait(fresh);
    EXPECT_EQ(fresh->size(), QSize(300, 200));
    EXPECT_EQ(fresh->pos(), QPoint(33, 44));
    EXPECT_FALSE(fresh->isMaximized());
    // Reading created nothing.
    EXPECT_EQ(AppSettings().FindKey("frmFresh\\posLeft"), nullptr);
}

TEST_F(Placement, FlagsClearedKeepNothing)
{
    TestForm main(nullptr, "frmMain");
    auto *form = main.CreateChildForm<TestForm>(QString("frmNoPlace"));
    form->SetRestorePosition(false);
    form->SetRestoreSize(false);
    ShowAndWait(form);
    form->close();
    EXPECT_EQ(AppSettings().FindKey("frmNoPlace\\posLeft"), nullptr);
    EXPECT_EQ(AppSettings().FindKey("frmNoPlace\\sizeWidth"), nullptr);
}

TEST_F(Placement, OwnedFormsSaveWhenTheOwnerIsDestroyed)
{
    auto *main = new TestForm(nullptr, "frmMain");
    auto *list = main->CreateChildForm<TestForm>(QString("frmList"));
    ShowAndWait(list);
    list->move(55, 66);
    delete main; // frees the list, still showing
    EXPECT_EQ(Stored("frmList\\posLeft"), 55);
}

TEST_F(Placement, ShowHooksRunInOrder)
{
    TestForm form(nullptr, "frmHooks");
    ShowAndWait(&form);
    EXPECT_EQ(form.firstShows, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.afterShows == 1; }));
    EXPECT_TRUE(form.visibleInAfterShow);
    form.hide();
    ShowAndWait(&form);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.afterShows == 2; }));
    EXPECT_EQ(form.firstShows, 1);
}

// --- Change notices --------------------------------------------------------------

namespace {
struct Notice
{
    QString receiver;
    QObject *sender;
    int action;
    int kind;
};

class NoticeForm : public TfrmBaseForm
{
public:
    NoticeForm(QWidget *owner, const QString &name, std::vector<Notice> *log) : TfrmBaseForm(owner), FLog(log)
    {
        setObjectName(name);
    }
    TfrmBaseForm *echoTo = nullptr; // broadcasts again from inside the notice

protected:
    void FormNotify(QObject *sender, int action, int kind) override
    {
        FLog->push_back({objectName(), sender, action, kind});
        if (echoTo)
            echoTo->NotifyForms(action, kind);
    }

private:
    std::vector<Notice> *FLog;
};

std::map<QString, int> Counts(const std::vector<Notice> &log)
{
    std::map<QString, int> counts;
    for (const Notice &n : log)
        ++counts[n.receiver];
    return counts;
}
} // namespace

TEST(NotifyForms, EveryOtherFormOnceNeverTheSender)
{
    std::vector<Notice> log;
    NoticeForm main(nullptr, "main", &log);
    auto *a = new NoticeForm(&main, "a", &log);
    auto *a1 = new NoticeForm(a, "a1", &log);
    new NoticeForm(a1, "a1x", &log);
    // A form owned through a plain widget of its owner still counts.
    auto *panel = new QWidget(a);
    new NoticeForm(panel, "a2", &log);
    auto *b = new NoticeForm(&main, "b", &log);
    new NoticeForm(b, "b1", &log);
    const std::map<QString, int> everyone{{"main", 1}, {"a", 1},  {"a1", 1}, {"a1x", 1},
                                          {"a2", 1},   {"b", 1},  {"b1", 1}};

    for (TfrmBaseForm *sender : std::initializer_list<TfrmBaseForm *>{&main, a, a1, b}) {
        log.clear();
        sender->NotifyForms(naPosted, nkClients);
        auto expected = everyone;
        expected.erase(sender->objectName());
        EXPECT_EQ(Counts(log), expected) << sender->objectName().toStdString();
        for (const Notice &n : log) {
            EXPECT_EQ(n.sender, sender);
            EXPECT_EQ(n.action, naPosted);
            EXPECT_EQ(n.kind, nkClients);
        }
    }

    // On behalf of another object (the data module through the main
    // window): the main window hears it too.
    QObject dataModule;
    log.clear();
    main.NotifyFormsFor(&dataModule, naDeleted, nkCities);
    EXPECT_EQ(Counts(log), everyone);
    EXPECT_EQ(log.front().sender, &dataModule);
}

TEST(NotifyForms, ABroadcastFromInsideItsOwnBroadcastIsIgnored)
{
    std::vector<Notice> log;
    NoticeForm main(nullptr, "main", &log);
    auto *a = new NoticeForm(&main, "a", &log);
    auto *b = new NoticeForm(&main, "b", &log);
    b->echoTo = a; // b answers a's notice with a notice from a
    main.echoTo = b; // and main with one from b, which runs its own walk
    a->NotifyForms(naPosted, nkRequests);
    // a's walk reaches main and b; inside main's notice b runs its own walk
    // (main and a), whose echo back to b is ignored, and b's echo to a
    // during a's walk is ignored too.
    EXPECT_EQ(Counts(log), (std::map<QString, int>{{"main", 2}, {"a", 1}, {"b", 1}}));
}

// --- Keys and controls -------------------------------------------------------------

namespace {
class KeyForm : public TfrmBaseForm
{
public:
    KeyForm() : TfrmBaseForm(nullptr)
    {
        setObjectName("frmKeys");
        auto *layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        combo = new QComboBox(this);
        combo->addItems({"едно", "две", "три"});
        memo = new QPlainTextEdit(this);
        check = new QCheckBox("Отметка", this);
        last = new QLineEdit(this);
        for (QWidget *w : std::initializer_list<QWidget *>{edit, combo, memo, check, last})
            layout->addWidget(w);
    }
    QLineEdit *edit;
    QComboBox *combo;
    QPlainTextEdit *memo;
    QCheckBox *check;
    QLineEdit *last;
};

void PressEnter(QWidget *w)
{
    QTest::keyClick(w, Qt::Key_Return);
    QCoreApplication::processEvents();
}
} // namespace

TEST(EnterAsTab, MovesOnInEditsClosedCombosAndCheckBoxesNotInMemos)
{
    KeyForm form;
    ShowAndWait(&form);
    form.activateWindow();
    form.edit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.edit->hasFocus(); }));

    PressEnter(form.edit);
    EXPECT_TRUE(form.combo->hasFocus());
    PressEnter(form.combo);
    EXPECT_TRUE(form.memo->hasFocus());
    PressEnter(form.memo);
    EXPECT_TRUE(form.memo->hasFocus());
    EXPECT_EQ(form.memo->toPlainText(), "\n");
    form.check->setFocus();
    PressEnter(form.check);
    EXPECT_TRUE(form.last->hasFocus());

    // Ctrl+Enter is left to the form (the editors save with it).
    form.edit->setFocus();
    QTest::keyClick(form.edit, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.edit->hasFocus());
}

TEST(EnterAsTab, OpenComboListPicksTheItem)
{
    KeyForm form;
    ShowAndWait(&form);
    form.activateWindow();
    form.combo->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.combo->hasFocus(); }));
    form.combo->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.combo->view()->isVisible(); }));
    QTest::keyClick(form.combo->view(), Qt::Key_Down);
    QTest::keyClick(form.combo->view(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.combo->view()->isVisible());
    EXPECT_EQ(form.combo->currentIndex(), 1);
    // The focus stays on the combo box (it returns there once the form is
    // active again): it did not move on.
    EXPECT_EQ(form.focusWidget(), form.combo);
    // The rule itself, for the editors that narrow it.
    EXPECT_TRUE(TfrmBaseForm::IsEnterAsTabControl(form.edit));
    EXPECT_FALSE(TfrmBaseForm::IsEnterAsTabControl(form.memo));
}

TEST(Controls, NumbersOnlyRefusesTypedAndPastedLetters)
{
    QLineEdit edit;
    SetNumbersOnly(&edit);
    edit.show();
    QTest::keyClicks(&edit, "12a3-");
    EXPECT_EQ(edit.text(), "123");
    QGuiApplication::clipboard()->setText("4x5");
    edit.paste();
    EXPECT_EQ(edit.text(), "123");
    QGuiApplication::clipboard()->setText("45");
    edit.paste();
    EXPECT_EQ(edit.text(), "12345");
}

TEST(Controls, ForEachControlVisitsChildrenBeforeTheirContainer)
{
    QWidget root;
    auto *panel = new QWidget(&root);
    panel->setObjectName("panel");
    auto *inner = new QLineEdit(panel);
    inner->setObjectName("inner");
    auto *other = new QLineEdit(&root);
    other->setObjectName("other");
    auto *window = new QDialog(&root); // a child window is not a control
    new QLineEdit(window);
    QStringList order;
    ForEachControl(&root, [&](QWidget *w) {
        if (!w->objectName().isEmpty())
            order << w->objectName();
    });
    EXPECT_EQ(order, (QStringList{"inner", "panel", "other"}));
}

TEST(Controls, BlendAndGreyedGlyph)
{
    EXPECT_EQ(BlendColor(QColor(255, 255, 255), QColor(255, 0, 0), 0.1), QColor(255, 230, 230));
    EXPECT_EQ(BlendColor(QColor(0, 0, 0), QColor(255, 255, 255)), QColor(77, 77, 77));
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    QImage grey = GrayedPixmap(QPixmap::fromImage(image)).toImage();
    const int level = (255 * 32 / 300 + 127) / 3 + 84;
    EXPECT_EQ(qRed(grey.pixel(0, 0)), level);
    EXPECT_EQ(qGreen(grey.pixel(0, 0)), level);
    EXPECT_EQ(qAlpha(grey.pixel(1, 0)), 0);
}

// --- Closing -----------------------------------------------------------------------

TEST(Closing, EscCancelAndCloseBoxShareOnePath)
{
    TfrmYesNo esc;
    ShowAndWait(&esc);
    QTest::keyClick(&esc, Qt::Key_Escape);
    EXPECT_FALSE(esc.isVisible());
    EXPECT_EQ(esc.result(), mrCancel);

    TfrmYesNo box;
    ShowAndWait(&box);
    box.close();
    EXPECT_EQ(box.result(), mrCancel);

    TfrmYesNo ok;
    ShowAndWait(&ok);
    QTest::mouseClick(ok.btnOk, Qt::LeftButton);
    EXPECT_EQ(ok.result(), mrOk);
    EXPECT_EQ(ok.btnOk->text(), "OK");
    EXPECT_EQ(ok.btnCancel->text(), "Cancel");
    EXPECT_TRUE(ok.btnOk->isDefault());
}

TEST(Closing, EscPressesTheCancelButtonOnly)
{
    TestForm form(nullptr, "frmPlain");
    ShowAndWait(&form);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    QPushButton cancel("Отказ", &form);
    int clicks = 0;
    QObject::connect(&cancel, &QPushButton::clicked, [&] { ++clicks; });
    cancel.show();
    form.SetCancelButton(&cancel);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(clicks, 1);
    cancel.setEnabled(false);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(clicks, 1);
}

TEST(Closing, CloseQueryCanKeepTheFormOpen)
{
    TestForm form(nullptr, "frmGuarded");
    ShowAndWait(&form);
    form.refuseClose = true;
    form.close();
    form.SetModalResult(mrOk);
    EXPECT_TRUE(form.isVisible());
    form.refuseClose = false;
    form.SetModalResult(mrYes);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ModalResult(), mrYes);
}

TEST(Closing, ModelessFormFreesItselfWhenClosed)
{
    QPointer<TestForm> form = new TestForm(nullptr, "frmModeless");
    form->ShowModeless();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    form->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.isNull(); }));
}

TEST(Closing, StateCallbacks)
{
    TestForm form(nullptr, "frmStates");
    QStringList calls;
    form.OnMaximize = [&] { calls << "max"; };
    form.OnRestore = [&] { calls << "restore"; };
    form.OnMinimize = [&] { calls << "min"; };
    ShowAndWait(&form);
    form.showMaximized();
    form.showNormal();
    form.showMinimized();
    EXPECT_EQ(calls, (QStringList{"max", "restore", "min"}));
}
