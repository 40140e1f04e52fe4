#include "db/statement.h"

#include "db/attachment.h"
#include "db/fb_status.h"
#include "db/transaction.h"

#include <ibase.h>

#include <QDate>
#include <QDateTime>
#include <QStringDecoder>
#include <QTime>

#include <cmath>
#include <cstring>

namespace db {

using detail::Status;

namespace {

constexpr unsigned kCharsetNone = 0;
constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kCharsetUnicodeFss = 3;
constexpr unsigned kCharsetUtf8 = 4;

DbType typeOf(unsigned sqlType, int scale, int subType)
{
    switch (sqlType) {
    case SQL_SHORT: return scale < 0 ? DbType::Numeric : DbType::SmallInt;
    case SQL_LONG: return scale < 0 ? DbType::Numeric : DbType::Integer;
    case SQL_INT64: return scale < 0 ? DbType::Numeric : DbType::BigInt;
    case SQL_FLOAT: return DbType::Float;
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return DbType::Double;
    case SQL_TEXT: return DbType::Char;
    case SQL_VARYING: return DbType::VarChar;
    case SQL_TYPE_DATE: return DbType::Date;
    case SQL_TYPE_TIME: return DbType::Time;
    case SQL_TIMESTAMP: return DbType::Timestamp;
    case SQL_BLOB: return subType == 1 ? DbType::TextBlob : DbType::Blob;
    case SQL_BOOLEAN: return DbType::Boolean;
    default: return DbType::Unknown;
    }
}

std::vector<ColumnInfo> describe(Firebird::IMessageMetadata* meta)
{
    std::vector<ColumnInfo> out;
    Status st;
    const unsigned n = meta->getCount(&st);
    st.check();
    out.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        ColumnInfo c;
        c.name = QString::fromUtf8(meta->getField(&st, i));
        c.relation = QString::fromUtf8(meta->getRelation(&st, i));
        c.alias = QString::fromUtf8(meta->getAlias(&st, i));
        c.sqlType = int(meta->getType(&st, i) & ~1u);
        c.subType = meta->getSubType(&st, i);
        c.scale = meta->getScale(&st, i);
        c.length = meta->getLength(&st, i);
        c.charSet = int(meta->getCharSet(&st, i));
        c.nullable = meta->isNullable(&st, i);
        st.check();
        c.type = typeOf(unsigned(c.sqlType), c.scale, c.subType);
        if (c.type == DbType::Char || c.type == DbType::VarChar) {
            const unsigned cs = unsigned(c.charSet) & 0xFF;
            c.charLength = cs == kCharsetUtf8 ? c.length / 4 : cs == kCharsetUnicodeFss ? c.length / 3 : c.length;
        }
        out.push_back(std::move(c));
    }
    return out;
}

QString decodeText(const char* p, int len, unsigned charSet)
{
    if ((charSet & 0xFF) == kCharsetNone) {
        QStringDecoder dec(QStringDecoder::Utf8);
        QString s = dec(QByteArrayView(p, len));
        if (!dec.hasError())
            return s;
        return QString::fromLatin1(p, len);
    }
    return QString::fromUtf8(p, len);
}

double scaled(std::int64_t v, int scale)
{
    // Division by an exact power of ten gives the nearest double to the decimal.
    return double(v) / std::pow(10.0, -scale);
}

QDate toQDate(ISC_DATE d)
{
    unsigned y = 0, m = 0, day = 0;
    util()->decodeDate(d, &y, &m, &day);
    return QDate(int(y), int(m), int(day));
}

QTime toQTime(ISC_TIME t)
{
    unsigned h = 0, m = 0, s = 0, frac = 0;
    util()->decodeTime(t, &h, &m, &s, &frac);
    return QTime(int(h), int(m), int(s), int(frac / 10));
}

ISC_DATE fromQDate(const QDate& d)
{
    return util()->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
}

ISC_TIME fromQTime(const QTime& t)
{
    return util()->encodeTime(unsigned(t.hour()), unsigned(t.minute()), unsigned(t.second()),
                              unsigned(t.msec()) * 10);
}

QByteArray readBlob(Firebird::IAttachment* att, Firebird::ITransaction* tra, ISC_QUAD id)
{
    Status st;
    Firebird::IBlob* blob = att->openBlob(&st, tra, &id, 0, nullptr);
    st.check();
    QByteArray data;
    char buf[32768];
    for (;;) {
        unsigned got = 0;
        const int r = blob->getSegment(&st, sizeof buf, buf, &got);
        if (st.failed()) {
            blob->release();
            st.check();
        }
        if (r == Firebird::IStatus::RESULT_OK || r == Firebird::IStatus::RESULT_SEGMENT)
            data.append(buf, int(got));
        else
            break;  // RESULT_NO_DATA
    }
    blob->close(&st);
    if (st.failed()) {
        blob->release();
        st.check();
    }
    return data;
}

ISC_QUAD writeBlob(Firebird::IAttachment* att, Firebird::ITransaction* tra, const QByteArray& data, bool text)
{
    Status st;
    ISC_QUAD id{};
    // A text blob is written as UTF8 text, so that the server transliterates
    // it into the column's character set.
    const unsigned char textBpb[] = {isc_bpb_version1, isc_bpb_source_type, 1, 1,
                                     isc_bpb_source_interp, 1, kCharsetUtf8,
                                     isc_bpb_target_type, 1, 1};
    Firebird::IBlob* blob = text ? att->createBlob(&st, tra, &id, sizeof textBpb, textBpb)
                                 : att->createBlob(&st, tra, &id, 0, nullptr);
    st.check();
    constexpr int kChunk = 32768;
    for (int off = 0; off < data.size(); off += kChunk) {
        const int len = std::min<int>(kChunk, int(data.size()) - off);
        blob->putSegment(&st, unsigned(len), data.constData() + off);
        if (st.failed()) {
            blob->release();
            st.check();
        }
    }
    blob->close(&st);
    if (st.failed()) {
        blob->release();
        st.check();
    }
    return id;
}

bool isIntegerType(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

StatementKind kindOf(unsigned t)
{
    switch (t) {
    case isc_info_sql_stmt_select: return StatementKind::Select;
    case isc_info_sql_stmt_select_for_upd: return StatementKind::SelectForUpdate;
    case isc_info_sql_stmt_insert: return StatementKind::Insert;
    case isc_info_sql_stmt_update: return StatementKind::Update;
    case isc_info_sql_stmt_delete: return StatementKind::Delete;
    case isc_info_sql_stmt_ddl: return StatementKind::Ddl;
    case isc_info_sql_stmt_exec_procedure: return StatementKind::ExecProcedure;
    case isc_info_sql_stmt_set_generator: return StatementKind::SetGenerator;
    case isc_info_sql_stmt_savepoint: return StatementKind::Savepoint;
    default: return StatementKind::Other;
    }
}

}  // namespace

// ---------------------------------------------------------------- Statement

Statement::Statement(Attachment& att, Transaction& tr) : att_(&att), tr_(&tr)
{
    att_->add(this);
}

Statement::Statement(Attachment& att, Transaction& tr, const QString& sql) : Statement(att, tr)
{
    prepare(sql);
}

Statement::~Statement()
{
    release();
    if (att_)
        att_->remove(this);
}

void Statement::setTransaction(Transaction& tr)
{
    if (&tr.attachment() != att_)
        detail::fail(QStringLiteral("Транзакцията е на друга връзка с базата данни"));
    if (tr_ != &tr)
        closeCursor();
    tr_ = &tr;
}

namespace {
PrepareObserver& prepareObserver()
{
    static PrepareObserver observer;
    return observer;
}
}  // namespace

PrepareObserver setPrepareObserver(PrepareObserver observer)
{
    PrepareObserver previous = std::move(prepareObserver());
    prepareObserver() = std::move(observer);
    return previous;
}

void Statement::prepare(const QString& sql)
{
    release();
    sql_ = sql;
    if (prepareObserver())
        prepareObserver()(sql);
    translated_ = translateNamedParams(sql);
    names_.clear();
    for (const QString& n : translated_.positions)
        if (!n.isEmpty() && !names_.contains(n))
            names_ << n;

    if (!att_ || !att_->isAttached())
        detail::fail(QStringLiteral("Няма връзка с базата данни"));
    if (!tr_)
        detail::fail(QStringLiteral("Заявката няма транзакция"));

    const QByteArray text = translated_.sql.toUtf8();
    Status st;
    Firebird::IStatement* s = att_->handle()->prepare(&st, tr_->handle(), unsigned(text.size()), text.constData(), 3,
                                                      Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    st.check();
    stmt_ = s;
    try {
        kind_ = kindOf(stmt_->getType(&st));
        st.check();
        hasCursor_ = (stmt_->getFlags(&st) & Firebird::IStatement::FLAG_HAS_CURSOR) != 0;
        st.check();

        Firebird::IMessageMetadata* in = stmt_->getInputMetadata(&st);
        st.check();
        paramInfo_ = describe(in);
        in->release();
        params_.assign(paramInfo_.size(), Param{});
        if (!names_.isEmpty() && paramInfo_.size() != size_t(translated_.positions.size()))
            detail::fail(QStringLiteral("Параметрите на заявката не могат да бъдат разпознати: %1").arg(sql));

        outMeta_ = stmt_->getOutputMetadata(&st);
        st.check();
        columns_ = describe(outMeta_);
        const unsigned len = outMeta_->getMessageLength(&st);
        st.check();
        outBuffer_.assign(len, 0);
    } catch (...) {
        release();
        throw;
    }
}

void Statement::unprepare()
{
    release();
}

void Statement::release()
{
    closeCursor();
    if (outMeta_) {
        outMeta_->release();
        outMeta_ = nullptr;
    }
    if (stmt_) {
        Status st;
        stmt_->free(&st);
        if (st.failed())
            stmt_->release();
        stmt_ = nullptr;
    }
    kind_ = StatementKind::Unknown;
    hasCursor_ = false;
    columns_.clear();
    paramInfo_.clear();
    params_.clear();
    output_.clear();
}

void Statement::transactionGone()
{
    closeCursor();
    tr_ = nullptr;
}

void Statement::requirePrepared() const
{
    if (!stmt_)
        detail::fail(QStringLiteral("Заявката не е подготвена"));
    if (!tr_)
        detail::fail(QStringLiteral("Заявката няма транзакция"));
}

bool Statement::hasParam(const QString& name) const
{
    return names_.contains(name.toUpper());
}

void Statement::setParam(const QString& name, const DbValue& value)
{
    const QString upper = name.toUpper();
    bool found = false;
    for (int i = 0; i < translated_.positions.size() && size_t(i) < params_.size(); ++i) {
        if (translated_.positions[i] == upper) {
            params_[size_t(i)].value = value;
            found = true;
        }
    }
    if (!found)
        detail::fail(QStringLiteral("Заявката няма параметър \"%1\"").arg(name));
}

void Statement::setParam(int index, const DbValue& value)
{
    if (index < 0 || size_t(index) >= params_.size())
        detail::fail(QStringLiteral("Заявката няма параметър с номер %1").arg(index + 1));
    params_[size_t(index)].value = value;
}

DbValue Statement::param(const QString& name) const
{
    const QString upper = name.toUpper();
    for (int i = 0; i < translated_.positions.size() && size_t(i) < params_.size(); ++i)
        if (translated_.positions[i] == upper)
            return params_[size_t(i)].value;
    detail::fail(QStringLiteral("Заявката няма параметър \"%1\"").arg(name));
}

void Statement::clearParams()
{
    for (Param& p : params_)
        p.value = DbValue();
}

int Statement::columnIndex(const QString& name) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].alias.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

DbValue Statement::output(const QString& name) const
{
    const int i = columnIndex(name);
    if (i < 0 || i >= output_.size())
        detail::fail(QStringLiteral("Заявката няма поле \"%1\"").arg(name));
    return output_[i];
}

// Builds the input message in the types of the bound values; the server
// converts each one into the parameter's declared type.
Firebird::IMessageMetadata* Statement::buildInput(std::vector<unsigned char>& buffer)
{
    const unsigned n = unsigned(params_.size());
    if (n == 0)
        return nullptr;

    Status st;
    Firebird::IMetadataBuilder* b = master()->getMetadataBuilder(&st, n);
    st.check();

    struct Prepared {
        QByteArray bytes;  // text, blob content
        bool blob = false;
        bool text = false;
    };
    std::vector<Prepared> prep(n);

    auto setType = [&](unsigned i, unsigned type, unsigned length, int scale = 0, int subType = 0, unsigned cs = 0) {
        b->setType(&st, i, type | 1);
        b->setLength(&st, i, length);
        b->setScale(&st, i, scale);
        b->setSubType(&st, i, subType);
        b->setCharSet(&st, i, cs);
    };

    try {
        for (unsigned i = 0; i < n; ++i) {
            const DbValue& v = params_[i].value;
            const ColumnInfo& decl = paramInfo_[i];
            if (isNull(v)) {
                setType(i, SQL_LONG, 4);  // the server takes a NULL of any type
            } else if (decl.sqlType == SQL_BLOB) {
                Prepared& p = prep[i];
                p.blob = true;
                p.text = decl.subType == 1;
                if (v.typeId() == QMetaType::QByteArray)
                    p.bytes = v.toByteArray();
                else
                    p.bytes = v.toString().toUtf8();
                if (v.typeId() != QMetaType::QByteArray)
                    p.text = true;
                setType(i, SQL_BLOB, sizeof(ISC_QUAD), 0, p.text ? 1 : 0, p.text ? kCharsetUtf8 : 0);
            } else if (v.typeId() == QMetaType::Bool) {
                setType(i, SQL_BOOLEAN, 1);
            } else if (isIntegerType(v)) {
                setType(i, SQL_INT64, 8);
            } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
                setType(i, SQL_DOUBLE, 8);
            } else if (v.typeId() == QMetaType::QDate) {
                setType(i, SQL_TYPE_DATE, 4);
            } else if (v.typeId() == QMetaType::QTime) {
                setType(i, SQL_TYPE_TIME, 4);
            } else if (v.typeId() == QMetaType::QDateTime) {
                setType(i, SQL_TIMESTAMP, 8);
            } else if (v.typeId() == QMetaType::QByteArray) {
                prep[i].bytes = v.toByteArray();
                setType(i, SQL_VARYING, unsigned(std::max<qsizetype>(prep[i].bytes.size(), 1)), 0, 0, kCharsetOctets);
            } else if (v.canConvert<QString>()) {
                prep[i].bytes = v.toString().toUtf8();
                setType(i, SQL_VARYING, unsigned(std::max<qsizetype>(prep[i].bytes.size(), 1)), 0, 0, kCharsetUtf8);
            } else {
                detail::fail(QStringLiteral("Неподдържан тип на стойност на параметър %1").arg(i + 1));
            }
            st.check();
        }
    } catch (...) {
        b->release();
        throw;
    }

