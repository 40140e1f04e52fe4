#include "app/shared_ops.h"

#include "db/db_value.h"
#include "framework/data/basedm.h"
#include "framework/data/dataset.h"
#include "framework/data/dbtransaction.h"
#include "framework/text/business_utils.h"
#include "framework/text/format.h"
#include "framework/text/formats.h"

namespace {

// The contact data of one kind of owner: table and counter.
struct ContactTable
{
    const char *table;
    int counter;
};

constexpr ContactTable ClientContacts{"CONTACTINFO", 5};
constexpr ContactTable CarrierContacts{"KARVONEL_CONTACTINFO", 46};

QString lastContact(TBaseDM &dm, const ContactTable &t, int ownerId, int kind)
{
    const QVariant v = dm.QueryValue(
        Format("Select TEXT from %s where CONTACT_ID = %d  and (CONTACTINFO_TYPE_ID = %d) order by ID desc",
               t.table, ownerId, kind));
    return db::isNull(v) ? QString() : v.toString();
}

void addContact(TBaseDM &dm, const ContactTable &t, int ownerId, int kind, const QString &text)
{
    const QVariantMap params{{QStringLiteral("TEXT"), text}};
    const int existing = dm.QueryInteger(
        Format("select count(ID) from %s where CONTACT_ID = %d and CONTACTINFO_TYPE_ID = %d and TEXT = :TEXT",
               t.table, ownerId, kind),
        QString(), params);
    if (existing > 0)
        return;
    const int id = dm.GetCounterValue(t.counter);
    dm.ExecSQL(Format("insert into %s (ID, CONTACTINFO_TYPE_ID, CONTACT_ID, TEXT) values (%d, %d, %d, :TEXT)",
                      t.table, id, kind, ownerId),
               params);
}

void contactList(TBaseDM &dm, const ContactTable &t, int ownerId, int kind, QStringList &list)
{
    list.clear();
    const QString sql =
        kind == 1 ? Format("Select TEXT from %s where CONTACT_ID = %d  and CONTACTINFO_TYPE_ID in (1,2,3,6) "
                           "order by ID desc",
                           t.table, ownerId)
                  : Format("Select TEXT from %s where CONTACT_ID = %d  and CONTACTINFO_TYPE_ID = %d order by ID desc",
                           t.table, ownerId, kind);
    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(sql);
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        list.append(q.FieldByName(QStringLiteral("TEXT")).AsString());
    q.Close();
}

// One side of a deal's expected invoice entries.
struct EntrySide
{
    int ioType;
    const char *documentTable;  // where the freight is read
    const char *ownerColumn;    // the column of RFQ_INVOICES naming the owner
    const char *ownerTable;     // whose INVOICED is reset
};

constexpr EntrySide ClientSide{1, "RFQ_CONFIRM", "RFQ_LOADS_ID", "RFQ_LOADS"};
constexpr EntrySide CarrierSide{2, "RFQ", "RFQ_ID", "RFQ"};

bool hasPostedEntry(TBaseDM &dm, const EntrySide &s, int ownerId)
{
    return dm.QueryInteger(Format("select count(id) from RFQ_INVOICES where PDATE is not null and IO_TYPE=%d and %s=%d",
                                  s.ioType, s.ownerColumn, ownerId))
           > 0;
}

void deleteUnpostedEntries(TBaseDM &dm, const EntrySide &s, int ownerId)
{
    dm.ExecSQL(Format("delete from RFQ_INVOICES where PDATE is null and IO_TYPE=%d and %s=%d", s.ioType,
                      s.ownerColumn, ownerId));
}

// Steps 4 to 7: the freight of the document, the money rule, the new entry,
// the owner's invoicing state.
void insertPlannedEntry(TBaseDM &dm, const EntrySide &s, int documentId, int ownerId)
{
    const QVariant withVat =
        dm.QueryValue(Format("select WITH_VAT from %s where ID=%d", s.documentTable, documentId));
    const double net = roundx2(dm.QueryFloat(Format("select sum(PRICE) from %s where ID=%d", s.documentTable, documentId)));
    double amount = roundx2(
        dm.QueryFloat(Format("select sum(KV_CURRENCY_PAY_PRICE) from %s where ID=%d", s.documentTable, documentId)));
    int currency =
        dm.QueryInteger(Format("select sum(KV_CURRENCY_TYPE) from %s where ID=%d", s.documentTable, documentId));
    if (currency == 0) {
        amount = net;
        currency = CurrencyIdByCode(dm, QStringLiteral("BGN"));
    }
    const bool vatDue = !db::isNull(withVat) && withVat.toString() == QLatin1String("1");
    const double vat = vatDue ? roundx2(net * 0.2) : 0.0;
    const double total = roundx2(net + vat);

    const int id = dm.GetCounterValue(49);
    const int rfqId = s.ioType == 2 ? ownerId : 0;
    const int loadId = s.ioType == 1 ? ownerId : 0;
    // The amounts travel as numbers, never as text of the machine's locale.
    dm.ExecSQL(Format("insert into RFQ_INVOICES(ID,AMT,AMT_BG,VAT,AMT_TOTAL,CURRENCY,DUE_AMOUNT,PAID_AMOUNT,"
                      "RFQ_ID,RFQ_LOADS_ID,IO_TYPE) values(%d,:AMT,:AMT_BG,:VAT,:AMT_TOTAL,%d,:DUE_AMOUNT,0,%d,%d,%d)",
                      id, currency, rfqId, loadId, s.ioType),
               {{QStringLiteral("AMT"), amount},
                {QStringLiteral("AMT_BG"), net},
                {QStringLiteral("VAT"), vat},
                {QStringLiteral("AMT_TOTAL"), total},
                {QStringLiteral("DUE_AMOUNT"), total}});
    dm.ExecSQL(Format("update %s set INVOICED = 0 where ID = %d", s.ownerTable, ownerId));
}

QString textOf(const QVariant &v) { return db::isNull(v) ? QString() : v.toString(); }

QString dateText(const QVariant &v)
{
    if (db::isNull(v))
        return QString();
    if (v.typeId() == QMetaType::QDateTime)
        return FormatDate(v.toDateTime().date());
    return FormatDate(v.toDate());
}

void setCalc(TDataSet &q, const char *name, const QString &value)
{
    if (TField *f = q.FindField(QString::fromLatin1(name)))
        f->SetValue(value);
}

QVariant valueOf(TDataSet &q, const QString &name)
{
    const TField *f = q.FindField(name);
    return f ? f->Value() : QVariant();
}

}  // namespace

