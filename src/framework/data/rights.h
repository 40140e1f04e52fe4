#pragma once
// Rights items and the rights tree, free of widgets. The checks themselves
// (IsAllowed, HasRight, SetRight, GetRightItems) are members of TBaseDM
// (rights.cpp); the rights dialog shows a TRightsTree and calls its
// operations.

#include <QString>

#include <vector>

class TBaseDM;

namespace rights {

// The item asked before the program is entered.
inline constexpr int EnterProgramItem = 1;
// The item of the rights dialog.
inline constexpr int SecuritySettingsItem = 34;
// The user whose rows mark the protected zones (nobody logged in).
inline constexpr int ZoneUserId = 0;

}  // namespace rights

// One child of a rights item, as GetRightItems gives it.
struct TRightItem {
    QString Text;  // DESC_DISPLAY
    int Id = 0;
};

// The rights tree of the dialog: the items of USER_RIGHT_ITEMS below
// parent 0, in the order they are shown (each node followed by its
// children, ordered by ID), with the tick of each node.
class TRightsTree
{
public:
    struct Node {
        int Id = 0;
        int ParentId = 0;
        QString Text;
        int Depth = 0;       // 0 for the top level
        int Parent = -1;     // index of the parent node; -1 at the top level
        bool Checkable = false;
        bool Checked = false;
    };

    // Whether a node carries a check mark: every node with a parent, and
    // the top-level item 1. Group headings have none.
    static bool IsCheckable(int id, int parentId);

    // Reads the items (GetRightItems from parent 0 down; an item met twice
    // is shown once) and clears every tick.
    void Build(TBaseDM &dm);
    // Ticks each node with a check mark that HasRight(userId, its ID).
    void LoadTicks(TBaseDM &dm, int userId);
    // SetRight(userId, ID, ticked) for every node, nodes without a check
    // mark counting as unticked, as one unit; then the ticks are read again.
    void Save(TBaseDM &dm, int userId);
    // Ticks each node with a check mark exactly when the template grants
    // its item (UR_TEMPLATE_ITEMS.IS_ALLOWED = 1).
    void ApplyTemplate(TBaseDM &dm, int templateId);

    // Toggles the tick of a node with a check mark; false (nothing changes)
    // for a node without one.
    bool Toggle(int index);
    void SetChecked(int index, bool checked);

    const std::vector<Node> &Nodes() const { return FNodes; }
    int Count() const { return int(FNodes.size()); }
    const Node &At(int index) const { return FNodes.at(std::size_t(index)); }
    // The index of the node with the item, -1 when none.
    int IndexOf(int id) const;
    bool IsChecked(int id) const;

private:
    void AddChildren(TBaseDM &dm, int parentId, int parentIndex, int depth, std::vector<int> &seen);
    std::vector<Node> FNodes;
};
