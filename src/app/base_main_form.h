#pragma once
// The base of the program's main window: a toolbar across the top of the
// screen with the "Системни" and "Документация" buttons and the exit button,
// the system commands (passwords, rights, network, archives, maintenance),
// the close question, and the objects the window keeps until it closes.

#include "framework/forms/baseform.h"

#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QAction;
class QMenu;
class QToolButton;
class TBaseDM;
class TWheelRedirector;

class TBaseMainForm : public TfrmBaseForm
{
    Q_OBJECT
public:
    // The question that guards the close of the main window.
    static QString CloseQuestion(); // "Желаете ли да приключите работа с програмата?"
    // The question before "Empty DB" empties the database.
    static QString EmptyDatabaseQuestion();

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

    // The keys held at the moment the system menu opens (tests replace it).
    std::function<Qt::KeyboardModifiers()> KeyboardState;

    // --- Components ---
    QWidget *Toolbar = nullptr;        // height 56
    QWidget *TaskBar = nullptr;        // hidden, empty
    QToolButton *btnExit = nullptr;    // "Изход": closes the window (with the question)
    QToolButton *mxXPButton5 = nullptr; // "Системни"
    QToolButton *mxXPButton4 = nullptr; // "Документация"
    QMenu *SettingsPopupMenu = nullptr;
    QMenu *DocsPopupMenu = nullptr;
    QMenu *mnuArchives = nullptr;      // "Архиви"
    QMenu *miMainternance = nullptr;   // "Mainternance"
    QAction *miSep2 = nullptr;         // the separator before it
    QAction *miUndoStorno = nullptr, *miSQLPad = nullptr, *miEmptyDB = nullptr, *miResetPass = nullptr,
            *miAdjustCounters = nullptr;
    // Toolbar commands (filled by the descendant) and system commands.
    QList<QAction *> ActionList;
    QList<QAction *> ActionList2;
    QAction *actnChangePassword = nullptr, *actnChangeMainternancePassword = nullptr,
            *actnUserRights = nullptr, *actnLogoff = nullptr, *actnSettings = nullptr,
            *actnDocClauses = nullptr, *actnNetwork = nullptr, *actnBackupDB = nullptr,
            *actnBackupDBToDir = nullptr, *actnRestoreDB = nullptr, *actnAbout = nullptr,
            *actnHelp = nullptr, *actnWebCheck = nullptr;
    // The news check's poll (500 ms), disabled until the check starts.
    QTimer WebCheckTimer;

    // --- System commands ---
    virtual void actnChangePasswordExecute();
    virtual void actnChangeMainternancePasswordExecute();
    virtual void actnUserRightsExecute();
    virtual void actnLogoffExecute();
    virtual void actnSettingsExecute() {}
    virtual void actnDocClausesExecute() {}
    virtual void actnAboutExecute();
    // The maintenance items: each runs only for an administrator or after
    // AskElevation; "Empty DB" asks first.
    void miEmptyDBClick();
    void miResetPassClick();
    void miAdjustCountersClick();
    // The about box's text: the program's name and version.
    static QString AboutText();

    // Shows or hides "Mainternance" and its separator by KeyboardState: both
    // Shift and Ctrl held. Runs as the system menu opens.
    void UpdateMaintenanceMenu();
    // Enables the commands by the state of the run (elevation, local mode).
    virtual void UpdateSystemActions();

protected:
    // The title, placed at the top-left corner of its monitor, as wide as
    // the monitor, maximized.
    void FirstShow() override;
    // Only Yes on the close question closes the window.
    bool CloseQuery(int result) override;
    void done(int result) override;

    // Makes a toolbar button (53 high, image above caption), placed left of
    // the "Системни" button.
    QToolButton *AddToolbarButton(const QString &name, const QString &caption, const QString &hint,
                                  const QIcon &icon);
    // Makes an action of the window (kept in list), with its slot.
    QAction *MakeAction(QList<QAction *> &list, const QString &name, const QString &caption,
                        const QString &hint = QString(), const QIcon &icon = QIcon(),
                        const QKeySequence &shortcut = QKeySequence());
    // Runs a command; a failure is told in the message dialog.
    void RunCommand(const std::function<void()> &command);
    // The maintenance guard: an administrator, or a granted elevation.
    bool MaintenanceAllowed();

private:
    void FreeKeptObjects();
    QToolButton *MakeButton(const QString &name, const QString &caption, const QString &hint,
                            const QIcon &icon);

    TBaseDM *FDataModule;
    QList<QPointer<QObject>> FKeptObjects;
    TWheelRedirector *FWheel = nullptr;
};
