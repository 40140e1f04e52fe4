#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// Places the buttons of a toolbar in groups: each group begins after its gap,
// its buttons follow one another with its spacing between them. Hidden
// buttons take no room. Buttons are placed left to right by their left edge,
// or top to bottom by their top edge when Vertical is set.
class TToolbarLayout
{
public:
    struct Group
    {
        int Gap = 2;
        int Spacing = 2;
    };
    struct Entry
    {
        QPointer<QWidget> Button;
        int GroupNo = 0;
    };

    bool Vertical = false;
    int StartOffset = 0;

    // Adds groups (gap 2, spacing 2) until group GroupNo exists, then appends
    // the entry.
    void AddButton(int GroupNo, QWidget *Button);
    void AddGroup(int Gap, int Spacing);
    // After every entry of Existing inserts an entry of NewButton in the same
    // group; answers the index of the last inserted entry, or -1 when
    // Existing is not in the layout.
    int InsertButtonAfter(QWidget *Existing, QWidget *NewButton);
    // Makes room for a new group at GroupNo: entries of that group and later
    // ones move up by one, one group is added and the button goes into GroupNo.
    void InsertButtonGroup(int GroupNo, QWidget *Button);
    void ApplyLayout();
    void ClearLayout();
    int GroupCount() const { return int(Groups.size()); }

    const QList<Group> &GroupList() const { return Groups; }
    const QList<Entry> &Entries() const { return Items; }

private:
    void EnsureGroups(int Count);

    QList<Group> Groups;
    QList<Entry> Items;
};
