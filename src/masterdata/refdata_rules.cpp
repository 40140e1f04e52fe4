#include "masterdata/refdata_rules.h"

#include "db/db_value.h"
#include "framework/data/dataset.h"
#include "framework/text/format.h"
#include "masterdata/masterdata_dm.h"
#include "masterdata/table_statements.h"

namespace {

void label(TDataSet &q, const char *field, const char *caption)
{
    if (TField *f = q.FindField(QString::fromLatin1(field)))
        f->DisplayLabel = QString::fromUtf8(caption);
}

void writeBack(TDataSet &q, const QString &table, const QStringList &columns, const QString &refresh)
{
    q.SetInsertSQL(InsertStatement(table, columns));
    q.SetModifySQL(ModifyStatement(table, columns));
    q.SetDeleteSQL(DeleteStatement(table));
    q.SetRefreshSQL(refresh);
}

bool given(const QVariant &v) { return !db::isNull(v); }

const QString CitiesColumns = QStringLiteral("select ID, COUNTRY_ID, NAME,NAME_ENG, POST_CODE from CITIES ");

}  // namespace

// ---------------------------------------------------------------------------
// Truck types

std::optional<double> LoadSpaceVolume(const QVariant &width, const QVariant &height, const QVariant &length)
{
    if (!given(width) || !given(height) || !given(length))
        return std::nullopt;
    return width.toDouble() * height.toDouble() * length.toDouble();
}

void SetupTruckTypesDataSet(TMasterDataDM &dm, TDataSet &q)
{
    const QStringList columns = {"ID",    "NAME",  "NAME_ENG", "PRIMARY_H", "PRIMARY_L", "PRIMARY_W",
                                 "SEC_H", "SEC_L", "SEC_W",    "STANDARD",  "CEMT"};
    q.setObjectName(QStringLiteral("qTruckTypes"));
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(QStringLiteral("select ID, NAME,NAME_ENG, PRIMARY_H, PRIMARY_L, PRIMARY_W, SEC_H, SEC_L, SEC_W, "
                                  "STANDARD, CEMT from  TRUCK_TYPES\nOrder by ID"));
    writeBack(q, QStringLiteral("TRUCK_TYPES"), columns,
              QStringLiteral("select ID, NAME,NAME_ENG, PRIMARY_H, PRIMARY_L, PRIMARY_W, SEC_H, SEC_L, SEC_W, "
                             "STANDARD, CEMT from  TRUCK_TYPES where ID = :ID"));
    // Declared in the order the list shows them.
    for (const QString &c : columns) {
        const bool text = c == QLatin1String("NAME") || c == QLatin1String("NAME_ENG");
        const bool integer = c == QLatin1String("ID") || c == QLatin1String("STANDARD") || c == QLatin1String("CEMT");
        q.AddField(c, text ? TFieldType::String : integer ? TFieldType::Integer : TFieldType::Float);
    }
    q.AddCalcField(QStringLiteral("PRIMARY_VOL_D"), TFieldType::Float);
    q.AddCalcField(QStringLiteral("SEC_VOL_D"), TFieldType::Float);
    label(q, "NAME", "Название");
    label(q, "NAME_ENG", "Int. Name");
    label(q, "STANDARD", "EU Станд");
    label(q, "CEMT", "CEMT");
    label(q, "PRIMARY_L", "Размери|Д");
    label(q, "PRIMARY_W", "Размери|Ш");
    label(q, "PRIMARY_H", "Размери|В");
    label(q, "PRIMARY_VOL_D", "Размери|Обем");
    label(q, "SEC_L", "Размери - Ремарке|Д");
    label(q, "SEC_W", "Размери - Ремарке|Ш");
    label(q, "SEC_H", "Размери - Ремарке|В");
    label(q, "SEC_VOL_D", "Размери - Ремарке|Обем");
    q.FieldByName(QStringLiteral("NAME")).Required = true;
    q.FieldByName(QStringLiteral("ID")).Visible = false;
    for (const char *f : {"PRIMARY_VOL_D", "SEC_VOL_D"}) {
        TField &vol = q.FieldByName(QString::fromLatin1(f));
        vol.DisplayFormat = QStringLiteral("0.00");
    }

    q.OnCalcFields = [](TDataSet &ds) {
        const auto set = [&ds](const char *target, const char *w, const char *h, const char *l) {
            const auto v = LoadSpaceVolume(ds.FieldValue(QString::fromLatin1(w)), ds.FieldValue(QString::fromLatin1(h)),
                                           ds.FieldValue(QString::fromLatin1(l)));
            ds.FieldByName(QString::fromLatin1(target)).SetValue(v ? QVariant(*v) : QVariant());
        };
        set("PRIMARY_VOL_D", "PRIMARY_W", "PRIMARY_H", "PRIMARY_L");
        set("SEC_VOL_D", "SEC_W", "SEC_H", "SEC_L");
    };
    q.BeforePost = [&dm](TDataSet &ds) {
        dm.KeyFromCounter(ds, 8);
        for (const char *f : {"CEMT", "STANDARD"}) {
            TField &field = ds.FieldByName(QString::fromLatin1(f));
            if (field.IsNull())
                field.SetAsInteger(0);
        }
    };
}

