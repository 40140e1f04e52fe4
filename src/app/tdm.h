#pragma once
// The main data module of the program: the base data module with the
// program's schema version, its update and rights routines, and the lookup
// datasets of the reference lists (TMasterDataDM), whose calculated fields
// and messages it connects to the program's shared operations and dialogs.

#include "app/fonts.h"
#include "masterdata/masterdata_dm.h"

class Tdm : public TMasterDataDM
{
    Q_OBJECT
public:
    // The schema version this program works on.
    static constexpr int DatabaseVersion = 30079;

    // Registers the fonts beside the program and routes the data module's
    // boxes and questions to the screen.
    explicit Tdm(QObject *parent = nullptr);
    // The shutdown of the data module, then the fonts are removed.
    ~Tdm() override;

    // Sets TargetDatabaseVersion, registers RunSchemaUpdates and
    // GrantTableRights, then runs the base sequence.
    bool Startup() override;

    TFontInstaller &Fonts() { return FFonts; }

private:
    TFontInstaller FFonts;
};
