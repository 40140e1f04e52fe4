#pragma once
// The write statements of a dataset over one table, made from the table's
// columns as the database describes them: the insert writes every stored
// column, the update writes them all and finds the row by its old key, the
// delete finds it by its old key. Computed columns are left out.

#include <QString>
#include <QStringList>

class TBaseDM;
class TDataSet;

// The stored (not computed) columns of the table in their order; empty when
// the database has no such table.
QStringList TableColumns(TBaseDM &dm, const QString &table);

// "insert into T (A, B) values (:A, :B)"
QString InsertStatement(const QString &table, const QStringList &columns);
// "update T set A = :A, B = :B where ID = :OLD_ID" (the key is written too)
QString ModifyStatement(const QString &table, const QStringList &columns,
                        const QString &keyField = QStringLiteral("ID"));
// "delete from T where ID = :OLD_ID"
QString DeleteStatement(const QString &table, const QString &keyField = QStringLiteral("ID"));

// Gives the dataset the insert, modify and delete statements of the table,
// and refreshSQL as its refresh statement ("select * from T where ID = :ID"
// when empty). Throws EDataSetError when the table has no columns.
void AssignTableStatements(TBaseDM &dm, TDataSet &dataSet, const QString &table,
                           const QString &refreshSQL = QString(),
                           const QString &keyField = QStringLiteral("ID"));
