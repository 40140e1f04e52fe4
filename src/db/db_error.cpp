#include "db/db_error.h"

#include "db/client.h"

#include <firebird/Interface.h>
#include <ibase.h>
#include <iberror.h>

#include <QStringDecoder>

#include <algorithm>

namespace db {

namespace {

// Server texts are UTF-8 on a UTF8 connection; anything else (a client-side
// text in another encoding) is read as Latin-1 rather than lost.
QString decodeServerText(const char* text)
{
    QByteArray bytes(text);
    QStringDecoder dec(QStringDecoder::Utf8);
    QString s = dec(bytes);
    if (dec.hasError())
        return QString::fromLatin1(bytes);
    return s;
}

}  // namespace

DbError::DbError(QString message, int sqlCode, QString sqlState, std::vector<std::intptr_t> gdsCodes)
    : message_(std::move(message)),
      sqlCode_(sqlCode),
      sqlState_(std::move(sqlState)),
      gds_(std::move(gdsCodes)),
      what_(message_.toStdString())
{
}

DbError DbError::fromStatus(const Firebird::IStatus* status)
{
    auto* st = const_cast<Firebird::IStatus*>(status);
    const intptr_t* vec = st->getErrors();

    std::vector<std::intptr_t> codes;
    for (const intptr_t* p = vec; p && *p != isc_arg_end;) {
        const intptr_t tag = *p++;
        switch (tag) {
        case isc_arg_gds:
            codes.push_back(*p++);
            break;
        case isc_arg_cstring:
            p += 2;  // length, pointer
            break;
        default:  // string, number, interpreted, sql_state, unix, ...: one argument
            ++p;
            break;
        }
    }

    char buf[4096];
    buf[0] = 0;
    util()->formatStatus(buf, sizeof buf, st);
    QString text = decodeServerText(buf).trimmed();

    int sqlCode = 0;
    char state[6] = {0};
    if (vec && vec[0] == isc_arg_gds && vec[1] != 0) {
        sqlCode = int(isc_sqlcode(vec));
        fb_sqlstate(state, vec);
    }
    if (text.isEmpty())
        text = QStringLiteral("Неизвестна грешка на сървъра на базата данни");
    return DbError(text, sqlCode, QString::fromLatin1(state), std::move(codes));
}

const char* DbError::what() const noexcept
{
    return what_.c_str();
}

bool DbError::hasGds(std::intptr_t code) const
{
    return std::find(gds_.begin(), gds_.end(), code) != gds_.end();
}

bool DbError::isUpdateConflict() const
{
    // The vector of a lock conflict (no wait) carries deadlock and update
    // conflict as well: only the main code tells the two apart.
    return gdsCode() == isc_deadlock && hasGds(isc_update_conflict);
}

bool DbError::isLockConflict() const
{
    return hasGds(isc_lock_conflict) && !isUpdateConflict();
}

bool DbError::isTransliteration() const
{
    return sqlState_ == QLatin1String("22018") || hasGds(isc_transliteration_failed)
        || hasGds(isc_malformed_string);
}

bool DbError::isLostConnection() const
{
    static const std::intptr_t lost[] = {
        isc_network_error, isc_net_read_err,  isc_net_write_err, isc_lost_db_connection,
        isc_conn_lost,     isc_shutdown,      isc_att_shutdown,  isc_net_server_shutdown,
    };
    return std::any_of(std::begin(lost), std::end(lost), [this](std::intptr_t c) { return hasGds(c); });
}

void checkStatus(const Firebird::IStatus* status)
{
    auto* st = const_cast<Firebird::IStatus*>(status);
    if (st->getState() & Firebird::IStatus::STATE_ERRORS)
        throw DbError::fromStatus(status);
}

}  // namespace db
