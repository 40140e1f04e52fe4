#include "framework/data/dataset.h"

#include "framework/data/dbtransaction.h"

#include "db/attachment.h"
#include "db/db_value.h"
#include "db/named_params.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "framework/text/format.h"
#include "framework/text/formats.h"
#include "framework/text/win1251.h"

#include <QHash>

#include <algorithm>

#include <cmath>
#include <utility>

// ---------------------------------------------------------------------------
// Helpers

namespace {

bool isNullValue(const QVariant &v) { return !v.isValid() || v.isNull(); }

TFieldType fieldTypeOf(const db::ColumnInfo &c)
{
    switch (c.type) {
    case db::DbType::SmallInt:
    case db::DbType::Integer: return TFieldType::Integer;
    case db::DbType::BigInt: return TFieldType::LargeInt;
    case db::DbType::Numeric:
    case db::DbType::Float:
    case db::DbType::Double: return TFieldType::Float;
    case db::DbType::Char:
    case db::DbType::VarChar: return TFieldType::String;
    case db::DbType::Date: return TFieldType::Date;
    case db::DbType::Time: return TFieldType::Time;
    case db::DbType::Timestamp: return TFieldType::DateTime;
    case db::DbType::TextBlob: return TFieldType::Memo;
    case db::DbType::Blob: return TFieldType::Blob;
    case db::DbType::Boolean: return TFieldType::Boolean;
    case db::DbType::Unknown: break;
    }
    return TFieldType::Unknown;
}

QStringList splitNames(const QString &names)
{
    QStringList out;
    for (const QString &part : names.split(u';', Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

bool isNumericVariant(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// The plain text of a number: integers as they are, fractions in their
// shortest form, always with a decimal point.
QString plainNumber(double d)
{
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
        return QString::number(static_cast<qlonglong>(d));
    return QString::number(d, 'g', 15);
}

// The key of a value for comparisons and indexes (the value is already in
// the field's type).
QString keyOf(const QVariant &v)
{
    if (isNullValue(v))
        return QStringLiteral("\x01N");
    if (isNumericVariant(v))
        return u'#' + plainNumber(v.toDouble());
    switch (v.typeId()) {
    case QMetaType::QDate: return u'D' + v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime: return u'T' + v.toTime().toString(Qt::ISODateWithMs);
    case QMetaType::QDateTime: return u'S' + v.toDateTime().toString(Qt::ISODateWithMs);
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("#1") : QStringLiteral("#0");
    case QMetaType::QByteArray: return u'B' + QString::fromLatin1(v.toByteArray().toHex());
    default: return u'$' + v.toString();
    }
}

QString dataSetName(const TDataSet &ds)
{
    return ds.objectName().isEmpty() ? QStringLiteral("Dataset") : ds.objectName();
}

[[noreturn]] void fail(const TDataSet &ds, const QString &text)
{
    throw EDataSetError(dataSetName(ds) + QStringLiteral(": ") + text);
}

// Refuses text the database's code page cannot hold, before it is sent.
void checkWin1251(const QVariant &v)
{
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString();
        if (!IsWin1251Text(s))
            throw ENotWin1251(s);
    }
}

// Restores a value when the scope ends.
template <typename T>
class Restore
{
public:
    Restore(T &ref, T value) : m_ref(ref), m_old(ref) { m_ref = std::move(value); }
    ~Restore() { m_ref = std::move(m_old); }
    Restore(const Restore &) = delete;
    Restore &operator=(const Restore &) = delete;

private:
    T &m_ref;
    T m_old;
};

}  // namespace

// ---------------------------------------------------------------------------
// Errors

const QString EDataConflict::Text = QStringLiteral(
    "Записът е променен или зает от друг потребител. Опитайте отново след малко или откажете промените.");

EDataConflict::EDataConflict(const db::DbError &cause)
    : db::DbError(cause), m_message(Text), m_what(Text.toStdString())
{
}

namespace {

// Runs a statement that writes a row; a conflict with another station
// becomes EDataConflict.
template <typename Fn>
auto writeRow(Fn fn)
{
    try {
        return fn();
    } catch (const db::DbError &e) {
        if (e.isUpdateConflict() || e.isLockConflict())
            throw EDataConflict(e);
        throw;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Snapshot and index

struct TDataSetSnapshot {
    const TDataSet *owner = nullptr;
    TDataSetState state = TDataSetState::Inactive;
    int layout = 0;
    std::vector<QList<QVariant>> rows;
    int current = -1;
    bool bof = true, eof = true;
    QList<QVariant> edit, old;
    bool modified = false;
    int insertedRow = -1, beforeInsertRow = -1;
};

struct TDataSet::RowIndex {
    QString keyFields;  // upper case, as asked
    std::vector<TField *> fields;
    QHash<QString, int> rows;
};

// ---------------------------------------------------------------------------
// TField

TField::TField(TDataSet *dataSet, const QString &name, TFieldType type, TFieldKind kind, int size)
    : Size(size), m_dataSet(dataSet), m_name(name), m_type(type), m_kind(kind)
{
}

bool TField::IsNumeric() const
{
    return m_type == TFieldType::Integer || m_type == TFieldType::LargeInt || m_type == TFieldType::Float;
}

int TField::EffectiveDisplayWidth() const
{
    if (DisplayWidth > 0)
        return DisplayWidth;
    switch (m_type) {
    case TFieldType::String: return Size > 0 ? Size : 20;
    case TFieldType::Integer: return 10;
    case TFieldType::LargeInt: return 15;
    case TFieldType::Float: return 10;
    case TFieldType::Boolean: return 5;
    case TFieldType::Date: return 10;
    case TFieldType::Time: return 8;
    case TFieldType::DateTime: return 18;
    default: return 10;
    }
}

QVariant TField::Value() const
{
    const TDataSet::Row *row = m_dataSet->readRow();
    if (!row)
        return QVariant();
    if (m_kind == TFieldKind::Lookup)
        return m_dataSet->lookupValue(*this, *row);
    if (m_slot < 0 || m_slot >= row->size())
        return QVariant();
    return row->at(m_slot);
}

QVariant TField::OldValue() const
{
    TDataSet &ds = *m_dataSet;
    if (m_kind == TFieldKind::Lookup) {
        if (ds.m_state == TDataSetState::Edit)
            return ds.lookupValue(*this, ds.m_old);
        return QVariant();
    }
    if (m_slot < 0)
        return QVariant();
    if (ds.m_state == TDataSetState::Edit)
        return ds.m_old.value(m_slot);
    if (ds.m_state == TDataSetState::Insert)
        return QVariant();
    const TDataSet::Row *row = ds.readRow();
    return row ? row->value(m_slot) : QVariant();
}

bool TField::IsNull() const { return isNullValue(Value()); }

QVariant TField::Convert(const QVariant &value) const
{
    if (isNullValue(value))
        return QVariant();
    const auto bad = [&]() -> QVariant {
        fail(*m_dataSet, Format("\"%s\" is not a valid value for field \"%s\"", value.toString(), m_name));
    };
    switch (m_type) {
    case TFieldType::String:
    case TFieldType::Memo:
        switch (value.typeId()) {
        case QMetaType::QString: return value;
        case QMetaType::QDate: return FormatDate(value.toDate());
        case QMetaType::QDateTime: return FormatDateTime(value.toDateTime());
        case QMetaType::QTime: return FormatTime(value.toTime());
        case QMetaType::Double:
        case QMetaType::Float: return plainNumber(value.toDouble());
        case QMetaType::QByteArray: return FromWin1251(value.toByteArray());
        default: return value.toString();
        }
    case TFieldType::Integer:
    case TFieldType::LargeInt: {
        qlonglong n = 0;
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            bool ok = false;
            n = t.toLongLong(&ok);
            if (!ok) {
                const auto d = ParseNumber(t);
                if (!d || *d != std::floor(*d))
                    return bad();
                n = static_cast<qlonglong>(*d);
            }
        } else if (value.typeId() == QMetaType::Bool) {
            n = value.toBool() ? 1 : 0;
        } else if (isNumericVariant(value)) {
            const double d = value.toDouble();
            if (!std::isfinite(d))
                return bad();
            n = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float
                    ? std::llround(d)
                    : value.toLongLong();
        } else {
            return bad();
        }
        if (m_type == TFieldType::Integer) {
            if (n < INT32_MIN || n > INT32_MAX)
                return bad();
            return QVariant(static_cast<int>(n));
        }
        return QVariant(n);
    }
    case TFieldType::Float: {
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            const auto d = ParseNumber(t);
            if (!d)
                return bad();
            return QVariant(*d);
        }
        if (isNumericVariant(value) || value.typeId() == QMetaType::Bool)
            return QVariant(value.toDouble());
        return bad();
    }
    case TFieldType::Boolean: {
        if (value.typeId() == QMetaType::Bool)
            return value;
        if (isNumericVariant(value))
            return QVariant(value.toDouble() != 0);
        const QString t = value.toString().trimmed().toLower();
        if (t == u"1" || t == u"true")
            return QVariant(true);
        if (t == u"0" || t == u"false")
            return QVariant(false);
        if (t.isEmpty())
            return QVariant();
        return bad();
    }
    case TFieldType::Date: {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? value : QVariant();
        if (value.typeId() == QMetaType::QDateTime)
            return QVariant(value.toDateTime().date());
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            const QDate d = ParseDate(t);
            if (!d.isValid())
                return bad();
            return QVariant(d);
        }
        return bad();
    }
    case TFieldType::Time: {
        if (value.typeId() == QMetaType::QTime)
            return value;
        if (value.typeId() == QMetaType::QDateTime)
            return QVariant(value.toDateTime().time());
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            const QTime tm = ParseTime(t);
            if (!tm.isValid())
                return bad();
            return QVariant(tm);
        }
        return bad();
    }
    case TFieldType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime)
            return value;
        if (value.typeId() == QMetaType::QDate)
            return QVariant(QDateTime(value.toDate(), QTime(0, 0)));
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return QVariant();
            const QDateTime dt = ParseDateTime(t);
            if (!dt.isValid())
                return bad();
            return QVariant(dt);
        }
        return bad();
    }
    case TFieldType::Blob:
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        return bad();
    case TFieldType::Unknown:
        return value;
    }
    return value;
}

