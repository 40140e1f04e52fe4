#pragma once
// Errors of the Firebird access layer.

#include <QString>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace Firebird {
class IStatus;
}

namespace db {

// A failure reported by the server or the client library, or by this layer
// itself (sqlCode 0, no GDS codes). The message is the server's text.
class DbError : public std::exception {
public:
    explicit DbError(QString message, int sqlCode = 0, QString sqlState = {},
                     std::vector<std::intptr_t> gdsCodes = {});

    // Builds the error from a status vector the client library filled.
    static DbError fromStatus(const Firebird::IStatus* status);

    const char* what() const noexcept override;  // the message in UTF-8

    const QString& message() const { return message_; }
    int sqlCode() const { return sqlCode_; }
    const QString& sqlState() const { return sqlState_; }
    // Every GDS code of the status vector, in order (the first is the main one).
    const std::vector<std::intptr_t>& gdsCodes() const { return gds_; }
    std::intptr_t gdsCode() const { return gds_.empty() ? 0 : gds_.front(); }
    bool hasGds(std::intptr_t code) const;

    // Another transaction changed or deleted the row first: main code
    // 335544336 (deadlock) with 335544451 (update conflict) in the vector.
    // Firebird 3 reports a row that an uncommitted transaction holds, under
    // no wait, in this form too (with 335544878, the concurrent transaction).
    bool isUpdateConflict() const;
    // 335544345, "lock conflict on no wait transaction": an object locked by
    // another transaction (e.g. a table in use by DDL); never true for an
    // update conflict.
    bool isLockConflict() const;
    // A text could not be converted between character sets: typically a
    // character that the database's Windows-1251 cannot hold. Firebird 3
    // answers SQLSTATE 22018 with 335544321 and 335544565 for CHAR/VARCHAR,
    // and 335544565 alone for a text BLOB.
    bool isTransliteration() const;
    // The connection to the server is gone (network error, server shut down,
    // connection killed).
    bool isLostConnection() const;

private:
    QString message_;
    int sqlCode_ = 0;
    QString sqlState_;
    std::vector<std::intptr_t> gds_;
    std::string what_;
};

// Throws DbError when the status carries an error.
void checkStatus(const Firebird::IStatus* status);

}  // namespace db
