// Against the test server of the fixture "fbserver".

#include "db/attachment.h"
#include "db/db_error.h"
#include "db/services.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "support/server/test_server.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>

using namespace db;

namespace {

ServiceParams serviceParams(const testserver::TestServer& s)
{
    ServiceParams p;
    p.host = s.address();
    p.password = s.password;
    return p;
}

ConnectionParams connection(const testserver::TestServer& s, const QString& file)
{
    ConnectionParams p;
    p.database = s.databaseName(file);
    p.password = s.password;
    return p;
}

// A small database on the server with one Cyrillic row; dropped at the end.
struct ServerDatabase {
    ServerDatabase(const testserver::TestServer& s, const QString& file) : params(connection(s, file))
    {
        QFile::remove(s.databasePath(file));
        att.create(params);
        Transaction tr(att);
        att.executeImmediate(tr, QStringLiteral("create table R (ID integer not null primary key, NAME varchar(30))"));
        tr.commit();
        Statement ins(att, tr, QStringLiteral("insert into R values (1, :N)"));
        ins.setParam(QStringLiteral("N"), QStringLiteral("Пловдив"));
        ins.execute();
        tr.commit();
    }
    ~ServerDatabase()
    {
        try {
            if (!att.isAttached())
                att.attach(params);
            att.dropDatabase();
        } catch (...) {
        }
    }
    ConnectionParams params;
    Attachment att;
};

QString nameOfRow(const ConnectionParams& p)
{
    Attachment a;
    a.attach(p);
    Transaction tr(a);
    Statement q(a, tr, QStringLiteral("select NAME from R where ID = 1"));
    q.execute();
    return q.output().value(0).toString();
}

TEST(ServerServices, ListAddAndChangeUsers)
{
    KARVONEL_REQUIRE_TEST_SERVER(server);
    ServiceManager svc(serviceParams(server));
    EXPECT_TRUE(svc.hasUser(QStringLiteral("sysdba")));

    const QString user = QStringLiteral("karvonel_probe");
    if (svc.hasUser(user))
        svc.deleteUser(user);
    svc.addUser(user, QStringLiteral("first"));
    EXPECT_TRUE(svc.hasUser(user));
    bool listedUpper = false;
    for (const ServerUser& u : svc.users())
        listedUpper = listedUpper || u.name == QStringLiteral("KARVONEL_PROBE");
    EXPECT_TRUE(listedUpper);
    EXPECT_THROW(svc.addUser(user, QStringLiteral("again")), DbError);

    svc.setUserPassword(user, QStringLiteral("second"));
    ServiceParams asUser = serviceParams(server);
    asUser.user = user;
    asUser.password = QStringLiteral("first");
    EXPECT_THROW(ServiceManager{asUser}, DbError);
    asUser.password = QStringLiteral("second");
    EXPECT_NO_THROW(ServiceManager{asUser});

    svc.deleteUser(user);
    EXPECT_FALSE(svc.hasUser(user));
}

TEST(ServerServices, BackupAndRestoreThroughStreams)
{
    KARVONEL_REQUIRE_TEST_SERVER(server);
    ServerDatabase source(server, QStringLiteral("backup_source.fdb"));
    source.att.detach();

    ServiceManager svc(serviceParams(server));
    QBuffer archive;
    archive.open(QIODevice::WriteOnly);
    svc.backup(server.databasePath(QStringLiteral("backup_source.fdb")), archive);
    archive.close();
    ASSERT_GT(archive.size(), 1000);

    const QString target = server.databasePath(QStringLiteral("backup_target.fdb"));
    QFile::remove(target);
    archive.open(QIODevice::ReadOnly);
    svc.restore(archive, target);
    archive.close();
    const ConnectionParams restored = connection(server, QStringLiteral("backup_target.fdb"));
    EXPECT_EQ(nameOfRow(restored), QStringLiteral("Пловдив"));

    // Restoring over an existing file needs replace.
    archive.open(QIODevice::ReadOnly);
    EXPECT_THROW(svc.restore(archive, target), DbError);
    archive.close();

    // A failure reported in the service output is an error.
    QBuffer none;
    none.open(QIODevice::WriteOnly);
    EXPECT_THROW(svc.backup(server.databasePath(QStringLiteral("no_such.fdb")), none), DbError);

    // A truncated archive is refused and nothing is left claiming success.
    QBuffer broken;
    broken.setData(archive.data().left(archive.data().size() / 2));
    broken.open(QIODevice::ReadOnly);
    EXPECT_THROW(svc.restore(broken, server.databasePath(QStringLiteral("backup_broken.fdb"))), DbError);

    Attachment drop;
    drop.attach(restored);
    drop.dropDatabase();
}

TEST(ServerServices, ShutdownRefusedWhileAttachedThenOnline)
{
    KARVONEL_REQUIRE_TEST_SERVER(server);
    ServerDatabase db(server, QStringLiteral("shutdown.fdb"));
    const QString path = server.databasePath(QStringLiteral("shutdown.fdb"));
    ServiceManager svc(serviceParams(server));

    // Someone is attached: a shutdown that does not wait is refused.
    EXPECT_THROW(svc.shutdown(path, ShutdownMethod::DenyAttachments, 0), DbError);
    EXPECT_NO_THROW(db.att.ping());

    db.att.detach();
    svc.shutdown(path, ShutdownMethod::DenyAttachments, 0);
    EXPECT_THROW(nameOfRow(db.params), DbError);
    svc.bringOnline(path);
    EXPECT_EQ(nameOfRow(db.params), QStringLiteral("Пловдив"));
}

TEST(ServerServices, ShutdownCutsAttachedConnection)
{
    KARVONEL_REQUIRE_TEST_SERVER(server);
    ServerDatabase db(server, QStringLiteral("force.fdb"));
    const QString path = server.databasePath(QStringLiteral("force.fdb"));
    ServiceManager svc(serviceParams(server));
    svc.shutdown(path, ShutdownMethod::Force, 0);
    try {
        db.att.ping();
        ADD_FAILURE() << "still connected";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isLostConnection()) << e.what();
    }
    db.att.detach();
    svc.bringOnline(path);
}

}  // namespace