void TField::SetValue(const QVariant &value)
{
    TDataSet &ds = *m_dataSet;
    if (ds.m_calcRow) {
        if (m_kind != TFieldKind::Calculated)
            fail(ds, Format("field \"%s\" cannot be modified in OnCalcFields", m_name));
        (*ds.m_calcRow)[m_slot] = Convert(value);
        return;
    }
    if (!ds.IsEditing())
        fail(ds, QStringLiteral("dataset not in edit or insert mode"));
    if (m_kind == TFieldKind::Lookup || ReadOnly)
        fail(ds, Format("field \"%s\" cannot be modified", m_name));
    ds.m_edit[m_slot] = Convert(value);
    ds.fieldSet(*this);
}

QString TField::AsString() const { return FormatText(Value(), false); }

int TField::AsInteger() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const auto d = ParseNumber(v.toString());
        return d ? static_cast<int>(std::llround(*d)) : 0;
    }
    if (v.typeId() == QMetaType::Double)
        return static_cast<int>(std::llround(v.toDouble()));
    return v.toInt();
}

qlonglong TField::AsLargeInt() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const auto d = ParseNumber(v.toString());
        return d ? std::llround(*d) : 0;
    }
    if (v.typeId() == QMetaType::Double)
        return std::llround(v.toDouble());
    return v.toLongLong();
}

double TField::AsFloat() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return 0;
    if (v.typeId() == QMetaType::QString)
        return ParseNumber(v.toString()).value_or(0.0);
    return v.toDouble();
}

bool TField::AsBoolean() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return false;
    if (isNumericVariant(v))
        return v.toDouble() != 0;
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed().toLower();
        return t == u"1" || t == u"true";
    }
    return v.toBool();
}

QDate TField::AsDate() const
{
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate();
    case QMetaType::QDateTime: return v.toDateTime().date();
    case QMetaType::QString: return ParseDate(v.toString());
    default: return QDate();
    }
}

