#include "framework/data/basedm.h"

#include "db/attachment.h"
#include "db/db_error.h"
#include "db/services.h"
#include "db/statement.h"
#include "framework/settings/settings.h"
#include "framework/text/format.h"
#include "framework/text/formats.h"
#include "framework/text/win1251.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <cmath>

const QString TBaseDM::DefaultServerPassword = QStringLiteral("qopwilten");
const QString TBaseDM::ServerNotFoundText = QStringLiteral(
    "[%s:%s]\n\rСървъра на базата данни не е открит! Моля, рестартирайте компютъра.\n\r"
    "Ако грешката се повтори, потърсете помощ от дистрибутора на програмата! ");
const QString TBaseDM::UserMissingText = QStringLiteral("User missing %s.");

namespace {

QString runningExecutable()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

// A counter drawn by another station at the same moment: worth trying again.
bool isContention(const db::DbError &e) { return e.isLockConflict() || e.isUpdateConflict(); }

void contentionPause()
{
    QThread::msleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(5, 40)));
}

}  // namespace

TBaseDM::TBaseDM(QObject *parent)
    : QObject(parent),
      IBTransaction(IBDatabase, db::TransactionOptions::readCommitted(),
                    TDBTransaction::TIdleAction::CommitRetaining),
      IBSysTransaction(IBDatabase, db::TransactionOptions::readCommitted(), TDBTransaction::TIdleAction::Commit)
{
    SetProgramPath(runningExecutable());
}

TBaseDM::~TBaseDM()
{
    try {
        Disconnect();
    } catch (...) {
    }
}

// ---------------------------------------------------------------------------
// Program path and settings

void TBaseDM::SetProgramPath(const QString &path)
{
    m_programPath = path;
    m_programFolder = QFileInfo(path).absolutePath();
    DatabaseFile = DefaultDatabaseFile();
    BackupFolder = m_programFolder + QStringLiteral("/Backup");
}

QString TBaseDM::DefaultDatabaseFile() const
{
    const QFileInfo fi(m_programPath);
    const QString suffix = fi.suffix();
    QString base = m_programPath;
    if (!suffix.isEmpty())
        base.chop(suffix.size() + 1);
    return base + QStringLiteral(".fdb");
}

TSettings &TBaseDM::Settings() const
{
    if (m_settings)
        return *m_settings;
    return AppSettings();
}

// ---------------------------------------------------------------------------
// Connection

void TBaseDM::ReadConnectionSettings()
{
    EmbeddedServer = QFile::exists(m_programFolder + QStringLiteral("/firebird.conf"));
    TSettings &s = Settings();
    LocalMode = s.ReadString(QStringLiteral("db_server\\network"), QStringLiteral("0")) != QStringLiteral("1");
    if (!LocalMode && !EmbeddedServer) {
        ServerHost = s.ReadString(QStringLiteral("db_server\\host"), QStringLiteral("localhost"));
        DatabaseUser = s.ReadString(QStringLiteral("db_server\\user"), QStringLiteral("SYSDBA"));
        DatabasePassword = s.ReadString(QStringLiteral("db_server\\pass"), DefaultServerPassword);
        DatabaseFile = s.ReadString(QStringLiteral("db_server\\database"), DefaultDatabaseFile());
    }
}

void TBaseDM::ApplyConnectionParams()
{
    if (EmbeddedServer || ServerHost.isEmpty())
        IBDatabase.Params.database = DatabaseFile;
    else
        IBDatabase.Params.database = ServerHost + u':' + DatabaseFile;
    IBDatabase.Params.user = DatabaseUser;
    IBDatabase.Params.password = DatabasePassword;
}

