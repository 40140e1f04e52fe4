#include "framework/data/rights.h"

#include "framework/data/basedm.h"
#include "framework/data/dataset.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// TBaseDM: the checks

bool TBaseDM::IsAllowed(int item)
{
    if (IsAdmin)
        return true;
    const bool listed = HasRight(CurrentUserId, item);
    if (UserBasedRights)
        return listed;
    // Zone mode: a listed item is a protected zone.
    return listed ? AskElevation() : true;
}

bool TBaseDM::HasRight(int userId, int item)
{
    const QVariant v =
        QueryValue(QStringLiteral("select IS_ALLOWED from USER_RIGHTS where USER_ID = :USER_ID and ITEM_ID = :ITEM_ID"),
                   QString(), {{QStringLiteral("USER_ID"), userId}, {QStringLiteral("ITEM_ID"), item}});
    return !v.isNull() && v.toString() == QLatin1String("1");
}

void TBaseDM::SetRight(int userId, int item, bool allowed)
{
    const QVariantMap key{{QStringLiteral("USER_ID"), userId}, {QStringLiteral("ITEM_ID"), item}};
    if (!allowed) {
        ExecSQL(QStringLiteral("delete from USER_RIGHTS where USER_ID = :USER_ID and ITEM_ID = :ITEM_ID"), key);
        return;
    }
    if (QueryHasRows(QStringLiteral("select USER_ID from USER_RIGHTS where USER_ID = :USER_ID and ITEM_ID = :ITEM_ID"),
                     key))
        ExecSQL(QStringLiteral("update USER_RIGHTS set IS_ALLOWED = 1 where USER_ID = :USER_ID and ITEM_ID = :ITEM_ID"),
                key);
    else
        ExecSQL(QStringLiteral("insert into USER_RIGHTS values (:USER_ID, :ITEM_ID, 1)"), key);
}

std::vector<TRightItem> TBaseDM::GetRightItems(int parentId)
{
    TDataSet q;
    q.SetTransaction(&IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from USER_RIGHT_ITEMS where PARENT_ID = :PARENT_ID ORDER BY ID"));
    q.ParamByName(QStringLiteral("PARENT_ID")).SetAsInteger(parentId);
    q.Open();
    std::vector<TRightItem> items;
    for (q.First(); !q.Eof(); q.Next())
        items.push_back({q.FieldByName(QStringLiteral("DESC_DISPLAY")).AsString(),
                         q.FieldByName(QStringLiteral("ID")).AsInteger()});
    q.Close();
    return items;
}

void TBaseDM::ShowSecuritySettings()
{
    if (UserPrompts.SecuritySettings)
        UserPrompts.SecuritySettings(*this);
}

// ---------------------------------------------------------------------------
// The rights tree

bool TRightsTree::IsCheckable(int id, int parentId)
{
    return parentId != 0 || id == rights::EnterProgramItem;
}

void TRightsTree::AddChildren(TBaseDM &dm, int parentId, int parentIndex, int depth, std::vector<int> &seen)
{
    for (const TRightItem &item : dm.GetRightItems(parentId)) {
        // An item met before (a cycle or an item that is its own parent)
        // is shown once.
        if (std::find(seen.begin(), seen.end(), item.Id) != seen.end())
            continue;
        seen.push_back(item.Id);
        Node node;
        node.Id = item.Id;
        node.ParentId = parentId;
        node.Text = item.Text;
        node.Depth = depth;
        node.Parent = parentIndex;
        node.Checkable = IsCheckable(item.Id, parentId);
        FNodes.push_back(node);
        AddChildren(dm, item.Id, int(FNodes.size()) - 1, depth + 1, seen);
    }
}

void TRightsTree::Build(TBaseDM &dm)
{
    FNodes.clear();
    std::vector<int> seen{0};
    AddChildren(dm, 0, -1, 0, seen);
}

void TRightsTree::LoadTicks(TBaseDM &dm, int userId)
{
    for (Node &node : FNodes)
        node.Checked = node.Checkable && dm.HasRight(userId, node.Id);
}

void TRightsTree::Save(TBaseDM &dm, int userId)
{
    dm.RunInUnit([&] {
        for (const Node &node : FNodes)
            dm.SetRight(userId, node.Id, node.Checkable && node.Checked);
    });
    LoadTicks(dm, userId);
}

void TRightsTree::ApplyTemplate(TBaseDM &dm, int templateId)
{
    for (Node &node : FNodes) {
        if (!node.Checkable)
            continue;
        const QVariant v = dm.QueryValue(
            QStringLiteral("select IS_ALLOWED from UR_TEMPLATE_ITEMS where TEMPLATE_ID = :TEMPLATE_ID and URI_ID = :URI_ID"),
            QString(), {{QStringLiteral("TEMPLATE_ID"), templateId}, {QStringLiteral("URI_ID"), node.Id}});
        node.Checked = !v.isNull() && v.toString() == QLatin1String("1");
    }
}

bool TRightsTree::Toggle(int index)
{
    if (index < 0 || index >= Count() || !FNodes[std::size_t(index)].Checkable)
        return false;
    FNodes[std::size_t(index)].Checked = !FNodes[std::size_t(index)].Checked;
    return true;
}

void TRightsTree::SetChecked(int index, bool checked)
{
    if (index >= 0 && index < Count() && FNodes[std::size_t(index)].Checkable)
        FNodes[std::size_t(index)].Checked = checked;
}

int TRightsTree::IndexOf(int id) const
{
    for (int i = 0; i < Count(); ++i) {
        if (FNodes[std::size_t(i)].Id == id)
            return i;
    }
    return -1;
}

bool TRightsTree::IsChecked(int id) const
{
    const int i = IndexOf(id);
    return i >= 0 && FNodes[std::size_t(i)].Checked;
}