QTime TField::AsTime() const
{
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::QTime: return v.toTime();
    case QMetaType::QDateTime: return v.toDateTime().time();
    case QMetaType::QString: return ParseTime(v.toString());
    default: return QTime();
    }
}

QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::QDateTime: return v.toDateTime();
    case QMetaType::QDate: return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QString: return ParseDateTime(v.toString());
    default: return QDateTime();
    }
}

void TField::SetAsString(const QString &text)
{
    if (text.isEmpty() && m_type != TFieldType::String && m_type != TFieldType::Memo) {
        SetValue(QVariant());
        return;
    }
    if (text.isEmpty()) {
        SetValue(QVariant());
        return;
    }
    SetValue(text);
}

QString TField::FormatText(const QVariant &value, bool displayText) const
{
    if (isNullValue(value))
        return QString();
    const QString &format = displayText ? DisplayFormat : EditFormat;
    if (isNumericVariant(value)) {
        if (!format.isEmpty())
            return FormatFloatAs(format, value.toDouble());
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return plainNumber(value.toDouble());
        return QString::number(value.toLongLong());
    }
    switch (value.typeId()) {
    case QMetaType::QDate:
        return format.isEmpty() ? FormatDate(value.toDate()) : FormatDateAs(format, value.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!format.isEmpty())
            return FormatDateTimeAs(format, dt);
        return dt.time() == QTime(0, 0) ? FormatDate(dt.date()) : FormatDateTime(dt);
    }
    case QMetaType::QTime:
        return format.isEmpty() ? FormatTime(value.toTime())
                                : FormatDateTimeAs(format, QDateTime(QDate(1899, 12, 30), value.toTime()));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray:
        return QString();
    default:
        return value.toString();
    }
}

QString TField::DisplayText() const
{
    if (OnGetText)
        return OnGetText(const_cast<TField &>(*this), true);
    return FormatText(Value(), true);
}

QString TField::Text() const
{
    if (OnGetText)
        return OnGetText(const_cast<TField &>(*this), false);
    return FormatText(Value(), false);
}

void TField::SetText(const QString &text)
{
    if (OnSetText)
        OnSetText(*this, text);
    else
        SetAsString(text);
}

QVariant TField::ValueAt(int row) const
{
    TDataSet &ds = *m_dataSet;
    if (row < 0 || row >= int(ds.m_rows.size()))
        return QVariant();
    const TDataSet::Row *r = (row == ds.m_current && ds.IsEditing()) ? &ds.m_edit : &ds.m_rows[row];
    Restore<const TDataSet::Row *> guard(ds.m_readRow, r);
    return Value();
}

QString TField::DisplayTextAt(int row) const
{
    TDataSet &ds = *m_dataSet;
    if (row < 0 || row >= int(ds.m_rows.size()))
        return QString();
    const TDataSet::Row *r = (row == ds.m_current && ds.IsEditing()) ? &ds.m_edit : &ds.m_rows[row];
    Restore<const TDataSet::Row *> guard(ds.m_readRow, r);
    return DisplayText();
}

// ---------------------------------------------------------------------------
// TDataSet: set-up

TDataSet::TDataSet(QObject *parent) : QObject(parent) {}

TDataSet::~TDataSet()
{
    if (m_master)
        std::erase(m_master->m_details, this);
    for (TDataSet *d : m_details)
        d->m_master = nullptr;
    if (m_transaction)
        m_transaction->removeDataSet(this);
}

void TDataSet::SetTransaction(TDBTransaction *transaction)
{
    if (transaction == m_transaction)
        return;
    checkInactive("change the transaction of");
    if (m_transaction)
        m_transaction->removeDataSet(this);
    m_transaction = transaction;
    if (m_transaction)
        m_transaction->addDataSet(this);
}

void TDataSet::SetSelectSQL(const QString &sql)
{
    if (Active())
        Close();
    m_selectSQL = sql;
    const db::TranslatedSql t = db::translateNamedParams(sql);
    std::vector<std::unique_ptr<TParam>> params;
    for (const QString &name : t.positions) {
        if (name.isEmpty())
            continue;
        bool seen = false;
        for (const auto &p : params)
            seen = seen || p->Name() == name;
        if (seen)
            continue;
        auto p = std::make_unique<TParam>(name);
        if (TParam *old = FindParam(name))
            p->Value = old->Value;
        params.push_back(std::move(p));
    }
    m_params = std::move(params);
}

TParam *TDataSet::FindParam(const QString &name)
{
    const QString upper = name.trimmed().toUpper();
    for (const auto &p : m_params)
        if (p->Name() == upper)
            return p.get();
    return nullptr;
}

TParam &TDataSet::ParamByName(const QString &name)
{
    if (TParam *p = FindParam(name))
        return *p;
    fail(*this, Format("parameter \"%s\" not found", name));
}

TField &TDataSet::newField(const QString &name, TFieldType type, TFieldKind kind, int size)
{
    checkInactive("add fields to");
    if (FindField(name))
        fail(*this, Format("duplicate field name \"%s\"", name));
    auto f = std::make_unique<TField>(this, name, type, kind, size);
    f->m_persistent = true;
    f->m_index = int(m_fields.size());
    m_fields.push_back(std::move(f));
    return *m_fields.back();
}

TField &TDataSet::AddField(const QString &name, TFieldType type, int size)
{
    return newField(name, type, TFieldKind::Data, size);
}

TField &TDataSet::AddCalcField(const QString &name, TFieldType type, int size)
{
    return newField(name, type, TFieldKind::Calculated, size);
}

TField &TDataSet::AddLookupField(const QString &name, TFieldType type, const QString &keyFields,
                                 TDataSet *lookupDataSet, const QString &lookupKeyFields,
                                 const QString &lookupResultField, int size)
{
    TField &f = newField(name, type, TFieldKind::Lookup, size);
    f.KeyFields = keyFields;
    f.LookupDataSet = lookupDataSet;
    f.LookupKeyFields = lookupKeyFields;
    f.LookupResultField = lookupResultField;
    f.ReadOnly = true;
    return f;
}

void TDataSet::ClearFields()
{
    checkInactive("clear the fields of");
    m_fields.clear();
    m_slotCount = 0;
    invalidateIndexes();
}