    Firebird::IMessageMetadata* meta = b->getMetadata(&st);
    b->release();
    st.check();

    try {
        const unsigned len = meta->getMessageLength(&st);
        st.check();
        buffer.assign(len, 0);
        for (unsigned i = 0; i < n; ++i) {
            const unsigned off = meta->getOffset(&st, i);
            const unsigned nullOff = meta->getNullOffset(&st, i);
            st.check();
            unsigned char* p = buffer.data() + off;
            auto* nullFlag = reinterpret_cast<short*>(buffer.data() + nullOff);
            const DbValue& v = params_[i].value;
            if (isNull(v)) {
                *nullFlag = -1;
                continue;
            }
            *nullFlag = 0;
            if (prep[i].blob) {
                const ISC_QUAD id = writeBlob(att_->handle(), tr_->handle(), prep[i].bytes, prep[i].text);
                std::memcpy(p, &id, sizeof id);
            } else if (v.typeId() == QMetaType::Bool) {
                *reinterpret_cast<FB_BOOLEAN*>(p) = v.toBool() ? FB_TRUE : FB_FALSE;
            } else if (isIntegerType(v)) {
                const std::int64_t x = v.toLongLong();
                std::memcpy(p, &x, sizeof x);
            } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
                const double x = v.toDouble();
                std::memcpy(p, &x, sizeof x);
            } else if (v.typeId() == QMetaType::QDate) {
                const ISC_DATE d = fromQDate(v.toDate());
                std::memcpy(p, &d, sizeof d);
            } else if (v.typeId() == QMetaType::QTime) {
                const ISC_TIME t = fromQTime(v.toTime());
                std::memcpy(p, &t, sizeof t);
            } else if (v.typeId() == QMetaType::QDateTime) {
                const QDateTime dt = v.toDateTime();
                ISC_TIMESTAMP ts;
                ts.timestamp_date = fromQDate(dt.date());
                ts.timestamp_time = fromQTime(dt.time());
                std::memcpy(p, &ts, sizeof ts);
            } else {
                const QByteArray& bytes = prep[i].bytes;
                const auto len16 = static_cast<unsigned short>(bytes.size());
                if (bytes.size() > 32765)
                    detail::fail(QStringLiteral("Стойността на параметър %1 е твърде дълга").arg(i + 1));
                std::memcpy(p, &len16, sizeof len16);
                std::memcpy(p + sizeof len16, bytes.constData(), size_t(bytes.size()));
            }
        }
    } catch (...) {
        meta->release();
        throw;
    }
    return meta;
}