// ---------------------------------------------------------------------------
// Document clauses

const std::vector<TClauseDocument> &ClauseDocuments()
{
    static const std::vector<TClauseDocument> documents = {
        {QStringLiteral("Заявка - договор [ БГ ]"), 11, 1, 1},
        {QStringLiteral("Заявка - договор [ EN ]"), 12, 1, 2},
        {QStringLiteral("Потвърждение към клиент [ БГ ]"), 21, 2, 1},
        {QStringLiteral("Потвърждение към клиент [ EN ]"), 22, 2, 2},
        {QStringLiteral("Заявка за вътрешен транспорт [ БГ ]"), 101, 100, 1},
        {QStringLiteral("Заявка за вътрешен транспорт [ EN ]"), 102, 100, 2},
        {QStringLiteral("Потвърждение за вътрешен транспорт [ БГ ]"), 201, 200, 1},
        {QStringLiteral("Потвърждение за вътрешен транспорт [ EN ]"), 202, 200, 2},
    };
    return documents;
}

const TClauseDocument *ClauseDocumentByKey(int key)
{
    for (const TClauseDocument &d : ClauseDocuments())
        if (d.Key == key)
            return &d;
    return nullptr;
}

void SetupClausesDataSet(TMasterDataDM &dm, TDataSet &q)
{
    const QStringList columns = {"ID", "REP_TYPE", "LANG_ID", "MAJOR_NUM", "MINOR_NUM", "ITEM_TITLE", "ITEM_TEXT"};
    q.setObjectName(QStringLiteral("qClauses"));
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from REPORT_CLAUSES where REP_TYPE = :REP_TYPE and LANG_ID = :LANG_ID "
                                  "and (1=1)\nOrder by MAJOR_NUM, MINOR_NUM"));
    writeBack(q, QStringLiteral("REPORT_CLAUSES"), columns,
              QStringLiteral("select * from REPORT_CLAUSES where ID = :ID"));
    q.AddField(QStringLiteral("MAJOR_NUM"), TFieldType::Integer).DisplayLabel = QStringLiteral("#");
    q.AddField(QStringLiteral("MINOR_NUM"), TFieldType::Integer).DisplayLabel = QStringLiteral(".#");
    q.AddField(QStringLiteral("ITEM_TITLE"), TFieldType::String, 400).DisplayLabel = QStringLiteral("Заглавие");
    q.AddField(QStringLiteral("ITEM_TEXT"), TFieldType::String, 2000).DisplayLabel = QStringLiteral("Текст");
    for (const char *f : {"ID", "REP_TYPE", "LANG_ID"})
        q.AddField(QString::fromLatin1(f), TFieldType::Integer).Visible = false;
    q.BeforePost = [&dm](TDataSet &ds) { dm.KeyFromCounter(ds, 200); };
}