TField *TDataSet::FindField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->m_name.compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

TField &TDataSet::FieldByName(const QString &name) const
{
    if (TField *f = FindField(name))
        return *f;
    fail(*this, Format("field \"%s\" not found", name));
}

void TDataSet::SetMasterSource(TDataSet *master)
{
    if (master == m_master)
        return;
    for (TDataSet *m = master; m; m = m->m_master)
        if (m == this)
            fail(*this, QStringLiteral("a dataset cannot be its own master"));
    if (m_master)
        std::erase(m_master->m_details, this);
    m_master = master;
    if (m_master)
        m_master->m_details.push_back(this);
}

// ---------------------------------------------------------------------------
// Checks and row access

void TDataSet::checkActive() const
{
    if (!Active())
        fail(*this, QStringLiteral("cannot perform this operation on a closed dataset"));
}

void TDataSet::checkInactive(const char *what) const
{
    if (Active())
        fail(*this, Format("cannot %s an open dataset", QString::fromLatin1(what)));
}

void TDataSet::checkTransaction() const
{
    if (!m_transaction)
        fail(*this, QStringLiteral("no transaction"));
    if (!m_transaction->Database().Connected())
        fail(*this, QStringLiteral("the database is not connected"));
}

const TDataSet::Row *TDataSet::readRow() const
{
    if (m_readRow)
        return m_readRow;
    if (IsEditing())
        return &m_edit;
    if (m_current >= 0 && m_current < int(m_rows.size()))
        return &m_rows[m_current];
    return nullptr;
}

bool TDataSet::IsEmpty() const { return m_rows.empty(); }
int TDataSet::RecordCount() const { return Active() ? int(m_rows.size()) : 0; }
int TDataSet::RecNo() const { return Active() && m_current >= 0 ? m_current + 1 : 0; }

QVariant TDataSet::ValueAt(int row, int field) const
{
    if (field < 0 || field >= int(m_fields.size()))
        return QVariant();
    return m_fields[field]->ValueAt(row);
}

// ---------------------------------------------------------------------------
// Calculated and lookup fields

void TDataSet::calcRow(Row &row, int rowIndex)
{
    Q_UNUSED(rowIndex);
    bool hasCalc = false;
    for (const auto &f : m_fields) {
        if (f->m_kind == TFieldKind::Calculated) {
            row[f->m_slot] = QVariant();
            hasCalc = true;
        }
    }
    if (!OnCalcFields || !hasCalc)
        return;
    Restore<Row *> calc(m_calcRow, &row);
    Restore<const Row *> read(m_readRow, &row);
    Restore<TDataSetState> state(m_state, TDataSetState::CalcFields);
    OnCalcFields(*this);
}

void TDataSet::calcAll()
{
    for (int i = 0; i < int(m_rows.size()); ++i)
        calcRow(m_rows[i], i);
}

QVariant TDataSet::lookupValue(const TField &field, const Row &row)
{
    TDataSet *other = field.LookupDataSet.data();
    if (!other || !other->Active())
        return QVariant();
    QVariantList values;
    for (const QString &name : splitNames(field.KeyFields)) {
        TField *key = FindField(name);
        if (!key || key->m_kind == TFieldKind::Lookup || key->m_slot < 0)
            return QVariant();
        values << row.value(key->m_slot);
    }
    const int r = other->FindRow(field.LookupKeyFields, values);
    if (r < 0)
        return QVariant();
    TField *result = other->FindField(field.LookupResultField);
    if (!result)
        return QVariant();
    Restore<const Row *> read(other->m_readRow, &other->m_rows[r]);
    return result->Value();
}

void TDataSet::invalidateIndexes() { m_indexes.clear(); }

int TDataSet::FindRow(const QString &keyFields, const QVariantList &values)
{
    if (!Active())
        return -1;
    const QString upper = keyFields.toUpper();
    RowIndex *index = nullptr;
    for (const auto &ix : m_indexes)
        if (ix->keyFields == upper)
            index = ix.get();
    if (!index) {
        auto ix = std::make_unique<RowIndex>();
        ix->keyFields = upper;
        for (const QString &name : splitNames(keyFields))
            ix->fields.push_back(&FieldByName(name));
        ix->rows.reserve(int(m_rows.size()));
        for (int r = 0; r < int(m_rows.size()); ++r) {
            Restore<const Row *> read(m_readRow, &m_rows[r]);
            QString key;
            for (TField *f : ix->fields)
                key += keyOf(f->Value()) + u'\x1f';
            if (!ix->rows.contains(key))
                ix->rows.insert(key, r);
        }
        m_indexes.push_back(std::move(ix));
        index = m_indexes.back().get();
    }
    if (values.size() != int(index->fields.size()))
        fail(*this, Format("%d key fields but %d values", int(index->fields.size()), int(values.size())));
    QString key;
    for (int i = 0; i < values.size(); ++i) {
        QVariant v;
        try {
            v = index->fields[i]->Convert(values[i]);
        } catch (const EDataSetError &) {
            return -1;  // a value the field cannot hold equals no row
        }
        key += keyOf(v) + u'\x1f';
    }
    return index->rows.value(key, -1);
}

// ---------------------------------------------------------------------------
// Notifications

void TDataSet::setState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    notifyState();
}

bool TDataSet::holdWhileDisabled()
{
    if (m_disableCount == 0)
        return false;
    m_heldChange = true;
    return true;
}

void TDataSet::notifyOpened()
{
    if (holdWhileDisabled())
        return;
    emit opened();
}

void TDataSet::notifyClosed()
{
    if (holdWhileDisabled())
        return;
    emit closed();
}

void TDataSet::notifyRefreshed()
{
    if (holdWhileDisabled())
        return;
    emit refreshed();
}

void TDataSet::notifyState()
{
    if (holdWhileDisabled())
        return;
    emit stateChanged();
}

void TDataSet::notifyRow()
{
    if (holdWhileDisabled())
        return;
    emit rowChanged();
    notifyDetails(false);
}

void TDataSet::notifyRowAndDetails()
{
    if (holdWhileDisabled())
        return;
    emit rowChanged();
    notifyDetails(true);
}