Row Statement::readRow(const unsigned char* buffer)
{
    Row row;
    row.reserve(qsizetype(columns_.size()));
    Status st;
    for (unsigned i = 0; i < columns_.size(); ++i) {
        const ColumnInfo& c = columns_[i];
        const unsigned off = outMeta_->getOffset(&st, i);
        const unsigned nullOff = outMeta_->getNullOffset(&st, i);
        st.check();
        if (*reinterpret_cast<const short*>(buffer + nullOff) != 0) {
            row << DbValue();
            continue;
        }
        const unsigned char* p = buffer + off;
        switch (unsigned(c.sqlType)) {
        case SQL_SHORT: {
            std::int16_t v;
            std::memcpy(&v, p, sizeof v);
            row << (c.scale < 0 ? DbValue(scaled(v, c.scale)) : DbValue(int(v)));
            break;
        }
        case SQL_LONG: {
            std::int32_t v;
            std::memcpy(&v, p, sizeof v);
            row << (c.scale < 0 ? DbValue(scaled(v, c.scale)) : DbValue(int(v)));
            break;
        }
        case SQL_INT64: {
            std::int64_t v;
            std::memcpy(&v, p, sizeof v);
            row << (c.scale < 0 ? DbValue(scaled(v, c.scale)) : DbValue(qlonglong(v)));
            break;
        }
        case SQL_FLOAT: {
            float v;
            std::memcpy(&v, p, sizeof v);
            row << DbValue(double(v));
            break;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double v;
            std::memcpy(&v, p, sizeof v);
            row << DbValue(v);
            break;
        }
        case SQL_TEXT: {
            const char* s = reinterpret_cast<const char*>(p);
            int len = int(c.length);
            if ((unsigned(c.charSet) & 0xFF) == kCharsetOctets) {
                row << DbValue(QByteArray(s, len));
                break;
            }
            while (len > 0 && s[len - 1] == ' ')
                --len;
            row << DbValue(decodeText(s, len, unsigned(c.charSet)));
            break;
        }
        case SQL_VARYING: {
            unsigned short len;
            std::memcpy(&len, p, sizeof len);
            const char* s = reinterpret_cast<const char*>(p + sizeof len);
            if ((unsigned(c.charSet) & 0xFF) == kCharsetOctets)
                row << DbValue(QByteArray(s, len));
            else
                row << DbValue(decodeText(s, len, unsigned(c.charSet)));
            break;
        }
        case SQL_TYPE_DATE: {
            ISC_DATE d;
            std::memcpy(&d, p, sizeof d);
            row << DbValue(toQDate(d));
            break;
        }
        case SQL_TYPE_TIME: {
            ISC_TIME t;
            std::memcpy(&t, p, sizeof t);
            row << DbValue(toQTime(t));
            break;
        }
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, p, sizeof ts);
            row << DbValue(QDateTime(toQDate(ts.timestamp_date), toQTime(ts.timestamp_time)));
            break;
        }
        case SQL_BLOB: {
            ISC_QUAD id;
            std::memcpy(&id, p, sizeof id);
            const QByteArray data = readBlob(att_->handle(), tr_->handle(), id);
            if (c.subType == 1)
                row << DbValue(decodeText(data.constData(), int(data.size()), unsigned(c.charSet)));
            else
                row << DbValue(data);
            break;
        }
        case SQL_BOOLEAN:
            row << DbValue(*p != 0);
            break;
        default:
            row << DbValue();
            break;
        }
    }
    return row;
}