// ---------------------------------------------------------------------------
// Contact data

QString LastClientContact(TBaseDM &dm, int clientId, int kind)
{
    return lastContact(dm, ClientContacts, clientId, kind);
}

QString LastKarvonelContact(TBaseDM &dm, int carrierId, int kind)
{
    return lastContact(dm, CarrierContacts, carrierId, kind);
}

void AddClientContact(TBaseDM &dm, int clientId, int kind, const QString &text)
{
    addContact(dm, ClientContacts, clientId, kind, text);
}

void AddKarvonelContact(TBaseDM &dm, int carrierId, int kind, const QString &text)
{
    addContact(dm, CarrierContacts, carrierId, kind, text);
}

void ClientContactList(TBaseDM &dm, int clientId, int kind, QStringList &list)
{
    contactList(dm, ClientContacts, clientId, kind, list);
}

void KarvonelContactList(TBaseDM &dm, int carrierId, int kind, QStringList &list)
{
    contactList(dm, CarrierContacts, carrierId, kind, list);
}

// ---------------------------------------------------------------------------
// Recently used texts, terms, currencies

void RememberRecent(TBaseDM &dm, int list, const QString &text, int maximum)
{
    dm.ExecSQL(QStringLiteral("EXECUTE PROCEDURE UPDATE_MRU_ITEMS(:MRU_ID, :MRU_VAL, :MAX_VALS)"),
               {{QStringLiteral("MRU_ID"), list},
                {QStringLiteral("MRU_VAL"), text},
                {QStringLiteral("MAX_VALS"), maximum}});
    dm.IBTransaction.CommitRetaining();
}

