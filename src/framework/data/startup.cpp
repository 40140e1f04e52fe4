// The start-up sequence and the shutdown of the data module.

#include "framework/data/startup.h"

#include "framework/data/basedm.h"
#include "framework/settings/settings.h"
#include "framework/text/format.h"

#include "db/db_error.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <exception>
#include <random>

namespace startup {

QString UncleanExitQuestion()
{
    return QStringLiteral(
        "Работата в последната сесия на програмата не е приключила чисто!\r\n"
        "Това може да доведе до наличие на некоректни данни!\r\n"
        "Желаете ли да възстановите базата от автоматичен архив на предходната сесия?\r\n"
        "Забележка: Така ще загубите данните от последната сесия!!!");
}

QString NoSessionBackupText()
{
    return QStringLiteral(
        "Няма автоматичен архив на предходната сесия.\r\n"
        "Базата данни не е възстановена.");
}

QString UpdateFailedText()
{
    return QStringLiteral(
        "Неуспешно обновяване на базата данни.\n\r"
        "Потърсете помощ от дистрибутора на програмата! ");
}

int ParseStoredVersion(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : BaseVersion;
}

int NextStartupSeed(int startupSeed, int shutdownSeed)
{
    std::mt19937 generator(static_cast<std::uint32_t>(startupSeed));
    std::uniform_int_distribution<int> draw(0, MaxSeed);
    int value = draw(generator);
    while (value == shutdownSeed)
        value = draw(generator);
    return value;
}

bool ReplaceFileCopy(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isFile())
        return false;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part)) {
        QFile::remove(part);
        return false;
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(part);
        return false;
    }
    return true;
}

void LogError(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

}  // namespace startup

using startup::LogError;

namespace {

// Closes the connection (rolling back what is open) when a step of the
// start-up fails half-way, so nothing of a failed step is committed later.
class TOpenGuard
{
public:
    explicit TOpenGuard(TDBDatabase &database) : FDatabase(database) {}
    ~TOpenGuard()
    {
        if (FArmed && FDatabase.Connected()) {
            try {
                FDatabase.Close();
            } catch (const std::exception &e) {
                LogError(QString::fromUtf8(e.what()));
            }
        }
    }
    void Release() { FArmed = false; }

private:
    TDBDatabase &FDatabase;
    bool FArmed = true;
};

}  // namespace