void SelectClauseDocument(TMasterDataDM &dm, TDataSet &q, const TClauseDocument &document)
{
    if (q.Active())
        q.CheckBrowseMode();
    q.ParamByName(QStringLiteral("REP_TYPE")).SetAsInteger(document.RepType);
    q.ParamByName(QStringLiteral("LANG_ID")).SetAsInteger(document.LangId);
    if (q.Active())
        dm.RefreshDataSet(q, QStringLiteral("ID"));
    else
        q.Open();
}

void AppendClause(TDataSet &q)
{
    const QVariant repType = q.ParamByName(QStringLiteral("REP_TYPE")).Value;
    const QVariant langId = q.ParamByName(QStringLiteral("LANG_ID")).Value;
    q.Append();
    q.FieldByName(QStringLiteral("REP_TYPE")).SetValue(repType);
    q.FieldByName(QStringLiteral("LANG_ID")).SetValue(langId);
}

// ---------------------------------------------------------------------------
// Cities

void CityListBeforePost(TMasterDataDM &dm, TDataSet &dataSet, const QVariant &countryId)
{
    if (db::isNull(countryId) || countryId.toInt() == 0)
        throw TRefusal(QStringLiteral("Изберете държава преди да се опитате да въвеждате град!"), TRefusal::Warning);
    if (dataSet.FieldByName(QStringLiteral("POST_CODE")).AsString().size() < 2)
        throw TRefusal(QStringLiteral("Трябва да попълните пощенски код дълъг поне два символа!"), TRefusal::Warning);
    TField &key = dataSet.FieldByName(QStringLiteral("ID"));
    if (key.IsNull()) {
        key.SetAsInteger(dm.GetCounterValue(9));
        dataSet.FieldByName(QStringLiteral("COUNTRY_ID")).SetValue(countryId);
    }
    const int others = dm.QueryInteger(Format("select count(*) from cities where ID <> %d and NAME = :NAME",
                                              key.AsInteger()),
                                       QString(),
                                       {{QStringLiteral("NAME"), dataSet.FieldByName(QStringLiteral("NAME")).AsString()}});
    if (others > 0)
        throw TRefusal(QStringLiteral("Този град е вече вписан!"), TRefusal::Error);
}

// ---------------------------------------------------------------------------
// Customs offices

void SetupDouaneCitiesDataSet(TMasterDataDM &dm, TDataSet &q, std::function<QVariant()> countryId)
{
    q.setObjectName(QStringLiteral("qCities"));
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL(CitiesColumns + QStringLiteral("where COUNTRY_ID = :COUNTRY Order by NAME"));
    writeBack(q, QStringLiteral("CITIES"), {"ID", "COUNTRY_ID", "NAME", "NAME_ENG", "POST_CODE"},
              CitiesColumns + QStringLiteral("where ID = :ID"));
    q.BeforePost = [&dm, countryId = std::move(countryId)](TDataSet &ds) {
        if (ds.State() == TDataSetState::Insert) {
            dm.KeyFromCounter(ds, 9);
            TField &country = ds.FieldByName(QStringLiteral("COUNTRY_ID"));
            if (country.IsNull())
                country.SetValue(countryId());
        }
    };
}

QString MissingDouaneField(const QVariant &countryId, const QVariant &cityId)
{
    if (db::isNull(countryId))
        return QStringLiteral("COUNTRY_ID");
    if (db::isNull(cityId))
        return QStringLiteral("CITY_ID");
    return QString();
}

QString UnknownCityQuestion()
{
    return QStringLiteral("Този град не е описан в базата данни.\nЖелаете ли да го добавите?");
}
