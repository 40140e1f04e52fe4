#include "masterdata/masterdata_dm.h"

#include "framework/data/startup.h"
#include "framework/data/users.h"
#include "framework/text/abort.h"
#include "framework/text/format.h"
#include "masterdata/table_statements.h"

#include "db/db_value.h"

const QString TMasterDataDM::InUseText =
    QStringLiteral("Записът не може да бъде изтрит, тъй като се използва от %d свързани записа!");

namespace {

// Change notices: what happened, and to which kind of data (the kinds the
// form framework's notices carry).
constexpr int naPosted = 1;
constexpr int naDeleted = 2;
constexpr int nkCountries = 0;
constexpr int nkCities = 1;
constexpr int nkClients = 2;
constexpr int nkActivityTypes = 4;
constexpr int nkCarriers = 5;
constexpr int nkContactDataTypes = 7;
constexpr int nkTruckTypes = 9;
constexpr int nkRequests = 13;

// The select statements.
const char *const ClientsSelect =
    "select\n"
    "cl.*, c1.code CTRY_CODE, c1.name CTRY_NAME,\n"
    "c2.code crel1, c3.code crel2, c4.code crel3,\n"
    "ct.post_code CTY_PCODE , ct.name CTY_NAME\n"
    "from CLIENTS cl\n"
    "LEFT JOIN COUNTRIES c1 on (c1.id = cl.country)\n"
    "LEFT JOIN COUNTRIES c2 on (c2.id = cl.ctry_rel1)\n"
    "LEFT JOIN COUNTRIES c3 on (c3.id = cl.ctry_rel2)\n"
    "LEFT JOIN COUNTRIES c4 on (c4.id = cl.ctry_rel3)\n"
    "LEFT JOIN cities ct on (ct.id = cl.city)\n"
    "%s\n"
    "Order by cl.NAME";

const char *const KarvonelsSelect =
    "select\n"
    "s.*, c1.code CTRY_CODE, c1.name CTRY_NAME, ct.post_code CTY_PCODE,\n"
    "ct.name CTY_NAME, c2.code crel1, c3.code crel2, c4.code crel3\n"
    "from KARVONELS s\n"
    "LEFT OUTER JOIN countries c1 on (c1.id = s.country)\n"
    "LEFT OUTER JOIN cities ct on (ct.id = s.city)\n"
    "LEFT OUTER JOIN countries c2 on (c2.id = s.ctry_rel1)\n"
    "LEFT OUTER JOIN countries c3 on (c3.id = s.ctry_rel2)\n"
    "LEFT OUTER JOIN countries c4 on (c4.id = s.ctry_rel3)\n"
    "%s\n"
    "Order by s.NAME";

const char *const DouanesSelect =
    "select d.*, c.NAME CTRY_NAME, ct.POST_CODE CTY_PCODE, ct.NAME CTY_NAME\n"
    "from DOUANES d\n"
    "left outer join COUNTRIES c on (c.ID = d.COUNTRY_ID)\n"
    "left outer join CITIES ct on (ct.ID = d.CITY_ID)\n"
    "%s\n"
    "Order by d.ID";

const char *const RfqSelect =
    "select rfq.*, s.NAME KARVONEL_D, c1.NAME OWNER_CLIENT_D, c2.NAME RECV_CLIENT_D\n"
    "from RFQ rfq\n"
    "left outer join KARVONELS s on (s.ID = rfq.KARVONEL_ID)\n"
    "left outer join CLIENTS c1 on (c1.ID = rfq.OWNER_CLIENT_ID)\n"
    "left outer join CLIENTS c2 on (c2.ID = rfq.RECV_CLIENT_ID)\n"
    "%s\n"
    "Order by rfq.ID";

const char *const CitiesColumns = "select ID, COUNTRY_ID, NAME,NAME_ENG, POST_CODE from CITIES ";

QString joined(const char *pattern, const char *where) { return Format(QString::fromUtf8(pattern), where); }

// The base table of each lookup (empty: the dataset has its statements) and
// its refresh statement (empty: by ID).
struct TLookupTable
{
    TDataSet *dataSet;
    QString table;
    QString refresh;
};

void label(TDataSet &ds, const char *field, const char *caption)
{
    if (TField *f = ds.FindField(QString::fromLatin1(field)))
        f->DisplayLabel = QString::fromUtf8(caption);
}

void hide(TDataSet &ds, const char *field)
{
    if (TField *f = ds.FindField(QString::fromLatin1(field)))
        f->Visible = false;
}

void require(TDataSet &ds, const char *field)
{
    if (TField *f = ds.FindField(QString::fromLatin1(field)))
        f->Required = true;
}

}  // namespace