bool TBaseDM::Startup()
{
    // 1. A connection left open (a design-time state) ends the start.
    if (IsConnected()) {
        IBDatabase.Close();
        LogError(QStringLiteral("Make sure that db is closed design time!!!"));
        return false;
    }

    // 2. Where the database is.
    ReadConnectionSettings();

    // 3. The clean-exit guard.
    TSettings &settings = Settings();
    if (settings.ReadBool(QLatin1String(startup::AutoBackupKey), false)) {
        const int s1 = settings.ReadInteger(QLatin1String(startup::StartupSeedKey), 0);
        const int s2 = settings.ReadInteger(QLatin1String(startup::ShutdownSeedKey), 0);
        if (s1 != s2) {
            const bool restore = ConfirmBox ? ConfirmBox(startup::UncleanExitQuestion()) : false;
            if (restore && !SessionAutoRestore()) {
                if (InformBox)
                    InformBox(startup::NoSessionBackupText());
                else
                    LogError(startup::NoSessionBackupText());
            }
        }
        // On disk at once: a crash later in the run leaves the seeds different.
        settings.WriteInteger(QLatin1String(startup::StartupSeedKey), startup::NextStartupSeed(s1, s2));
        settings.Flush();
    }

    // 4., 5. The connection's parameters; the server's user.
    ApplyConnectionParams();
    if (!EmbeddedServer) {
        try {
            EnsureServerUser();
        } catch (const std::exception &e) {
            LogError(QString::fromUtf8(e.what()));
        }
    }

    // 6. A plain copy of the database from this start.
    if (LocalMode && !CopyDatabaseFile(DatabaseFile + QStringLiteral(".copy"))) {
        LogError(QStringLiteral("Cannot copy the database file ") + DatabaseFile);
        return false;
    }

    // 7. The plain open.
    try {
        IBDatabase.Open();
    } catch (const std::exception &e) {
        LogError(QString::fromUtf8(e.what()));
        ShowErrorBox(startup::ServerNotFoundCaption, Format(ServerNotFoundText, ServerHost, DatabaseFile));
        return false;
    }
    TOpenGuard guard(IBDatabase);

    // 8.
    IBTransaction.StartTransaction();
    Pause(StartupPauseMs);

    // 9., 10. The schema version and the updates that are due.
    const int stored = startup::ParseStoredVersion(GetConfigValueById(startup::VersionKeyId));
    if (stored < TargetDatabaseVersion) {
        if (LocalMode) {
            // The file as it was before the update; an existing copy stays.
            const QString versionCopy = DatabaseFile + QLatin1Char('.') + QString::number(stored);
            if (!QFileInfo::exists(versionCopy))
                QFile::copy(DatabaseFile + QStringLiteral(".copy"), versionCopy);
        }
        if (SchemaUpdateRoutine) {
            QString error;
            bool ok = false;
            try {
                ok = SchemaUpdateRoutine(stored, TargetDatabaseVersion, &error);
            } catch (const std::exception &e) {
                error = QString::fromUtf8(e.what());
            }
            if (!ok) {
                LogError(error);
                ShowErrorBox(startup::UpdateFailedCaption, startup::UpdateFailedText());
                return false;  // the guard rolls back: the version stays as it was
            }
            IBTransaction.CommitRetaining();
        }
        AdjustCounters();
        SetConfigValueById(startup::VersionKeyId, QString::number(TargetDatabaseVersion));
    }

    // 11. The table rights, at every start.
    if (TableRightsRoutine) {
        QString error;
        bool ok = false;
        try {
            ok = TableRightsRoutine(&error);
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
        if (!ok) {
            LogError(error);
            ShowErrorBox(startup::RightsFailedCaption, startup::UpdateFailedText());
            return false;
        }
    }

    // 12.
    IBTransaction.Commit();
    IBDatabase.Close();
    guard.Release();

    // 13. The connection for the run.
    ApplyConnectionParams();
    if (!Connect())
        return false;

    // 14. Nobody is logged in yet.
    CurrentUserId = 0;
    IsAdmin = false;
    CurrentUserName = QStringLiteral("Default");
    EndElevation();
    UserBasedRights = GetConfigValue(QStringLiteral("AUTH_MODE")) == QLatin1String("1");

    // 15.
    return Login();
}

void TBaseDM::Shutdown()
{
    if (m_shutdownDone)
        return;
    m_shutdownDone = true;
    try {
        Disconnect();
    } catch (const std::exception &e) {
        LogError(QString::fromUtf8(e.what()));
    }
    try {
        TSettings &settings = Settings();
        if (settings.ReadBool(QLatin1String(startup::AutoBackupKey), true)) {
            SessionAutoBackup();
            settings.WriteInteger(QLatin1String(startup::ShutdownSeedKey),
                                  settings.ReadInteger(QLatin1String(startup::StartupSeedKey), 0));
            settings.Flush();
        }
    } catch (const std::exception &e) {
        LogError(QString::fromUtf8(e.what()));
    }
}

bool TBaseDM::CopyDatabaseFile(const QString &target)
{
    const bool wasOpen = IsConnected();
    if (wasOpen) {
        Disconnect();
        Pause(500);
        QCoreApplication::processEvents();
    }
    const bool copied = startup::ReplaceFileCopy(DatabaseFile, target);
    if (wasOpen) {
        QCoreApplication::processEvents();
        Pause(500);
        QCoreApplication::processEvents();
        Pause(1000);
        Connect();
    }
    return copied;
}

void TBaseDM::SessionAutoBackup()
{
    // No automatic session backup in this system.
}

bool TBaseDM::SessionAutoRestore()
{
    // No automatic session backup exists to restore from.
    return false;
}
