// The password dialogs and the rights dialog, headless.

#include "users_fixture.h"

#include "framework/forms/messagerecorder.h"
#include "framework/security/edit_user.h"
#include "framework/security/password_dialogs.h"
#include "framework/security/security_settings.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

using securitytest::UsersTest;

QTreeWidgetItem *nodeOf(QTreeWidget *tree, int id, const TRightsTree &model)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (model.At((*it)->data(0, Qt::UserRole).toInt()).Id == id)
            return *it;
    }
    return nullptr;
}

QString rightsOf(testsupport::TestDatabase &tdb, int user)
{
    return tdb
        .value(QStringLiteral("select list(ITEM_ID) from (select ITEM_ID from USER_RIGHTS where USER_ID = %1 "
                              "order by ITEM_ID)")
                   .arg(user))
        .toString();
}

// --- The password dialogs ---

TEST(PasswordDialogs, LoginFieldsAndItsOkButton)
{
    TfrmLogin dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Идентификация"));
    EXPECT_EQ(dialog.lblLogin->text(), QStringLiteral("Потребителско име"));
    EXPECT_EQ(dialog.lblPass->text(), QStringLiteral("Парола"));
    EXPECT_EQ(dialog.eLogin->maxLength(), 20);
    EXPECT_EQ(dialog.ePass->maxLength(), 20);
    EXPECT_EQ(dialog.eLogin->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(dialog.ePass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.ePass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.ePass),
              int('*'));

    EXPECT_FALSE(dialog.btnOk->isEnabled());
    QTest::keyClicks(dialog.ePass, QStringLiteral("secret"));
    EXPECT_FALSE(dialog.btnOk->isEnabled()) << "a password alone is not enough";
    QTest::keyClicks(dialog.eLogin, QStringLiteral("ivan"));
    EXPECT_TRUE(dialog.btnOk->isEnabled());
    dialog.btnOk->click();
    EXPECT_EQ(dialog.result(), mrOk);
}

// The cursor starts where typing begins: the login when it is empty, else
// the password.
TEST(PasswordDialogs, LoginStartsInTheFieldLeftToType)
{
    for (const QString &last : {QString(), QStringLiteral("admin")}) {
        SCOPED_TRACE(last.toStdString());
        TfrmLogin dialog;
        dialog.eLogin->setText(last);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        EXPECT_EQ(QApplication::focusWidget(), last.isEmpty() ? dialog.eLogin : dialog.ePass);
    }
}

