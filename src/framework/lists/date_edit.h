#pragma once

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QToolButton;

// A date edit that can be empty: the date typed as "dd.M.yyyy" (one or two
// digits for day and month) or chosen from a calendar that drops down under
// the box. An empty box is no date.
class TDateEdit : public QWidget
{
    Q_OBJECT
public:
    explicit TDateEdit(QWidget *Parent = nullptr);

    QDate Date() const { return FDate; }      // invalid when empty
    void SetDate(const QDate &Date);          // an invalid date empties the box
    bool IsEmpty() const { return !FDate.isValid(); }
    // The typed text is a date, or empty.
    bool HasValidText() const;
    QString Text() const;
    void SetReadOnly(bool On);
    bool IsReadOnly() const { return FReadOnly; }

    bool IsCalendarOpen() const;
    void OpenCalendar();
    void CloseCalendar();

    QLineEdit *LineEdit() const { return FEdit; }
    QCalendarWidget *Calendar() const { return FCalendar; }
    QSize sizeHint() const override;

signals:
    // The user set another date (typed and left the box, or chose it).
    void dateChanged(const QDate &Date);
    // The user left the box with text that is not a date.
    void invalidDate(const QString &Text);
    void editingFinished();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Commit();
    void Picked(const QDate &Date);
    void HideCalendar();

    QLineEdit *FEdit;
    QToolButton *FButton;
    QFrame *FPopup;
    QCalendarWidget *FCalendar;
    QDate FDate;
    bool FReadOnly = false;
};
