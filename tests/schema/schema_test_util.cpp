#include "schema/schema_test_util.h"

#include "db/statement.h"
#include "db/transaction.h"

#include <QFile>
#include <QProcessEnvironment>

#include <algorithm>
#include <stdexcept>

namespace schematest {

std::vector<db::Row> Rows(db::Attachment& att, const QString& sql)
{
    db::Transaction tr(att);
    std::vector<db::Row> rows;
    {
        db::Statement st(att, tr, sql);
        db::Cursor c = st.open();
        rows = c.fetchAll();
    }
    tr.commit();
    return rows;
}

db::DbValue Value(db::Attachment& att, const QString& sql)
{
    const std::vector<db::Row> rows = Rows(att, sql);
    return rows.empty() ? db::DbValue() : rows.front().value(0);
}

namespace {

QString text(const db::DbValue& v)
{
    return db::isNull(v) ? QStringLiteral("<null>") : v.toString().trimmed();
}

void addLines(QStringList& out, db::Attachment& att, const QString& kind, const QString& sql)
{
    for (const db::Row& row : Rows(att, sql)) {
        QStringList parts{kind};
        for (const db::DbValue& v : row)
            parts << text(v);
        out << parts.join(u'|');
    }
}

}  // namespace

QStringList Metadata(db::Attachment& att)
{
    QStringList out;
    addLines(out, att, QStringLiteral("column"), QStringLiteral(R"sql(
        select rf.RDB$RELATION_NAME, rf.RDB$FIELD_NAME, rf.RDB$FIELD_POSITION,
               f.RDB$FIELD_TYPE, f.RDB$FIELD_SUB_TYPE, f.RDB$FIELD_LENGTH, f.RDB$CHARACTER_LENGTH,
               f.RDB$FIELD_SCALE, f.RDB$CHARACTER_SET_ID,
               coalesce(rf.RDB$COLLATION_ID, f.RDB$COLLATION_ID),
               coalesce(rf.RDB$NULL_FLAG, f.RDB$NULL_FLAG, 0),
               cast(coalesce(rf.RDB$DEFAULT_SOURCE, f.RDB$DEFAULT_SOURCE) as varchar(200)),
               iif(rf.RDB$FIELD_SOURCE starting with 'RDB$', '', rf.RDB$FIELD_SOURCE)
          from RDB$RELATION_FIELDS rf
          join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE
          join RDB$RELATIONS r on r.RDB$RELATION_NAME = rf.RDB$RELATION_NAME
         where coalesce(r.RDB$SYSTEM_FLAG, 0) = 0)sql"));
    addLines(out, att, QStringLiteral("domain"), QStringLiteral(R"sql(
        select f.RDB$FIELD_NAME, f.RDB$FIELD_TYPE, f.RDB$FIELD_LENGTH, f.RDB$CHARACTER_LENGTH,
               f.RDB$CHARACTER_SET_ID, f.RDB$COLLATION_ID, coalesce(f.RDB$NULL_FLAG, 0)
          from RDB$FIELDS f
         where coalesce(f.RDB$SYSTEM_FLAG, 0) = 0 and f.RDB$FIELD_NAME not starting with 'RDB$')sql"));
    addLines(out, att, QStringLiteral("index"), QStringLiteral(R"sql(
        select i.RDB$INDEX_NAME, i.RDB$RELATION_NAME, coalesce(i.RDB$UNIQUE_FLAG, 0),
               coalesce(i.RDB$INDEX_INACTIVE, 0), coalesce(i.RDB$INDEX_TYPE, 0),
               (select list(trim(s.RDB$FIELD_NAME), ',') from
                  (select s2.RDB$FIELD_NAME from RDB$INDEX_SEGMENTS s2
                    where s2.RDB$INDEX_NAME = i.RDB$INDEX_NAME order by s2.RDB$FIELD_POSITION) s)
          from RDB$INDICES i
         where coalesce(i.RDB$SYSTEM_FLAG, 0) = 0)sql"));
    addLines(out, att, QStringLiteral("constraint"), QStringLiteral(R"sql(
        select c.RDB$CONSTRAINT_NAME, c.RDB$CONSTRAINT_TYPE, c.RDB$RELATION_NAME, c.RDB$INDEX_NAME
          from RDB$RELATION_CONSTRAINTS c
          join RDB$RELATIONS r on r.RDB$RELATION_NAME = c.RDB$RELATION_NAME
         where coalesce(r.RDB$SYSTEM_FLAG, 0) = 0 and c.RDB$CONSTRAINT_TYPE <> 'NOT NULL')sql"));
    addLines(out, att, QStringLiteral("procedure"), QStringLiteral(R"sql(
        select p.RDB$PROCEDURE_NAME, cast(p.RDB$PROCEDURE_SOURCE as varchar(8000))
          from RDB$PROCEDURES p where coalesce(p.RDB$SYSTEM_FLAG, 0) = 0)sql"));
    addLines(out, att, QStringLiteral("parameter"), QStringLiteral(R"sql(
        select pp.RDB$PROCEDURE_NAME, pp.RDB$PARAMETER_NAME, pp.RDB$PARAMETER_TYPE,
               pp.RDB$PARAMETER_NUMBER, f.RDB$FIELD_TYPE, f.RDB$FIELD_LENGTH, f.RDB$CHARACTER_LENGTH,
               f.RDB$FIELD_SCALE
          from RDB$PROCEDURE_PARAMETERS pp
          join RDB$FIELDS f on f.RDB$FIELD_NAME = pp.RDB$FIELD_SOURCE
         where coalesce(pp.RDB$SYSTEM_FLAG, 0) = 0)sql"));
    addLines(out, att, QStringLiteral("trigger"), QStringLiteral(R"sql(
        select t.RDB$TRIGGER_NAME, t.RDB$RELATION_NAME, t.RDB$TRIGGER_TYPE, t.RDB$TRIGGER_SEQUENCE,
               coalesce(t.RDB$TRIGGER_INACTIVE, 0), cast(t.RDB$TRIGGER_SOURCE as varchar(8000))
          from RDB$TRIGGERS t where coalesce(t.RDB$SYSTEM_FLAG, 0) = 0)sql"));
    addLines(out, att, QStringLiteral("exception"), QStringLiteral(R"sql(
        select e.RDB$EXCEPTION_NAME, e.RDB$MESSAGE
          from RDB$EXCEPTIONS e where coalesce(e.RDB$SYSTEM_FLAG, 0) = 0)sql"));
    std::sort(out.begin(), out.end());
    return out;
}

QStringList Columns(db::Attachment& att, const QString& table)
{
    QStringList out;
    db::Transaction tr(att);
    {
        db::Statement st(att, tr,
                         QStringLiteral("select RDB$FIELD_NAME from RDB$RELATION_FIELDS"
                                        " where RDB$RELATION_NAME = :T order by RDB$FIELD_POSITION"));
        st.setParam(QStringLiteral("T"), table);
        db::Cursor c = st.open();
        while (c.fetch())
            out << c.value(0).toString().trimmed();
    }
    tr.commit();
    return out;
}

QStringList Tables(db::Attachment& att)
{
    QStringList out;
    for (const db::Row& row :
         Rows(att, QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS"
                                  " where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1")))
        out << row.value(0).toString().trimmed();
    return out;
}

DeliveredCopy::DeliveredCopy()
{
    const QString delivered = QStringLiteral(KARVONEL_BIN_DIR "/karvonel.fdb");
    path_ = dir_.filePath(QStringLiteral("karvonel.fdb"));
    if (!QFile::copy(delivered, path_))
        throw std::runtime_error("cannot copy the delivered database " + delivered.toStdString());
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
    db::ConnectionParams p;
    p.database = path_;
    att_ = std::make_unique<db::Attachment>();
    att_->attach(p);
}

}  // namespace schematest
