#pragma once
// Values and column descriptions of statements.
//
// A value is a QVariant. NULL is the invalid QVariant (DbValue()).
// Values read from the database have these types:
//   SMALLINT, INTEGER (scale 0)         int
//   BIGINT (scale 0)                    qlonglong
//   NUMERIC / DECIMAL (scale < 0)       double
//   FLOAT, DOUBLE PRECISION             double
//   CHAR, VARCHAR                       QString (CHAR without its trailing blanks);
//                                       QByteArray for CHARACTER SET OCTETS
//   BLOB SUB_TYPE TEXT                  QString
//   other BLOB                          QByteArray
//   DATE, TIME, TIMESTAMP               QDate, QTime, QDateTime (local, no zone)
//   BOOLEAN                             bool
// Values bound as parameters are sent in the type of the QVariant (integers,
// double, QString, QDate, QTime, QDateTime, bool, QByteArray); the server
// converts them to the parameter's declared type.

#include <QList>
#include <QString>
#include <QVariant>

namespace db {

using DbValue = QVariant;
using Row = QList<DbValue>;

inline bool isNull(const DbValue& v) { return !v.isValid() || v.isNull(); }

enum class DbType {
    Unknown,
    SmallInt,
    Integer,
    BigInt,
    Numeric,  // SMALLINT/INTEGER/BIGINT storage with scale < 0
    Float,
    Double,
    Char,
    VarChar,
    Date,
    Time,
    Timestamp,
    TextBlob,
    Blob,
    Boolean,
};

// One column of a result (or one parameter of a statement).
struct ColumnInfo {
    QString name;      // field name (the column of the table), may be empty
    QString alias;     // the name the select gives the column
    QString relation;  // table, may be empty
    DbType type = DbType::Unknown;
    int sqlType = 0;   // SQL_* code, without the NULL bit
    int subType = 0;
    int scale = 0;     // 0 or negative (digits after the point)
    unsigned length = 0;     // bytes in the message (CHAR/VARCHAR: bytes, not characters)
    unsigned charLength = 0; // CHAR/VARCHAR: characters; 0 otherwise
    int charSet = 0;
    bool nullable = true;
};

}  // namespace db
