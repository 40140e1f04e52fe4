#include "formtest.h"

#include "framework/forms/formutils.h"
#include "framework/forms/inputdlg.h"
#include "framework/forms/insertcity.h"
#include "framework/forms/listchoose.h"
#include "framework/forms/messagerecorder.h"
#include "framework/forms/remarks.h"
#include "framework/forms/searchact.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs action on the modal dialog as soon as it shows.
void WhenModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

void Fill(TdlgListChoose &dlg, const std::vector<bool> &checks)
{
    int i = 0;
    for (bool checked : checks) {
        ++i;
        dlg.AddItem(QString("колона %1").arg(i), checked, i * 10);
    }
}

} // namespace

TEST(ListChoose, RefusesWhatTheOptionsForbid)
{
    struct Case
    {
        const char *what;
        std::vector<bool> checks;
        bool single, allowEmpty, refuseAll;
        QString refusal; // empty: accepted
    };
    const Case cases[] = {
        {"nothing chosen", {false, false}, false, false, false, "Не сте направили избор!"},
        {"nothing chosen, allowed", {false, false}, false, true, false, ""},
        {"two in single choice", {true, true, false}, true, false, false, "Трябва да направите единичен избор!"},
        {"one in single choice", {false, true, false}, true, false, false, ""},
        {"all refused", {true, true}, false, false, true, "Не може да изберете всички!"},
        {"some when all refused", {true, false}, false, false, true, ""},
        {"all allowed", {true, true}, false, false, false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TMessageRecorder messages;
        TdlgListChoose dlg;
        dlg.SingleChoice = c.single;
        dlg.AllowEmpty = c.allowEmpty;
        dlg.RefuseAll = c.refuseAll;
        Fill(dlg, c.checks);
        dlg.show();
        QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(messages.Count(), 0);
            EXPECT_FALSE(dlg.isVisible());
            EXPECT_EQ(dlg.result(), mrOk);
        } else {
            ASSERT_EQ(messages.Count(), 1);
            EXPECT_EQ(messages.Last().Text, c.refusal);
            EXPECT_EQ(messages.Last().Type, mtWarning);
            EXPECT_EQ(messages.Last().Buttons, TMsgDlgButtons{mbOK});
            EXPECT_TRUE(dlg.isVisible());
        }
    }
}

TEST(ListChoose, AllNoneCancelAndSingleChoiceDoubleClick)
{
    TdlgListChoose dlg;
    Fill(dlg, {false, true, false});
    EXPECT_FALSE(dlg.btnAll->isVisibleTo(&dlg));
    dlg.ShowAllNone(true);
    dlg.show();
    EXPECT_EQ(dlg.btnAll->toolTip(), "Всички");
    EXPECT_EQ(dlg.btnNone->toolTip(), "Никой");
    dlg.btnAll->click();
    EXPECT_EQ(dlg.CheckedCount(), 3);
    dlg.btnNone->click();
    EXPECT_EQ(dlg.CheckedCount(), 0);
    EXPECT_EQ(dlg.ItemObject(2), QVariant(30));
    // An item moved within the list (what a drop does) is the selected one
    // where it lands, and keeps its object.
    dlg.SetAllowDrag(true);
    ASSERT_TRUE(dlg.chlbChoose->model()->moveRow(QModelIndex(), 0, QModelIndex(), 3));
    EXPECT_EQ(dlg.ItemText(2), "колона 1");
    EXPECT_EQ(dlg.ItemObject(2), QVariant(10));
    EXPECT_EQ(dlg.chlbChoose->currentRow(), 2);
    ASSERT_TRUE(dlg.chlbChoose->model()->moveRow(QModelIndex(), 2, QModelIndex(), 0));
    EXPECT_EQ(dlg.ItemText(0), "колона 1");
    EXPECT_EQ(dlg.chlbChoose->currentRow(), 0);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), mrCancel);

    TdlgListChoose single;
    single.SingleChoice = true;
    Fill(single, {false, true});
    single.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&single));
    QListWidget *list = single.chlbChoose;
    QRect row = list->visualItemRect(list->item(1));
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(single.result(), mrOk);
}

TEST(SearchAct, FieldsAndCriteria)
{
    TfrmSearchAct dlg;
    EXPECT_EQ(dlg.windowTitle(), "Търсене");
    dlg.SetCriteria({"София", "Пловдив"});
    dlg.AddField("Име", "NAME", true);
    dlg.AddField("Град", "CITY_D", false);
    dlg.AddField("ЕИК", "BULSTAT", true);
    dlg.show();
    EXPECT_EQ(dlg.CriteriaText(), "София");
    EXPECT_EQ(dlg.CheckedFields(), (QStringList{"NAME", "BULSTAT"}));
    // A double click on a field toggles it.
    QTreeWidgetItem *city = dlg.lvFields->topLevelItem(1);
    emit dlg.lvFields->itemDoubleClicked(city, 0);
    EXPECT_EQ(dlg.CheckedFields(), (QStringList{"NAME", "CITY_D", "BULSTAT"}));
    dlg.btnNone->click();
    EXPECT_TRUE(dlg.CheckedFields().isEmpty());
    dlg.btnAll->click();
    EXPECT_EQ(dlg.CheckedFields().size(), 3);
    dlg.cbCriteria->setEditText("Варна");
    QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), mrOk);
    EXPECT_EQ(dlg.CriteriaText(), "Варна");
}

