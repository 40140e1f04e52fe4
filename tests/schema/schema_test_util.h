#pragma once
// Small helpers of the schema tests.

#include "db/attachment.h"
#include "db/db_value.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>
#include <vector>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}

namespace schematest {

// Every row of a select, run on its own transaction (committed).
std::vector<db::Row> Rows(db::Attachment& att, const QString& sql);
// The first column of the first row; invalid when there is no row.
db::DbValue Value(db::Attachment& att, const QString& sql);

// The user metadata of a database, one sorted line per object: columns with
// their types, nullability, defaults and domains (server-named domains left
// blank), domains, indexes with their segments, constraints, procedures with
// their parameters and sources, triggers with their sources, exceptions.
QStringList Metadata(db::Attachment& att);

// The columns of a table, in upper case.
QStringList Columns(db::Attachment& att, const QString& table);
// The user tables, sorted.
QStringList Tables(db::Attachment& att);

// A copy of the delivered database (bin/karvonel.fdb) in a temporary folder,
// attached through the embedded engine; the build artifact stays untouched.
class DeliveredCopy {
public:
    DeliveredCopy();
    db::Attachment& attachment() { return *att_; }
    const QString& path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<db::Attachment> att_;
};

}  // namespace schematest
