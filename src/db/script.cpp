#include "db/script.h"

#include "db/attachment.h"
#include "db/sql_lexer.h"
#include "db/statement.h"
#include "db/transaction.h"

#include <QRegularExpression>

namespace db {

namespace {

// Whether anything but blanks and comments remains in [from, to).
int firstCode(const QString& s, int from, int to)
{
    int i = from;
    while (i < to) {
        if (s[i].isSpace()) {
            ++i;
            continue;
        }
        const bool comment = i + 1 < to
            && ((s[i] == u'-' && s[i + 1] == u'-') || (s[i] == u'/' && s[i + 1] == u'*'));
        if (!comment)
            return i;
        i = detail::skipQuotedOrComment(s, i);
    }
    return -1;
}

QString normalized(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.simplified().toUpper().replace(blanks, QStringLiteral(" "));
}

}  // namespace

std::vector<ScriptStatement> splitScript(const QString& script)
{
    std::vector<ScriptStatement> out;
    QString term = QStringLiteral(";");
    const int n = int(script.size());
    int start = 0;
    int i = 0;
    int line = 1;         // line at index i
    int startLine = 1;    // line at index start

    auto flushStatement = [&](int end) {
        const int code = firstCode(script, start, end);
        if (code < 0)
            return;
        const int lineOfCode = startLine + int(QStringView(script).mid(start, code - start).count(u'\n'));
        const QString text = script.mid(code, end - code).trimmed();
        // SET TERM <new>: switches the terminator.
        static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const auto m = setTerm.match(text);
        if (m.hasMatch()) {
            term = m.captured(1);
            return;
        }
        out.push_back({text, lineOfCode});
    };

    while (i < n) {
        const int skipped = detail::skipQuotedOrComment(script, i);
        if (skipped != i) {
            line += int(QStringView(script).mid(i, skipped - i).count(u'\n'));
            i = skipped;
            continue;
        }
        if (QStringView(script).mid(i).startsWith(term, Qt::CaseInsensitive)) {
            const int termLength = int(term.size());  // SET TERM may change it
            flushStatement(i);
            i += termLength;
            start = i;
            startLine = line;
            continue;
        }
        if (script[i] == u'\n')
            ++line;
        ++i;
    }
    flushStatement(n);
    return out;
}

ScriptError::ScriptError(const DbError& cause, ScriptStatement statement)
    : DbError(QStringLiteral("%1\n[ред %2] %3")
                  .arg(cause.message())
                  .arg(statement.line)
                  .arg(statement.text.left(300)),
              cause.sqlCode(), cause.sqlState(), cause.gdsCodes()),
      statement_(std::move(statement))
{
}

void runScript(Attachment& att, Transaction& tr, const QString& script)
{
    for (const ScriptStatement& s : splitScript(script)) {
        const QString cmd = normalized(s.text);
        if (cmd.startsWith(QLatin1String("SET SQL DIALECT ")) || cmd.startsWith(QLatin1String("SET NAMES "))
            || cmd.startsWith(QLatin1String("SET AUTODDL")))
            continue;
        try {
            if (cmd == QLatin1String("COMMIT") || cmd == QLatin1String("COMMIT WORK")) {
                if (tr.isActive())
                    tr.commit();
                continue;
            }
            if (cmd == QLatin1String("ROLLBACK") || cmd == QLatin1String("ROLLBACK WORK")) {
                if (tr.isActive())
                    tr.rollback();
                continue;
            }
            Statement st(att, tr);
            st.prepare(s.text);
            if (st.paramCount() > 0)
                throw DbError(QStringLiteral("Изразът в скрипта съдържа параметри"));
            st.execute();
            if (st.kind() == StatementKind::Ddl) {
                st.unprepare();
                tr.commit();
                tr.start();
            }
        } catch (const DbError& e) {
            throw ScriptError(e, s);
        }
    }
}

}  // namespace db