TEST(InsertCity, SaveOnlyWithAllThreeTextsAndEmptyOnesTinted)
{
    TfrmInsertCity dlg;
    EXPECT_EQ(dlg.windowTitle(), "Въвеждане на град");
    EXPECT_EQ(dlg.btnOk->text(), "Запис");
    EXPECT_EQ(dlg.btnCancel->text(), "Отказ");
    dlg.SetTexts("1000", "София", "");
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    const QColor window = dlg.palette().color(QPalette::Base);
    EXPECT_EQ(dlg.EmptyTint(), BlendColor(window, QColor(255, 0, 0), 0.1));
    EXPECT_FALSE(dlg.actnSave->isEnabled());
    EXPECT_FALSE(dlg.btnOk->isEnabled());
    EXPECT_EQ(dlg.eCityName->palette().color(QPalette::Base), dlg.EmptyTint());
    EXPECT_EQ(dlg.eName->palette().color(QPalette::Base), window);
    // The Bulgarian name was filled: the postal code gets the focus.
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.eCode->hasFocus(); }));

    QTest::keyClicks(dlg.eCityName, "Sofia");
    EXPECT_TRUE(dlg.btnOk->isEnabled());
    EXPECT_EQ(dlg.eCityName->palette().color(QPalette::Base), window);
    dlg.eCode->clear();
    EXPECT_FALSE(dlg.btnOk->isEnabled());
    dlg.eCode->setText("1000");
    QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), mrOk);
    EXPECT_EQ(dlg.eCityName->text(), "Sofia");

    TfrmInsertCity empty;
    empty.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return empty.eName->hasFocus(); }));
}

TEST(Remarks, LinesInAndCrLfOut)
{
    QString text = "първи ред\nвтори ред\r\nтрети";
    WhenModal([](QWidget *w) {
        auto *form = qobject_cast<TfrmRemarks *>(w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), "Бележки");
        EXPECT_EQ(form->Memo->toPlainText(), "първи ред\nвтори ред\nтрети");
        form->Memo->appendPlainText("четвърти");
        QTest::mouseClick(form->btnOk, Qt::LeftButton);
    });
    ASSERT_TRUE(EditRemarks("Бележки", text));
    EXPECT_EQ(text, "първи ред\r\nвтори ред\r\nтрети\r\nчетвърти");

    WhenModal([](QWidget *w) {
        auto *form = qobject_cast<TfrmRemarks *>(w);
        form->Memo->setPlainText("друго");
        QTest::keyClick(form, Qt::Key_Escape);
    });
    EXPECT_FALSE(EditRemarks("Бележки", text));
    EXPECT_EQ(text, "първи ред\r\nвтори ред\r\nтрети\r\nчетвърти");
}

TEST_F(SettingsFixture, RemarksKeepNoPlacement)
{
    TfrmRemarks form;
    form.show();
    form.move(10, 10);
    form.close();
    EXPECT_EQ(AppSettings().FindKey("posLeft"), nullptr);
    EXPECT_EQ(AppSettings().FindKey("sizeWidth"), nullptr);
}

TEST(InputDialog, OkOnlyForValidInput)
{
    TInputDialog number(nullptr, "Брой", "Въведете брой:", true);
    number.show();
    EXPECT_FALSE(number.btnOk->isEnabled());
    QTest::keyClicks(number.Edit, "4a2");
    EXPECT_EQ(number.Edit->text(), "42");
    EXPECT_TRUE(number.btnOk->isEnabled());
    EXPECT_EQ(number.Number(), 42);
    number.Edit->setText("99999999999"); // digits, but no whole number of the program
    EXPECT_FALSE(number.btnOk->isEnabled());
    number.Edit->clear();
    EXPECT_FALSE(number.btnOk->isEnabled());
    QTest::keyClick(number.Edit, Qt::Key_Return); // the disabled default does nothing
    EXPECT_TRUE(number.isVisible());

    TInputDialog text(nullptr, "Име", "Въведете име:", false);
    EXPECT_EQ(text.Edit->maxLength(), 4000);
    EXPECT_EQ(text.btnOk->text(), "OK");
    EXPECT_EQ(text.btnCancel->text(), "Cancel");
}

TEST(InputDialog, AnswersOnOkOnly)
{
    QString name = "старо";
    WhenModal([](QWidget *w) {
        auto *dlg = qobject_cast<TInputDialog *>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Име");
        EXPECT_EQ(dlg->Prompt->text(), "Въведете име:");
        EXPECT_EQ(dlg->Edit->text(), "старо");
        dlg->Edit->setText("L'Aquila");
        QTest::keyClick(dlg->Edit, Qt::Key_Return);
    });
    ASSERT_TRUE(InputText(nullptr, "Име", "Въведете име:", name));
    EXPECT_EQ(name, "L'Aquila");

    int count = 7;
    WhenModal([](QWidget *w) {
        auto *dlg = qobject_cast<TInputDialog *>(w);
        EXPECT_EQ(dlg->Edit->text(), "7");
        dlg->Edit->setText("15");
        dlg->close();
    });
    EXPECT_FALSE(InputNumber(nullptr, "Брой", "Брой:", count));
    EXPECT_EQ(count, 7);
    WhenModal([](QWidget *w) {
        auto *dlg = qobject_cast<TInputDialog *>(w);
        dlg->Edit->setText("15");
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    });
    EXPECT_TRUE(InputNumber(nullptr, "Брой", "Брой:", count));
    EXPECT_EQ(count, 15);
}
