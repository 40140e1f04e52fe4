#include "app/tdm.h"

#include "app/schema/schema_updates.h"
#include "app/startup_dialogs.h"
#include "app/tdm_lookups.h"
#include "framework/security/user_dialogs.h"

static_assert(Tdm::DatabaseVersion == schema::TargetDatabaseVersion,
              "the program and its schema scripts must agree on the version");

Tdm::Tdm(QObject *parent) : TMasterDataDM(parent)
{
    setObjectName(QStringLiteral("dm"));
    FFonts.InstallFonts(ProgramFolder());
    ConnectStartupDialogs(*this);
    ConnectLookupRules(*this);
    InstallUserDialogs(*this, &qUsers);
}

Tdm::~Tdm()
{
    Shutdown();
    FFonts.RemoveFonts();
}

bool Tdm::Startup()
{
    TargetDatabaseVersion = DatabaseVersion;
    SchemaUpdateRoutine = [this](int stored, int target, QString *error) {
        return schema::RunSchemaUpdates(IBDatabase.Attachment(), IBTransaction.Handle(), stored,
                                        target, error);
    };
    TableRightsRoutine = [this](QString *error) {
        return schema::GrantTableRights(IBDatabase.Attachment(), IBTransaction.Handle(),
                                        QStringLiteral("SYSDBA"), error);
    };
    return TBaseDM::Startup();
}
