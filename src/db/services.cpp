#include "db/services.h"

#include "db/fb_status.h"

#include <ibase.h>

#include <QIODevice>
#include <QStringDecoder>
#include <QThread>

#include <functional>

namespace db {

using detail::Status;

namespace {

// Reply buffers stay below 64 KB: lengths inside are 16-bit.
constexpr unsigned kReplySize = 60000;
constexpr int kStdinChunk = 32000;

// A service start block: the action followed by its arguments.
class Spb {
public:
    explicit Spb(unsigned char action) { b_.push_back(action); }
    Spb& string(unsigned char tag, const QString& s) { return bytes(tag, s.toUtf8()); }
    Spb& bytes(unsigned char tag, const QByteArray& v)
    {
        if (v.size() > 65535)
            detail::fail(QStringLiteral("Твърде дълъг параметър на услугата"));
        b_.push_back(tag);
        b_.push_back(static_cast<unsigned char>(v.size() & 0xFF));
        b_.push_back(static_cast<unsigned char>((v.size() >> 8) & 0xFF));
        b_.insert(b_.end(), v.begin(), v.end());
        return *this;
    }
    Spb& integer(unsigned char tag, unsigned v)
    {
        b_.push_back(tag);
        for (int i = 0; i < 4; ++i)
            b_.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Spb& byte(unsigned char tag, unsigned char v)
    {
        b_.push_back(tag);
        b_.push_back(v);
        return *this;
    }
    Spb& tag(unsigned char t)
    {
        b_.push_back(t);
        return *this;
    }
    const std::vector<unsigned char>& data() const { return b_; }

private:
    std::vector<unsigned char> b_;
};

unsigned readU16(const unsigned char* p)
{
    return unsigned(p[0]) | (unsigned(p[1]) << 8);
}

unsigned readU32(const unsigned char* p)
{
    return unsigned(p[0]) | (unsigned(p[1]) << 8) | (unsigned(p[2]) << 16) | (unsigned(p[3]) << 24);
}

QString decodeLine(const unsigned char* p, unsigned len)
{
    const QByteArray bytes(reinterpret_cast<const char*>(p), int(len));
    QStringDecoder dec(QStringDecoder::Utf8);
    QString s = dec(bytes);
    if (dec.hasError())
        return QString::fromLatin1(bytes);
    return s;
}

[[noreturn]] void malformedReply()
{
    detail::fail(QStringLiteral("Неразпознат отговор от услугата на сървъра"));
}

// Utilities that run as services print their failures into the output.
bool isErrorLine(const QString& line)
{
    return line.contains(QLatin1String("ERROR:"));
}

// An item's value with a 16-bit length in front, read from just after its
// tag; p moves past it.
struct Block {
    const unsigned char* data;
    unsigned size;
};

Block takeBlock(const unsigned char*& p, const unsigned char* end)
{
    if (end - p < 2)
        malformedReply();
    const unsigned len = readU16(p);
    p += 2;
    if (unsigned(end - p) < len)
        malformedReply();
    const Block b{p, len};
    p += len;
    return b;
}

unsigned takeU32(const unsigned char*& p, const unsigned char* end)
{
    if (end - p < 4)
        malformedReply();
    const unsigned v = readU32(p);
    p += 4;
    return v;
}

// One isc_info_svc_line item, read from just after its tag: a non-empty line
// goes to the output, and the first error line is kept. Answers whether a
// line was there.
bool takeLine(const unsigned char*& p, const unsigned char* end, QStringList& output, QString& error)
{
    const Block b = takeBlock(p, end);
    if (b.size == 0)
        return false;
    const QString line = decodeLine(b.data, b.size);
    output << line;
    if (error.isEmpty() && isErrorLine(line))
        error = line;
    return true;
}

// Reads one item of a reply from just after its tag; false for a tag it does
// not expect.
using ItemReader = std::function<bool(unsigned char tag, const unsigned char*& p, const unsigned char* end)>;

// One query of a running service: sends send (the service's standard input),
// asks for items, and hands every item of the reply to take. Answers whether
// the service has more to say (the reply was cut or its data was not ready).
bool queryService(Firebird::IService* svc, const std::vector<unsigned char>& send,
                  const std::vector<unsigned char>& items, std::vector<unsigned char>& reply, const ItemReader& take)
{
    Status st;
    svc->query(&st, unsigned(send.size()), send.empty() ? nullptr : send.data(), unsigned(items.size()),
               items.data(), unsigned(reply.size()), reply.data());
    st.check();
    const unsigned char* p = reply.data();
    const unsigned char* end = p + reply.size();
    bool more = false;
    while (p < end && *p != isc_info_end) {
        const unsigned char tag = *p++;
        if (tag == isc_info_truncated)
            return true; // nothing after it counts
        if (tag == isc_info_data_not_ready)
            more = true;
        else if (!take(tag, p, end))
            malformedReply();
    }
    return more;
}

}  // namespace

ServiceManager::ServiceManager(const ServiceParams& params)
{
    detail::Xpb spb(Firebird::IXpbBuilder::SPB_ATTACH);
    if (!params.user.isEmpty())
        spb.string(isc_spb_user_name, params.user);
    if (!params.password.isEmpty())
        spb.string(isc_spb_password, params.password);
    const QByteArray name = params.host.isEmpty() ? QByteArray("service_mgr")
                                                  : (params.host + QStringLiteral(":service_mgr")).toUtf8();
    Status st;
    Firebird::IService* svc = provider()->attachServiceManager(&st, name.constData(), spb.length(), spb.data());
    st.check();
    svc_ = svc;
}

ServiceManager::~ServiceManager()
{
    detach();
}

void ServiceManager::detach()
{
    if (!svc_)
        return;
    Status st;
    svc_->detach(&st);
    if (st.failed())
        svc_->release();
    svc_ = nullptr;
}

void ServiceManager::start(const std::vector<unsigned char>& spb)
{
    if (!svc_)
        detail::fail(QStringLiteral("Няма връзка с услугите на сървъра"));
    output_.clear();
    // An action that ended in a failure can still be winding down on the
    // server for a moment: the next one waits for it (five seconds at most)
    // instead of failing as busy.
    for (int attempt = 0;; ++attempt) {
        Status st;
        svc_->start(&st, unsigned(spb.size()), spb.data());
        try {
            st.check();
            return;
        } catch (const DbError& e) {
            if (attempt >= 250 || !e.hasGds(isc_svc_in_use))
                throw;
        }
        QThread::msleep(20);
    }
}

void ServiceManager::readTextToEnd()
{
    std::vector<unsigned char> reply(kReplySize);
    QString error;
    for (;;) {
        bool gotLine = false;
        const bool more = queryService(svc_, {}, {isc_info_svc_line}, reply,
                                       [&](unsigned char tag, const unsigned char*& p, const unsigned char* end) {
                                           if (tag != isc_info_svc_line)
                                               return false;
                                           gotLine = takeLine(p, end, output_, error) || gotLine;
                                           return true;
                                       });
        if (!gotLine && !more)
            break;
    }
    if (!error.isEmpty())
        throw DbError(output_.join(u'\n'));
}

QList<ServerUser> ServiceManager::users()
{
    start(Spb(isc_action_svc_display_user).data());

    // The list may come in several replies (truncated); gather it whole.
    QByteArray data;
    std::vector<unsigned char> reply(kReplySize);
    for (;;) {
        bool gotData = false;
        const bool more = queryService(svc_, {}, {isc_info_svc_get_users}, reply,
                                       [&](unsigned char tag, const unsigned char*& p, const unsigned char* end) {
                                           if (tag != isc_info_svc_get_users)
                                               return false;
                                           const Block b = takeBlock(p, end);
                                           data.append(reinterpret_cast<const char*>(b.data), int(b.size));
                                           gotData = gotData || b.size > 0;
                                           return true;
                                       });
        if (!more || !gotData)
            break;
    }

    QList<ServerUser> users;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const unsigned char* end = p + data.size();
    ServerUser* cur = nullptr;
    while (p < end) {
        const unsigned char tag = *p++;
        switch (tag) {
        case isc_spb_sec_username:
        case isc_spb_sec_firstname:
        case isc_spb_sec_middlename:
        case isc_spb_sec_lastname:
        case isc_spb_sec_groupname: {
            const Block b = takeBlock(p, end);
            const QString s = decodeLine(b.data, b.size);
            if (tag == isc_spb_sec_username) {
                users.append(ServerUser{});
                cur = &users.last();
                cur->name = s;
            } else if (cur) {
                if (tag == isc_spb_sec_firstname)
                    cur->firstName = s;
                else if (tag == isc_spb_sec_middlename)
                    cur->middleName = s;
                else if (tag == isc_spb_sec_lastname)
                    cur->lastName = s;
            }
            break;
        }
        case isc_spb_sec_userid:
        case isc_spb_sec_groupid:
        case isc_spb_sec_admin: {
            const unsigned v = takeU32(p, end);
            if (tag == isc_spb_sec_admin && cur)
                cur->admin = v != 0;
            break;
        }
        default:
            malformedReply();
        }
    }
    return users;
}

bool ServiceManager::hasUser(const QString& name)
{
    for (const ServerUser& u : users())
        if (u.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void ServiceManager::addUser(const QString& name, const QString& password)
{
    start(Spb(isc_action_svc_add_user)
              .string(isc_spb_sec_username, name)
              .string(isc_spb_sec_password, password)
              .data());
    readTextToEnd();
}

void ServiceManager::setUserPassword(const QString& name, const QString& password)
{
    start(Spb(isc_action_svc_modify_user)
              .string(isc_spb_sec_username, name)
              .string(isc_spb_sec_password, password)
              .data());
    readTextToEnd();
}

void ServiceManager::deleteUser(const QString& name)
{
    start(Spb(isc_action_svc_delete_user).string(isc_spb_sec_username, name).data());
    readTextToEnd();
}

void ServiceManager::backup(const QString& database, QIODevice& out)
{
    start(Spb(isc_action_svc_backup)
              .string(isc_spb_dbname, database)
              .string(isc_spb_bkp_file, QStringLiteral("stdout"))
              .data());

    std::vector<unsigned char> reply(kReplySize);
    for (;;) {
        unsigned got = 0;
        const bool more = queryService(
            svc_, {}, {isc_info_svc_to_eof}, reply,
            [&](unsigned char tag, const unsigned char*& p, const unsigned char* end) {
                if (tag != isc_info_svc_to_eof)
                    return false;
                const Block b = takeBlock(p, end);
                if (b.size > 0 && out.write(reinterpret_cast<const char*>(b.data), qint64(b.size)) != qint64(b.size)) {
                    // Let the service end before reporting: detach stops it.
                    detach();
                    detail::fail(QStringLiteral("Грешка при запис на архива: %1").arg(out.errorString()));
                }
                got += b.size;
                return true;
            });
        if (got == 0 && !more)
            break;
    }
}

void ServiceManager::restore(QIODevice& in, const QString& database, const RestoreOptions& options)
{
    unsigned flags = options.replace ? isc_spb_res_replace : isc_spb_res_create;
    if (options.deactivateIndexes)
        flags |= isc_spb_res_deactivate_idx;
    Spb spb(isc_action_svc_restore);
    spb.string(isc_spb_bkp_file, QStringLiteral("stdin"))
        .string(isc_spb_dbname, database)
        .integer(isc_spb_options, flags);
    if (options.pageSize > 0)
        spb.integer(isc_spb_res_page_size, unsigned(options.pageSize));
    start(spb.data());

    std::vector<unsigned char> reply(kReplySize);
    std::vector<unsigned char> send;
    QString error;
    for (;;) {
        bool gotLine = false;
        unsigned wanted = 0;
        const bool more = queryService(svc_, send, {isc_info_svc_stdin, isc_info_svc_line}, reply,
                                       [&](unsigned char tag, const unsigned char*& p, const unsigned char* end) {
                                           if (tag == isc_info_svc_stdin)
                                               wanted = takeU32(p, end);
                                           else if (tag == isc_info_svc_line)
                                               gotLine = takeLine(p, end, output_, error) || gotLine;
                                           else
                                               return false;
                                           return true;
                                       });
        send.clear();
        if (wanted > 0) {
            const qint64 n = std::min<qint64>(wanted, kStdinChunk);
            QByteArray chunk = in.read(n);
            if (chunk.isNull() && n > 0 && !in.atEnd()) {
                detach();
                detail::fail(QStringLiteral("Грешка при четене на архива: %1").arg(in.errorString()));
            }
            send.push_back(isc_info_svc_line);
            send.push_back(static_cast<unsigned char>(chunk.size() & 0xFF));
            send.push_back(static_cast<unsigned char>((chunk.size() >> 8) & 0xFF));
            send.insert(send.end(), chunk.begin(), chunk.end());
            continue;
        }
        if (!gotLine && !more)
            break;
    }
    if (!error.isEmpty())
        throw DbError(output_.join(u'\n'));
}

void ServiceManager::shutdown(const QString& database, ShutdownMethod method, int timeoutSeconds,
                              ShutdownMode mode)
{
    unsigned char modeByte = isc_spb_prp_sm_full;
    if (mode == ShutdownMode::Multi)
        modeByte = isc_spb_prp_sm_multi;
    else if (mode == ShutdownMode::Single)
        modeByte = isc_spb_prp_sm_single;
    unsigned char methodTag = isc_spb_prp_force_shutdown;
    if (method == ShutdownMethod::DenyAttachments)
        methodTag = isc_spb_prp_attachments_shutdown;
    else if (method == ShutdownMethod::DenyTransactions)
        methodTag = isc_spb_prp_transactions_shutdown;
    start(Spb(isc_action_svc_properties)
              .string(isc_spb_dbname, database)
              .byte(isc_spb_prp_shutdown_mode, modeByte)
              .integer(methodTag, unsigned(std::max(timeoutSeconds, 0)))
              .data());
    readTextToEnd();
}

void ServiceManager::bringOnline(const QString& database)
{
    start(Spb(isc_action_svc_properties)
              .string(isc_spb_dbname, database)
              .byte(isc_spb_prp_online_mode, isc_spb_prp_sm_normal)
              .data());
    readTextToEnd();
}

}  // namespace db
