// The store's operations on the document in memory: key paths, typed reads,
// sections, inherited values and refused writes.

#include "framework/settings/settings.h"
#include "framework/text/win1251.h"
#include "support.h"

using namespace settings_test;

namespace {

// A store over a file in its own temporary folder, not yet on disk.
class SettingsStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FStore.SetFileName(FDir.Path("k.xdb"));
        FStore.Open();
    }
    TempDir FDir;
    TXMLSettings FStore;
};

} // namespace

TEST_F(SettingsStore, KeyPathsMapToNestedElements)
{
    FStore.WriteString("db_server\\host", "srv");
    TXMLNode2 *root = FStore.Document()->DocumentElement();
    ASSERT_EQ(root->ChildCount(), 1);
    EXPECT_EQ(root->Child(0)->Name(), "db_server");
    EXPECT_EQ(root->Child(0)->Child(0)->Name(), "host");
    EXPECT_EQ(root->Child(0)->Child(0)->Text(), "srv");
    EXPECT_EQ(FStore.ReadString("db_server\\host", "-"), "srv");
    EXPECT_EQ(FStore.ReadString("db_server\\HOST", "-"), "-"); // case-sensitive
    EXPECT_EQ(FStore.ReadString("\\db_server\\\\host\\", "-"), "srv"); // empty parts are skipped
    EXPECT_EQ(FStore.FindKey(""), root);

    // Reads create nothing.
    EXPECT_EQ(FStore.ReadString("no\\such", "d"), "d");
    EXPECT_EQ(FStore.ReadInteger("no\\such", 5), 5);
    EXPECT_EQ(FStore.FindKey("no"), nullptr);
}

TEST_F(SettingsStore, IntegerReadingFollowsOneRule)
{
    struct Case
    {
        const char *text;
        int expected;
    };
    const int def = 77;
    const Case cases[] = {
        {"12", 12},       {"-5", -5},      {"+7", 7},        {" 42 ", 42},
        {"", 0},          {"12a", def},    {"a12", def},     {"1.5", def},
        {"-", def},       {"0x10", def},   {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},  {"2147483648", def},
        {"99999999999999999999", def},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FStore.WriteString("n", c.text);
        EXPECT_EQ(FStore.ReadInteger("n", def), c.expected);
    }
    FStore.WriteInteger("n", -2147483647 - 1);
    EXPECT_EQ(FStore.ReadString("n", ""), "-2147483648");
}

TEST_F(SettingsStore, BooleansAreStoredAsZeroAndOne)
{
    FStore.WriteBool("b", true);
    EXPECT_EQ(FStore.ReadString("b", ""), "1");
    EXPECT_TRUE(FStore.ReadBool("b", false));
    FStore.WriteBool("b", false);
    EXPECT_EQ(FStore.ReadString("b", ""), "0");
    EXPECT_FALSE(FStore.ReadBool("b", true));
    FStore.WriteInteger("b", 2);
    EXPECT_FALSE(FStore.ReadBool("b", true));
    EXPECT_TRUE(FStore.ReadBool("missing", true));
    EXPECT_FALSE(FStore.ReadBool("missing", false));
}

TEST_F(SettingsStore, SectionPathsAndSharedDocument)
{
    auto top = FStore.OpenSection("frmMain");
    EXPECT_EQ(top->SectionPath(), "frmMain");
    EXPECT_FALSE(top->IsOwner());
    EXPECT_EQ(top->Document(), FStore.Document());
    EXPECT_NE(FStore.FindKey("frmMain"), nullptr); // opened at once
    EXPECT_EQ(top->OpenSection("")->SectionPath(), "frmMain");
    auto child = top->OpenSection("frmClients");
    EXPECT_EQ(child->SectionPath(), "frmMain\\frmClients");
    EXPECT_NE(FStore.FindKey("frmMain\\frmClients"), nullptr);

    // Two sections on one path see each other's writes at once.
    auto again = FStore.OpenSection("frmMain\\frmClients");
    child->WriteInteger("posLeft", 15);
    EXPECT_EQ(again->ReadInteger("posLeft", 0), 15);
    again->WriteString("posLeft", "20");
    EXPECT_EQ(child->ReadInteger("posLeft", 0), 20);
    EXPECT_EQ(FStore.ReadInteger("frmMain\\frmClients\\posLeft", 0), 20);

    // Through the abstract store.
    TSettings &base = FStore;
    std::unique_ptr<TSettings> abstract = base.OpenSection("frmMain");
    EXPECT_EQ(abstract->ReadInteger("frmClients\\posLeft", 0), 20);
}

