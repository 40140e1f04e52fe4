#pragma once
// The mouse wheel scrolls what is under the pointer: an application event
// filter that looks at every wheel event before it is delivered.

#include <QObject>

class QWidget;

class TWheelRedirector : public QObject
{
    Q_OBJECT
public:
    explicit TWheelRedirector(QObject *parent = nullptr);

    // The control that should take a wheel turn at the global position when
    // receiver would get it: null when receiver is that control (or there is
    // none), otherwise the first control from the one under the pointer up
    // its parents that takes the focus by the wheel or by Tab, or a scroll
    // area (then its viewport).
    static QWidget *WheelTarget(QWidget *receiver, const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FBusy = false;
};