void TBaseDM::Pause(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void TBaseDM::ShowErrorBox(const QString &caption, const QString &text)
{
    if (ErrorBox)
        ErrorBox(caption, text);
}

bool TBaseDM::Connect()
{
    Pause(ConnectPauseMs);
    try {
        IBDatabase.Open();
    } catch (const std::exception &) {
        ShowErrorBox(QStringLiteral("Грешка: 001"), Format(ServerNotFoundText, ServerHost, DatabaseFile));
        return false;
    }
    if (!IBTransaction.Active())
        IBTransaction.StartTransaction();
    if (!IBSysTransaction.Active())
        IBSysTransaction.StartTransaction();
    Pause(ConnectPauseMs);
    AfterConnect();
    return OpenDatasets();
}

void TBaseDM::AfterConnect() { AdjustCounters(); }

void TBaseDM::Disconnect()
{
    if (!IBDatabase.Connected())
        return;
    std::exception_ptr error;
    try {
        if (IBTransaction.Active())
            IBTransaction.Commit();
    } catch (...) {
        error = std::current_exception();
    }
    try {
        CloseDatasets();
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    try {
        if (IBTransaction.Active())
            IBTransaction.Rollback();
    } catch (...) {
    }
    IBDatabase.Close();
    if (error)
        std::rethrow_exception(error);
}

bool TBaseDM::OpenDatasets()
{
    if (IBTransaction.Active())
        IBTransaction.Commit();
    IBTransaction.StartTransaction();
    return true;
}

void TBaseDM::CloseDatasets() {}

bool TBaseDM::EnsureServerUser()
{
    const bool wasOpen = IsConnected();
    bool ok = true;
    try {
        if (wasOpen)
            Disconnect();
        db::ServiceParams sp;
        sp.host = ServerHost.isEmpty() ? QStringLiteral("localhost") : ServerHost;
        sp.user = QStringLiteral("SYSDBA");
        sp.password = DefaultServerPassword;
        {
            db::ServiceManager svc(sp);
            if (!svc.hasUser(DatabaseUser)) {
                svc.addUser(DatabaseUser, DatabasePassword);
                if (!svc.hasUser(DatabaseUser)) {
                    ShowErrorBox(QStringLiteral("Грешка: 003"), Format(UserMissingText, DatabaseUser));
                    ok = false;
                }
            }
        }
        if (ok && DatabaseUser.compare(QStringLiteral("SYSDBA"), Qt::CaseInsensitive) != 0) {
            // The configured user must be able to work at all: rights on
            // every table, procedure, exception and sequence, given as SYSDBA.
            db::ConnectionParams cp = IBDatabase.Params;
            if (cp.database.isEmpty())
                cp.database = ServerHost.isEmpty() ? DatabaseFile : ServerHost + u':' + DatabaseFile;
            cp.user = QStringLiteral("SYSDBA");
            cp.password = DefaultServerPassword;
            db::Attachment att;
            att.attach(cp);
            db::Transaction tr(att);
            QStringList grants;
            const QString grantee = u'"' + DatabaseUser.toUpper().replace(u'"', QStringLiteral("\"\"")) + u'"';
            const auto objects = [&](const QString &sql, const QString &pattern) {
                db::Statement st(att, tr, sql);
                db::Cursor c = st.open();
                while (c.fetch()) {
                    const QString name = c.value(0).toString().trimmed();
                    grants << Format(pattern, u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"',
                                     grantee);
                }
            };
            objects(QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS "
                                   "where coalesce(RDB$SYSTEM_FLAG, 0) = 0"),
                    QStringLiteral("GRANT ALL ON %s TO USER %s"));
            objects(QStringLiteral("select RDB$PROCEDURE_NAME from RDB$PROCEDURES "
                                   "where coalesce(RDB$SYSTEM_FLAG, 0) = 0"),
                    QStringLiteral("GRANT EXECUTE ON PROCEDURE %s TO USER %s"));
            // What the procedures raise and draw needs its own right since
            // Firebird 3.
            objects(QStringLiteral("select RDB$EXCEPTION_NAME from RDB$EXCEPTIONS "
                                   "where coalesce(RDB$SYSTEM_FLAG, 0) = 0"),
                    QStringLiteral("GRANT USAGE ON EXCEPTION %s TO USER %s"));
            objects(QStringLiteral("select RDB$GENERATOR_NAME from RDB$GENERATORS "
                                   "where coalesce(RDB$SYSTEM_FLAG, 0) = 0"),
                    QStringLiteral("GRANT USAGE ON SEQUENCE %s TO USER %s"));
            for (const QString &g : grants)
                att.executeImmediate(tr, g);
            tr.commit();
            att.detach();
        }
    } catch (...) {
        ok = false;
    }
    if (wasOpen) {
        try {
            Connect();
        } catch (...) {
            ok = false;
        }
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Statements

namespace {

void bindMap(db::Statement &st, const QVariantMap &params)
{
    for (auto it = params.begin(); it != params.end(); ++it) {
        if (it.value().typeId() == QMetaType::QString && !IsWin1251Text(it.value().toString()))
            throw ENotWin1251(it.value().toString());
    }
    for (const QString &name : st.paramNames()) {
        bool found = false;
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
                st.setParam(name, it.value());
                found = true;
                break;
            }
        }
        if (!found)
            throw EDataSetError(Format("Parameter \"%s\" has no value", name));
    }
    for (auto it = params.begin(); it != params.end(); ++it) {
        if (!st.hasParam(it.key()))
            throw EDataSetError(Format("The statement has no parameter \"%s\"", it.key()));
    }
}

}  // namespace

template <typename Fn>
auto TBaseDM::RunOnMain(const QString &sql, const QVariantMap &params, Fn fn)
{
    if (!IBDatabase.Connected())
        throw EDataSetError(QStringLiteral("The database is not connected"));
    // Typed text pasted into the statement that the database cannot hold:
    // refused here with the clear message instead of the server's.
    if (!IsWin1251Text(sql))
        throw ENotWin1251(sql);
    db::Statement st(IBDatabase.Attachment(), IBTransaction.Handle(), sql);
    bindMap(st, params);
    struct Done {
        TDBTransaction &tr;
        ~Done() { tr.StatementDone(); }
    } done{IBTransaction};
    return fn(st);
}

qint64 TBaseDM::ExecSQL(const QString &sql, const QVariantMap &params)
{
    return RunOnMain(sql, params, [](db::Statement &st) -> qint64 {
        if (st.hasCursor()) {
            db::Cursor c = st.open();
            c.close();
            return 0;
        }
        return static_cast<qint64>(st.execute());
    });
}

QVariant TBaseDM::QueryValue(const QString &sql, const QString &field, const QVariantMap &params)
{
    return RunOnMain(sql, params, [&](db::Statement &st) -> QVariant {
        int column = 0;
        if (!field.isEmpty()) {
            column = st.columnIndex(field);
            if (column < 0)
                throw EDataSetError(Format("Field \"%s\" not found", field));
        }
        if (!st.hasCursor()) {
            st.execute();
            return column < st.output().size() ? st.output().at(column) : QVariant();
        }
        db::Cursor c = st.open();
        if (!c.fetch())
            return QVariant();
        QVariant v = c.value(column);
        c.close();
        return db::isNull(v) ? QVariant() : v;
    });
}

bool TBaseDM::QueryHasRows(const QString &sql, const QVariantMap &params)
{
    return RunOnMain(sql, params, [](db::Statement &st) -> bool {
        if (!st.hasCursor()) {
            st.execute();
            return !st.output().isEmpty();
        }
        db::Cursor c = st.open();
        const bool any = c.fetch();
        c.close();
        return any;
    });
}

int TBaseDM::QueryInteger(const QString &sql, const QString &field, const QVariantMap &params)
{
    const QVariant v = QueryValue(sql, field, params);
    if (db::isNull(v))
        return 0;
    if (v.typeId() == QMetaType::Double)
        return static_cast<int>(std::llround(v.toDouble()));
    if (v.typeId() == QMetaType::QString) {
        const auto d = ParseNumber(v.toString());
        if (!d)
            throw EDataSetError(Format("\"%s\" is not a number", v.toString()));
        return static_cast<int>(std::llround(*d));
    }
    return v.toInt();
}

double TBaseDM::QueryFloat(const QString &sql, const QString &field, const QVariantMap &params)
{
    const QVariant v = QueryValue(sql, field, params);
    if (db::isNull(v))
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const auto d = ParseNumber(v.toString());
        if (!d)
            throw EDataSetError(Format("\"%s\" is not a number", v.toString()));
        return *d;
    }
    return v.toDouble();
}

