#include "db/sql_lexer.h"

namespace db::detail {

namespace {

QChar closingOf(QChar open)
{
    switch (open.unicode()) {
    case u'(': return u')';
    case u'[': return u']';
    case u'{': return u'}';
    case u'<': return u'>';
    default: return open;
    }
}

}  // namespace

int skipQuotedOrComment(const QString& s, int i)
{
    const int n = int(s.size());
    if (i >= n)
        return i;
    const QChar c = s[i];
    if (c == u'\'' || c == u'"') {
        // '' and "" inside stand for the quote itself
        int j = i + 1;
        while (j < n) {
            if (s[j] == c) {
                if (j + 1 < n && s[j + 1] == c) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    }
    if ((c == u'q' || c == u'Q') && i + 2 < n && s[i + 1] == u'\''
        && (i == 0 || !isIdentChar(s[i - 1]))) {
        // q'<delim>text<closing delim>'
        const QChar close = closingOf(s[i + 2]);
        for (int j = i + 3; j + 1 < n; ++j)
            if (s[j] == close && s[j + 1] == u'\'')
                return j + 2;
        return n;
    }
    if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
        const int e = int(s.indexOf(u'\n', i + 2));
        return e < 0 ? n : e + 1;
    }
    if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
        const int e = int(s.indexOf(QLatin1String("*/"), i + 2));
        return e < 0 ? n : e + 2;
    }
    return i;
}

QString firstWord(const QString& s, int from, int* end)
{
    const int n = int(s.size());
    int i = from;
    while (i < n) {
        if (s[i].isSpace()) {
            ++i;
            continue;
        }
        const bool comment = i + 1 < n
            && ((s[i] == u'-' && s[i + 1] == u'-') || (s[i] == u'/' && s[i + 1] == u'*'));
        if (!comment)
            break;
        i = skipQuotedOrComment(s, i);
    }
    int j = i;
    while (j < n && isIdentChar(s[j]))
        ++j;
    if (end)
        *end = j;
    return s.mid(i, j - i).toUpper();
}

}  // namespace db::detail
