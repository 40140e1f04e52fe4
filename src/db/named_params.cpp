#include "db/named_params.h"

#include "db/sql_lexer.h"

namespace db {

using detail::isIdentChar;
using detail::isIdentStart;
using detail::skipQuotedOrComment;

TranslatedSql translateNamedParams(const QString& sql)
{
    TranslatedSql out;
    int afterFirst = 0;
    const QString first = detail::firstWord(sql, 0, &afterFirst);
    if (first == QLatin1String("CREATE") || first == QLatin1String("ALTER")
        || first == QLatin1String("RECREATE")) {
        // PSQL bodies use :variables; DDL takes no parameters.
        out.sql = sql;
        return out;
    }
    const bool executeBlock = first == QLatin1String("EXECUTE")
        && detail::firstWord(sql, afterFirst) == QLatin1String("BLOCK");

    const int n = int(sql.size());
    out.sql.reserve(n);
    int depth = 0;
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const int skipped = skipQuotedOrComment(sql, i);
        if (skipped != i) {
            out.sql += QStringView(sql).mid(i, skipped - i);
            i = skipped;
            continue;
        }
        if (c == u':' && i + 1 < n && isIdentStart(sql[i + 1])) {
            int j = i + 1;
            while (j < n && isIdentChar(sql[j]))
                ++j;
            out.positions << sql.mid(i + 1, j - i - 1).toUpper();
            out.sql += u'?';
            i = j;
            continue;
        }
        if (c == u'?') {
            out.positions << QString();
            out.sql += c;
            ++i;
            continue;
        }
        if (isIdentStart(c) && (i == 0 || !isIdentChar(sql[i - 1]))) {
            int j = i;
            while (j < n && isIdentChar(sql[j]))
                ++j;
            const QStringView word = QStringView(sql).mid(i, j - i);
            out.sql += word;
            i = j;
            if (executeBlock && depth == 0 && word.compare(QLatin1String("AS"), Qt::CaseInsensitive) == 0) {
                out.sql += QStringView(sql).mid(i);  // the body stays as written
                return out;
            }
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        out.sql += c;
        ++i;
    }
    return out;
}

}  // namespace db