std::uint64_t Statement::execute()
{
    requirePrepared();
    if (hasCursor_) {
        // A select run as a single statement: its first row becomes the output.
        Cursor c = open();
        output_ = c.fetch() ? c.row() : Row();
        return 0;
    }
    output_.clear();
    std::vector<unsigned char> inBuffer;
    Firebird::IMessageMetadata* inMeta = buildInput(inBuffer);
    Status st;
    const bool hasOutput = !columns_.empty();
    stmt_->execute(&st, tr_->handle(), inMeta, inMeta ? inBuffer.data() : nullptr,
                   hasOutput ? outMeta_ : nullptr, hasOutput ? outBuffer_.data() : nullptr);
    if (inMeta)
        inMeta->release();
    st.check();
    if (hasOutput)
        output_ = readRow(outBuffer_.data());
    const std::uint64_t affected = stmt_->getAffectedRecords(&st);
    if (st.failed())
        return 0;
    return affected;
}

Cursor Statement::open()
{
    requirePrepared();
    if (!hasCursor_)
        detail::fail(QStringLiteral("Заявката не връща редове: %1").arg(sql_));
    closeCursor();
    std::vector<unsigned char> inBuffer;
    Firebird::IMessageMetadata* inMeta = buildInput(inBuffer);
    Status st;
    Firebird::IResultSet* rs = stmt_->openCursor(&st, tr_->handle(), inMeta, inMeta ? inBuffer.data() : nullptr,
                                                 outMeta_, 0);
    if (inMeta)
        inMeta->release();
    st.check();
    Cursor c;
    c.st_ = this;
    c.rs_ = rs;
    cursor_ = &c;  // updated when the cursor object moves
    return c;
}

