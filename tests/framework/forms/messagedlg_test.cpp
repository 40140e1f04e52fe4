#include "framework/forms/application.h"
#include "framework/forms/cyrmessagedlg.h"
#include "framework/forms/messagerecorder.h"
#include "framework/text/abort.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct ButtonsCase
{
    TMsgDlgButtons buttons;
    std::vector<QString> names; // shown, in order
    int enterResult;            // the default button's result (0: none)
    int escResult;              // the cancel button's result (0: Esc does nothing)
};

// The button sets the program uses, and a few more.
const ButtonsCase ButtonCases[] = {
    {{mbOK}, {"OK"}, mrOk, mrOk},
    {{mbYes, mbNo}, {"Yes", "No"}, mrYes, mrNo},
    {{mbYes, mbCancel}, {"Yes", "Cancel"}, mrYes, mrCancel},
    {{mbOK, mbCancel}, {"OK", "Cancel"}, mrOk, mrCancel},
    {{mbCancel, mbYes, mbNo}, {"Yes", "No", "Cancel"}, mrYes, mrCancel},
    {{mbAbort, mbRetry, mbIgnore}, {"Abort", "Retry", "Ignore"}, mrRetry, 0},
    {{mbYesToAll, mbNoToAll, mbAll, mbNo, mbYes}, {"Yes", "No", "All", "NoToAll", "YesToAll"}, mrYes, mrNo},
};

MessageRequest Request(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    MessageRequest r;
    r.Text = text;
    r.Type = type;
    r.Buttons = buttons;
    return r;
}

} // namespace

TEST(MessageDialog, DefaultAndCancelButtonsOfTheRealDialog)
{
    for (const ButtonsCase &c : ButtonCases) {
        SCOPED_TRACE(c.names.front().toStdString());
        // Order and names.
        TCyrMessageDialog shown(Request("Текст", mtConfirmation, c.buttons));
        auto buttons = shown.findChildren<QPushButton *>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
        ASSERT_EQ(buttons.size(), qsizetype(c.names.size()));
        for (size_t i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(buttons[qsizetype(i)]->objectName(), c.names[i]);

        // Enter presses the default button.
        if (c.enterResult) {
            TCyrMessageDialog dlg(Request("Текст", mtConfirmation, c.buttons));
            dlg.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg, Qt::Key_Return);
            EXPECT_FALSE(dlg.isVisible());
            EXPECT_EQ(dlg.result(), c.enterResult);
        }
        // Esc presses the cancel button, or does nothing without one.
        TCyrMessageDialog dlg(Request("Текст", mtConfirmation, c.buttons));
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        if (c.escResult) {
            EXPECT_FALSE(dlg.isVisible());
            EXPECT_EQ(dlg.result(), c.escResult);
        } else {
            EXPECT_TRUE(dlg.isVisible());
            dlg.close(); // the close box still answers Cancel
            EXPECT_EQ(dlg.result(), mrCancel);
        }
    }
}

TEST(MessageDialog, YesNoClosedWithEscOrCloseBoxAnswersNo)
{
    TCyrMessageDialog esc(Request("Моля, потвърдете изтриване!", mtConfirmation, {mbYes, mbNo}));
    esc.show();
    QTest::keyClick(&esc, Qt::Key_Escape);
    EXPECT_EQ(esc.result(), mrNo);

    TCyrMessageDialog box(Request("Моля, потвърдете изтриване!", mtConfirmation, {mbYes, mbNo}));
    box.show();
    box.close();
    EXPECT_EQ(box.result(), mrNo);
}