TEST_F(SettingsStore, SectionExistsLooksUnderSettings)
{
    FStore.OpenSection("grid");
    EXPECT_FALSE(FStore.SectionExists("grid"));
    FStore.WriteString("settings\\grid\\x", "1");
    EXPECT_TRUE(FStore.SectionExists("grid"));
    EXPECT_TRUE(FStore.SectionExists("grid\\x"));
    EXPECT_FALSE(FStore.SectionExists("Grid"));
}

TEST_F(SettingsStore, InheritedStringsComeFromTheNearestAncestor)
{
    FStore.WriteString("color", "red");
    FStore.WriteString("a\\color", "-novalue-");
    auto section = FStore.OpenSection("a\\b");
    EXPECT_EQ(section->ReadInheritedString("color", "none"), "red");
    section->WriteString("color", "blue");
    EXPECT_EQ(section->ReadInheritedString("color", "none"), "blue");
    section->WriteString("color", "-novalue-");
    EXPECT_EQ(section->ReadInheritedString("color", "none"), "red");
    EXPECT_EQ(section->ReadInheritedString("missing", "none"), "none");
    FStore.WriteString("color", "-novalue-");
    EXPECT_EQ(section->ReadInheritedString("color", "none"), "none");
}

TEST_F(SettingsStore, RefusedWritesChangeNothing)
{
    try {
        FStore.WriteString("company\\name", QStringLiteral("東京 Ltd"));
        ADD_FAILURE() << "text outside Windows-1251 must be refused";
    } catch (const ENotWin1251 &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("U+6771"))) << e.what();
    }
    EXPECT_EQ(FStore.FindKey("company"), nullptr);

    EXPECT_THROW(FStore.WriteString("ok\\bad key", "v"), ESettingsError);
    EXPECT_THROW(FStore.WriteInteger("a<b", 1), ESettingsError);
    EXPECT_THROW(FStore.OpenSection("frm Clients"), ESettingsError);
    EXPECT_EQ(FStore.FindKey("ok"), nullptr);
    EXPECT_EQ(FStore.Document()->DocumentElement()->ChildCount(), 0);

    // Cyrillic and the other characters of the code page are fine.
    FStore.WriteString(QStringLiteral("име"), QStringLiteral("Ж € № ’"));
    EXPECT_EQ(FStore.ReadString(QStringLiteral("име"), ""), QStringLiteral("Ж € № ’"));
}

TEST_F(SettingsStore, SectionSurvivesTheRemovalOfItsElement)
{
    auto section = FStore.OpenSection("frmList");
    section->WriteInteger("x", 1);
    TXMLNode2 *root = FStore.Document()->DocumentElement();
    root->RemoveChild(FStore.FindKey("frmList"));

    EXPECT_EQ(section->ReadInteger("x", 9), 9);
    EXPECT_EQ(FStore.FindKey("frmList"), nullptr); // the read made nothing
    section->WriteInteger("x", 2);
    EXPECT_EQ(FStore.ReadInteger("frmList\\x", 0), 2);

    FStore.Document()->Clear();
    EXPECT_EQ(section->ReadInheritedString("x", "none"), "none");
    section->WriteString("y", "z");
    EXPECT_EQ(FStore.ReadString("frmList\\y", ""), "z");
}
