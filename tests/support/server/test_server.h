#pragma once
// Where the test server of the CTest fixture "fbserver" listens.
//
//   TEST(X, Y) {
//       KARVONEL_REQUIRE_TEST_SERVER(server);   // skips when the fixture did not run
//       db::ConnectionParams p;
//       p.database = server.databaseName("x.fdb");   // "localhost/PORT:/.../data/x.fdb"
//       p.password = server.password;
//   }

#include <QFile>
#include <QString>

#include <optional>

#ifndef KARVONEL_BINARY_DIR
#error "test_server.h needs KARVONEL_BINARY_DIR (set by karvonel_test)"
#endif

namespace testserver {

struct TestServer {
    QString host;      // "localhost"
    int port = 0;
    QString password;  // of SYSDBA
    QString dataDir;   // a folder the server reads and writes

    // "host/port": the server part of a database name or of the service manager.
    QString address() const { return host + u'/' + QString::number(port); }
    // The full path of a database file in the data folder.
    QString databasePath(const QString& file) const { return dataDir + u'/' + file; }
    // "host/port:/path": the name to attach a database of the data folder.
    QString databaseName(const QString& file) const { return address() + u':' + databasePath(file); }
};

inline QString envFilePath()
{
    return QStringLiteral(KARVONEL_BINARY_DIR "/tests/fbserver/env");
}

// The server written down by the fixture's start step; empty when it did not run.
inline std::optional<TestServer> testServer()
{
    QFile f(envFilePath());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    TestServer s;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("HOST"))
            s.host = value;
        else if (key == QLatin1String("PORT"))
            s.port = value.toInt();
        else if (key == QLatin1String("PASSWORD"))
            s.password = value;
        else if (key == QLatin1String("DATA"))
            s.dataDir = value;
    }
    if (s.host.isEmpty() || s.port <= 0 || s.dataDir.isEmpty())
        return std::nullopt;
    return s;
}

// "host/port" of the test server, or empty.
inline QString testServerAddress()
{
    const auto s = testServer();
    return s ? s->address() : QString();
}

}  // namespace testserver

// Declares `var` (a testserver::TestServer) or skips the test when the
// fixture did not run.
#define KARVONEL_REQUIRE_TEST_SERVER(var)                                                  \
    const auto var##_opt = ::testserver::testServer();                                     \
    if (!var##_opt)                                                                        \
        GTEST_SKIP() << "the Firebird test server (CTest fixture fbserver) is not running"; \
    const ::testserver::TestServer& var = *var##_opt