TMasterDataDM::TMasterDataDM(QObject *parent) : TBaseDM(parent) { SetupDataSets(); }

TMasterDataDM::~TMasterDataDM() { CloseLookups(); }

std::vector<TDataSet *> TMasterDataDM::Lookups()
{
    return {&qCountries, &qCountries1, &qActivityTypes, &qTruckTypes, &qContactInfoTypes, &qCities,
            &qCities1,   &qNeghbourhood, &qClients,     &qKarvonels,  &qDouanes,          &qUsers,
            &qRFQ,       &qInvoices,   &qCurrencies,    &qIntInvoices, &qChargeTypes};
}

void TMasterDataDM::SetupDataSets()
{
    const auto init = [this](TDataSet &ds, const char *name, const QString &sql) {
        ds.setObjectName(QString::fromLatin1(name));
        ds.SetTransaction(&IBTransaction);
        ds.SetSelectSQL(sql);
    };
    init(qCountries, "qCountries", QStringLiteral("select * from COUNTRIES\norder by CODE"));
    qCountries.Tag = 5;
    init(qCountries1, "qCountries1", QStringLiteral("select * from COUNTRIES order by NAME"));
    init(qActivityTypes, "qActivityTypes", QStringLiteral("select * from ACTIVITY_TYPES Order by NAME"));
    init(qTruckTypes, "qTruckTypes", QStringLiteral("select * from TRUCK_TYPES"));
    qTruckTypes.Tag = 1;
    init(qContactInfoTypes, "qContactInfoTypes", QStringLiteral("select * from CONTACTINFO_TYPES Order by ID"));
    init(qCities, "qCities", QString::fromLatin1(CitiesColumns) + QStringLiteral("where (1=1) Order by NAME"));
    init(qCities1, "qCities1",
         QString::fromLatin1(CitiesColumns) + QStringLiteral("where COUNTRY_ID = :COUNTRY and (1=1) Order by NAME"));
    init(qNeghbourhood, "qNeghbourhood",
         QStringLiteral("select COUNTRY_1, COUNTRY_2, ID, RADIUS from COUNTRY_NEIGHBOURING"));
    init(qClients, "qClients", joined(ClientsSelect, "where (1=1)"));
    init(qKarvonels, "qKarvonels", joined(KarvonelsSelect, "where (1=1)"));
    init(qDouanes, "qDouanes", joined(DouanesSelect, "where (1=1)"));
    // The user list with its statements and IS_ADMIN.
    qUsers.setObjectName(QStringLiteral("qUsers"));
    users::SetupUsersDataSet(qUsers, IBTransaction);
    init(qRFQ, "qRFQ", joined(RfqSelect, "where ((rfq.is_disabled is null) or (rfq.is_disabled = 0))"));
    init(qInvoices, "qInvoices", QStringLiteral("select * from INVOICES where (1=1) order by IDATE, NUMBER"));
    init(qCurrencies, "qCurrencies", QStringLiteral("select * from CURRENCIES Order by ID"));
    qCurrencies.Tag = 2;
    init(qIntInvoices, "qIntInvoices", QStringLiteral("Select * from INT_INVOICE Order by ID"));
    init(qChargeTypes, "qChargeTypes", QStringLiteral("select * from LOAD_CHARGE_TYPES Order by NAME"));

    // The neighbouring countries by name.
    TField &c1 = qNeghbourhood.AddLookupField(QStringLiteral("COUNTRY_1_D"), TFieldType::String,
                                              QStringLiteral("COUNTRY_1"), &qCountries, QStringLiteral("ID"),
                                              QStringLiteral("NAME"), 25);
    c1.DisplayLabel = QStringLiteral("Държава");
    TField &c2 = qNeghbourhood.AddLookupField(QStringLiteral("COUNTRY_2_D"), TFieldType::String,
                                              QStringLiteral("COUNTRY_2"), &qCountries, QStringLiteral("ID"),
                                              QStringLiteral("NAME"), 25);
    c2.DisplayLabel = QStringLiteral("Съседна държава");

    // Calculated fields; the program gives them their handlers.
    qRFQ.AddCalcField(QStringLiteral("RFQ_INFO_D"), TFieldType::String, 250);
    qRFQ.AddCalcField(QStringLiteral("RFQ_NO_DATE_D"), TFieldType::String, 80);
    qRFQ.AddCalcField(QStringLiteral("TRANSPORT_NUMBERS"), TFieldType::String, 110);
    qInvoices.AddCalcField(QStringLiteral("NOTIF_TYPE_D"), TFieldType::String, 10).DisplayLabel =
        QStringLiteral("Известие");
    qClients.AddCalcField(QStringLiteral("BGINT_TYPE_D"), TFieldType::String, 15).DisplayLabel =
        QStringLiteral("Националност");
    qKarvonels.AddCalcField(QStringLiteral("BGINT_TYPE_D"), TFieldType::String, 15).DisplayLabel =
        QStringLiteral("Националност");

    // Keys from counters.
    KeyOn(qCountries, 1);
    KeyOn(qCities, 9);
    KeyOn(qNeghbourhood, 13);
    KeyOn(qActivityTypes, 4);
    KeyOn(qContactInfoTypes, 6);
    KeyOn(qTruckTypes, 8);
    KeyOn(qCurrencies, 27);
    KeyOn(qChargeTypes, 50);

    // Notices.
    NoticesOn(qCountries, nkCountries);
    NoticesOn(qCities, nkCities);
    NoticesOn(qCities1, nkCities);
    NoticesOn(qClients, nkClients);
    NoticesOn(qActivityTypes, nkActivityTypes);
    NoticesOn(qKarvonels, nkCarriers);
    NoticesOn(qContactInfoTypes, nkContactDataTypes);
    NoticesOn(qTruckTypes, nkTruckTypes);

    // After a country is posted the list in name order follows.
    {
        auto notice = qCountries.AfterPost;
        qCountries.AfterPost = [this, notice](TDataSet &ds) {
            if (qCountries1.Active())
                RefreshDataSet(qCountries1, QStringLiteral("ID"));
            if (notice)
                notice(ds);
        };
    }
    qCountries.BeforeDelete = [this](TDataSet &ds) { CountriesBeforeDelete(ds); };
}