void TDataSet::notifyField(TField *field)
{
    if (holdWhileDisabled())
        return;
    emit fieldChanged(field);
}

void TDataSet::notifyInserted(int row)
{
    if (holdWhileDisabled())
        return;
    emit rowInserted(row);
}

void TDataSet::notifyRemoved(int row)
{
    if (holdWhileDisabled())
        return;
    emit rowRemoved(row);
}

void TDataSet::notifyUpdated(int row)
{
    if (holdWhileDisabled())
        return;
    emit rowUpdated(row);
}

void TDataSet::notifyDetails(bool force)
{
    if (holdWhileDisabled())
        return;
    // A copy: a detail may detach itself while it follows.
    const std::vector<TDataSet *> details = m_details;
    for (TDataSet *d : details)
        d->masterChanged(force);
}

void TDataSet::DisableControls() { ++m_disableCount; }

void TDataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0 || !m_heldChange)
        return;
    m_heldChange = false;
    if (Active())
        emit refreshed();
    else
        emit closed();
    emit stateChanged();
    emit rowChanged();
    notifyDetails(true);
}

void TDataSet::fieldSet(TField &field)
{
    m_modified = true;
    if (field.OnChange)
        field.OnChange(field);
    if (OnCalcFields && field.m_kind != TFieldKind::Calculated)
        calcRow(m_edit, m_current);
    notifyField(&field);
}

// ---------------------------------------------------------------------------
// Master and detail

void TDataSet::applyMasterParams()
{
    m_masterValues.clear();
    if (!m_master)
        return;
    for (const auto &p : m_params) {
        TField *f = m_master->FindField(p->Name());
        if (!f)
            continue;
        const QVariant v = m_master->Active() ? f->Value() : QVariant();
        p->Value = v;
        m_masterValues << v;
    }
}

void TDataSet::masterChanged(bool force)
{
    if (m_inMasterChange || !m_master)
        return;
    Restore<bool> guard(m_inMasterChange, true);
    if (!Active() || !m_master->Active())
        return;
    QVariantList values;
    for (const auto &p : m_params)
        if (TField *f = m_master->FindField(p->Name()))
            values << f->Value();
    if (!force && values.size() == m_masterValues.size()) {
        bool same = true;
        for (int i = 0; i < values.size() && same; ++i)
            same = keyOf(values[i]) == keyOf(m_masterValues[i]);
        if (same)
            return;
    }
    CheckBrowseMode();
    Close();
    Open();
}

// ---------------------------------------------------------------------------
// Open, close, fetch

void TDataSet::bindFields(const std::vector<db::ColumnInfo> &columns)
{
    // Column names, made unique the way a grid needs them.
    QStringList names;
    for (const db::ColumnInfo &c : columns) {
        QString name = c.alias.isEmpty() ? c.name : c.alias;
        if (name.isEmpty())
            name = QStringLiteral("COLUMN");
        QString unique = name;
        for (int n = 1; names.contains(unique, Qt::CaseInsensitive); ++n)
            unique = name + u'_' + QString::number(n);
        names << unique;
    }
    // Persistent data fields must be in the result.
    for (const auto &f : m_fields) {
        if (f->m_kind == TFieldKind::Data && f->m_persistent && !names.contains(f->m_name, Qt::CaseInsensitive))
            fail(*this, Format("field \"%s\" not found", f->m_name));
    }
    // Automatic fields of an earlier open whose column is gone are dropped.
    std::erase_if(m_fields, [&](const std::unique_ptr<TField> &f) {
        return f->m_kind == TFieldKind::Data && !f->m_persistent
               && !names.contains(f->m_name, Qt::CaseInsensitive);
    });
    for (int i = 0; i < int(columns.size()); ++i) {
        const db::ColumnInfo &c = columns[i];
        TField *f = FindField(names[i]);
        if (f && f->m_kind != TFieldKind::Data)
            fail(*this, Format("field \"%s\" is both a column and a calculated or lookup field", names[i]));
        if (!f) {
            m_fields.push_back(std::make_unique<TField>(this, names[i], fieldTypeOf(c), TFieldKind::Data,
                                                        int(c.charLength)));
            f = m_fields.back().get();
        } else if (!f->m_persistent) {
            f->m_type = fieldTypeOf(c);
            f->Size = int(c.charLength);
        } else if (f->Size == 0) {
            f->Size = int(c.charLength);
        }
        f->m_column = i;
        f->m_slot = i;  // a row holds the columns in their order, then the calculated fields
    }
    int slot = int(columns.size());
    for (int i = 0; i < int(m_fields.size()); ++i) {
        TField &f = *m_fields[i];
        f.m_index = i;
        if (f.m_kind == TFieldKind::Calculated)
            f.m_slot = slot++;
        else if (f.m_kind == TFieldKind::Lookup)
            f.m_slot = -1;
    }
    m_slotCount = slot;
}

void TDataSet::fetchRows(bool keepPosition)
{
    checkTransaction();
    if (m_master)
        applyMasterParams();
    db::Statement st(m_transaction->Database().Attachment(), m_transaction->Handle(), m_selectSQL);
    for (const QString &name : st.paramNames()) {
        const TParam *p = FindParam(name);
        const QVariant v = p ? p->Value : QVariant();
        checkWin1251(v);
        st.setParam(name, v);
    }
    std::vector<db::Row> fetched;
    {
        db::Cursor cursor = st.open();
        fetched = cursor.fetchAll();
    }
    m_transaction->StatementDone();
    const int oldCurrent = m_current;
    bindFields(st.columns());
    std::vector<Row> rows;
    rows.reserve(fetched.size());
    for (db::Row &r : fetched) {
        if (r.size() < m_slotCount)
            r.resize(m_slotCount);
        rows.push_back(std::move(r));
    }
    m_rows = std::move(rows);
    invalidateIndexes();
    m_edit.clear();
    m_old.clear();
    m_modified = false;
    if (m_rows.empty()) {
        m_current = -1;
        m_bof = m_eof = true;
    } else if (keepPosition && oldCurrent >= 0) {
        m_current = std::min(oldCurrent, int(m_rows.size()) - 1);
        m_bof = m_eof = false;
    } else {
        m_current = 0;
        m_bof = true;
        m_eof = false;
    }
}

