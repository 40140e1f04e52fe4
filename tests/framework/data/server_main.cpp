// The server tests, and the worker processes they start: with the arguments
//   --draw-counter SERVER DATABASE PASSWORD COUNT COUNTER
// the program connects a data module to the database on the server, draws
// COUNT numbers from the counter, writes each drawn number on a line of its
// own, then "failures N", and ends.

#include "framework/data/basedm.h"

#include <QCoreApplication>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cstring>

namespace {

int drawCounter(char **argv)
{
    TBaseDM dm;
    dm.ConnectPauseMs = 0;
    dm.EmbeddedServer = false;
    dm.ServerHost = QString::fromLocal8Bit(argv[2]);
    dm.DatabaseFile = QString::fromLocal8Bit(argv[3]);
    dm.DatabasePassword = QString::fromLocal8Bit(argv[4]);
    const int count = QByteArray(argv[5]).toInt();
    const int counter = QByteArray(argv[6]).toInt();
    dm.ApplyConnectionParams();
    QTextStream out(stdout);
    if (!dm.Connect()) {
        out << "failures " << count << Qt::endl;
        return 1;
    }
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        try {
            out << dm.GetCounterValue(counter) << '\n';
        } catch (const std::exception &e) {
            ++failures;
            QTextStream(stderr) << e.what() << Qt::endl;
        }
    }
    out << "failures " << failures << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 7 && std::strcmp(argv[1], "--draw-counter") == 0)
        return drawCounter(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
