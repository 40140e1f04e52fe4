#pragma once
// The server's services (service_mgr): users, backup, restore, shutdown.

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

namespace Firebird {
class IService;
}

namespace db {

struct ServiceParams {
    // Empty: the local (embedded) engine. Otherwise the server, "host" or "host/port".
    QString host;
    QString user = QStringLiteral("SYSDBA");
    QString password;
};

struct ServerUser {
    QString name;  // as the server keeps it (Firebird 3: upper case)
    QString firstName;
    QString middleName;
    QString lastName;
    bool admin = false;
};

enum class ShutdownMode { Multi, Single, Full };
enum class ShutdownMethod {
    Force,             // disconnect everyone after the timeout
    DenyAttachments,   // fail unless every attachment is gone within the timeout
    DenyTransactions,  // fail unless every transaction is gone within the timeout
};

struct RestoreOptions {
    bool replace = false;            // overwrite an existing database file
    bool deactivateIndexes = false;  // restore with every index inactive
    int pageSize = 0;                // 0: the page size of the backup
};

// Attached to the service manager for its lifetime. Every call reads the
// service's output to its end; an error reported there is thrown as DbError.
// Not copyable, not movable.
class ServiceManager {
public:
    explicit ServiceManager(const ServiceParams& params);
    ~ServiceManager();
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    QList<ServerUser> users();
    bool hasUser(const QString& name);  // compared without regard to case
    void addUser(const QString& name, const QString& password);
    void setUserPassword(const QString& name, const QString& password);
    void deleteUser(const QString& name);

    // Backs the database (a path as the server sees it) up into the device,
    // which must be open for writing.
    void backup(const QString& database, QIODevice& out);
    // Restores from the device (open for reading) into the database file.
    void restore(QIODevice& in, const QString& database, const RestoreOptions& options = {});

    void shutdown(const QString& database, ShutdownMethod method, int timeoutSeconds,
                  ShutdownMode mode = ShutdownMode::Full);
    void bringOnline(const QString& database);

    // The text lines the last action wrote (e.g. a restore's messages).
    const QStringList& lastOutput() const { return output_; }

private:
    void detach();
    void start(const std::vector<unsigned char>& spb);
    void readTextToEnd();

    Firebird::IService* svc_ = nullptr;
    QStringList output_;
};

}  // namespace db