void TDataSet::Open()
{
    if (Active())
        return;
    if (m_selectSQL.trimmed().isEmpty())
        fail(*this, QStringLiteral("there is no select statement"));
    checkTransaction();
    if (BeforeOpen)
        BeforeOpen(*this);
    try {
        fetchRows(false);
        m_state = TDataSetState::Browse;
        calcAll();
    } catch (...) {
        m_rows.clear();
        m_current = -1;
        m_bof = m_eof = true;
        m_state = TDataSetState::Inactive;
        invalidateIndexes();
        throw;
    }
    notifyState();
    notifyOpened();
    notifyRowAndDetails();
    if (AfterOpen)
        AfterOpen(*this);
    if (!m_rows.empty())
        doAfterScroll();
}

void TDataSet::Close()
{
    if (!Active())
        return;
    if (BeforeClose)
        BeforeClose(*this);
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_edit.clear();
    m_old.clear();
    m_modified = false;
    m_current = -1;
    m_bof = m_eof = true;
    m_insertedRow = m_beforeInsertRow = -1;
    invalidateIndexes();
    m_state = TDataSetState::Inactive;
    notifyState();
    notifyClosed();
    notifyDetails(false);
    if (AfterClose)
        AfterClose(*this);
}

void TDataSet::transactionEnded()
{
    try {
        Close();
    } catch (...) {
        // The transaction ends either way; a handler's failure cannot keep
        // rows that no longer have a transaction.
    }
    if (Active()) {
        m_rows.clear();
        m_current = -1;
        m_bof = m_eof = true;
        m_state = TDataSetState::Inactive;
        invalidateIndexes();
        notifyState();
        notifyClosed();
    }
}

void TDataSet::Refresh()
{
    checkActive();
    CheckBrowseMode();
    if (BeforeRefresh)
        BeforeRefresh(*this);
    fetchRows(true);
    calcAll();
    notifyRefreshed();
    notifyState();
    notifyRowAndDetails();
    if (AfterRefresh)
        AfterRefresh(*this);
}

TDataSet::Row TDataSet::readRefreshedRow(const Row &row, bool *found)
{
    *found = false;
    db::Statement st(m_transaction->Database().Attachment(), m_transaction->Handle(), m_refreshSQL);
    bindWriteParams(st, row, row);
    Row result = row;
    {
        db::Cursor cursor = st.open();
        if (cursor.fetch()) {
            *found = true;
            const auto &columns = st.columns();
            for (int i = 0; i < int(columns.size()); ++i) {
                const QString name = columns[i].alias.isEmpty() ? columns[i].name : columns[i].alias;
                TField *f = FindField(name);
                if (f && f->m_kind == TFieldKind::Data && f->m_slot >= 0)
                    result[f->m_slot] = cursor.value(i);
            }
        }
    }
    m_transaction->StatementDone();
    return result;
}

void TDataSet::RefreshRecord()
{
    checkActive();
    if (IsEditing())
        fail(*this, QStringLiteral("cannot refresh a row that is being edited"));
    if (m_refreshSQL.trimmed().isEmpty() || m_current < 0)
        return;
    checkTransaction();
    bool found = false;
    Row fresh = readRefreshedRow(m_rows[m_current], &found);
    invalidateIndexes();
    if (!found) {
        // Gone from the database (another station deleted it).
        const int gone = m_current;
        m_rows.erase(m_rows.begin() + gone);
        if (m_rows.empty()) {
            m_current = -1;
            m_bof = m_eof = true;
        } else {
            m_current = std::min(gone, int(m_rows.size()) - 1);
        }
        notifyRemoved(gone);
        notifyRow();
        return;
    }
    calcRow(fresh, m_current);
    m_rows[m_current] = std::move(fresh);
    notifyUpdated(m_current);
    notifyField(nullptr);
}

// ---------------------------------------------------------------------------
// Navigation

void TDataSet::doBeforeScroll()
{
    if (BeforeScroll)
        BeforeScroll(*this);
}

void TDataSet::doAfterScroll()
{
    if (AfterScroll)
        AfterScroll(*this);
}

void TDataSet::doScroll(int target)
{
    const bool moved = target != m_current;
    m_current = target;
    m_bof = m_eof = false;
    if (moved)
        notifyRow();
}

void TDataSet::First()
{
    checkActive();
    CheckBrowseMode();
    doBeforeScroll();
    if (!m_rows.empty())
        doScroll(0);
    m_bof = true;
    m_eof = m_rows.empty();
    doAfterScroll();
}