QDate DueDate(TBaseDM &dm, int days, int kind, const QDate &start)
{
    if (!start.isValid())
        return QDate();
    if (kind != TermWorkingDays)
        return start.addDays(days);
    const QVariant v = dm.QueryValue(QStringLiteral("select TERM_DATE from CALC_TERM(:START_DATE, :WORKDAYS)"),
                                     QStringLiteral("TERM_DATE"),
                                     {{QStringLiteral("START_DATE"), start}, {QStringLiteral("WORKDAYS"), days}});
    return db::isNull(v) ? QDate() : v.toDate();
}

int CurrencyIdByCode(TBaseDM &dm, const QString &code)
{
    return dm.QueryInteger(QStringLiteral("select ID from CURRENCIES where type = :TYPE"), QString(),
                           {{QStringLiteral("TYPE"), code}});
}

// ---------------------------------------------------------------------------
// Expected invoice entries

void RefreshClientInvoiceEntry(TBaseDM &dm, int loadId)
{
    TUnitOfWork unit(dm.IBTransaction);
    const int confirmId = dm.QueryInteger(Format("select RFQ_ADDRESS_ID from RFQ_LOADS where ID=%d", loadId));
    if (confirmId == 0) {
        // No client document any more: no planned invoice may stay behind.
        deleteUnpostedEntries(dm, ClientSide, loadId);
        unit.Commit();
        return;
    }
    if (hasPostedEntry(dm, ClientSide, loadId)) {
        unit.Commit();
        return;
    }
    deleteUnpostedEntries(dm, ClientSide, loadId);
    insertPlannedEntry(dm, ClientSide, confirmId, loadId);
    unit.Commit();
}

void RefreshCarrierInvoiceEntry(TBaseDM &dm, int requestId)
{
    TUnitOfWork unit(dm.IBTransaction);
    if (hasPostedEntry(dm, CarrierSide, requestId)) {
        unit.Commit();
        return;
    }
    if (dm.QueryInteger(Format("select status from RFQ where ID=%d", requestId)) == 0) {
        // A pending request has no planned carrier invoice.
        deleteUnpostedEntries(dm, CarrierSide, requestId);
        unit.Commit();
        return;
    }
    deleteUnpostedEntries(dm, CarrierSide, requestId);
    insertPlannedEntry(dm, CarrierSide, requestId, requestId);
    unit.Commit();
}

// ---------------------------------------------------------------------------
// Cancelled requests

void RestoreCancelledRequest(TBaseDM &dm, int requestId)
{
    TUnitOfWork unit(dm.IBTransaction);
    for (;;) {
        const QVariant load =
            dm.QueryValue(Format("select ID from RFQ_LOADS where STATUS=4 and RFQ_ID=%d", requestId));
        if (db::isNull(load))
            break;
        const int loadId = load.toInt();
        const int confirmId = dm.QueryInteger(Format("select RFQ_ADDRESS_ID from RFQ_LOADS where ID=%d", loadId));
        if (confirmId != 0)
            dm.ExecSQL(Format("update RFQ_CONFIRM set STATUS = 1 where ID = %d and STATUS = 4", confirmId));
        if (dm.ExecSQL(Format("update RFQ_LOADS set STATUS = 1 where ID = %d", loadId)) == 0)
            break;  // the row is gone: nothing is left to take
    }
    dm.ExecSQL(Format("update RFQ set STATUS = 1 where ID = %d and STATUS = 4", requestId));
    unit.Commit();
}

// ---------------------------------------------------------------------------
// Calculated fields

QString CircularTripSuffix(const QVariant &id, const QVariant &roundId)
{
    if (db::isNull(id) || db::isNull(roundId))
        return QString();
    const qlonglong key = id.toLongLong();
    const qlonglong paired = roundId.toLongLong();
    if (paired == 0)
        return QString();
    if (key < paired)
        return QStringLiteral(" (I)");
    if (paired < key)
        return QStringLiteral(" (II)");
    return QString();
}

