#include "app/schema/schema_updates.h"

#include "app/schema/schema_scripts.h"
#include "db/attachment.h"
#include "db/db_error.h"
#include "db/script.h"
#include "db/statement.h"
#include "db/transaction.h"

#include <QRegularExpression>

#include <exception>

namespace schema {

namespace {

using Kind = Presence::Kind;

UpdateScript always(const char* path)
{
    return {QString::fromLatin1(path), {}};
}

UpdateScript unless(const char* path, Kind kind, const char* object, const char* column = "")
{
    return {QString::fromLatin1(path), {kind, QString::fromLatin1(object), QString::fromLatin1(column)}};
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

}  // namespace

const std::vector<UpdateStep>& UpdateSteps()
{
    static const std::vector<UpdateStep> steps = {
        {30064, {always("updates/01_app_config_key_value.sql")}},
        {30062,
         {unless("updates/02a_domain_str2k.sql", Kind::Domain, "STR2K"),
          always("updates/02b_report_clauses_item_text.sql")}},
        {30066, {always("updates/03_calc_rfq_prizes.sql")}},
        {30067,
         {unless("updates/04a_rfq_loads_deal_no_i.sql", Kind::Column, "RFQ_LOADS", "DEAL_NO_I"),
          always("updates/04b_str_value.sql"),
          always("updates/04c_rfq_loads_biu0.sql"),
          unless("updates/04d_rfq_loads_idx8.sql", Kind::Index, "RFQ_LOADS_IDX8"),
          always("updates/04e_rfq_loads_fill_deal_no_i.sql")}},
        {30068,
         {unless("updates/05a_rfq_loads_invoiced.sql", Kind::Column, "RFQ_LOADS", "INVOICED"),
          unless("updates/05b_rfq_invoiced.sql", Kind::Column, "RFQ", "INVOICED")}},
        {30070,
         {unless("updates/06a_event_log.sql", Kind::Table, "EVENT_LOG"),
          unless("updates/06b_event_log_pk.sql", Kind::Constraint, "PK_EVENT_LOG")}},
        {30071, {always("updates/07_rfq_invoices_pdate.sql")}},
        {30072,
         {unless("updates/08a_rfq_loads_invoice_notes.sql", Kind::Column, "RFQ_LOADS", "INVOICE_NOTES"),
          unless("updates/08b_rfq_invoice_notes.sql", Kind::Column, "RFQ", "INVOICE_NOTES")}},
        {30073,
         {unless("updates/09a_rfq_loads_invoiced_by.sql", Kind::Column, "RFQ_LOADS", "INVOICED_BY"),
          unless("updates/09b_rfq_invoiced_by.sql", Kind::Column, "RFQ", "INVOICED_BY")}},
        // The same text as step 3.
        {30078, {always("updates/03_calc_rfq_prizes.sql")}},
        {30079, {always("updates/11_get_deal_invoice_info.sql")}},
    };
    return steps;
}

std::vector<int> DueSteps(int stored, int target)
{
    std::vector<int> due;
    const std::vector<UpdateStep>& steps = UpdateSteps();
    for (int i = 0; i < int(steps.size()); ++i)
        if (stored < steps[i].threshold && steps[i].threshold <= target)
            due.push_back(i + 1);
    return due;
}

bool RunScript(db::Attachment& att, db::Transaction& tr, const QString& script, QString* error)
{
    try {
        db::runScript(att, tr, script);
        return true;
    } catch (const db::DbError& e) {
        setError(error, e.message());
    } catch (const std::exception& e) {
        setError(error, QString::fromUtf8(e.what()));
    }
    return false;
}

bool IsPresent(db::Attachment& att, db::Transaction& tr, const Presence& what)
{
    QString sql;
    switch (what.kind) {
    case Kind::None:
        return false;
    case Kind::Table:
        sql = QStringLiteral("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = :OBJECT_NAME");
        break;
    case Kind::Column:
        sql = QStringLiteral(
            "select 1 from RDB$RELATION_FIELDS where RDB$RELATION_NAME = :OBJECT_NAME"
            " and RDB$FIELD_NAME = :COLUMN_NAME");
        break;
    case Kind::Domain:
        sql = QStringLiteral("select 1 from RDB$FIELDS where RDB$FIELD_NAME = :OBJECT_NAME");
        break;
    case Kind::Index:
        sql = QStringLiteral("select 1 from RDB$INDICES where RDB$INDEX_NAME = :OBJECT_NAME");
        break;
    case Kind::Constraint:
        sql = QStringLiteral(
            "select 1 from RDB$RELATION_CONSTRAINTS where RDB$CONSTRAINT_NAME = :OBJECT_NAME");
        break;
    }
    db::Statement st(att, tr, sql);
    st.setParam(QStringLiteral("OBJECT_NAME"), what.object);
    if (what.kind == Kind::Column)
        st.setParam(QStringLiteral("COLUMN_NAME"), what.column);
    db::Cursor c = st.open();
    return c.fetch();
}

bool RunSchemaUpdates(db::Attachment& att, db::Transaction& tr, int stored, int target,
                      QString* error)
{
    for (int number : DueSteps(stored, target)) {
        for (const UpdateScript& script : UpdateSteps()[number - 1].scripts) {
            QString why;
            try {
                if (IsPresent(att, tr, script.skipWhen))
                    continue;
                if (RunScript(att, tr, ScriptText(script.path), &why))
                    continue;
            } catch (const db::DbError& e) {
                why = e.message();
            } catch (const std::exception& e) {
                why = QString::fromUtf8(e.what());
            }
            setError(error, script.path + QStringLiteral(": ") + why);
            return false;
        }
    }
    return true;
}

const QStringList& GrantedTables()
{
    static const QStringList tables = {
        QStringLiteral("ACTION_STATUS"),          QStringLiteral("ACTIVITIES"),
        QStringLiteral("ACTIVITY_TYPES"),         QStringLiteral("APP_CONFIG"),
        QStringLiteral("APP_CONFIG_KEYS"),        QStringLiteral("BANK_ACCOUNTS"),
        QStringLiteral("CARGO"),                  QStringLiteral("CHARGE_INVOICES"),
        QStringLiteral("CITIES"),                 QStringLiteral("CLIENTS"),
        QStringLiteral("CONTACTINFO"),            QStringLiteral("CONTACTINFO_TYPES"),
        QStringLiteral("COUNTERS"),               QStringLiteral("COUNTRIES"),
        QStringLiteral("COUNTRY_NEIGHBOURING"),   QStringLiteral("CRGINV_DETAILS"),
        QStringLiteral("CURRENCIES"),             QStringLiteral("DOUANES"),
        QStringLiteral("INVOICES"),               QStringLiteral("INVOICE_DETAILS"),
        QStringLiteral("INVOICE_PAYMENTS"),       QStringLiteral("LOAD_CHARGES"),
        QStringLiteral("MRU_ITEMS"),              QStringLiteral("MRU_NAMES"),
        QStringLiteral("RFQ"),                    QStringLiteral("RFQ_ADDRESSES"),
        QStringLiteral("RFQ_TRUCKS"),             QStringLiteral("KARVONELS"),
        QStringLiteral("KARVONEL_ACCOUNTS"),      QStringLiteral("KARVONEL_DESTINATIONS"),
        QStringLiteral("KARVONEL_INVOICES"),      QStringLiteral("KARVONEL_INVOICE_DETAILS"),
        QStringLiteral("KARVONEL_TRUCKS"),        QStringLiteral("TRANSPORT"),
        QStringLiteral("TRANSPORT_TRUCKS"),       QStringLiteral("TRUCK_TYPES"),
        QStringLiteral("UR_TEMPLATES"),           QStringLiteral("UR_TEMPLATE_ITEMS"),
        QStringLiteral("USERS"),                  QStringLiteral("USER_RIGHTS"),
        QStringLiteral("USER_RIGHT_ITEMS"),
    };
    return tables;
}

bool GrantTableRights(db::Attachment& att, db::Transaction& tr, const QString& user, QString* error)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_$]*$"));
    if (!plain.match(user).hasMatch()) {
        setError(error, QStringLiteral("Невалидно име на потребител: ") + user);
        return false;
    }
    for (const QString& table : GrantedTables()) {
        const QString sql = QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE, REFERENCES ON %1 TO %2;")
                                .arg(table, user);
        if (!RunScript(att, tr, sql, error))
            return false;
    }
    return true;
}

int StoredDatabaseVersion(db::Attachment& att, db::Transaction& tr)
{
    db::Statement st(att, tr, QStringLiteral("select KEY_VALUE from APP_CONFIG where KEY_ID = :KEY_ID"));
    st.setParam(QStringLiteral("KEY_ID"), VersionKeyId);
    db::Cursor c = st.open();
    if (!c.fetch())
        return BaseDatabaseVersion;
    bool ok = false;
    const int version = c.value(0).toString().trimmed().toInt(&ok);
    return ok ? version : BaseDatabaseVersion;
}

void StoreDatabaseVersion(db::Attachment& att, db::Transaction& tr, int version)
{
    db::Statement st(att, tr,
                     QStringLiteral("update or insert into APP_CONFIG (KEY_ID, KEY_VALUE)"
                                    " values (:KEY_ID, :KEY_VALUE) matching (KEY_ID)"));
    st.setParam(QStringLiteral("KEY_ID"), VersionKeyId);
    st.setParam(QStringLiteral("KEY_VALUE"), QString::number(version));
    st.execute();
}

}  // namespace schema
