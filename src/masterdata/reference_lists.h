#pragma once
// The generic reference lists of the main window: countries, neighbouring
// countries, kinds of contact data and kinds of activity, each a list bound
// to the data module's lookup dataset and edited in the grid itself (keys,
// notices and the country delete guard come from the data module). Each is
// made owned by the caller with its own settings section below the caller's
// node, and shown modally.

#include <QString>

class TfrmBaseForm;
class TIBGridForm;
class TDataSet;
class TMasterDataDM;

// A list over dataSet owned by owner, with the settings section of that name
// below the owner's node, captioned, with its lists, find and filter
// buttons hidden and those options off.
TIBGridForm *CreateReferenceList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption,
                                 const QString &section);

// The configured lists (not shown yet); the caller frees them.
// "Държави": title buttons on the three columns, sort markers on several
// columns, server sort by CODE, NAME and NAME_ENG.
TIBGridForm *CreateCountriesList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption);
// "Съседни държави": both countries chosen from the country list by name.
TIBGridForm *CreateNeighboursList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption);
// "Типове контакти": as the countries, server sort by NAME.
TIBGridForm *CreateContactInfoTypesList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption);
// "Видове дейности".
TIBGridForm *CreateActivityTypesList(TfrmBaseForm *owner, TMasterDataDM &dm, const QString &caption);

// Shows the list modally and frees it.
void ShowModalList(TIBGridForm *list);
