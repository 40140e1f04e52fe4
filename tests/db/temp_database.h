#pragma once
// A fresh WIN1251 database in a temporary folder, opened through the embedded
// engine and dropped at the end of the test.

#include "db/attachment.h"
#include "db/transaction.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace dbtest {

inline QString testRoot()
{
    const QByteArray env = qgetenv("KARVONEL_TEST_DIR");
    const QString root = env.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(env);
    QDir().mkpath(root);
    return root;
}

class TempDatabase {
public:
    TempDatabase() : dir_(testRoot() + QStringLiteral("/db-XXXXXX"))
    {
        params_.database = dir_.filePath(QStringLiteral("test.fdb"));
        params_.user = QStringLiteral("SYSDBA");
        att.create(params_);
    }
    ~TempDatabase()
    {
        try {
            if (!att.isAttached())
                att.attach(params_);
            att.dropDatabase();
        } catch (...) {
        }
    }
    const db::ConnectionParams& params() const { return params_; }
    QString path() const { return params_.database; }
    QString folder() const { return dir_.path(); }

    db::Attachment att;

private:
    QTemporaryDir dir_;
    db::ConnectionParams params_;
};

}  // namespace dbtest