void TMasterDataDM::KeyOn(TDataSet &dataSet, int counter)
{
    auto previous = dataSet.BeforePost;
    dataSet.BeforePost = [this, counter, previous](TDataSet &ds) {
        KeyFromCounter(ds, counter);
        if (previous)
            previous(ds);
    };
}

void TMasterDataDM::NoticesOn(TDataSet &dataSet, int kind)
{
    auto afterPost = dataSet.AfterPost;
    dataSet.AfterPost = [this, kind, afterPost](TDataSet &ds) {
        if (afterPost)
            afterPost(ds);
        Broadcast(naPosted, kind);
    };
    auto afterDelete = dataSet.AfterDelete;
    dataSet.AfterDelete = [this, kind, afterDelete](TDataSet &ds) {
        if (afterDelete)
            afterDelete(ds);
        Broadcast(naDeleted, kind);
    };
}

void TMasterDataDM::KeyFromCounter(TDataSet &dataSet, int counter, const QString &keyField)
{
    TField &key = dataSet.FieldByName(keyField);
    if (key.IsNull())
        key.SetAsInteger(GetCounterValue(counter));
}

void TMasterDataDM::Broadcast(int action, int kind)
{
    if (NotifyForms)
        NotifyForms(action, kind);
}

void TMasterDataDM::SetupFields()
{
    label(qCountries, "CODE", "КОД");
    label(qCountries, "NAME", "Название");
    label(qCountries, "NAME_ENG", "Country name");
    hide(qCountries, "ID");
    label(qCountries1, "CODE", "КОД");
    label(qCountries1, "NAME", "Название");
    label(qCountries1, "NAME_ENG", "Country name");
    hide(qCountries1, "ID");
    for (TDataSet *cities : {&qCities, &qCities1}) {
        label(*cities, "POST_CODE", "Пощ. код");
        label(*cities, "NAME", "Населено място");
        label(*cities, "NAME_ENG", "City name");
        hide(*cities, "ID");
        hide(*cities, "COUNTRY_ID");
    }
    label(qNeghbourhood, "RADIUS", "Близост");
    hide(qNeghbourhood, "ID");
    label(qActivityTypes, "NAME", "Название");
    hide(qActivityTypes, "ID");
    label(qContactInfoTypes, "NAME", "Название");
    require(qContactInfoTypes, "NAME");
    hide(qContactInfoTypes, "ID");
    label(qTruckTypes, "NAME", "Название");
    label(qTruckTypes, "NAME_ENG", "Name");
    label(qTruckTypes, "PRIMARY_W", "Първично п-е|Ширина");
    label(qTruckTypes, "PRIMARY_H", "Първично п-е|Височина");
    label(qTruckTypes, "PRIMARY_L", "Първично п-е|Дължина");
    label(qTruckTypes, "SEC_W", "Ремарке|Ширина");
    label(qTruckTypes, "SEC_H", "Ремарке|Височина");
    label(qTruckTypes, "SEC_L", "Ремарке|Дължина");
    hide(qTruckTypes, "ID");
    label(qCurrencies, "TYPE", "КОД");
    label(qCurrencies, "NAME", "Название");
    label(qCurrencies, "NAME_ENG", "Int. Name");
    require(qCurrencies, "TYPE");
    hide(qCurrencies, "ID");
    label(qChargeTypes, "NAME", "Название");
    require(qChargeTypes, "NAME");
    hide(qChargeTypes, "ID");
    label(qDouanes, "CTRY_NAME", "Държава");
    label(qDouanes, "CTY_PCODE", "Пощ. код");
    label(qDouanes, "CTY_NAME", "Град/село");
    label(qDouanes, "DOUANE_INFO", "Описание");
    label(qDouanes, "COUNTRY_ID", "Държава");
    label(qDouanes, "CITY_ID", "Град");
    for (const char *f : {"ID", "COUNTRY_ID", "CITY_ID"})
        hide(qDouanes, f);
}

