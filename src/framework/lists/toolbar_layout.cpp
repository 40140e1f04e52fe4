#include "framework/lists/toolbar_layout.h"

void TToolbarLayout::EnsureGroups(int Count)
{
    while (GroupCount() < Count)
        AddGroup(2, 2);
}

void TToolbarLayout::AddButton(int GroupNo, QWidget *Button)
{
    if (GroupNo < 0)
        GroupNo = 0;
    EnsureGroups(GroupNo + 1);
    Items.append(Entry{Button, GroupNo});
}

void TToolbarLayout::AddGroup(int Gap, int Spacing)
{
    Groups.append(Group{Gap, Spacing});
}

int TToolbarLayout::InsertButtonAfter(QWidget *Existing, QWidget *NewButton)
{
    int last = -1;
    for (int i = 0; i < Items.size(); ++i) {
        if (Items[i].Button != Existing)
            continue;
        Items.insert(i + 1, Entry{NewButton, Items[i].GroupNo});
        last = i + 1;
        ++i; // skip the entry just inserted
    }
    return last;
}

void TToolbarLayout::InsertButtonGroup(int GroupNo, QWidget *Button)
{
    if (GroupNo < 0)
        GroupNo = 0;
    EnsureGroups(GroupNo);
    for (Entry &e : Items)
        if (e.GroupNo >= GroupNo)
            ++e.GroupNo;
    AddGroup(2, 2);
    Items.append(Entry{Button, GroupNo});
}

void TToolbarLayout::ApplyLayout()
{
    int pos = StartOffset;
    for (int g = 0; g < Groups.size(); ++g) {
        bool hasEntries = false;
        for (const Entry &e : Items)
            if (e.GroupNo == g && e.Button) {
                hasEntries = true;
                break;
            }
        if (!hasEntries)
            continue;
        pos += Groups[g].Gap;
        for (const Entry &e : Items) {
            if (e.GroupNo != g || !e.Button || e.Button->isHidden())
                continue;
            QWidget *b = e.Button;
            if (Vertical) {
                b->move(b->x(), pos);
                pos += b->height() + Groups[g].Spacing;
            } else {
                b->move(pos, b->y());
                pos += b->width() + Groups[g].Spacing;
            }
        }
    }
}

void TToolbarLayout::ClearLayout()
{
    Groups.clear();
    Items.clear();
}