// ---------------------------------------------------------------------------
// Datasets

namespace {

class ControlsDisabled
{
public:
    explicit ControlsDisabled(TDataSet &ds) : m_ds(ds) { m_ds.DisableControls(); }
    ~ControlsDisabled() { m_ds.EnableControls(); }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    TDataSet &m_ds;
};

}  // namespace

void TBaseDM::RefreshDataSet(TDataSet &dataSet, const QString &keyField)
{
    ControlsDisabled off(dataSet);
    QVariant key;
    if (!keyField.isEmpty() && dataSet.Active() && !dataSet.IsEmpty())
        key = dataSet.FieldByName(keyField).Value();
    dataSet.Close();
    dataSet.Open();
    dataSet.Last();
    dataSet.First();
    // A row without a key (an empty dataset before) has nothing to find:
    // the dataset stays on its first row.
    if (!keyField.isEmpty() && !db::isNull(key))
        LocateByKey(dataSet, keyField, QVariantList{key});
}

bool TBaseDM::LocateByKey(TDataSet &dataSet, const QString &keyFields, const QVariantList &values)
{
    if (dataSet.BeforeScroll)
        dataSet.BeforeScroll(dataSet);
    struct Detached {
        TDataSet &ds;
        TDataSet::TDataSetNotifyEvent before, after;
        explicit Detached(TDataSet &d) : ds(d), before(std::move(d.BeforeScroll)), after(std::move(d.AfterScroll))
        {
            ds.BeforeScroll = nullptr;
            ds.AfterScroll = nullptr;
        }
        ~Detached()
        {
            ds.BeforeScroll = std::move(before);
            ds.AfterScroll = std::move(after);
        }
    };
    bool found = false;
    {
        Detached detached(dataSet);
        ControlsDisabled off(dataSet);
        dataSet.First();
        const int row = dataSet.FindRow(keyFields, values);
        if (row >= 0) {
            dataSet.SetRecNo(row + 1);
            found = true;
        } else {
            dataSet.Last();
        }
    }
    if (dataSet.AfterScroll)
        dataSet.AfterScroll(dataSet);
    return found;
}

