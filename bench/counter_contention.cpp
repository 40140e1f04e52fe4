// Several stations drawing keys from one counter at the same time.
//
//   bench_counter_contention [--processes N] [--draws N] [--port P]
//
// Starts a private Firebird server on loopback (tests/support/server/fbserver),
// creates a database with one counter and a GETCOUNTERVAL procedure of the
// program's contract, and runs N worker processes that each draw numbers, each
// on its own transaction committed at once (read committed, no wait). A lock
// or update conflict is retried a bounded number of times after a short random
// pause. Prints the numbers drawn, duplicates, failures, retries and the time.

#include "db/attachment.h"
#include "db/db_error.h"
#include "db/script.h"
#include "db/statement.h"
#include "db/transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <map>
#include <set>

namespace {

constexpr int kCounter = 1;
constexpr int kMaxAttempts = 20;

QString optionValue(const QStringList& args, const QString& name, const QString& def)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : def;
}

db::ConnectionParams params(const QString& database, const QString& password)
{
    db::ConnectionParams p;
    p.database = database;
    p.password = password;
    return p;
}

// Draws `draws` numbers; prints each as "N <value>", then "R <retries>" and
// "F <failures>".
int worker(const QString& database, const QString& password, int draws)
{
    db::Attachment att;
    att.attach(params(database, password));
    db::Transaction tr(att);
    db::Statement st(att, tr, QStringLiteral("execute procedure GETCOUNTERVAL(:ID)"));
    long retries = 0;
    long failures = 0;
    QByteArray out;
    for (int i = 0; i < draws; ++i) {
        bool done = false;
        for (int attempt = 1; attempt <= kMaxAttempts && !done; ++attempt) {
            try {
                st.setParam(QStringLiteral("ID"), kCounter);
                st.execute();
                const qlonglong v = st.output(QStringLiteral("RES")).toLongLong();
                tr.commit();
                out += "N " + QByteArray::number(v) + '\n';
                done = true;
            } catch (const db::DbError& e) {
                if (tr.isActive())
                    tr.rollback();
                if (!(e.isLockConflict() || e.isUpdateConflict())) {
                    std::fprintf(stderr, "worker: %s\n", e.what());
                    break;
                }
                ++retries;
                QThread::msleep(1 + QRandomGenerator::global()->bounded(10u));
            }
        }
        if (!done)
            ++failures;
    }
    out += "R " + QByteArray::number(qlonglong(retries)) + '\n';
    out += "F " + QByteArray::number(qlonglong(failures)) + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}

int run(const QStringList& args)
{
    const int processes = optionValue(args, QStringLiteral("--processes"), QStringLiteral("4")).toInt();
    const int draws = optionValue(args, QStringLiteral("--draws"), QStringLiteral("1000")).toInt();
    const QString port = optionValue(args, QStringLiteral("--port"), QStringLiteral("30700"));

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/karvonel-bench-XXXXXX"));
    const QString serverDir = dir.filePath(QStringLiteral("server"));
    const QString script = QStringLiteral(KARVONEL_FBSERVER_SCRIPT);
    QProcess start;
    start.start(script, {QStringLiteral("start"), serverDir, port});
    start.waitForFinished(60000);
    if (start.exitCode() != 0) {
        std::fprintf(stderr, "cannot start the server: %s\n", start.readAllStandardError().constData());
        return 1;
    }
    QString address;
    QString password;
    {
        QFile env(serverDir + QStringLiteral("/env"));
        env.open(QIODevice::ReadOnly);
        QString host;
        QString p;
        for (const QByteArray& line : env.readAll().split('\n')) {
            if (line.startsWith("HOST="))
                host = QString::fromUtf8(line.mid(5));
            else if (line.startsWith("PORT="))
                p = QString::fromUtf8(line.mid(5));
            else if (line.startsWith("PASSWORD="))
                password = QString::fromUtf8(line.mid(9));
        }
        address = host + u'/' + p;
    }
    const QString database = address + u':' + serverDir + QStringLiteral("/data/counter.fdb");

    int rc = 0;
    try {
        db::Attachment att;
        att.create(params(database, password));
        db::Transaction tr(att);
        db::runScript(att, tr, QStringLiteral(
            "create table COUNTERS (ID integer not null primary key, VAL integer);\n"
            "insert into COUNTERS (ID, VAL) values (1, 1);\n"
            "set term ^ ;\n"
            "create procedure GETCOUNTERVAL (ID integer) returns (RES integer) as\n"
            "begin\n"
            "  update COUNTERS set VAL = coalesce(VAL, 1) + 1 where ID = :ID returning old.VAL into :RES;\n"
            "end^\n"
            "set term ; ^\n"));
        tr.commit();
        att.detach();

        QElapsedTimer timer;
        timer.start();
        std::vector<std::unique_ptr<QProcess>> workers;
        for (int i = 0; i < processes; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--worker"), database, password, QString::number(draws)});
            workers.push_back(std::move(p));
        }
        std::map<qlonglong, int> seen;
        long retries = 0;
        long failures = 0;
        long drawn = 0;
        for (auto& p : workers) {
            p->waitForFinished(-1);
            for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
                if (line.startsWith("N ")) {
                    ++seen[line.mid(2).toLongLong()];
                    ++drawn;
                } else if (line.startsWith("R ")) {
                    retries += line.mid(2).toLong();
                } else if (line.startsWith("F ")) {
                    failures += line.mid(2).toLong();
                }
            }
            if (p->exitCode() != 0)
                ++failures;
        }
        const qint64 ms = timer.elapsed();
        long duplicates = 0;
        for (const auto& [value, count] : seen)
            duplicates += count - 1;
        std::printf("processes %d, draws each %d\n", processes, draws);
        std::printf("numbers drawn %ld, distinct %zu, duplicates %ld, failures %ld, retries %ld\n", drawn,
                    seen.size(), duplicates, failures, retries);
        std::printf("time %lld ms, %.1f draws/s\n", qlonglong(ms), ms > 0 ? drawn * 1000.0 / double(ms) : 0.0);
        rc = duplicates == 0 && failures == 0 && drawn == long(processes) * draws ? 0 : 2;

        att.attach(params(database, password));
        att.dropDatabase();
    } catch (const db::DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        rc = 1;
    }
    QProcess stop;
    stop.start(script, {QStringLiteral("stop"), serverDir});
    stop.waitForFinished(60000);
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 5 && args[1] == QLatin1String("--worker"))
            return worker(args[2], args[3], args[4].toInt());
        return run(args);
    } catch (const db::DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