QString RfqNoDateText(const QVariant &rfqNo, const QVariant &rfqDate, const QString &suffix)
{
    return QStringLiteral("№") + textOf(rfqNo) + u'/' + dateText(rfqDate) + suffix;
}

QString RfqInfoText(const QVariant &rfqNo, const QVariant &rfqDate, const QVariant &carrierName,
                    const QVariant &price, const QVariant &deadline, const QString &suffix)
{
    QString deadlineText;
    if (!db::isNull(deadline)) {
        const QDate d = deadline.typeId() == QMetaType::QDateTime ? deadline.toDateTime().date() : deadline.toDate();
        if (d.isValid())
            deadlineText = Format("%.2d/%.2d/%.4d", d.day(), d.month(), d.year());
    }
    return RfqNoDateText(rfqNo, rfqDate, QString()) + QStringLiteral(", Превозвач:") + textOf(carrierName)
           + QStringLiteral(", Навло: ") + FormatMoney(db::isNull(price) ? 0.0 : price.toDouble())
           + QStringLiteral(", дата на дост.") + deadlineText + suffix;
}

QString TransportNumbers(const QVariant &truckPlate, const QVariant &trailerPlate)
{
    QString s = textOf(truckPlate);
    const QString trailer = textOf(trailerPlate);
    if (!trailer.isEmpty())
        s += u'/' + trailer;
    return s;
}

QString UserTypeText(const QVariant &userType)
{
    return !db::isNull(userType) && userType.toInt() == 1 ? QStringLiteral("А") : QStringLiteral("п");
}

QString NotifTypeText(const QVariant &notifType)
{
    if (db::isNull(notifType))
        return QString();
    switch (notifType.toInt()) {
    case 0: return QStringLiteral("Кредитно");
    case 1: return QStringLiteral("Дебитно");
    default: return QString();
    }
}

QString NationalityText(const QVariant &nationality)
{
    if (db::isNull(nationality))
        return QString();
    switch (nationality.toInt()) {
    case 1: return QStringLiteral("Български");
    case 2: return QStringLiteral("Чуждестранен");
    default: return QString();
    }
}

void CalcRfqFields(TDataSet &q, const QString &carrierNameField)
{
    const QString suffix =
        CircularTripSuffix(valueOf(q, QStringLiteral("ID")), valueOf(q, QStringLiteral("ROUND_ID")));
    const QVariant no = valueOf(q, QStringLiteral("RFQ_NO"));
    const QVariant date = valueOf(q, QStringLiteral("RFQ_DATE"));
    setCalc(q, "RFQ_INFO_D",
            RfqInfoText(no, date, valueOf(q, carrierNameField), valueOf(q, QStringLiteral("PRICE")),
                        valueOf(q, QStringLiteral("DEADLINE")), suffix));
    setCalc(q, "RFQ_NO_DATE_D", RfqNoDateText(no, date, suffix));
    setCalc(q, "TRANSPORT_NUMBERS",
            TransportNumbers(valueOf(q, QStringLiteral("TRUCK_REGISTRATION")),
                             valueOf(q, QStringLiteral("TRAILER_REGISTRATION"))));
}

void CalcUserFields(TDataSet &q) { setCalc(q, "IS_ADMIN", UserTypeText(valueOf(q, QStringLiteral("USER_TYPE")))); }

void CalcInvoiceFields(TDataSet &q)
{
    setCalc(q, "NOTIF_TYPE_D", NotifTypeText(valueOf(q, QStringLiteral("NOTIF_TYPE"))));
}

void InvoiceBeforePost(TDataSet &q)
{
    if (TField *f = q.FindField(QStringLiteral("IS_WAITING")); f && f->IsNull())
        f->SetValue(0);
}

void CalcNationalityField(TDataSet &q, const QString &nationalityField)
{
    setCalc(q, "BGINT_TYPE_D", NationalityText(valueOf(q, nationalityField)));
}
