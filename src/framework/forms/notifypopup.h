#pragma once

// A small self-closing notice that slides up in the bottom-right corner of
// a form ("Такъв запис не е намерен!"), without a modal dialog. Made by
// TfrmBaseForm::ShowNotice; several may show at once on one form, each with
// its own timers. A click closes it at once. It frees itself: hidden when
// its delay ends or it is clicked, deleted 50 ms later.

#include <QColor>
#include <QIcon>
#include <QTimer>
#include <QWidget>

class TNotifyPopup : public QWidget
{
    Q_OBJECT
public:
    explicit TNotifyPopup(QWidget *owner);

    QString Text() const { return FText; }
    void SetText(const QString &text);

    int HideDelay() const { return FHideDelay; } // ms after arriving; <= 0: until clicked
    void SetHideDelay(int ms) { FHideDelay = ms; }
    int InnerMargin() const { return FInnerMargin; }
    void SetInnerMargin(int value) { FInnerMargin = value; }
    QColor Color() const { return FColor; }
    void SetColor(const QColor &value) { FColor = value; update(); }
    QColor FontColor() const { return FFontColor; }
    void SetFontColor(const QColor &value) { FFontColor = value; update(); }
    QColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(const QColor &value) { FBorderColor = value; update(); }
    int CornerRadius() const { return FCornerRadius; } // 0: a plain rectangle
    void SetCornerRadius(int value) { FCornerRadius = value; update(); }
    // The icon drawn left of the text, at ImageSize (none by default).
    QIcon Image() const { return FImage; }
    void SetImage(const QIcon &image, const QSize &size = QSize(16, 16));
    QSize ImageSize() const { return FImage.isNull() ? QSize() : FImageSize; }
    int RightMargin() const { return FRightMargin; }   // from the owner's right edge
    void SetRightMargin(int value) { FRightMargin = value; }
    int BottomMargin() const { return FBottomMargin; } // from the owner's bottom edge
    void SetBottomMargin(int value) { FBottomMargin = value; }
    int SlideStep() const { return FSlideStep; }       // pixels per tick
    void SetSlideStep(int value) { FSlideStep = value > 0 ? value : 1; }

    // Measures the notice, places it just below its resting place at the
    // owner's bottom-right corner, shows it and starts sliding it up.
    void Show();

    QPoint Target() const { return FTarget; } // where it comes to rest
    bool Sliding() const { return FSlideTimer.isActive(); }
    bool Waiting() const { return FHideTimer.isActive(); } // resting, hide delay running

    // One tick of the slide (what the slide timer runs every 100 ms).
    void SlideTick();
    // Hides the notice and frees it 50 ms later (the hide delay's end, or a click).
    void Dismiss();

    // The size Show() gives it for its text and image: one line, cut to
    // what the owner's width allows.
    QSize MeasuredSize() const;
    // The text as painted: cut with an ellipsis when it does not fit.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Place(bool atTarget);
    QRect TextRect() const;

    QString FText;
    int FHideDelay = 15000;
    int FInnerMargin = 4;
    QColor FColor;
    QColor FFontColor;
    QColor FBorderColor = QColor(96, 96, 96);
    int FCornerRadius = 0;
    QIcon FImage;
    QSize FImageSize = QSize(16, 16);
    int FRightMargin = 3;
    int FBottomMargin = 3;
    int FSlideStep = 10;
    QPoint FTarget;
    QTimer FSlideTimer;
    QTimer FHideTimer;
    bool FDismissed = false;
};
