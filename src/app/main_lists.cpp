#include "app/main_lists.h"

#include "framework/forms/globalvalues.h"
#include "framework/lists/list_form.h"
#include "framework/settings/settings.h"

#include <QToolButton>

#include <memory>

namespace {
const QString EmptySelection = QStringLiteral("-EMPTY-");
const QString ListFormName = QStringLiteral("LIST_FORM");

void RunModal(TfrmList *list)
{
    std::unique_ptr<TfrmList> owned(list);
    list->exec();
}
} // namespace

TfrmList *CreateDatasetList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption,
                            const QString &section)
{
    std::unique_ptr<TXMLSettings> node;
    if (owner && owner->HasSettings())
        node = owner->Settings()->OpenSection(section);
    TfrmList *list = owner ? owner->CreateChildFormIn<TfrmList>(std::move(node)) : new TfrmList(nullptr);
    list->setWindowTitle(caption);
    list->BaseCaption = caption;
    list->SetDataSet(dataSet);
    return list;
}

void ShowDatasetList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption, const QString &section,
                     const std::function<void(TfrmList *)> &prepare)
{
    TfrmList *list = CreateDatasetList(owner, dataSet, caption, section);
    if (prepare)
        prepare(list);
    RunModal(list);
}

bool PickFromDatasetList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption, QVariant &key,
                         const QString &section, const std::function<void(TfrmList *)> &prepare)
{
    PutGlobalValue(ListFormName + QStringLiteral("::SHOWCMD"), QStringLiteral("POS"));
    PutGlobalValue(ListFormName + QStringLiteral("::KEY"), key);
    PutGlobalValue(ListFormName + QStringLiteral("::RETURN_SELECTION"), QStringLiteral("1"));
    TfrmList *list = nullptr;
    try {
        list = CreateDatasetList(owner, dataSet, caption, section);
        if (prepare)
            prepare(list);
    } catch (...) {
        delete list;
        DropGlobalValues(ListFormName);
        throw;
    }
    RunModal(list);
    const QVariant selection = TakeGlobalValue(ListFormName + QStringLiteral("::SELECTION"), EmptySelection);
    // A request the list never read does not reach the next one.
    DropGlobalValues(ListFormName);
    if (selection.typeId() == QMetaType::QString && selection.toString() == EmptySelection)
        return false;
    key = selection;
    return true;
}

void ShowReferenceList(TfrmBaseForm *owner, TDataSet *dataSet, const QString &caption, const QString &section,
                       const std::function<void(TfrmList *)> &prepare)
{
    ShowDatasetList(owner, dataSet, caption, section, [&prepare](TfrmList *list) {
        list->HasLists = false;
        list->CanFind = false;
        list->CanFilter = false;
        for (QToolButton *b : {list->btnLists, list->btnFind, list->btnFindNext, list->btnFilter, list->btnFilter_Remove})
            if (b)
                b->hide();
        if (prepare)
            prepare(list);
    });
}