TEST(MessageDialog, CaptionsIconsAndButtonCaptions)
{
    const std::pair<TMsgDlgType, QString> types[] = {
        {mtWarning, "Внимание"}, {mtError, "Грешка"}, {mtInformation, "Съобщение"},
        {mtConfirmation, "Потвърждение"}, {mtCustom, "Съобщение"}};
    for (const auto &[type, caption] : types) {
        TCyrMessageDialog dlg(Request("x", type, {mbOK}));
        EXPECT_EQ(dlg.windowTitle(), caption);
        EXPECT_EQ(dlg.IconLabel() != nullptr, type != mtCustom);
    }
    TCyrMessageDialog all(Request("x", mtCustom,
                                  {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                                   mbYesToAll}));
    const QStringList captions{"Да",       "Не",         "ОК",     "Отказ",        "Прекъсване",
                               "Нов опит", "Игнориране", "Всички", "Не за всички", "Да за всички"};
    const int results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10};
    int i = 0;
    for (TMsgDlgBtn b : {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll}) {
        ASSERT_NE(all.Button(b), nullptr);
        EXPECT_EQ(all.Button(b)->text(), captions[i]);
        EXPECT_EQ(ButtonResult(b), results[i]);
        ++i;
    }
    // A button press answers its own result.
    all.show();
    QTest::mouseClick(all.Button(mbNoToAll), Qt::LeftButton);
    EXPECT_EQ(all.result(), mrNoToAll);
}

TEST(MessageDialog, LongTextWrapsWithinHalfTheScreen)
{
    QString text;
    for (int i = 0; i < 80; ++i)
        text += "Дълъг текст на съобщение ";
    TCyrMessageDialog dlg(Request(text, mtError, {mbOK}));
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    EXPECT_LE(dlg.MessageLabel()->width(), half);
    EXPECT_GT(dlg.MessageLabel()->height(), 3 * dlg.MessageLabel()->fontMetrics().height());
    EXPECT_EQ(dlg.MessageLabel()->text(), text);
    // The window holds the text and the buttons.
    EXPECT_GE(dlg.height(), dlg.MessageLabel()->geometry().bottom() + dlg.Button(mbOK)->height());
}

TEST(MessageDialog, HandlerAndRecorderAnswerWithoutAWindow)
{
    TMessageRecorder messages;
    messages.Answer(mrNo);
    EXPECT_EQ(CyrMessageDlg("Изтриване?", mtConfirmation, {mbYes, mbNo}), mrNo);
    // Nothing queued: the default button answers.
    EXPECT_EQ(CyrMessageDlg("Изтриване?", mtConfirmation, {mbYes, mbNo}), mrYes);
    EXPECT_EQ(CyrMessageDlgPos("Готово", mtInformation, {mbOK}, 0, 10, 20), mrOk);
    ASSERT_EQ(messages.Count(), 3);
    EXPECT_EQ(messages.Messages()[0].Type, mtConfirmation);
    EXPECT_EQ(messages.Messages()[0].Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(messages.Last().X, 10);
    EXPECT_EQ(messages.Last().Caption(), "Съобщение");
    EXPECT_EQ(messages.Texts(), (QStringList{"Изтриване?", "Изтриване?", "Готово"}));
    {
        TMessageRecorder inner; // nests, and gives the outer one back
        CyrMessageDlg("вътре", mtError, {mbOK});
        EXPECT_EQ(inner.Count(), 1);
    }
    CyrMessageDlg("отвън", mtError, {mbOK});
    EXPECT_EQ(messages.Count(), 4);
}

TEST(MessageDialog, PositionGivenByTheCaller)
{
    MessageRequest r = Request("x", mtInformation, {mbOK});
    r.X = 33;
    r.Y = 44;
    TCyrMessageDialog dlg(r);
    dlg.show();
    EXPECT_EQ(dlg.pos(), QPoint(33, 44));
}

namespace {
class Thrower : public QObject
{
public:
    enum Kind { Error, Silent } kind = Error;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            if (kind == Silent)
                Abort();
            throw std::runtime_error("Записът не може да бъде изтрит!");
        }
        return QObject::event(e);
    }
};
} // namespace

TEST(Application, UncaughtExceptionIsShownAndAbortIsSilent)
{
    ASSERT_NE(qobject_cast<TApplication *>(qApp), nullptr);
    TMessageRecorder messages;
    Thrower object;
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&object);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Type, mtError);
    EXPECT_EQ(messages.Last().Text, "Записът не може да бъде изтрит!");
    EXPECT_EQ(messages.Last().ButtonOrder(), std::vector<TMsgDlgBtn>{mbOK});

    object.kind = Thrower::Silent;
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&object);
    EXPECT_EQ(messages.Count(), 1);
}

TEST(Application, QtTextsInBulgarian)
{
    ASSERT_TRUE(InstallQtTranslations());
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}