void TDataSet::Last()
{
    checkActive();
    CheckBrowseMode();
    doBeforeScroll();
    if (!m_rows.empty())
        doScroll(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
    doAfterScroll();
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance)
{
    checkActive();
    CheckBrowseMode();
    doBeforeScroll();
    int moved = 0;
    if ((distance > 0 && !m_eof) || (distance < 0 && !m_bof)) {
        const int count = int(m_rows.size());
        long long target = static_cast<long long>(m_current) + distance;
        bool eof = false, bof = false;
        if (target >= count) {
            target = count - 1;
            eof = true;
        }
        if (target < 0) {
            target = 0;
            bof = true;
        }
        moved = int(target) - m_current;
        doScroll(int(target));
        m_eof = eof;
        m_bof = bof;
        doAfterScroll();
    }
    return moved;
}

void TDataSet::SetRecNo(int recNo)
{
    checkActive();
    if (m_rows.empty())
        return;
    const int target = std::clamp(recNo, 1, int(m_rows.size())) - 1;
    if (target == m_current && !IsEditing())
        return;
    CheckBrowseMode();
    doBeforeScroll();
    doScroll(target);
    doAfterScroll();
}

bool TDataSet::Locate(const QString &fields, const QVariantList &values, TLocateOptions options)
{
    checkActive();
    CheckBrowseMode();
    const QStringList names = splitNames(fields);
    if (names.size() != values.size())
        fail(*this, Format("%d locate fields but %d values", int(names.size()), int(values.size())));
    int found = -1;
    if (options == 0) {
        found = FindRow(fields, values);
    } else {
        std::vector<TField *> fs;
        for (const QString &n : names)
            fs.push_back(&FieldByName(n));
        const Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (int r = 0; r < int(m_rows.size()) && found < 0; ++r) {
            Restore<const Row *> read(m_readRow, &m_rows[r]);
            bool all = true;
            for (int i = 0; i < int(fs.size()) && all; ++i) {
                const QVariant v = fs[i]->Value();
                const QVariant &want = values[i];
                if (isNullValue(want) || isNullValue(v)) {
                    all = isNullValue(want) && isNullValue(v);
                } else if (fs[i]->DataType() == TFieldType::String || fs[i]->DataType() == TFieldType::Memo
                           || want.typeId() == QMetaType::QString) {
                    const QString have = fs[i]->FormatText(v, false);
                    const QString w = want.toString();
                    all = (options & loPartialKey) ? have.startsWith(w, cs) : have.compare(w, cs) == 0;
                } else {
                    QVariant cw;
                    try {
                        cw = fs[i]->Convert(want);
                    } catch (const EDataSetError &) {
                        all = false;
                        break;
                    }
                    all = keyOf(v) == keyOf(cw);
                }
            }
            if (all)
                found = r;
        }
    }
    doBeforeScroll();
    if (found < 0)
        return false;
    doScroll(found);
    doAfterScroll();
    return true;
}

QVariant TDataSet::Lookup(const QString &keyFields, const QVariantList &values, const QString &resultFields)
{
    const int r = FindRow(keyFields, values);
    if (r < 0)
        return QVariant();
    const QStringList names = splitNames(resultFields);
    Restore<const Row *> read(m_readRow, &m_rows[r]);
    if (names.size() == 1)
        return FieldByName(names[0]).Value();
    QVariantList out;
    for (const QString &n : names)
        out << FieldByName(n).Value();
    return out;
}

// ---------------------------------------------------------------------------
// Editing

void TDataSet::CheckBrowseMode()
{
    checkActive();
    for (TDataSet *d : m_details)
        if (d->IsEditing())
            d->Post();
    if (IsEditing())
        Post();
}

void TDataSet::Insert()
{
    checkActive();
    CheckBrowseMode();
    if (BeforeInsert)
        BeforeInsert(*this);
    doBeforeScroll();
    const int pos = m_current < 0 ? 0 : m_current;
    m_beforeInsertRow = m_current;
    m_insertedRow = pos;
    m_rows.insert(m_rows.begin() + pos, Row(m_slotCount));
    invalidateIndexes();
    m_current = pos;
    m_bof = m_eof = false;
    m_edit = Row(m_slotCount);
    m_old = Row(m_slotCount);
    m_state = TDataSetState::Insert;
    try {
        if (OnNewRecord)
            OnNewRecord(*this);
        calcRow(m_edit, pos);
    } catch (...) {
        m_rows.erase(m_rows.begin() + pos);
        m_current = m_beforeInsertRow;
        m_insertedRow = m_beforeInsertRow = -1;
        m_edit.clear();
        m_old.clear();
        m_state = TDataSetState::Browse;
        m_bof = m_current <= 0;
        m_eof = m_rows.empty();
        invalidateIndexes();
        throw;
    }
    m_modified = false;
    notifyInserted(pos);
    notifyState();
    notifyRow();
    if (AfterInsert)
        AfterInsert(*this);
    doAfterScroll();
}

void TDataSet::Append()
{
    checkActive();
    CheckBrowseMode();
    if (BeforeInsert)
        BeforeInsert(*this);
    doBeforeScroll();
    const int pos = int(m_rows.size());
    m_beforeInsertRow = m_current;
    m_insertedRow = pos;
    m_rows.push_back(Row(m_slotCount));
    invalidateIndexes();
    m_current = pos;
    m_bof = m_eof = false;
    m_edit = Row(m_slotCount);
    m_old = Row(m_slotCount);
    m_state = TDataSetState::Insert;
    try {
        if (OnNewRecord)
            OnNewRecord(*this);
        calcRow(m_edit, pos);
    } catch (...) {
        m_rows.pop_back();
        m_current = m_beforeInsertRow;
        m_insertedRow = m_beforeInsertRow = -1;
        m_edit.clear();
        m_old.clear();
        m_state = TDataSetState::Browse;
        m_eof = m_rows.empty();
        invalidateIndexes();
        throw;
    }
    m_modified = false;
    notifyInserted(pos);
    notifyState();
    notifyRow();
    if (AfterInsert)
        AfterInsert(*this);
    doAfterScroll();
}

void TDataSet::Edit()
{
    checkActive();
    if (IsEditing())
        return;
    if (m_rows.empty()) {
        Insert();
        return;
    }
    if (BeforeEdit)
        BeforeEdit(*this);
    m_edit = m_rows[m_current];
    m_old = m_rows[m_current];
    m_modified = false;
    setState(TDataSetState::Edit);
    if (AfterEdit)
        AfterEdit(*this);
}

void TDataSet::checkRequired()
{
    for (const auto &f : m_fields) {
        if (f->m_kind != TFieldKind::Data || !f->Required)
            continue;
        const QVariant &v = m_edit[f->m_slot];
        if (isNullValue(v) || (v.typeId() == QMetaType::QString && v.toString().isEmpty()))
            throw EDataSetError(Format("Полето \"%s\" трябва да бъдe попълнено!", f->DisplayName()));
    }
}

void TDataSet::bindWriteParams(db::Statement &st, const Row &newValues, const Row &oldValues)
{
    for (const QString &name : st.paramNames()) {
        QVariant v;
        TField *f = nullptr;
        if (name.startsWith(u"OLD_") && (f = FindField(name.mid(4))) && f->m_slot >= 0) {
            v = oldValues.value(f->m_slot);
        } else if ((f = FindField(name)) && f->m_slot >= 0) {
            v = newValues.value(f->m_slot);
        } else if (TParam *p = FindParam(name)) {
            v = p->Value;
        } else if (TField *mf = m_master ? m_master->FindField(name) : nullptr) {
            v = mf->Value();
        } else {
            fail(*this, Format("parameter \"%s\" matches no field", name));
        }
        checkWin1251(v);
        st.setParam(name, v);
    }
}

void TDataSet::Post()
{
    checkActive();
    if (!IsEditing())
        return;
    for (TDataSet *d : m_details)
        if (d->IsEditing())
            d->Post();
    if (BeforePost)
        BeforePost(*this);
    checkRequired();
    const bool inserting = m_state == TDataSetState::Insert;
    const QString &sql = inserting ? m_insertSQL : m_modifySQL;
    if (sql.trimmed().isEmpty())
        fail(*this, inserting ? QStringLiteral("there is no insert statement")
                              : QStringLiteral("there is no modify statement"));
    checkTransaction();
    {
        db::Statement st(m_transaction->Database().Attachment(), m_transaction->Handle(), sql);
        bindWriteParams(st, m_edit, inserting ? Row(m_slotCount) : m_old);
        const std::uint64_t affected = writeRow([&] { return st.execute(); });
        m_transaction->StatementDone();
        if (!inserting && st.kind() == db::StatementKind::Update && affected == 0)
            throw EDataSetError(QStringLiteral(
                "Записът не е намерен в базата данни: друг потребител го е изтрил или е променил ключа му."));
    }
    // Stored. From here on the dataset is in browse state whatever follows.
    Row stored = m_edit;
    std::exception_ptr refreshError;
    if (!m_refreshSQL.trimmed().isEmpty()) {
        try {
            bool found = false;
            Row fresh = readRefreshedRow(stored, &found);
            if (found)
                stored = std::move(fresh);
        } catch (...) {
            refreshError = std::current_exception();
        }
    }
    const int row = inserting ? m_insertedRow : m_current;
    try {
        calcRow(stored, row);
    } catch (...) {
        if (!refreshError)
            refreshError = std::current_exception();
    }
    m_rows[row] = std::move(stored);
    m_current = row;
    invalidateIndexes();
    m_edit.clear();
    m_old.clear();
    m_modified = false;
    m_insertedRow = m_beforeInsertRow = -1;
    m_state = TDataSetState::Browse;
    notifyUpdated(row);
    notifyState();
    notifyField(nullptr);
    notifyDetails(false);
    if (refreshError)
        std::rethrow_exception(refreshError);
    if (AfterPost)
        AfterPost(*this);
}

void TDataSet::Cancel()
{
    if (!IsEditing())
        return;
    if (BeforeCancel)
        BeforeCancel(*this);
    if (!IsEditing())  // the handler may have posted
        return;
    if (m_state == TDataSetState::Insert) {
        const int pos = m_insertedRow;
        m_rows.erase(m_rows.begin() + pos);
        invalidateIndexes();
        const int back = m_beforeInsertRow;
        m_current = m_rows.empty() ? -1 : std::clamp(back, 0, int(m_rows.size()) - 1);
        m_bof = m_current <= 0;
        m_eof = m_rows.empty();
        m_edit.clear();
        m_old.clear();
        m_modified = false;
        m_insertedRow = m_beforeInsertRow = -1;
        m_state = TDataSetState::Browse;
        notifyRemoved(pos);
        notifyState();
        notifyRow();
    } else {
        m_edit.clear();
        m_old.clear();
        m_modified = false;
        m_state = TDataSetState::Browse;
        notifyState();
        notifyUpdated(m_current);
        notifyField(nullptr);
    }
    if (AfterCancel)
        AfterCancel(*this);
}

void TDataSet::Delete()
{
    checkActive();
    if (m_state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (m_rows.empty())
        fail(*this, QStringLiteral("cannot perform this operation on an empty dataset"));
    if (BeforeDelete)
        BeforeDelete(*this);
    doBeforeScroll();
    if (m_deleteSQL.trimmed().isEmpty())
        fail(*this, QStringLiteral("there is no delete statement"));
    checkTransaction();
    {
        const Row &row = m_rows[m_current];
        db::Statement st(m_transaction->Database().Attachment(), m_transaction->Handle(), m_deleteSQL);
        bindWriteParams(st, row, row);
        writeRow([&] { return st.execute(); });
        m_transaction->StatementDone();
    }
    const int gone = m_current;
    m_rows.erase(m_rows.begin() + gone);
    invalidateIndexes();
    m_edit.clear();
    m_old.clear();
    m_modified = false;
    if (m_rows.empty()) {
        m_current = -1;
        m_bof = m_eof = true;
    } else {
        m_current = std::min(gone, int(m_rows.size()) - 1);
        m_bof = m_eof = false;
    }
    m_state = TDataSetState::Browse;
    notifyRemoved(gone);
    notifyState();
    notifyRow();
    if (AfterDelete)
        AfterDelete(*this);
    doAfterScroll();
}

// ---------------------------------------------------------------------------
// Snapshots

std::shared_ptr<TDataSetSnapshot> TDataSet::TakeSnapshot() const
{
    auto s = std::make_shared<TDataSetSnapshot>();
    s->owner = this;
    s->state = m_state;
    s->layout = m_slotCount;
    s->rows = m_rows;
    s->current = m_current;
    s->bof = m_bof;
    s->eof = m_eof;
    s->edit = m_edit;
    s->old = m_old;
    s->modified = m_modified;
    s->insertedRow = m_insertedRow;
    s->beforeInsertRow = m_beforeInsertRow;
    return s;
}

void TDataSet::RestoreSnapshot(const TDataSetSnapshot &s)
{
    if (s.owner != this)
        fail(*this, QStringLiteral("a snapshot of another dataset"));
    if (s.state == TDataSetState::Inactive || s.layout != m_slotCount) {
        // Closed then, or reopened with other columns since: what it held
        // cannot be put back faithfully; closed is the honest state.
        if (s.state == TDataSetState::Inactive || Active())
            transactionEnded();
        return;
    }
    m_rows = s.rows;
    m_current = s.current;
    m_bof = s.bof;
    m_eof = s.eof;
    m_edit = s.edit;
    m_old = s.old;
    m_modified = s.modified;
    m_insertedRow = s.insertedRow;
    m_beforeInsertRow = s.beforeInsertRow;
    m_state = s.state;
    invalidateIndexes();
    notifyRefreshed();
    notifyState();
    if (m_disableCount > 0) {
        m_heldChange = true;
    } else {
        emit rowChanged();
    }
}
