#include "masterdata/truck_types_form.h"

#include "framework/text/format.h"
#include "masterdata/masterdata_dm.h"
#include "masterdata/screen_utils.h"

using masterdata::Column;

QColor TfrmTruckTypes::VolumeShade() { return QColor(235, 235, 235); }

TfrmTruckTypes::TfrmTruckTypes(QWidget *owner, TMasterDataDM &dm) : TIBGridForm(owner), FDm(dm)
{
    setObjectName(QStringLiteral("frmTruckTypes"));
    setWindowTitle(QStringLiteral("Видове камиони"));
    BaseCaption = windowTitle();
    HasLists = false;
    CanFind = false;
    CanFilter = false;

    SetupTruckTypesDataSet(dm, qTruckTypes);
    qTruckTypes.Tag = dm.qTruckTypes.Tag;
    qTruckTypes.AfterPost = [this](TDataSet &) { NotifyForms(naPosted, nkTruckTypes); };
    qTruckTypes.AfterDelete = [this](TDataSet &) { NotifyForms(naDeleted, nkTruckTypes); };

    // Titles on two levels; the names shown, the rest offered by the column
    // chooser.
    QList<TGridColumn> columns;
    TGridColumn name = Column(QStringLiteral("NAME"), QStringLiteral("Название"), true);
    TGridColumn nameEng = Column(QStringLiteral("NAME_ENG"), QStringLiteral("Int. Name"));
    TGridColumn standard = Column(QStringLiteral("STANDARD"), QStringLiteral("EU Станд"));
    standard.PickList = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    TGridColumn cemt = Column(QStringLiteral("CEMT"), QStringLiteral("CEMT"));
    cemt.CheckBox = true;
    columns << name << nameEng << standard << cemt;
    for (const auto &[field, title] : std::initializer_list<std::pair<const char *, const char *>>{
             {"PRIMARY_L", "Размери|Д"},
             {"PRIMARY_W", "Размери|Ш"},
             {"PRIMARY_H", "Размери|В"},
             {"PRIMARY_VOL_D", "Размери|Обем"},
             {"SEC_L", "Размери - Ремарке|Д"},
             {"SEC_W", "Размери - Ремарке|Ш"},
             {"SEC_H", "Размери - Ремарке|В"},
             {"SEC_VOL_D", "Размери - Ремарке|Обем"}}) {
        TGridColumn c = Column(QString::fromLatin1(field), QString::fromUtf8(title));
        c.ReadOnly = c.FieldName.endsWith(QLatin1String("_VOL_D"));
        columns << c;
    }
    for (TGridColumn &c : columns)
        c.Visible = c.FieldName == QLatin1String("NAME") || c.FieldName == QLatin1String("NAME_ENG");
    SetDataSet(&qTruckTypes);
    masterdata::SetColumns(Grid, columns);
    Grid->Model()->OnGetCellParams = [](TCellParams &p) {
        if (p.Field && p.Field->FieldName().endsWith(QLatin1String("_VOL_D")))
            p.Background = VolumeShade();
    };

    Grid->SortLocal = false;
    ServerSort = true;
    SetSortFields({QStringLiteral("NAME")}, {QStringLiteral("NAME")});
    RelayoutToolbar();
    qTruckTypes.Open();
}

TfrmTruckTypes::~TfrmTruckTypes()
{
    // The placement (with the grid layout) is saved while the list still has
    // its dataset.
    FinishPlacement();
    SetDataSet(nullptr);
}

bool TfrmTruckTypes::DeleteBlocked()
{
    const QVariant key = qTruckTypes.FieldValue(QStringLiteral("ID"));
    if (!key.isValid() || key.isNull())
        return false;
    const int count = FDm.TruckTypeUsageCount(key.toInt());
    if (count <= 0)
        return false;
    CyrMessageDlg(Format(TMasterDataDM::InUseText, count), mtError, {mbOK});
    return true;
}
