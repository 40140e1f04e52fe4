#pragma once
// The base data module: the one connection to the database, its two
// transactions, and the data services every screen uses (run a statement,
// fetch one value, refresh a dataset keeping its position, configuration
// keys, counters, dates for SQL). Nothing here shows a dialog: errors throw;
// the few boxes the start-up sequence needs go through the ErrorBox hook,
// which the program sets.

#include "framework/data/dataset.h"
#include "framework/data/dbtransaction.h"
#include "framework/data/rights.h"
#include "framework/data/users.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>

#include <functional>

class TSettings;

class TBaseDM : public QObject
{
    Q_OBJECT
public:
    // The built-in server password.
    static const QString DefaultServerPassword;  // "qopwilten"
    // The text of the "Грешка: 001" box, with the host and the database file.
    static const QString ServerNotFoundText;
    // The text of the "Грешка: 003" box, with the user.
    static const QString UserMissingText;

    explicit TBaseDM(QObject *parent = nullptr);
    ~TBaseDM() override;

    // --- Where the program lives and where its settings are ---

    // The program path (the executable) decides the program folder, the
    // default database (extension replaced by ".fdb"), the backup folder and
    // whether the embedded engine is used (firebird.conf in the folder).
    // Set at creation from the running executable; tests set their own.
    // Setting it resets DatabaseFile and BackupFolder to their defaults.
    void SetProgramPath(const QString &path);
    const QString &ProgramPath() const { return m_programPath; }
    const QString &ProgramFolder() const { return m_programFolder; }
    // The program path with its extension replaced by ".fdb".
    QString DefaultDatabaseFile() const;

    // The settings store read by ReadConnectionSettings: AppSettings() unless
    // one is given (not owned).
    void SetSettings(TSettings *settings) { m_settings = settings; }
    TSettings &Settings() const;

    // --- Connection state ---
    QString DatabaseFile;
    QString ServerHost = QStringLiteral("localhost");
    QString DatabaseUser = QStringLiteral("SYSDBA");
    QString DatabasePassword = DefaultServerPassword;
    QString BackupFolder;
    bool LocalMode = true;
    bool EmbeddedServer = false;

    // The components.
    TDBDatabase IBDatabase;
    TDBTransaction IBTransaction;     // read committed, record version, no wait; idle: commit retaining
    TDBTransaction IBSysTransaction;  // the same parameters; idle: commit; the counters

    // The "Грешка: 00n" boxes of the connection: the program shows the
    // system's error box; without a handler nothing is shown.
    std::function<void(const QString &caption, const QString &text)> ErrorBox;
    // The pauses of Connect (milliseconds each); tests may shorten them.
    int ConnectPauseMs = 200;

    // The start-up sequence (Startup), the log-in (Login) and users and
    // rights build on the operations below; they are added with them.

    // --- Connection ---

    // EmbeddedServer: firebird.conf in the program folder. LocalMode:
    // "db_server\network" is not "1". In network mode without the embedded
    // engine: host, user, password and database from "db_server\...".
    virtual void ReadConnectionSettings();
    // The database name is DatabaseFile (embedded engine or no host) or
    // ServerHost + ":" + DatabaseFile; user and password from the state.
    virtual void ApplyConnectionParams();
    // The database name ApplyConnectionParams set.
    QString ConnectionName() const { return IBDatabase.Params.database; }
    // Pause, open, start both transactions, pause, AfterConnect (which
    // adjusts the counters), OpenDatasets. A connection that cannot be opened
    // shows "Грешка: 001" through ErrorBox and answers false.
    virtual bool Connect();
    // Commit, CloseDatasets, end every statement and transaction (rolling
    // back what was started since), close the connection.
    virtual void Disconnect();
    bool IsConnected() const { return IBDatabase.Connected(); }
    // Makes sure the server knows DatabaseUser (through the server's
    // services, as SYSDBA with the built-in password); adds it with
    // DatabasePassword when missing and grants it rights on every table,
    // procedure, exception and sequence when it is not SYSDBA. The
    // connection is closed meanwhile and opened again when it was open.
    // "Грешка: 003" when the user is still missing. Any failure answers false.
    virtual bool EnsureServerUser();
    // Commits the main transaction when active and starts it again.
    virtual bool OpenDatasets();
    virtual void CloseDatasets();

