#pragma once
// The base of the program's main window: a toolbar across the top of the
// screen with the exit button, the close question, and the objects the
// window keeps until it closes.

#include "framework/forms/baseform.h"

#include <QList>
#include <QPointer>
#include <QString>

class QToolButton;
class TBaseDM;

class TBaseMainForm : public TfrmBaseForm
{
    Q_OBJECT
public:
    // The question that guards the close of the main window.
    static QString CloseQuestion(); // "Желаете ли да приключите работа с програмата?"

    explicit TBaseMainForm(TBaseDM *dataModule, QWidget *owner = nullptr);
    ~TBaseMainForm() override;

    TBaseDM *DataModule() const { return FDataModule; }

    // The application name the news check reports ("base" here).
    QString WebNewsAppName = QStringLiteral("base");

    // Objects the window keeps for the run; freed when the window closes.
    void KeepObject(QObject *object);
    int KeptObjectCount() const;

    // Called before a backup, a restore and the emptying of the database.
    // It has nothing to prepare in this system.
    virtual void PrepareForDatabaseOperation() {}

    QWidget *Toolbar = nullptr;      // height 56
    QToolButton *btnExit = nullptr;  // "Изход": closes the window (with the question)

protected:
    // The title, placed at the top-left corner of its monitor, as wide as
    // the monitor, maximized.
    void FirstShow() override;
    // Only Yes on the close question closes the window.
    bool CloseQuery(int result) override;
    void done(int result) override;

    // Makes a toolbar button (53 high, image above caption).
    QToolButton *AddToolbarButton(const QString &name, const QString &caption, const QString &hint,
                                  const QIcon &icon);

private:
    void FreeKeptObjects();

    TBaseDM *FDataModule;
    QList<QPointer<QObject>> FKeptObjects;
};
