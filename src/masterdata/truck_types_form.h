#pragma once
// "Видове камиони": the list of truck types, edited in the grid. Two-level
// titles; the names shown, the standard, the CEMT permit and the dimensions
// with their volumes offered by the column chooser. A truck type that trucks
// of transport offers still use cannot be deleted.

#include "framework/lists/list_form.h"

class TMasterDataDM;

class TfrmTruckTypes : public TIBGridForm
{
    Q_OBJECT
public:
    TfrmTruckTypes(QWidget *owner, TMasterDataDM &dm);
    ~TfrmTruckTypes() override;

    // The list's own dataset (SetupTruckTypesDataSet), open from creation.
    TDataSet qTruckTypes;

    // Refuses (with the in-use message, before any question) the delete of a
    // truck type that trucks of transport offers use.
    bool DeleteBlocked() override;

    // The background of the volume columns.
    static QColor VolumeShade();

private:
    TMasterDataDM &FDm;
};