    // --- Statements on the main transaction ---
    // Values typed by users travel in params (":NAME" in the text); the
    // statement's parameters and the map's names must match.

    // The number of rows affected.
    qint64 ExecSQL(const QString &sql, const QVariantMap &params = {});
    // The named field (the first without a name) of the first row; NULL when
    // there is no row or the value is NULL.
    QVariant QueryValue(const QString &sql, const QString &field = QString(),
                        const QVariantMap &params = {});
    bool QueryHasRows(const QString &sql, const QVariantMap &params = {});
    int QueryInteger(const QString &sql, const QString &field = QString(),
                     const QVariantMap &params = {});
    double QueryFloat(const QString &sql, const QString &field = QString(),
                      const QVariantMap &params = {});

    // Runs work as one unit on the main transaction (TUnitOfWork with the
    // guarded datasets): committed at its end; an exception rolls it back and
    // reaches the caller. With attempts above 1, a lock or update conflict
    // with another station rolls back, waits a moment and runs work again;
    // only an outermost unit does (inside another unit the conflict goes up
    // to it).
    void RunInUnit(const std::function<void()> &work, std::vector<TDataSet *> guarded = {}, int attempts = 1);
    // How often counters and counter adjustments meet a busy row before the
    // error reaches the caller.
    static constexpr int ContentionAttempts = 20;

    // --- Datasets ---

    // Reopens the dataset, back on the row with the same key (when given).
    void RefreshDataSet(TDataSet &dataSet, const QString &keyField = QString());
    // Finds the row whose fields (";"-separated) equal the values with one
    // BeforeScroll and one AfterScroll; when none does the dataset stays at
    // its end.
    bool LocateByKey(TDataSet &dataSet, const QString &keyFields, const QVariantList &values);
    bool LocateByKey(TDataSet &dataSet, const QString &keyField, const QVariant &value)
    {
        return LocateByKey(dataSet, keyField, QVariantList{value});
    }
    // Sets a parameter of the select; refreshes an open dataset, opens a closed one.
    void SetParamAndReopen(TDataSet &dataSet, const QString &param, const QVariant &value,
                           const QString &keyField = QString());
    // Appends a copy of the current row (not posted) with "ID" = newId.
    void AppendCopy(TDataSet &dataSet, const QVariant &newId);
    // Appends to target a copy of source's current row, fields matched by
    // name (those target lacks are skipped), with "ID" = newId.
    void AppendCopy(TDataSet &source, TDataSet &target, const QVariant &newId);

    // --- Configuration keys ---
    QString GetConfigValueById(int keyId);
    QString GetConfigValue(const QString &name, const QString &defaultValue = QString());
    void SetConfigValueById(int keyId, const QString &value);
    void SetConfigValue(const QString &name, const QString &value);

    // --- Counters ---
    // The next number of the counter, drawn and committed on the system
    // transaction; a lock or update conflict with another station is tried
    // again a few times after a short random pause.
    int GetCounterValue(int counterId);
    // Counter 7 from the configuration keys; Tdm adds the other tables.
    virtual void AdjustCounters();

    // 'mm/dd/yyyy' with the apostrophes, from a date or a "dd.M.yyyy" text.
    static QString SQLDate(const QVariant &value);

    // A change made by another window: commit retaining so the data module's
    // datasets see it. Tdm also refreshes its reference datasets.
    virtual void NotifyDataChanged(QObject *sender, int kind, int tableCode);

    // --- Maintenance ---
    // CloseDatasets, ClearData and AdjustCounters in one unit; OpenDatasets
    // always runs afterwards. Throws when clearing failed (nothing cleared).
    virtual void EmptyDatabase();
    virtual void ClearData();

    // What the idle timers do when the event loop runs: commit the work of
    // both transactions now.
    void ProcessIdle();

    // --- Start-up and shutdown (startup.cpp) ---

    // The schema version the program works on (configuration key 101);
    // 0: no update is ever due.
    int TargetDatabaseVersion = 0;
    // The routines the program registers with the start-up sequence, run on
    // the open connection and the main transaction: the schema update
    // (stored version, target version) and the table rights. Each answers
    // success and may give the reason of a failure in *error.
    std::function<bool(int stored, int target, QString *error)> SchemaUpdateRoutine;
    std::function<bool(QString *error)> TableRightsRoutine;
    // The start-up's question (Yes and No; true for Yes) and information
    // message; the program shows them in its message dialog. Without a
    // handler the question is answered No and the message goes to stderr.
    std::function<bool(const QString &text)> ConfirmBox;
    std::function<void(const QString &text)> InformBox;
    // The pause after the main transaction starts (milliseconds); tests may
    // shorten it.
    int StartupPauseMs = 400;

