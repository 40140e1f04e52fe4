#include "framework/lists/date_edit.h"

#include "framework/text/formats.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

TDateEdit::TDateEdit(QWidget *Parent) : QWidget(Parent)
{
    FEdit = new QLineEdit(this);
    FEdit->setObjectName(QStringLiteral("edit"));
    FEdit->setPlaceholderText(QString());
    FButton = new QToolButton(this);
    FButton->setObjectName(QStringLiteral("calendarButton"));
    FButton->setArrowType(Qt::DownArrow);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setCursor(Qt::ArrowCursor);
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(FEdit, 1);
    lay->addWidget(FButton);
    setFocusProxy(FEdit);
    setFocusPolicy(Qt::StrongFocus);

    FPopup = new QFrame(this, Qt::Popup);
    FPopup->setFrameShape(QFrame::StyledPanel);
    FCalendar = new QCalendarWidget(FPopup);
    FCalendar->setLocale(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    FCalendar->setFirstDayOfWeek(Qt::Monday);
    FCalendar->setGridVisible(true);
    FCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto *pl = new QVBoxLayout(FPopup);
    pl->setContentsMargins(1, 1, 1, 1);
    pl->addWidget(FCalendar);
    FCalendar->installEventFilter(this);

    connect(FButton, &QToolButton::clicked, this, [this] {
        if (IsCalendarOpen())
            CloseCalendar();
        else
            OpenCalendar();
    });
    connect(FCalendar, &QCalendarWidget::activated, this, &TDateEdit::Picked);
    connect(FCalendar, &QCalendarWidget::clicked, this, &TDateEdit::Picked);
    connect(FEdit, &QLineEdit::editingFinished, this, &TDateEdit::Commit);
    FEdit->installEventFilter(this);
}

QSize TDateEdit::sizeHint() const
{
    QSize s = FEdit->sizeHint();
    s.setWidth(FEdit->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 16 +
               FButton->sizeHint().width());
    return s;
}

void TDateEdit::SetDate(const QDate &Date)
{
    FDate = Date.isValid() ? Date : QDate();
    FEdit->setText(FormatDate(FDate));
}

bool TDateEdit::HasValidText() const
{
    const QString t = FEdit->text().trimmed();
    return t.isEmpty() || ParseDate(t).isValid();
}

QString TDateEdit::Text() const
{
    return FEdit->text();
}

void TDateEdit::SetReadOnly(bool On)
{
    FReadOnly = On;
    FEdit->setReadOnly(On);
    FButton->setEnabled(!On);
}

bool TDateEdit::IsCalendarOpen() const
{
    return FPopup->isVisible();
}

void TDateEdit::OpenCalendar()
{
    if (FReadOnly || IsCalendarOpen())
        return;
    const QDate shown = ParseDate(FEdit->text()).isValid() ? ParseDate(FEdit->text())
                                                           : (FDate.isValid() ? FDate : QDate::currentDate());
    FCalendar->setSelectedDate(shown);
    FPopup->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (QScreen *s = screen()) {
        const QRect avail = s->availableGeometry();
        if (at.y() + FPopup->height() > avail.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - FPopup->height());
        if (at.x() + FPopup->width() > avail.right())
            at.setX(avail.right() - FPopup->width());
    }
    FPopup->move(at);
    FPopup->show();
    FCalendar->setFocus();
}

void TDateEdit::HideCalendar()
{
    FPopup->hide();
    // The box's window takes the keyboard back from the calendar.
    // Some platforms leave the hidden pop-up as the active window.
    if (QWidget *w = window(); w && !w->isActiveWindow())
        QApplication::setActiveWindow(w);
}

void TDateEdit::CloseCalendar()
{
    HideCalendar();
    FEdit->setFocus();
}

void TDateEdit::Picked(const QDate &Date)
{
    HideCalendar();
    const bool changed = Date != FDate;
    SetDate(Date);
    FEdit->setFocus();
    if (changed)
        emit dateChanged(FDate);
}

void TDateEdit::Commit()
{
    if (FReadOnly)
        return;
    const QString t = FEdit->text().trimmed();
    if (t.isEmpty()) {
        if (FDate.isValid()) {
            FDate = QDate();
            emit dateChanged(FDate);
        }
        emit editingFinished();
        return;
    }
    const QDate d = ParseDate(t);
    if (!d.isValid()) {
        emit invalidDate(FEdit->text());
        return;
    }
    const bool changed = d != FDate;
    SetDate(d);
    if (changed)
        emit dateChanged(FDate);
    emit editingFinished();
}

bool TDateEdit::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(Event);
        if (Watched == FEdit) {
            if ((ke->key() == Qt::Key_Down && (ke->modifiers() & Qt::AltModifier)) || ke->key() == Qt::Key_F4) {
                OpenCalendar();
                return true;
            }
        } else if (Watched == FCalendar) {
            if (ke->key() == Qt::Key_Escape) {
                CloseCalendar();
                return true;
            }
            if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
                Picked(FCalendar->selectedDate());
                return true;
            }
        }
    }
    return QWidget::eventFilter(Watched, Event);
}
