#pragma once
// The list services of the main window: a dataset of the data module shown
// in the plain list window, modally, for browsing or for picking one row
// (the "LIST_FORM::..." values of the named-value store).

#include <QString>
#include <QVariant>

#include <functional>

class TDataSet;
class TfrmBaseForm;
class TfrmList;

// Makes the plain list window owned by owner, with the settings section of
// that name below the owner's node, over dataSet, with the caption.
TfrmList *CreateDatasetList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption,
                            const QString &section);

// Shows the list modally; prepare (when given) adjusts it first. The window
// is freed when it closes.
void ShowDatasetList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption, const QString &section,
                     const std::function<void(TfrmList *)> &prepare = {});

// Puts "LIST_FORM::SHOWCMD" = "POS", "LIST_FORM::KEY" = key and
// "LIST_FORM::RETURN_SELECTION" = "1", shows the list modally in picking
// mode and reads "LIST_FORM::SELECTION" (default "-EMPTY-"). A picked key
// replaces key and the answer is true. Nothing addressed to "LIST_FORM" is
// left behind.
bool PickFromDatasetList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption, QVariant &key,
                         const QString &section, const std::function<void(TfrmList *)> &prepare = {});

// The modal reference lists of the main window: the list of ShowDatasetList
// with its navigation buttons (lists, find, find next, filter, remove
// filter) hidden and those options off.
void ShowReferenceList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption, const QString &section,
                       const std::function<void(TfrmList *)> &prepare = {});