void TBaseDM::SetParamAndReopen(TDataSet &dataSet, const QString &param, const QVariant &value,
                                const QString &keyField)
{
    dataSet.ParamByName(param).Value = value;
    if (dataSet.Active())
        RefreshDataSet(dataSet, keyField);
    else
        dataSet.Open();
}

void TBaseDM::AppendCopy(TDataSet &dataSet, const QVariant &newId) { AppendCopy(dataSet, dataSet, newId); }

void TBaseDM::AppendCopy(TDataSet &source, TDataSet &target, const QVariant &newId)
{
    QList<QPair<QString, QVariant>> values;
    for (int i = 0; i < source.FieldCount(); ++i) {
        const TField &f = source.Fields(i);
        if (f.FieldKind() == TFieldKind::Data)
            values.append({f.FieldName(), f.Value()});
    }
    target.Append();
    for (const auto &[name, value] : values) {
        TField *f = target.FindField(name);
        if (f && f->FieldKind() == TFieldKind::Data && !f->ReadOnly)
            f->SetValue(value);
    }
    if (TField *id = target.FindField(QStringLiteral("ID")))
        id->SetValue(newId);
}

// ---------------------------------------------------------------------------
// Configuration keys

QString TBaseDM::GetConfigValueById(int keyId)
{
    const QVariant v = QueryValue(QStringLiteral("select KEY_VALUE from APP_CONFIG where KEY_ID = ")
                                  + QString::number(keyId));
    return db::isNull(v) ? QString() : v.toString();
}

QString TBaseDM::GetConfigValue(const QString &name, const QString &defaultValue)
{
    const QVariant id = QueryValue(QStringLiteral("select KEY_ID from APP_CONFIG_KEYS where NAME = :NAME"),
                                   QString(), {{QStringLiteral("NAME"), name}});
    if (db::isNull(id))
        return defaultValue;
    return GetConfigValueById(id.toInt());
}

void TBaseDM::SetConfigValueById(int keyId, const QString &value)
{
    const QVariantMap params{{QStringLiteral("KEY_VALUE"), value}};
    if (ExecSQL(QStringLiteral("update APP_CONFIG set KEY_VALUE = :KEY_VALUE where KEY_ID = %1").arg(keyId), params)
        == 0)
        ExecSQL(QStringLiteral("insert into  APP_CONFIG (KEY_VALUE,KEY_ID) values(:KEY_VALUE, %1)").arg(keyId),
                params);
}

void TBaseDM::SetConfigValue(const QString &name, const QString &value)
{
    if (!IsWin1251Text(name))
        throw ENotWin1251(name);
    if (!IsWin1251Text(value))
        throw ENotWin1251(value);
    TUnitOfWork unit(IBTransaction);
    const QVariant id = QueryValue(QStringLiteral("select KEY_ID from APP_CONFIG_KEYS where NAME = :NAME"),
                                   QString(), {{QStringLiteral("NAME"), name}});
    int keyId = 0;
    if (db::isNull(id)) {
        keyId = GetCounterValue(7);
        ExecSQL(QStringLiteral("insert into  APP_CONFIG_KEYS (NAME,KEY_ID) values(:NAME, %1)").arg(keyId),
                {{QStringLiteral("NAME"), name}});
    } else {
        keyId = id.toInt();
    }
    SetConfigValueById(keyId, value);
    unit.Commit();
}