TEST(PasswordDialogs, EnterPassAndChangePass)
{
    TfrmEnterPass enter;
    enter.show();
    EXPECT_EQ(enter.windowTitle(), QStringLiteral("Въвъдете парола"));
    EXPECT_EQ(enter.ePass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(enter.ePass->maxLength(), 20);

    TfrmChangePass change;
    change.show();
    EXPECT_EQ(change.windowTitle(), QStringLiteral("Смяна на парола"));
    for (QLineEdit *e : {change.eOldPass, change.ePass, change.eRePass}) {
        EXPECT_EQ(e->echoMode(), QLineEdit::Password);
        EXPECT_EQ(e->maxLength(), 20);
    }
    EXPECT_EQ(change.lblOldPass->text(), QStringLiteral("Стара парола"));
    EXPECT_EQ(change.lblPass->text(), QStringLiteral("Нова парола"));
    EXPECT_EQ(change.lblRePass->text(), QStringLiteral("Повторете"));
    QTest::keyClicks(change.ePass, QStringLiteral("Ab"));
    QTest::keyClicks(change.eRePass, QStringLiteral("Ab"));
    EXPECT_FALSE(change.btnOk->isEnabled()) << "the old password is missing";
    change.SetOldPassEnabled(false);
    EXPECT_TRUE(change.btnOk->isEnabled());
    QTest::keyClicks(change.eRePass, QStringLiteral("c"));
    EXPECT_FALSE(change.btnOk->isEnabled());
}

TEST(PasswordDialogs, SystemMessageGoesThroughItsHandler)
{
    QStringList shown;
    SystemMessageHandler previous = SetSystemMessageHandler([&](const QString &text) { shown << text; });
    SystemMessageBox(QStringLiteral("Паролата е успешно сменена."));
    SetSystemMessageHandler(previous);
    EXPECT_EQ(shown, QStringList{QStringLiteral("Паролата е успешно сменена.")});
}

// --- The rights dialog ---

TEST_F(UsersTest, ZoneModeDialogShowsTheZonesAndSavesThemForNobody)
{
    dm->UserBasedRights = false;
    grant(0, 100);  // a stray row of a group heading
    TfrmSecuritySettings dialog(nullptr, *dm);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Настройка на права за достъп"));
    EXPECT_FALSE(dialog.cbMode->isEnabled());
    EXPECT_FALSE(dialog.btnSetMode->isEnabled());
    EXPECT_EQ(dialog.cbMode->currentText(), QStringLiteral("Права дефинирани чрез зони"));
    EXPECT_TRUE(dialog.gbZones->isVisible());
    EXPECT_FALSE(dialog.gbUsers->isVisible());
    EXPECT_EQ(dialog.gbZones->title(), QStringLiteral(" Права в зони "));
    EXPECT_FALSE(dialog.lblWarning->isVisible());

    QTreeWidgetItem *heading = nodeOf(dialog.tvRights, 100, dialog.Tree());
    QTreeWidgetItem *enter = nodeOf(dialog.tvRights, 1, dialog.Tree());
    QTreeWidgetItem *countries = nodeOf(dialog.tvRights, 10, dialog.Tree());
    ASSERT_TRUE(heading && enter && countries);
    EXPECT_FALSE(heading->data(0, Qt::CheckStateRole).isValid()) << "a heading has no check mark";
    EXPECT_EQ(enter->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(countries->parent() == heading && heading->isExpanded());

    dialog.ToggleNode(heading);
    EXPECT_FALSE(dialog.lblWarning->isVisible());
    // A click on the node's text ticks it; the space key on the selected node too.
    const QRect rect = dialog.tvRights->visualItemRect(enter);
    QTest::mouseClick(dialog.tvRights->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(enter->checkState(0), Qt::Checked);
    EXPECT_TRUE(dialog.lblWarning->isVisible());
    dialog.tvRights->setCurrentItem(countries);
    QTest::keyClick(dialog.tvRights, Qt::Key_Space);
    EXPECT_EQ(countries->checkState(0), Qt::Checked);

    TMessageRecorder messages;
    dialog.btnSave->click();
    EXPECT_EQ(messages.Count(), 0) << "zone mode asks nothing";
    EXPECT_EQ(rightsOf(tdb, 0), QStringLiteral("1,10"));
    EXPECT_FALSE(dialog.lblWarning->isVisible());
}

class UserModeDialog : public UsersTest
{
protected:
    void SetUp() override
    {
        addUser(5, QStringLiteral("ivan"), QString(), users::UserTypeUser, QStringLiteral("Иван"));
        addUser(6, QStringLiteral("maria"), QString(), users::UserTypeAdmin, QStringLiteral("Мария"));
        addUser(-2, QStringLiteral("m2"), QString(), users::UserTypeMaintenance);
        tdb.exec(QStringLiteral("insert into UR_TEMPLATES values (1, 'Диспечер')"));
        tdb.exec(QStringLiteral("insert into UR_TEMPLATE_ITEMS values (1, 19, 1)"));
        tdb.exec(QStringLiteral("insert into UR_TEMPLATE_ITEMS values (1, 1, 1)"));
        ASSERT_TRUE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("hwolbin")));
        grant(1, 9);
        grant(5, 10);
        dialog = std::make_unique<TfrmSecuritySettings>(nullptr, *dm);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }

    std::unique_ptr<TfrmSecuritySettings> dialog;
};

TEST_F(UserModeDialog, UserListSkipsMaintenanceAndSelectingShowsTheRights)
{
    EXPECT_EQ(dialog->cbMode->currentText(), QStringLiteral("Права дефинирани чрез потребители"));
    EXPECT_TRUE(dialog->gbUsers->isVisible());
    EXPECT_FALSE(dialog->gbZones->isVisible());
    QStringList rows;
    for (int i = 0; i < dialog->lvUsers->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = dialog->lvUsers->topLevelItem(i);
        rows << item->text(0) + u'|' + item->text(1) + u'|' + item->text(2);
    }
    EXPECT_EQ(rows, (QStringList{QStringLiteral("А|admin|Администратор"), QStringLiteral("А|maria|Мария"),
                                 QStringLiteral("п|ivan|Иван")}));
    EXPECT_EQ(dialog->cbTemplates->count(), 1);
    EXPECT_EQ(dialog->cbTemplates->itemText(0), QStringLiteral("Диспечер"));

    // At opening: the rights of the user logged in, no selection.
    EXPECT_EQ(dialog->SelectedUserId(), 0);
    EXPECT_EQ(dialog->ShownUserId(), 1);
    EXPECT_TRUE(dialog->Tree().IsChecked(9));
    EXPECT_FALSE(dialog->btnEdit->isEnabled());
    EXPECT_FALSE(dialog->btnDelete->isEnabled());

    dialog->SelectUser(5);
    EXPECT_EQ(dialog->ShownUserId(), 5);
    EXPECT_TRUE(dialog->Tree().IsChecked(10));
    EXPECT_FALSE(dialog->Tree().IsChecked(9));
    EXPECT_TRUE(dialog->btnEdit->isEnabled());
}

TEST_F(UserModeDialog, SaveWithoutASelectionAsksAndSavesForTheUserLoggedIn)
{
    dialog->ToggleNode(nodeOf(dialog->tvRights, 34, dialog->Tree()));
    TMessageRecorder messages;
    messages.Answer(mrCancel);
    dialog->btnSaveClick();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Направените промени, ще се отразят върху потребителя,\r\nс който "
                                                   "сте влезли в програмата!\r\nЖелаете ли да продължите ?"));
    EXPECT_TRUE(messages.Last().Buttons == (TMsgDlgButtons{mbOK, mbCancel}));
    EXPECT_EQ(rightsOf(tdb, 1), QStringLiteral("9"));
    EXPECT_TRUE(dialog->lblWarning->isVisible());

    messages.Answer(mrOk);
    dialog->btnSaveClick();
    EXPECT_EQ(rightsOf(tdb, 1), QStringLiteral("9,34"));
    EXPECT_FALSE(dialog->lblWarning->isVisible());

    // With a user selected nothing is asked.
    dialog->SelectUser(5);
    dialog->ToggleNode(nodeOf(dialog->tvRights, 19, dialog->Tree()));
    dialog->btnSaveClick();
    EXPECT_EQ(messages.Count(), 2);
    EXPECT_EQ(rightsOf(tdb, 5), QStringLiteral("10,19"));
}

