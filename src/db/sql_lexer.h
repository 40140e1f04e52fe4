#pragma once
// Scanning SQL text: where quoted text and comments begin and end.
// Internal to the db library.

#include <QString>

namespace db::detail {

inline bool isIdentStart(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

inline bool isIdentChar(QChar c)
{
    return isIdentStart(c) || (c >= u'0' && c <= u'9') || c == u'$';
}

// If a quoted text, quoted identifier or comment begins at i, returns the index
// just past its end (the end of the text when it is not closed); otherwise i.
int skipQuotedOrComment(const QString& s, int i);

// The first word of the text (upper case), skipping blanks and comments;
// *end receives the index just past it.
QString firstWord(const QString& s, int from = 0, int* end = nullptr);

}  // namespace db::detail
