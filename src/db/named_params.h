#pragma once
// Translation of named parameters (:NAME) into positional markers (?).

#include <QString>
#include <QStringList>

namespace db {

struct TranslatedSql {
    QString sql;             // the text with every :NAME replaced by ?
    QStringList positions;   // per ? in order: its name in upper case, or empty for a
                             // ? that was positional in the original text
};

// Replaces :NAME (a letter or '_' followed by letters, digits, '_' or '$') by ?.
// Quoted text ('...'), quoted identifiers ("..."), -- and /* */ comments are left
// alone. In EXECUTE BLOCK only the input parameter list (before the top-level AS)
// is translated; the body keeps its :variables. Texts that define PSQL objects
// (CREATE / ALTER / RECREATE ...) are not translated at all. Names are
// case-insensitive; one name may occur several times.
TranslatedSql translateNamedParams(const QString& sql);

}  // namespace db
