#include "framework/lists/toolbar_layout.h"

#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A toolbar of buttons "a".."f", each 30 wide and 20 high unless told.
struct Bar
{
    QWidget Panel;
    std::map<char, QToolButton *> B;
    Bar()
    {
        for (char c = 'a'; c <= 'f'; ++c) {
            auto *b = new QToolButton(&Panel);
            b->setGeometry(100, 100, 30, 20);
            B[c] = b;
        }
    }
    int X(char c) const { return B.at(c)->x(); }
    int Y(char c) const { return B.at(c)->y(); }
};

} // namespace

TEST(ToolbarLayout, PlacesGroupsAndSkipsHiddenButtons)
{
    struct Case
    {
        const char *Name;
        std::function<void(TToolbarLayout &, Bar &)> Build;
        std::map<char, int> Left;
        int Groups;
    };
    const std::vector<Case> cases = {
        {"one group", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(0, b.B['a']);
             l.AddButton(0, b.B['b']);
             l.AddButton(0, b.B['c']);
         }, {{'a', 2}, {'b', 34}, {'c', 66}}, 1},
        {"groups add their gap", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(0, b.B['a']);
             l.AddButton(1, b.B['b']);
             l.AddButton(1, b.B['c']);
             l.AddButton(3, b.B['d']); // groups 2 and 3 appear, 2 is empty
         }, {{'a', 2}, {'b', 36}, {'c', 68}, {'d', 102}}, 4},
        {"hidden buttons take no room", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(0, b.B['a']);
             l.AddButton(0, b.B['b']);
             l.AddButton(0, b.B['c']);
             l.AddButton(1, b.B['d']);
             b.B['b']->hide();
         }, {{'a', 2}, {'c', 34}, {'d', 68}}, 2},
        {"entry order within a group, not insertion of groups", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(1, b.B['a']);
             l.AddButton(0, b.B['b']);
             l.AddButton(1, b.B['c']);
         }, {{'b', 2}, {'a', 36}, {'c', 68}}, 2},
        {"own gap and spacing, start offset", [](TToolbarLayout &l, Bar &b) {
             l.StartOffset = 10;
             l.AddGroup(5, 1);
             l.AddGroup(8, 0);
             l.AddButton(0, b.B['a']);
             l.AddButton(0, b.B['b']);
             l.AddButton(1, b.B['c']);
             l.AddButton(1, b.B['d']);
         }, {{'a', 15}, {'b', 46}, {'c', 85}, {'d', 115}}, 2},
        {"InsertButtonAfter joins the group of the existing button", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(0, b.B['a']);
             l.AddButton(0, b.B['b']);
             l.AddButton(1, b.B['c']);
             EXPECT_EQ(l.InsertButtonAfter(b.B['a'], b.B['d']), 1);
             EXPECT_EQ(l.InsertButtonAfter(b.B['e'], b.B['f']), -1);
         }, {{'a', 2}, {'d', 34}, {'b', 66}, {'c', 100}}, 2},
        {"InsertButtonGroup opens a new group before the later ones", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(0, b.B['a']);
             l.AddButton(1, b.B['b']);
             l.AddButton(2, b.B['c']);
             l.InsertButtonGroup(1, b.B['d']);
         }, {{'a', 2}, {'d', 36}, {'b', 70}, {'c', 104}}, 4},
        {"InsertButtonGroup beyond the groups creates them", [](TToolbarLayout &l, Bar &b) {
             l.AddButton(0, b.B['a']);
             l.InsertButtonGroup(3, b.B['b']);
         }, {{'a', 2}, {'b', 36}}, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Bar bar;
        TToolbarLayout layout;
        c.Build(layout, bar);
        layout.ApplyLayout();
        EXPECT_EQ(layout.GroupCount(), c.Groups);
        for (auto [button, left] : c.Left) {
            EXPECT_EQ(bar.X(button), left) << "button " << button;
            EXPECT_EQ(bar.Y(button), 100) << "button " << button;
        }
    }
}

TEST(ToolbarLayout, InsertAfterEveryEntryOfTheButton)
{
    Bar bar;
    TToolbarLayout l;
    l.AddButton(0, bar.B['a']);
    l.AddButton(2, bar.B['a']);
    EXPECT_EQ(l.InsertButtonAfter(bar.B['a'], bar.B['b']), 3);
    ASSERT_EQ(l.Entries().size(), 4);
    EXPECT_EQ(l.Entries()[1].Button, bar.B['b']);
    EXPECT_EQ(l.Entries()[1].GroupNo, 0);
    EXPECT_EQ(l.Entries()[3].Button, bar.B['b']);
    EXPECT_EQ(l.Entries()[3].GroupNo, 2);
}

TEST(ToolbarLayout, VerticalUsesTopEdgesAndClearEmptiesIt)
{
    Bar bar;
    TToolbarLayout l;
    l.Vertical = true;
    l.AddButton(0, bar.B['a']);
    l.AddButton(1, bar.B['b']);
    l.ApplyLayout();
    EXPECT_EQ(bar.Y('a'), 2);
    EXPECT_EQ(bar.Y('b'), 26);
    EXPECT_EQ(bar.X('a'), 100);
    l.ClearLayout();
    EXPECT_EQ(l.GroupCount(), 0);
    EXPECT_TRUE(l.Entries().isEmpty());
}