TEST_F(UserModeDialog, TemplateWithCancelChangesNothing)
{
    TMessageRecorder messages;
    messages.Answer(mrCancel);
    dialog->cbTemplatesChoose(0);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Не сте избрали потребител от списъка, и ще промените "
                                                   "собствените си настройки!\r\nСигурни ли сте?"));
    EXPECT_EQ(rightsOf(tdb, 1), QStringLiteral("9"));
    EXPECT_TRUE(dialog->Tree().IsChecked(9));
    EXPECT_FALSE(dialog->Tree().IsChecked(19));

    // For a selected user the template is saved at once.
    dialog->SelectUser(5);
    dialog->cbTemplatesChoose(0);
    EXPECT_EQ(messages.Count(), 1);
    EXPECT_EQ(rightsOf(tdb, 5), QStringLiteral("1,19"));
    EXPECT_TRUE(dialog->Tree().IsChecked(19));
    EXPECT_FALSE(dialog->Tree().IsChecked(10));
}

TEST_F(UserModeDialog, DeleteAsksAndRemovesTheUser)
{
    dialog->SelectUser(5);
    TMessageRecorder messages;
    messages.Answer(mrNo);
    dialog->btnDeleteClick();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Моля потвърдете изтриване!"));
    EXPECT_EQ(tdb.value(QStringLiteral("select count(*) from USERS where ID = 5")).toInt(), 1);

    messages.Answer(mrYes);
    dialog->btnDeleteClick();
    EXPECT_EQ(tdb.value(QStringLiteral("select count(*) from USERS where ID = 5")).toInt(), 0);
    EXPECT_EQ(dialog->lvUsers->topLevelItemCount(), 2);
    EXPECT_EQ(dialog->SelectedUserId(), 0);
    EXPECT_EQ(dialog->ShownUserId(), 1);
}

}  // namespace

// --- The user editor, opened from the rights dialog ---

// The rights dialog whose editor is filled and saved by the test.
class ScriptedSecuritySettings : public TfrmSecuritySettings
{
public:
    using TfrmSecuritySettings::TfrmSecuritySettings;
    std::function<void(TfrmEditUser &)> Fill;
    QString Caption;
    int Key = 0;
    QWidget *Focused = nullptr;
    QWidget *NameEdit = nullptr;

protected:
    int ExecUserEditor(const QString &caption) override
    {
        TfrmEditUser editor(this, DataModule(), UserList());
        editor.setWindowTitle(caption);
        editor.show();
        Caption = editor.windowTitle();
        Key = editor.Key();
        NameEdit = nullptr;
        if (Fill)
            Fill(editor);
        const bool saved = editor.Save();
        Focused = editor.focusWidget();
        NameEdit = editor.eName;
        if (!saved) {
            TMessageRecorder noQuestion;  // the unsaved-changes question: Yes
            noQuestion.Answer(mrYes);
            editor.reject();
        }
        return saved ? mrOk : mrCancel;
    }
};

