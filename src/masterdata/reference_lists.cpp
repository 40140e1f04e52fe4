#include "masterdata/reference_lists.h"

#include "framework/lists/list_form.h"
#include "framework/settings/settings.h"
#include "masterdata/masterdata_dm.h"
#include "masterdata/screen_utils.h"

#include <QToolButton>

#include <memory>

using masterdata::Column;
using masterdata::SetColumns;

namespace {

// Title buttons, sort markers on several columns, the rows sorted by the
// server with the fields mapped to themselves.
void ServerSorted(TIBGridForm *list, const QStringList &fields)
{
    list->Grid->MultiSortMarking = true;
    list->Grid->SortLocal = false;
    list->ServerSort = true;
    list->SetSortFields(fields, fields);
}

}  // namespace

TIBGridForm *CreateReferenceList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption,
                                 const QString &section)
{
    std::unique_ptr<TXMLSettings> node;
    if (owner && owner->HasSettings())
        node = owner->Settings()->OpenSection(section);
    TIBGridForm *list = owner ? owner->CreateChildFormIn<TIBGridForm>(std::move(node)) : new TIBGridForm(nullptr);
    list->setWindowTitle(caption);
    list->BaseCaption = caption;
    list->HasLists = false;
    list->CanFind = false;
    list->CanFilter = false;
    list->SetDataSet(dataSet);
    list->RelayoutToolbar();
    return list;
}

TIBGridForm *CreateCountriesList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption)
{
    TIBGridForm *list = CreateReferenceList(owner, &dm.qCountries, caption, QStringLiteral("countries"));
    list->ListName = QStringLiteral("COUNTRIES");
    SetColumns(list->Grid, {Column(QStringLiteral("CODE"), QString(), true), Column(QStringLiteral("NAME"), QString(), true),
                                Column(QStringLiteral("NAME_ENG"), QString(), true)});
    ServerSorted(list, {QStringLiteral("CODE"), QStringLiteral("NAME"), QStringLiteral("NAME_ENG")});
    return list;
}

TIBGridForm *CreateNeighboursList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption)
{
    TIBGridForm *list = CreateReferenceList(owner, &dm.qNeghbourhood, caption, QStringLiteral("neighbours"));
    // Both countries are chosen by name from the country list.
    QStringList names, keys;
    TDataSet &countries = dm.qCountries1;
    if (countries.Active()) {
        for (int r = 0; r < countries.RecordCount(); ++r) {
            names << countries.FieldByName(QStringLiteral("NAME")).DisplayTextAt(r);
            keys << countries.FieldByName(QStringLiteral("ID")).ValueAt(r).toString();
        }
    }
    TGridColumn c1 = Column(QStringLiteral("COUNTRY_1"));
    c1.Title = dm.qNeghbourhood.FieldByName(QStringLiteral("COUNTRY_1_D")).DisplayName();
    c1.PickList = names;
    c1.KeyList = keys;
    TGridColumn c2 = c1;
    c2.FieldName = QStringLiteral("COUNTRY_2");
    c2.Title = dm.qNeghbourhood.FieldByName(QStringLiteral("COUNTRY_2_D")).DisplayName();
    SetColumns(list->Grid, {c1, c2, Column(QStringLiteral("RADIUS"))});
    return list;
}

TIBGridForm *CreateContactInfoTypesList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption)
{
    TIBGridForm *list =
        CreateReferenceList(owner, &dm.qContactInfoTypes, caption, QStringLiteral("contact_info_types"));
    SetColumns(list->Grid, {Column(QStringLiteral("NAME"), QString(), true)});
    ServerSorted(list, {QStringLiteral("NAME")});
    return list;
}

TIBGridForm *CreateActivityTypesList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption)
{
    return CreateReferenceList(owner, &dm.qActivityTypes, caption, QStringLiteral("activity_types"));
}

void ShowModalList(TIBGridForm *list)
{
    std::unique_ptr<TIBGridForm> owned(list);
    list->exec();
}
