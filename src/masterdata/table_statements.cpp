#include "masterdata/table_statements.h"

#include "framework/data/basedm.h"
#include "framework/data/dataset.h"
#include "framework/text/format.h"

QStringList TableColumns(TBaseDM &dm, const QString &table)
{
    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(QStringLiteral(
        "select rf.RDB$FIELD_NAME from RDB$RELATION_FIELDS rf "
        "join RDB$FIELDS f on (f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE) "
        "where rf.RDB$RELATION_NAME = :T and f.RDB$COMPUTED_BLR is null "
        "order by rf.RDB$FIELD_POSITION"));
    q.ParamByName(QStringLiteral("T")).SetAsString(table.toUpper());
    q.Open();
    QStringList columns;
    for (q.First(); !q.Eof(); q.Next())
        columns << q.Fields(0).AsString().trimmed();
    q.Close();
    return columns;
}

QString InsertStatement(const QString &table, const QStringList &columns)
{
    QStringList params;
    for (const QString &c : columns)
        params << u':' + c;
    return Format("insert into %s (%s) values (%s)", table, columns.join(QStringLiteral(", ")),
                  params.join(QStringLiteral(", ")));
}

QString ModifyStatement(const QString &table, const QStringList &columns, const QString &keyField)
{
    QStringList sets;
    for (const QString &c : columns)
        sets << Format("%s = :%s", c, c);
    return Format("update %s set %s where %s = :OLD_%s", table, sets.join(QStringLiteral(", ")), keyField,
                  keyField);
}

QString DeleteStatement(const QString &table, const QString &keyField)
{
    return Format("delete from %s where %s = :OLD_%s", table, keyField, keyField);
}

void AssignTableStatements(TBaseDM &dm, TDataSet &dataSet, const QString &table, const QString &refreshSQL,
                           const QString &keyField)
{
    const QStringList columns = TableColumns(dm, table);
    if (columns.isEmpty())
        throw EDataSetError(Format("Table \"%s\" not found", table));
    dataSet.SetInsertSQL(InsertStatement(table, columns));
    dataSet.SetModifySQL(ModifyStatement(table, columns, keyField));
    dataSet.SetDeleteSQL(DeleteStatement(table, keyField));
    dataSet.SetRefreshSQL(refreshSQL.isEmpty()
                              ? Format("select * from %s where %s = :%s", table, keyField, keyField)
                              : refreshSQL);
}
