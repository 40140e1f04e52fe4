#include "framework/forms/dictionary.h"
#include "framework/forms/globalvalues.h"

#include <QDate>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using Entries = std::vector<std::pair<QString, QVariant>>;

Entries EntriesOf(const TDictionary &d)
{
    Entries e;
    for (int i = 0; i < d.Count(); ++i)
        e.emplace_back(d.Name(i), d.GetValue(i));
    return e;
}

TDictionary Make(const Entries &entries)
{
    TDictionary d;
    for (const auto &[name, value] : entries)
        d.AddValue(name, value);
    return d;
}

struct Case
{
    const char *what;
    Entries start;
    std::function<void(TDictionary &)> act;
    Entries expected;
};

const Case Cases[] = {
    {"Add appends an empty value and answers its index", {{"a", 1}},
     [](TDictionary &d) { EXPECT_EQ(d.Add("b"), 1); }, {{"a", 1}, {"b", QVariant()}}},
    {"AddValue appends even a name already there", {{"a", 1}},
     [](TDictionary &d) { EXPECT_EQ(d.AddValue("A", 2), 1); }, {{"a", 1}, {"A", 2}}},
    {"Insert puts an empty entry at the index", {{"a", 1}, {"c", 3}},
     [](TDictionary &d) { d.Insert(1, "b"); }, {{"a", 1}, {"b", QVariant()}, {"c", 3}}},
    {"SetValue and GetValue by index", {{"a", 1}},
     [](TDictionary &d) {
         d.SetValue(0, "текст");
         EXPECT_EQ(d.GetValue(0), QVariant("текст"));
     },
     {{"a", "текст"}}},
    {"ValueOf answers the first entry, case ignored, Cyrillic too", {{"Град", 1}, {"град", 2}},
     [](TDictionary &d) {
         EXPECT_EQ(d.ValueOf("ГРАД"), QVariant(1));
         EXPECT_FALSE(d.ValueOf("липсва").isValid());
         EXPECT_TRUE(d.Contains("гРАД"));
         EXPECT_FALSE(d.Contains("град2"));
     },
     {{"Град", 1}, {"град", 2}}},
    {"SetNamedValue replaces the first entry and never adds a second", {{"K", 1}, {"k", 2}},
     [](TDictionary &d) {
         d.SetNamedValue("k", 10);
         d.SetNamedValue("new", true);
     },
     {{"K", 10}, {"k", 2}, {"new", true}}},
    {"Delete and Clear", {{"a", 1}, {"b", 2}, {"c", 3}},
     [](TDictionary &d) {
         d.Delete(1);
         EXPECT_EQ(d.Count(), 2);
         d.Clear();
     },
     {}},
    {"Assign copies the source's entries and values", {{"old", 0}},
     [](TDictionary &d) { d.Assign(Make({{"x", QDate(2009, 3, 5)}, {"y", 1.5}})); },
     {{"x", QDate(2009, 3, 5)}, {"y", 1.5}}},
    {"Assign from a plain string list gives empty values", {{"old", 0}},
     [](TDictionary &d) { d.Assign(QStringList{"p", "q"}); }, {{"p", QVariant()}, {"q", QVariant()}}},
    {"Assign to itself changes nothing", {{"a", 1}},
     [](TDictionary &d) { d.Assign(d); }, {{"a", 1}}},
    {"AppendFrom appends copies, duplicates included", {{"a", 1}},
     [](TDictionary &d) { d.AppendFrom(Make({{"A", 2}, {"b", 3}})); }, {{"a", 1}, {"A", 2}, {"b", 3}}},
    {"AppendFrom itself doubles the entries", {{"a", 1}},
     [](TDictionary &d) { d.AppendFrom(d); }, {{"a", 1}, {"a", 1}}},
    {"MergeFrom replaces by name or appends", {{"a", 1}, {"b", 2}},
     [](TDictionary &d) { d.MergeFrom(Make({{"B", 20}, {"c", 30}})); }, {{"a", 1}, {"b", 20}, {"c", 30}}},
};

} // namespace

TEST(Dictionary, Operations)
{
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.what);
        TDictionary d = Make(c.start);
        c.act(d);
        EXPECT_EQ(EntriesOf(d), c.expected);
    }
}

TEST(Dictionary, CopiesAreIndependentAndBadIndexesThrow)
{
    TDictionary source = Make({{"a", 1}});
    TDictionary copy = source;
    copy.SetNamedValue("a", 2);
    EXPECT_EQ(source.ValueOf("a"), QVariant(1));
    EXPECT_THROW(source.GetValue(1), std::out_of_range);
    EXPECT_THROW(source.Delete(-1), std::out_of_range);
    EXPECT_THROW(source.Insert(2, "x"), std::out_of_range);
}

TEST(GlobalValues, EveryValueIsReadOnce)
{
    GlobalValues().Clear();
    PutGlobalValue("CITIES::KEY", 5);
    PutGlobalValue("cities::key", 7); // the same name: replaced
    EXPECT_EQ(GlobalValues().Count(), 1);
    EXPECT_EQ(TakeGlobalValue("Cities::Key", "-EMPTY-"), QVariant(7));
    EXPECT_EQ(TakeGlobalValue("CITIES::KEY", "-EMPTY-"), QVariant("-EMPTY-"));
    EXPECT_FALSE(TakeGlobalValue("CITIES::KEY").isValid());

    PutGlobalValue("CLIENTS::SHOWCMD", "POS");
    PutGlobalValue("CLIENTS::KEY", 12);
    PutGlobalValue("CLIENTSX::KEY", 1);
    PutGlobalValue("RFQ_CONF::PRIME_CARGO", "x");
    EXPECT_EQ(DropGlobalValues("clients"), 2);
    EXPECT_EQ(GlobalValues().Names(), (QStringList{"CLIENTSX::KEY", "RFQ_CONF::PRIME_CARGO"}));
    GlobalValues().Clear();
}
