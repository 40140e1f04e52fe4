// What crosses workstations, on the Firebird test server: several processes
// drawing one counter, and the server's users.

#include "framework/data/basedm.h"

#include "db/services.h"
#include "support/db/test_database.h"
#include "support/server/test_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <vector>

namespace {

// A copy of a fresh database in the server's data folder, removed afterwards.
class ServerDatabase
{
public:
    ServerDatabase(const testserver::TestServer &server, const QString &name)
        : m_path(server.databasePath(name + QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".fdb")))
    {
        QFile::remove(m_path);
        const QString source = testsupport::TemplateDatabase(testsupport::TestDatabase::Version::Current,
                                                             testsupport::TestDatabase::Content::SampleRows);
        if (!QFile::copy(source, m_path))
            throw std::runtime_error("cannot copy the database for the server");
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                          | QFileDevice::WriteGroup | QFileDevice::ReadOther
                                          | QFileDevice::WriteOther);
    }
    ~ServerDatabase() { QFile::remove(m_path); }
    const QString &path() const { return m_path; }

private:
    QString m_path;
};

std::unique_ptr<TBaseDM> serverModule(const testserver::TestServer &server, const QString &file)
{
    auto dm = std::make_unique<TBaseDM>();
    dm->ConnectPauseMs = 0;
    dm->EmbeddedServer = false;
    dm->ServerHost = server.address();
    dm->DatabaseFile = file;
    dm->DatabasePassword = server.password;
    dm->ApplyConnectionParams();
    return dm;
}

TEST(ServerCounters, FourProcessesDrawOneCounterWithoutDuplicatesOrFailures)
{
    KARVONEL_REQUIRE_TEST_SERVER(server);
    ServerDatabase database(server, QStringLiteral("counter-race-"));
    constexpr int workers = 4;
    constexpr int each = 1000;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < workers; ++i) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--draw-counter"), server.address(), database.path(), server.password,
                  QString::number(each), QStringLiteral("43")});
        processes.push_back(std::move(p));
    }
    QList<int> drawn;
    int failures = 0;
    for (auto &p : processes) {
        ASSERT_TRUE(p->waitForFinished(600000)) << "a worker did not end";
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QList<QByteArray> lines = p->readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith("failures "))
                failures += line.mid(9).toInt();
            else if (!line.isEmpty())
                drawn << line.toInt();
        }
    }
    const QSet<int> distinct(drawn.begin(), drawn.end());
    const int duplicates = int(drawn.size() - distinct.size());
    std::cout << "counter race: " << workers << " processes drew " << drawn.size() << " numbers, " << duplicates
              << " duplicates, " << failures << " failures" << std::endl;
    RecordProperty("drawn", int(drawn.size()));
    RecordProperty("duplicates", duplicates);
    RecordProperty("failures", failures);
    EXPECT_EQ(drawn.size(), workers * each);
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(failures, 0);

    // The counter stands just above every number handed out.
    auto dm = serverModule(server, database.path());
    ASSERT_TRUE(dm->Connect());
    EXPECT_EQ(dm->QueryInteger(QStringLiteral("select VAL from COUNTERS where ID = 43")),
              *std::max_element(drawn.begin(), drawn.end()) + 1);
}

TEST(ServerUsers, EnsureServerUserAddsTheUserWhoCanThenWork)
{
    KARVONEL_REQUIRE_TEST_SERVER(server);
    if (server.password != TBaseDM::DefaultServerPassword)
        GTEST_SKIP() << "the test server's SYSDBA password is not the program's built-in one";
    ServerDatabase database(server, QStringLiteral("users-"));
    const QString user = QStringLiteral("KVTEST%1").arg(QCoreApplication::applicationPid());
    db::ServiceParams sp;
    sp.host = server.address();
    sp.password = server.password;
    struct RemoveUser {
        db::ServiceParams sp;
        QString user;
        ~RemoveUser()
        {
            try {
                db::ServiceManager svc(sp);
                if (svc.hasUser(user))
                    svc.deleteUser(user);
            } catch (...) {
            }
        }
    } cleanup{sp, user};
    ASSERT_FALSE(db::ServiceManager(sp).hasUser(user));

    auto dm = serverModule(server, database.path());
    dm->DatabaseUser = user;
    dm->DatabasePassword = QStringLiteral("pw-1");
    dm->ApplyConnectionParams();
    QStringList boxes;
    dm->ErrorBox = [&](const QString &caption, const QString &) { boxes << caption; };
    EXPECT_TRUE(dm->EnsureServerUser());
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_TRUE(db::ServiceManager(sp).hasUser(user));
    EXPECT_TRUE(dm->EnsureServerUser());  // present now: nothing to add

    // The configured user reads, writes and draws counters.
    ASSERT_TRUE(dm->Connect());
    EXPECT_EQ(dm->QueryInteger(QStringLiteral("select count(*) from CITIES")), 2);
    EXPECT_EQ(dm->ExecSQL(QStringLiteral("update CITIES set POST_CODE = '1001' where ID = 1")), 1);
    EXPECT_GT(dm->GetCounterValue(9), 0);

    // EnsureServerUser closes an open connection and opens it again.
    EXPECT_TRUE(dm->EnsureServerUser());
    EXPECT_TRUE(dm->IsConnected());
    EXPECT_EQ(dm->QueryValue(QStringLiteral("select POST_CODE from CITIES where ID = 1")).toString(), "1001");
}

TEST(ServerUsers, UnreachableServerAnswersFalse)
{
    TBaseDM dm;
    dm.ServerHost = QStringLiteral("localhost/1");  // nothing listens there
    dm.DatabaseUser = QStringLiteral("NOBODY");
    EXPECT_FALSE(dm.EnsureServerUser());
}

}  // namespace