// What a choice in the list does.
void choose(QComboBox *box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// What typing into an edit does (any letters, not only those of the test keyboard).
void type(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    emit edit->textEdited(text);
}

void fillNew(TfrmEditUser &e, const QString &name)
{
    choose(e.cbUserType, 0);  // "Потребител"
    type(e.eName, name);
    type(e.eLogin, QStringLiteral("O'Brien"));
    type(e.ePass, QStringLiteral("it's"));
    type(e.eRePass, QStringLiteral("its"));
}

TEST_F(UsersTest, NewUserGetsItsKeyFromCounter17AndIsStoredAsTheLogInUsesIt)
{
    ASSERT_TRUE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("hwolbin")));
    const int counter = tdb.value(QStringLiteral("select VAL from COUNTERS where ID = 17")).toInt();
    const int users = tdb.value(QStringLiteral("select count(*) from USERS")).toInt();
    ScriptedSecuritySettings dialog(nullptr, *dm);
    dialog.show();
    TMessageRecorder messages;

    // A check that fails is told, its field focused, and nothing is stored.
    dialog.Fill = [](TfrmEditUser &e) { fillNew(e, QString()); };
    dialog.btnNewClick();
    EXPECT_EQ(dialog.Caption, QStringLiteral("Потребител [добавяне]"));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Моля, попълнете \"Име\"!"));
    EXPECT_EQ(dialog.Focused, dialog.NameEdit);
    EXPECT_EQ(tdb.value(QStringLiteral("select count(*) from USERS")).toInt(), users);
    EXPECT_GT(dialog.Key, 0);
    EXPECT_GE(dialog.Key, counter - 1);

    dialog.Fill = [](TfrmEditUser &e) { fillNew(e, QStringLiteral("Патрик")); };
    dialog.btnNewClick();
    EXPECT_EQ(messages.Count(), 1);
    const int key = dialog.Key;
    EXPECT_EQ(tdb.value(QStringLiteral("select VAL from COUNTERS where ID = 17")).toInt(), counter + 2)
        << "each editor for a new user draws its own key";
    // Committed, with the login and password as the log-in uses them.
    EXPECT_EQ(tdb.value(QStringLiteral("select LOGIN from USERS where ID = %1").arg(key)).toString(),
              QStringLiteral("OBrien"));
    EXPECT_EQ(tdb.value(QStringLiteral("select USER_TYPE from USERS where ID = %1").arg(key)).toInt(), 2);
    const QString pass = tdb.value(QStringLiteral("select PASS from USERS where ID = %1").arg(key)).toString();
    EXPECT_TRUE(users::IsPasswordHash(pass));
    EXPECT_EQ(dialog.SelectedUserId(), key) << "the list is filled again, on the new user";
    EXPECT_TRUE(dm->CheckLogin(QStringLiteral("O'Brien"), QStringLiteral("it's")));
    EXPECT_EQ(dm->CurrentUserId, key);
}

TEST_F(UsersTest, EditingKeepsTheStoredPasswordUnlessAnotherIsTyped)
{
    addUser(5, QStringLiteral("ivan"), users::EncodePassword(QStringLiteral("old")), users::UserTypeUser);
    const QString before = tdb.value(QStringLiteral("select PASS from USERS where ID = 5")).toString();
    ScriptedSecuritySettings dialog(nullptr, *dm);
    dialog.show();
    dialog.SelectUser(5);
    TMessageRecorder messages;

    dialog.Fill = [](TfrmEditUser &e) {
        type(e.eName, QStringLiteral("Иван Петров"));
        choose(e.cbUserType, 1);  // "Администратор"
    };
    dialog.btnEditClick();
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(dialog.Caption, QStringLiteral("Потребител [редакция]"));
    EXPECT_EQ(dialog.Key, 5);
    EXPECT_EQ(tdb.value(QStringLiteral("select PASS from USERS where ID = 5")).toString(), before);
    EXPECT_EQ(tdb.value(QStringLiteral("select NAME from USERS where ID = 5")).toString(), QStringLiteral("Иван Петров"));
    EXPECT_EQ(tdb.value(QStringLiteral("select USER_TYPE from USERS where ID = 5")).toInt(), 1);
    EXPECT_EQ(dialog.lvUsers->selectedItems().value(0)->text(0), QStringLiteral("А"));

    dialog.Fill = [](TfrmEditUser &e) {
        type(e.ePass, QStringLiteral("new"));
        type(e.eRePass, QStringLiteral("new"));
    };
    dialog.btnEditClick();
    EXPECT_TRUE(dm->CheckLogin(QStringLiteral("ivan"), QStringLiteral("new")));
}