bool TMasterDataDM::OpenLookups()
{
    const std::vector<TLookupTable> tables = {
        {&qCountries, QStringLiteral("COUNTRIES"), {}},
        {&qCountries1, QStringLiteral("COUNTRIES"), {}},
        {&qActivityTypes, QStringLiteral("ACTIVITY_TYPES"), {}},
        {&qTruckTypes, QStringLiteral("TRUCK_TYPES"), {}},
        {&qContactInfoTypes, QStringLiteral("CONTACTINFO_TYPES"), {}},
        {&qCities, QStringLiteral("CITIES"), QString::fromLatin1(CitiesColumns) + QStringLiteral("where ID = :ID")},
        {&qCities1, QStringLiteral("CITIES"), QString::fromLatin1(CitiesColumns) + QStringLiteral("where ID = :ID")},
        {&qNeghbourhood, QStringLiteral("COUNTRY_NEIGHBOURING"),
         QStringLiteral("select COUNTRY_1, COUNTRY_2, ID, RADIUS from COUNTRY_NEIGHBOURING where ID = :ID")},
        {&qClients, QStringLiteral("CLIENTS"), joined(ClientsSelect, "where cl.ID = :ID")},
        {&qKarvonels, QStringLiteral("KARVONELS"), joined(KarvonelsSelect, "where s.ID = :ID")},
        {&qDouanes, QStringLiteral("DOUANES"), joined(DouanesSelect, "where d.ID = :ID")},
        {&qUsers, QString(), {}},  // its statements are the user list's own
        {&qRFQ, QStringLiteral("RFQ"), joined(RfqSelect, "where rfq.ID = :ID")},
        {&qInvoices, QStringLiteral("INVOICES"), {}},
        {&qCurrencies, QStringLiteral("CURRENCIES"), {}},
        {&qIntInvoices, QStringLiteral("INT_INVOICE"), {}},
        {&qChargeTypes, QStringLiteral("LOAD_CHARGE_TYPES"), {}},
    };
    for (const TLookupTable &t : tables) {
        try {
            // The columns as the database has them now (after a schema
            // update or a restore).
            if (!t.table.isEmpty())
                AssignTableStatements(*this, *t.dataSet, t.table, t.refresh);
            if (!t.dataSet->Active())
                t.dataSet->Open();
        } catch (const std::exception &e) {
            startup::LogError(Format("%s: %s", t.dataSet->objectName(), QString::fromUtf8(e.what())));
            return false;
        }
    }
    SetupFields();
    return true;
}

void TMasterDataDM::CloseLookups()
{
    for (TDataSet *ds : Lookups())
        ds->Close();
}

bool TMasterDataDM::OpenDatasets()
{
    if (!TBaseDM::OpenDatasets())
        return false;
    return OpenLookups();
}