    // The state of the run: reset by Startup, set by the log-in.
    int CurrentUserId = 0;
    QString CurrentUserName = QStringLiteral("Default");
    bool IsAdmin = false;
    bool UserBasedRights = false;

    // The start-up sequence; false means the program ends.
    virtual bool Startup();
    // The last step of the start-up: whether the run may go on.
    virtual bool Login();
    // The end of the data module: Disconnect, then, when "AutoBackup" (read
    // with the default true) holds, SessionAutoBackup, "ShutdownSeed" =
    // "StartupSeed" and Flush. Runs once; the program's data module runs it
    // when it is destroyed.
    void Shutdown();
    // Copies DatabaseFile to target, replacing it; an open connection is
    // taken down meanwhile and brought up again. Answers whether the copy
    // was made.
    virtual bool CopyDatabaseFile(const QString &target);
    // The automatic backup at shutdown and the restore of it at start: this
    // system keeps no such backup. SessionAutoRestore answers whether a
    // restore was made.
    virtual void SessionAutoBackup();
    virtual bool SessionAutoRestore();

    // --- Users, log-in and passwords (users.cpp) ---

    // The dialogs of the log-in, the password prompts and the rights dialog.
    users::TUserPrompts UserPrompts;

    // The stored form of a typed password (users::EncodePassword).
    static QString EncodePassword(const QString &password) { return users::EncodePassword(password); }
    // The user of the login and password (apostrophes removed) becomes the
    // current user: CurrentUserId, CurrentUserName, IsAdmin. A clear-text
    // password of an older database is then stored in the hash form.
    bool CheckLogin(const QString &login, const QString &password);
    users::TUserInfo GetUserInfo(int userId);
    // Whether a protected action may go on: elevated already, or exactly one
    // maintenance row without a password, or one of three password prompts
    // answered with an administrator's or the maintenance password.
    bool AskElevation();
    // An administrator's or the maintenance password starts the elevation.
    bool CheckElevationPassword(const QString &password);
    // The elevation lasts users::ElevationTicks ticks of FunctionAuthTimer
    // and no longer than users::ElevationMs by Clock::now().
    void StartElevation();
    void EndElevation();
    bool IsElevated();
    int ElevationTickCount() const { return m_elevationTicks; }
    // What each tick of FunctionAuthTimer does.
    void ElevationTick();
    QTimer FunctionAuthTimer;
    // The change of the current user's password, and of the maintenance
    // password: the dialog, then the change, confirmed by a system message.
    // A refused change throws users::EPasswordNotChanged.
    void ChangePassword();
    void ChangeMaintenancePassword();
    // The current user's password becomes "hwolbin", the maintenance
    // password "hwo2lbin" (in zone mode only the latter: there is no user 0).
    void ResetPasswords();
    void ShowSystemMessage(const QString &text);

    // --- Rights (rights.cpp) ---

    // Whether the current user may run the command of the item.
    bool IsAllowed(int item);
    bool HasRight(int userId, int item);
    void SetRight(int userId, int item, bool allowed);
    // The children of the parent, ordered by ID.
    std::vector<TRightItem> GetRightItems(int parentId);
    // The rights dialog, modal.
    void ShowSecuritySettings();

signals:
    // An elevation began or ended.
    void ElevationChanged(bool elevated);

protected:
    // Runs after Connect opened the connection and started the transactions.
    virtual void AfterConnect();
    void Pause(int ms);
    void ShowErrorBox(const QString &caption, const QString &text);

private:
    template <typename Fn>
    auto RunOnMain(const QString &sql, const QVariantMap &params, Fn fn);

    QString m_programPath;
    QString m_programFolder;
    TSettings *m_settings = nullptr;
    bool m_shutdownDone = false;

    // users.cpp
    void ChangeUserPassword(int userId, bool administratorMayAllow);
    bool ElevationExpiredByClock() const;
    bool m_elevated = false;
    int m_elevationTicks = 0;
    QDateTime m_elevationStart;
};