// ---------------------------------------------------------------------------
// Counters

int TBaseDM::GetCounterValue(int counterId)
{
    if (!IBDatabase.Connected())
        throw EDataSetError(QStringLiteral("The database is not connected"));
    for (int attempt = 1;; ++attempt) {
        try {
            if (!IBSysTransaction.Active())
                IBSysTransaction.StartTransaction();
            QVariant res;
            {
                db::Statement st(IBDatabase.Attachment(), IBSysTransaction.Handle(),
                                 QStringLiteral("EXECUTE PROCEDURE GETCOUNTERVAL(:ID)"));
                st.setParam(QStringLiteral("ID"), counterId);
                st.execute();
                res = st.output(QStringLiteral("RES"));
            }
            IBSysTransaction.Commit();
            if (db::isNull(res))
                throw EDataSetError(Format("Counter %d gave no number", counterId));
            return res.toInt();
        } catch (const db::DbError &e) {
            try {
                if (IBSysTransaction.Active())
                    IBSysTransaction.Rollback();
            } catch (...) {
            }
            if (!isContention(e) || attempt >= ContentionAttempts)
                throw;
        }
        // Another station holds the counter's row for a moment.
        contentionPause();
    }
}

void TBaseDM::AdjustCounters()
{
    RunInUnit(
        [this] {
            const int m = QueryInteger(QStringLiteral("select max(KEY_ID) from APP_CONFIG_KEYS"));
            const int value = m <= 1000 ? 1002 : m + 1;
            if (QueryInteger(Format("SELECT count(ID) from COUNTERS where ID = %d", 7)) != 0)
                ExecSQL(Format("UPDATE COUNTERS SET VAL = %d WHERE ID = %d", value, 7));
            else
                ExecSQL(Format("insert into COUNTERS (VAL,ID) values (%d,%d)", value, 7));
        },
        {}, ContentionAttempts);
    IBTransaction.CommitRetaining();
}

void TBaseDM::RunInUnit(const std::function<void()> &work, std::vector<TDataSet *> guarded, int attempts)
{
    const bool outermost = !IBTransaction.InUnitOfWork();
    for (int attempt = 1;; ++attempt) {
        try {
            TUnitOfWork unit(IBTransaction, guarded);
            work();
            unit.Commit();
            return;
        } catch (const db::DbError &e) {
            if (!outermost || !isContention(e) || attempt >= attempts)
                throw;
        }
        contentionPause();
    }
}

// ---------------------------------------------------------------------------
// Dates, notices, maintenance

QString TBaseDM::SQLDate(const QVariant &value)
{
    QDate date;
    switch (value.typeId()) {
    case QMetaType::QString: date = ParseDate(value.toString()); break;
    case QMetaType::QDate: date = value.toDate(); break;
    case QMetaType::QDateTime: date = value.toDateTime().date(); break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double: {
        // A day number counted from 30.12.1899, as dates travel in numbers.
        const double d = value.toDouble();
        if (std::isfinite(d) && std::fabs(d) < 3e6)
            date = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(d)));
        break;
    }
    default: break;
    }
    if (!date.isValid())
        throw EDataSetError(Format("Invalid date \"%s\" in SQLDate!", value.toString()));
    return SqlDateLiteral(date);
}

void TBaseDM::NotifyDataChanged(QObject *sender, int kind, int tableCode)
{
    Q_UNUSED(kind);
    Q_UNUSED(tableCode);
    if (sender != this && IBTransaction.Active())
        IBTransaction.CommitRetaining();
}

void TBaseDM::EmptyDatabase()
{
    CloseDatasets();
    try {
        TUnitOfWork unit(IBTransaction);
        ClearData();
        AdjustCounters();
        unit.Commit();
    } catch (...) {
        OpenDatasets();
        throw;
    }
    OpenDatasets();
}

void TBaseDM::ClearData() {}

void TBaseDM::ProcessIdle()
{
    IBTransaction.ProcessIdle();
    IBSysTransaction.ProcessIdle();
}