void TMasterDataDM::CloseDatasets()
{
    CloseLookups();
    TBaseDM::CloseDatasets();
}

int TMasterDataDM::AddCity(int countryId, const QString &name, const QString &postCode, const QString &nameEng)
{
    const int id = GetCounterValue(9);
    qCities.Append();
    try {
        qCities.FieldByName(QStringLiteral("ID")).SetAsInteger(id);
        qCities.FieldByName(QStringLiteral("COUNTRY_ID")).SetAsInteger(countryId);
        qCities.FieldByName(QStringLiteral("NAME")).SetAsString(name);
        qCities.FieldByName(QStringLiteral("POST_CODE")).SetAsString(postCode);
        qCities.FieldByName(QStringLiteral("NAME_ENG")).SetAsString(nameEng);
        qCities.Post();
    } catch (...) {
        // A row that was not stored does not stay in the list.
        if (qCities.IsEditing())
            qCities.Cancel();
        throw;
    }
    return id;
}

void TMasterDataDM::UpdateCity(int id, int countryId, const QString &postCode, const QString &nameEng,
                               const QString &name)
{
    if (!qCities.Locate(QStringLiteral("ID"), id)) {
        RefreshDataSet(qCities, QStringLiteral("ID"));
        if (!qCities.Locate(QStringLiteral("ID"), id))
            throw EDataSetError(Format("Градът (%d) не е намерен в базата данни.", id));
    }
    qCities.Edit();
    try {
        qCities.FieldByName(QStringLiteral("COUNTRY_ID")).SetAsInteger(countryId);
        qCities.FieldByName(QStringLiteral("POST_CODE")).SetAsString(postCode);
        qCities.FieldByName(QStringLiteral("NAME_ENG")).SetAsString(nameEng);
        qCities.FieldByName(QStringLiteral("NAME")).SetAsString(name);
        qCities.Post();
    } catch (...) {
        if (qCities.IsEditing())
            qCities.Cancel();
        throw;
    }
}

void TMasterDataDM::RefreshLookup(int kind)
{
    std::vector<TDataSet *> sets;
    switch (kind) {
    case nkCountries: sets = {&qCountries, &qCountries1}; break;
    case nkCities: sets = {&qCities, &qCities1}; break;
    case nkClients: sets = {&qClients}; break;
    case nkActivityTypes: sets = {&qActivityTypes}; break;
    case nkCarriers: sets = {&qKarvonels}; break;
    case nkContactDataTypes: sets = {&qContactInfoTypes}; break;
    case nkTruckTypes: sets = {&qTruckTypes}; break;
    case nkRequests: sets = {&qRFQ}; break;
    default: return;
    }
    for (TDataSet *ds : sets) {
        if (ds->Active())
            RefreshDataSet(*ds, QStringLiteral("ID"));
    }
}

void TMasterDataDM::NotifyDataChanged(QObject *sender, int action, int kind)
{
    if (sender == this)
        return;
    TBaseDM::NotifyDataChanged(sender, action, kind);
    if (action == naPosted)
        RefreshLookup(kind);
}

int TMasterDataDM::CountryUsageCount(int countryId)
{
    const QString key = QString::number(countryId);
    int sum = 0;
    for (const char *column : {"LOAD_COUNTRY", "UNLOAD_COUNTRY", "LOAD_DOUANNE_COUNTRY", "UNLOAD_DOUANNE_COUTRY"})
        sum += QueryInteger(Format("Select Count(*) cnt from RFQ_LOADS where %s = ", column) + key);
    sum += QueryInteger(QStringLiteral("Select Count(*) cnt from CITIES where COUNTRY_ID = ") + key);
    return sum;
}

int TMasterDataDM::TruckTypeUsageCount(int truckTypeId)
{
    return QueryInteger(QStringLiteral("select count(*) cnt from TRANSPORT_TRUCKS where TRUCK_TYPE = ")
                        + QString::number(truckTypeId));
}

void TMasterDataDM::RefuseDelete(int count)
{
    const QString text = Format(InUseText, count);
    if (!ErrorMessage)
        throw EDataSetError(text);
    ErrorMessage(text);
    Abort();
}

void TMasterDataDM::CountriesBeforeDelete(TDataSet &dataSet)
{
    const TField &key = dataSet.FieldByName(QStringLiteral("ID"));
    if (key.IsNull())
        return;
    const int count = CountryUsageCount(key.AsInteger());
    if (count > 0)
        RefuseDelete(count);
}
