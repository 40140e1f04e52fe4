#include "framework/forms/baseform.h"
#include "framework/forms/notifypopup.h"

#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {
class NoticeForm : public TfrmBaseForm
{
public:
    NoticeForm() : TfrmBaseForm(nullptr)
    {
        setObjectName("frmNotice");
        resize(400, 300);
    }
    int preparedKind = -1;

protected:
    void PrepareNotice(TNotifyPopup *popup, int kind) override
    {
        preparedKind = kind;
        popup->SetHideDelay(4000);
        popup->SetColor(QColor(255, 255, 224));
    }
};

void SlideToRest(TNotifyPopup *popup)
{
    for (int i = 0; i < 1000 && popup->Sliding(); ++i)
        popup->SlideTick();
}
} // namespace

TEST(NotifyPopup, SlidesUpToTheBottomRightCornerThenWaits)
{
    NoticeForm form;
    form.show();
    QPointer<TNotifyPopup> popup = form.ShowNotice(1, "Такъв запис не е намерен!");
    ASSERT_TRUE(popup);
    EXPECT_EQ(form.preparedKind, 1);
    EXPECT_EQ(popup->parentWidget(), &form);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->Sliding());
    // Measured for its text; resting 3 pixels in from the corner, starting just below.
    const QFontMetrics metrics(popup->font());
    EXPECT_GE(popup->width(), metrics.horizontalAdvance(popup->Text()) + 8);
    EXPECT_EQ(popup->height(), metrics.height() + 8);
    const QPoint target(400 - 3 - popup->width(), 300 - 3 - popup->height());
    EXPECT_EQ(popup->Target(), target);
    EXPECT_EQ(popup->pos(), QPoint(target.x(), target.y() + popup->height() + 3));

    const int start = popup->y();
    popup->SlideTick();
    EXPECT_EQ(popup->y(), start - 10);
    SlideToRest(popup);
    EXPECT_EQ(popup->pos(), target);
    EXPECT_FALSE(popup->Sliding());
    EXPECT_TRUE(popup->Waiting());

    // Several at once, each on its own.
    QPointer<TNotifyPopup> second = form.ShowNotice(2, "Друг такъв запис не е намерен!");
    EXPECT_TRUE(second->Sliding());
    EXPECT_TRUE(popup->Waiting());

    // A click removes it at once and frees it shortly after.
    QTest::mouseClick(popup, Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }));
    EXPECT_TRUE(second);
}

TEST(NotifyPopup, TextWiderThanTheFormIsCutWithAnEllipsis)
{
    NoticeForm form;
    form.show();
    const QString text = QString("Много дълго съобщение ").repeated(20);
    TNotifyPopup *popup = form.ShowNotice(1, text);
    EXPECT_LE(popup->width(), form.width() - 6);
    EXPECT_GE(popup->x(), 0);
    EXPECT_TRUE(popup->ShownText().endsWith(QChar(0x2026)));
    EXPECT_LT(popup->ShownText().size(), text.size());

    // "&" is shown as it is.
    TNotifyPopup *amp = form.ShowNotice(1, "A & B");
    EXPECT_EQ(amp->ShownText(), "A & B");
}

TEST(NotifyPopup, WithoutDelayItStaysUntilClicked)
{
    NoticeForm form;
    form.show();
    QPointer<TNotifyPopup> popup = new TNotifyPopup(&form);
    popup->SetText("x");
    popup->SetHideDelay(0);
    popup->Show();
    SlideToRest(popup);
    EXPECT_FALSE(popup->Waiting());
    EXPECT_TRUE(popup->isVisible());
    popup->Dismiss();
    EXPECT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }));
}
