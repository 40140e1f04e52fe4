#include "app/schema/database_builder.h"

#include "app/schema/schema_scripts.h"
#include "db/attachment.h"
#include "db/client.h"
#include "db/db_error.h"
#include "db/script.h"
#include "db/transaction.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <stdexcept>

namespace schema {

namespace {

void runAll(db::Attachment& att, db::Transaction& tr, const QStringList& scripts)
{
    for (const QString& path : scripts) {
        try {
            db::runScript(att, tr, ScriptText(path));
        } catch (const db::DbError& e) {
            throw db::DbError(path + QStringLiteral(": ") + e.message(), e.sqlCode(), e.sqlState(),
                              e.gdsCodes());
        }
    }
}

}  // namespace

void SetForcedWrites(const QString& path, bool on)
{
    Firebird::IStatus* raw = db::master()->getStatus();
    Firebird::CheckStatusWrapper st(raw);
    Firebird::IXpbBuilder* dpb = nullptr;
    Firebird::IAttachment* att = nullptr;
    const QByteArray file = path.toUtf8();
    auto failed = [&st] { return (st.getState() & Firebird::IStatus::STATE_ERRORS) != 0; };
    dpb = db::util()->getXpbBuilder(&st, Firebird::IXpbBuilder::DPB, nullptr, 0);
    if (!failed()) {
        dpb->insertTag(&st, isc_dpb_version1);
        dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
        dpb->insertInt(&st, isc_dpb_force_write, on ? 1 : 0);
    }
    if (!failed())
        att = db::provider()->attachDatabase(&st, file.constData(), dpb->getBufferLength(&st),
                                             dpb->getBuffer(&st));
    if (att && !failed())
        att->detach(&st);
    const bool bad = failed();
    const db::DbError error = bad ? db::DbError::fromStatus(&st) : db::DbError(QString());
    if (dpb)
        dpb->dispose();
    raw->dispose();
    if (bad)
        throw error;
}

void CreateBaseSchema(db::Attachment& att, db::Transaction& tr)
{
    runAll(att, tr, BaseScripts());
}

void LoadInitialData(db::Attachment& att, db::Transaction& tr)
{
    runAll(att, tr, DataScripts());
}

void BuildDatabase(const QString& path, const BuildOptions& options)
{
    db::ConnectionParams params;
    params.database = path;
    db::Attachment att;
    att.create(params);
    att.detach();
    try {
        SetForcedWrites(path, false);
        att.attach(params);
        db::Transaction tr(att);
        CreateBaseSchema(att, tr);
        if (options.version != BaseDatabaseVersion) {
            QString error;
            if (!RunSchemaUpdates(att, tr, BaseDatabaseVersion, options.version, &error))
                throw std::runtime_error("schema update failed: " + error.toStdString());
        }
        if (options.initialData)
            LoadInitialData(att, tr);
        if (options.version != BaseDatabaseVersion)
            StoreDatabaseVersion(att, tr, options.version);
        if (tr.isActive())
            tr.commit();
        att.detach();
        if (options.forcedWrites)
            SetForcedWrites(path, true);
    } catch (...) {
        try {
            if (!att.isAttached())
                att.attach(params);
            att.dropDatabase();
        } catch (...) {
        }
        throw;
    }
}

}  // namespace schema