void Statement::closeCursor()
{
    if (cursor_)
        cursor_->close();
}

// ---------------------------------------------------------------- Cursor

Cursor::Cursor(Cursor&& other) noexcept : st_(other.st_), rs_(other.rs_), row_(std::move(other.row_))
{
    other.st_ = nullptr;
    other.rs_ = nullptr;
    if (st_ && st_->cursor_ == &other)
        st_->cursor_ = this;
}

Cursor& Cursor::operator=(Cursor&& other) noexcept
{
    if (this != &other) {
        close();
        st_ = other.st_;
        rs_ = other.rs_;
        row_ = std::move(other.row_);
        other.st_ = nullptr;
        other.rs_ = nullptr;
        if (st_ && st_->cursor_ == &other)
            st_->cursor_ = this;
    }
    return *this;
}

Cursor::~Cursor()
{
    close();
}

void Cursor::close()
{
    if (rs_) {
        Status st;
        rs_->close(&st);
        if (st.failed())
            rs_->release();
        rs_ = nullptr;
    }
    if (st_ && st_->cursor_ == this)
        st_->cursor_ = nullptr;
    st_ = nullptr;
}

bool Cursor::fetch()
{
    if (!rs_)
        return false;
    Status st;
    const int r = rs_->fetchNext(&st, st_->outBuffer_.data());
    st.check();
    if (r != Firebird::IStatus::RESULT_OK) {
        row_.clear();
        close();
        return false;
    }
    row_ = st_->readRow(st_->outBuffer_.data());
    return true;
}

DbValue Cursor::value(int column) const
{
    if (column < 0 || column >= row_.size())
        detail::fail(QStringLiteral("Няма поле с номер %1").arg(column + 1));
    return row_[column];
}

DbValue Cursor::value(const QString& name) const
{
    const int i = st_ ? st_->columnIndex(name) : -1;
    if (i < 0 || i >= row_.size())
        detail::fail(QStringLiteral("Няма поле \"%1\"").arg(name));
    return row_[i];
}

const std::vector<ColumnInfo>& Cursor::columns() const
{
    static const std::vector<ColumnInfo> none;
    return st_ ? st_->columns_ : none;
}

std::vector<Row> Cursor::fetchAll()
{
    std::vector<Row> rows;
    while (fetch())
        rows.push_back(row_);
    return rows;
}

void Cursor::detach()
{
    close();
}

}  // namespace db
