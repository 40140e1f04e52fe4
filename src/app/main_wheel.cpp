#include "app/main_wheel.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

TWheelRedirector::TWheelRedirector(QObject *parent) : QObject(parent) {}

QWidget *TWheelRedirector::WheelTarget(QWidget *receiver, const QPoint &globalPos)
{
    QWidget *under = QApplication::widgetAt(globalPos);
    if (!under || under == receiver)
        return nullptr;
    // Delivered to the control under the pointer, or passed on from it to
    // its parents: Qt's own way already.
    if (receiver && receiver->isAncestorOf(under))
        return nullptr;
    for (QWidget *w = under; w; w = w->parentWidget()) {
        if (auto *area = qobject_cast<QAbstractScrollArea *>(w))
            return area->viewport() == receiver ? nullptr : area->viewport();
        if (w->parentWidget() && qobject_cast<QAbstractScrollArea *>(w->parentWidget())
            && static_cast<QAbstractScrollArea *>(w->parentWidget())->viewport() == w)
            return w == receiver ? nullptr : w;
        if (w->focusPolicy() & Qt::TabFocus)
            return w == receiver ? nullptr : w;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

bool TWheelRedirector::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel || FBusy || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto *wheel = static_cast<QWheelEvent *>(event);
    auto *receiver = static_cast<QWidget *>(watched);
    QWidget *target = WheelTarget(receiver, wheel->globalPosition().toPoint());
    if (!target)
        return QObject::eventFilter(watched, event);
    const QPointF local = target->mapFromGlobal(wheel->globalPosition());
    QWheelEvent copy(local, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                     wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
    FBusy = true;
    QApplication::sendEvent(target, &copy);
    FBusy = false;
    wheel->accept();
    return true;
}
