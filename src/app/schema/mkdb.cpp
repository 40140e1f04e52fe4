// karvonel-mkdb <database file>
//
// Makes the database delivered with the program: the base schema, every
// update step through RunSchemaUpdates (so that every build runs the update
// path), the initial data, and the version 30079 under key 101. The file is
// built beside the target under a temporary name and renamed over it only
// when complete.

#include "app/schema/database_builder.h"

#include "db/attachment.h"
#include "db/db_error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "framework/data/users.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace {

// The delivered administrator's password in its stored (hashed) form.
void StoreAdministratorPassword(const QString& path)
{
    db::ConnectionParams params;
    params.database = path;
    db::Attachment att;
    att.attach(params);
    db::Transaction tr(att);
    db::Statement st(att, tr, QStringLiteral("update USERS set PASS = :PASS where USER_TYPE = 1 and PASS = :CLEAR"));
    st.setParam(QStringLiteral("PASS"), users::EncodePassword(users::DefaultUserPassword));
    st.setParam(QStringLiteral("CLEAR"), users::DefaultUserPassword);
    st.execute();
    tr.commit();
    att.detach();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: karvonel-mkdb <database file>\n");
        return 2;
    }
    const QString target = QFileInfo(args.at(1)).absoluteFilePath();
    QDir().mkpath(QFileInfo(target).absolutePath());
    const QString temp = target + QStringLiteral(".new");
    QFile::remove(temp);
    try {
        schema::BuildDatabase(temp, {schema::TargetDatabaseVersion, true});
        StoreAdministratorPassword(temp);
    } catch (const db::DbError& e) {
        std::fprintf(stderr, "karvonel-mkdb: %s\n", e.message().toLocal8Bit().constData());
        QFile::remove(temp);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "karvonel-mkdb: %s\n", e.what());
        QFile::remove(temp);
        return 1;
    }
    QFile::remove(target);
    if (!QFile::rename(temp, target)) {
        std::fprintf(stderr, "karvonel-mkdb: cannot rename %s to %s\n", temp.toLocal8Bit().constData(),
                     target.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
