#include "framework/forms/notifypopup.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

TNotifyPopup::TNotifyPopup(QWidget *owner) : QWidget(owner)
{
    setObjectName(QStringLiteral("NotifyPopup"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    const QPalette tips = QToolTip::palette();
    FColor = tips.color(QPalette::ToolTipBase);
    FFontColor = tips.color(QPalette::ToolTipText);
    resize(200, 10);
    hide();
    FSlideTimer.setInterval(100);
    connect(&FSlideTimer, &QTimer::timeout, this, &TNotifyPopup::SlideTick);
    FHideTimer.setSingleShot(true);
    connect(&FHideTimer, &QTimer::timeout, this, &TNotifyPopup::Dismiss);
    if (owner)
        owner->installEventFilter(this);
}

void TNotifyPopup::SetText(const QString &text)
{
    FText = text;
    update();
}

void TNotifyPopup::SetImage(const QIcon &image, const QSize &size)
{
    FImage = image;
    FImageSize = size;
    update();
}

QSize TNotifyPopup::MeasuredSize() const
{
    const QFontMetrics metrics(font());
    const QSize image = ImageSize();
    const int imagePart = image.isValid() ? image.width() + FInnerMargin : 0;
    int width = metrics.horizontalAdvance(FText) + 1 + imagePart + 2 * FInnerMargin;
    int height = std::max(metrics.height(), image.isValid() ? image.height() : 0) + 2 * FInnerMargin;
    if (QWidget *owner = parentWidget()) {
        // Never wider than the owner: the text is cut with an ellipsis instead.
        int room = owner->width() - 2 * FRightMargin;
        width = std::max(std::min(width, room), imagePart + 2 * FInnerMargin + 1);
    }
    return QSize(width, height);
}

void TNotifyPopup::Place(bool atTarget)
{
    QWidget *owner = parentWidget();
    if (!owner)
        return;
    const QRect client = owner->rect();
    FTarget = QPoint(client.right() + 1 - FRightMargin - width(),
                     client.bottom() + 1 - FBottomMargin - height());
    if (atTarget)
        move(FTarget);
    else
        move(FTarget.x(), FTarget.y() + height() + FBottomMargin);
}

void TNotifyPopup::Show()
{
    resize(MeasuredSize());
    Place(false);
    show();
    raise();
    FHideTimer.stop();
    FSlideTimer.start();
}

void TNotifyPopup::SlideTick()
{
    if (FDismissed)
        return;
    const int next = y() - FSlideStep;
    if (next <= FTarget.y()) {
        move(FTarget);
        FSlideTimer.stop();
        if (FHideDelay > 0)
            FHideTimer.start(FHideDelay);
    } else {
        move(x(), next);
    }
}

void TNotifyPopup::Dismiss()
{
    if (FDismissed)
        return;
    FDismissed = true;
    FSlideTimer.stop();
    FHideTimer.stop();
    hide();
    QTimer::singleShot(50, this, &QObject::deleteLater);
}

QRect TNotifyPopup::TextRect() const
{
    QRect area = rect().adjusted(FInnerMargin, FInnerMargin, -FInnerMargin, -FInnerMargin);
    const QSize image = ImageSize();
    if (image.isValid())
        area.setLeft(area.left() + image.width() + FInnerMargin);
    return area;
}

QString TNotifyPopup::ShownText() const
{
    return QFontMetrics(font()).elidedText(FText, Qt::ElideRight, TextRect().width());
}

void TNotifyPopup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, FCornerRadius > 0);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(FBorderColor);
    painter.setBrush(FColor);
    if (FCornerRadius > 0)
        painter.drawRoundedRect(frame, FCornerRadius, FCornerRadius);
    else
        painter.drawRect(frame);

    QRect area = rect().adjusted(FInnerMargin, FInnerMargin, -FInnerMargin, -FInnerMargin);
    const QSize image = ImageSize();
    if (image.isValid()) {
        QRect imageRect(area.left(), area.top() + (area.height() - image.height()) / 2, image.width(),
                        image.height());
        FImage.paint(&painter, imageRect);
    }
    painter.setPen(FFontColor);
    // Plain text: "&" is a character like any other.
    painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ShownText());
}

void TNotifyPopup::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Dismiss();
}

bool TNotifyPopup::eventFilter(QObject *watched, QEvent *event)
{
    // Custom alignment: the notice keeps to the owner's corner when the
    // owner is resized.
    if (watched == parentWidget() && event->type() == QEvent::Resize && !FDismissed) {
        const int offset = y() - FTarget.y();
        resize(MeasuredSize());
        Place(true);
        if (offset > 0)
            move(FTarget.x(), FTarget.y() + offset);
    }
    return QWidget::eventFilter(watched, event);
}
