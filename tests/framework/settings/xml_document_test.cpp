// The XML document: the reader's errors, the declaration, the element
// operations used by other modules, and very deep documents.

#include "framework/settings/xmldb.h"
#include "support.h"

#include <QBuffer>

using namespace settings_test;

TEST(XmlReader, ErrorTexts)
{
    struct Case
    {
        const char *source;
        const char *message;
    };
    const Case cases[] = {
        {"<?xml version='1.0'", "Missing ?> in xml declaration."},
        {"", "Missing <"},
        {"no tags at all", "Missing <"},
        {"<dataroot><a>1</a>", "Missing <"},
        {"<dataroot><a", "Missing >"},
        {"<dataroot><a b></a></dataroot>", "missing = when parsing attributes"},
        {"<dataroot><a b=1></a></dataroot>", "missing value delimiter when parsing attributes"},
        {"<dataroot><a b='1></a></dataroot>", "Expected closing ' when parsing attributes"},
        {"<dataroot><a b=\"1></a></dataroot>", "Expected closing \" when parsing attributes"},
        {"<dataroot><a><![CDATA[x</a></dataroot>", "Expected ]]> when parsing CDATA section"},
        {"<dataroot><a>text", "Expected < when parsing text"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        TXMLParser2 parser;
        EXPECT_FALSE(parser.Parse(QString::fromLatin1(c.source)));
        EXPECT_TRUE(parser.ErrorText().startsWith(QString::fromLatin1(c.message) + " near "))
            << parser.ErrorText().toStdString();
    }
}

TEST(XmlReader, ErrorTextShowsTheSourceNearThePositionAndThePartBuilt)
{
    TXMLParser2 parser;
    EXPECT_FALSE(parser.Parse("<dataroot><a x=1/></dataroot>"));
    EXPECT_EQ(parser.ErrorText(),
              "missing value delimiter when parsing attributes near <dataroot><a x=1/></dataroot>\r\n"
              "Error position=11\r\n"
              "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n<dataroot>\r\n  <a/>\r\n</dataroot>");

    // 50 characters, from 20 before the position.
    const QString pad(40, QLatin1Char(' '));
    EXPECT_FALSE(parser.Parse("<dataroot>" + pad + "<b>0123456789" + pad + "<c q></c></dataroot>"));
    const QString near = parser.ErrorText().section(" near ", 1).section("\r\n", 0, 0);
    EXPECT_EQ(near, QString(20, QLatin1Char(' ')) + "<c q></c></dataroot>");
    EXPECT_TRUE(parser.ErrorText().contains("\r\nError position=104\r\n"));
    EXPECT_EQ(parser.FindChild("b")->Text(), "0123456789");

    EXPECT_TRUE(parser.Parse("<dataroot/>"));
    EXPECT_EQ(parser.ErrorText(), QString());
}

TEST(XmlReader, DocumentElementDeclarationAndWhatFollows)
{
    TXMLParser2 parser;
    ASSERT_TRUE(parser.Parse("junk <?xml encoding=\"windows-1251\" version='1.1'?>\n"
                             "<x:root a='1'><item>v</item></closes-anyway> trailing <garbage"));
    EXPECT_EQ(parser.Name(), "x:root");
    EXPECT_EQ(parser.Prefix(), "x");
    EXPECT_EQ(parser.GetAttribute("a"), "1");
    EXPECT_EQ(parser.FindChild("item")->Text(), "v");
    EXPECT_EQ(parser.Write(), "<?xml version='1.1' encoding='windows-1251' ?>\r\n"
                              "<x:root a='1'>\r\n  <item>v</item>\r\n</x:root>");

    // No declaration: the defaults are written.
    ASSERT_TRUE(parser.Parse("<dataroot><e>t</e></dataroot>"));
    EXPECT_EQ(parser.Write(), "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n"
                              "<dataroot>\r\n  <e>t</e>\r\n</dataroot>");
}

TEST(XmlDocument, ElementOperations)
{
    TXMLParser2 doc;
    ASSERT_TRUE(doc.Parse("<dataroot><a><k>1</k><b><k>2</k></b></a><k>3</k><k>4</k></dataroot>"));
    // First match in document order, direct or over the whole sub-tree.
    EXPECT_EQ(doc.FindChild("k")->Text(), "3");
    EXPECT_EQ(doc.FindChild("k", true)->Text(), "1");
    EXPECT_EQ(doc.FindChild("b", true)->FindChild("k")->Text(), "2");
    EXPECT_EQ(doc.FindChild("missing", true), nullptr);

    TXMLNode2 *a = doc.FindChild("a");
    TXMLNode2 *added = a->AddChild("new");
    EXPECT_EQ(a->Child(a->ChildCount() - 1), added);
    EXPECT_EQ(added->Parent(), a);
    EXPECT_EQ(added->Parser(), &doc);
    added->SetText("1 < 2");
    EXPECT_TRUE(added->IsCDATA());
    added->SetText("plain");
    EXPECT_FALSE(added->IsCDATA());
    EXPECT_THROW(a->AddChild("two words"), ESettingsError);

    // Deep copy, also of an element into one of its own ancestors.
    TXMLNode2 *copy = doc.AddChild("copy");
    copy->Assign(*a);
    EXPECT_EQ(copy->Name(), "a");
    EXPECT_EQ(copy->FindChild("b")->FindChild("k")->Text(), "2");
    EXPECT_EQ(copy->FindChild("b")->Parent(), copy);
    EXPECT_EQ(copy->FindChild("b")->Parser(), &doc);
    a->Assign(*a->FindChild("b"));
    EXPECT_EQ(a->Name(), "b");
    EXPECT_EQ(a->ChildCount(), 1);
    EXPECT_EQ(a->Child(0)->Text(), "2");
    EXPECT_EQ(copy->ChildCount(), 3); // the copy is its own

    std::uint64_t generation = doc.Generation();
    doc.RemoveChild(copy);
    EXPECT_GT(doc.Generation(), generation);
    EXPECT_EQ(doc.IndexOf(copy), -1);
    TXMLNode2 stranger;
    doc.RemoveChild(&stranger); // not a child: ignored
}

TEST(XmlDocument, Attributes)
{
    TXMLNode2 node("grid");
    node.SetAttribute("width", "10");
    node.SetAttribute("name", "it's");
    node.SetAttribute("width", "20");
    ASSERT_EQ(node.AttributeCount(), 2);
    EXPECT_EQ(node.Attribute(0)->Name, "width");
    EXPECT_EQ(node.GetAttribute(0), "20");
    EXPECT_EQ(node.GetAttribute("name"), "it's");
    EXPECT_EQ(node.GetAttribute("none", "d"), "d");
    node.SetAttribute(1, "say \"hi\" & <go");
    EXPECT_THROW(node.SetAttribute(1, "a>b"), ESettingsError);
    EXPECT_THROW(node.SetAttribute("q", "it's \"both\""), ESettingsError);
    EXPECT_THROW(node.SetAttribute("bad name", "v"), ESettingsError);
    EXPECT_EQ(node.GetAttribute(1), "say \"hi\" & <go");

    // Written with the quotation rule and read back as they were.
    TXMLParser2 doc;
    doc.AddChild("x")->Assign(node);
    doc.FindChild("grid")->SetAttribute("n", "it's");
    const QString text = doc.Write();
    EXPECT_TRUE(text.contains("<grid width='20' name='say \"hi\" & <go' n=\"it's\"/>")) << text.toStdString();
    TXMLParser2 back;
    ASSERT_TRUE(back.Parse(text));
    EXPECT_EQ(back.FindChild("grid")->GetAttribute("name"), "say \"hi\" & <go");
    EXPECT_EQ(back.FindChild("grid")->GetAttribute("n"), "it's");
}

TEST(XmlDocument, StreamsAndClear)
{
    TXMLDataBase2 db;
    db.DocumentElement()->AddChild("a")->SetText(QStringLiteral("Ж"));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    db.SaveToStream(buffer);
    EXPECT_TRUE(buffer.data().endsWith("<a>\xC6</a>\r\n</dataroot>"));

    TXMLDataBase2 other;
    buffer.seek(0);
    EXPECT_TRUE(other.LoadFromStream(buffer));
    EXPECT_EQ(other.DocumentElement()->FindChild("a")->Text(), QStringLiteral("Ж"));
    EXPECT_FALSE(other.LoadFromBytes("<settings><a>1</a>"));
    EXPECT_EQ(other.DocumentElement()->Name(), "settings");
    EXPECT_EQ(other.DocumentElement()->ChildCount(), 1);
    other.Clear();
    EXPECT_EQ(other.DocumentElement()->Name(), "dataroot");
    EXPECT_EQ(other.DocumentElement()->ChildCount(), 0);

    // Every byte survives a load and a save, 0x98 (unused in the code page) too.
    QByteArray bytes = "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n<dataroot>";
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.append(char(b));
    bytes.append("</dataroot>");
    ASSERT_TRUE(other.LoadFromBytes(bytes));
    EXPECT_EQ(other.SaveToBytes(), bytes);
}

TEST(XmlDocument, VeryDeepDocument)
{
    // Reading, searching, copying, writing and freeing do not recurse.
    const int depth = 100000;
    QString source;
    source.reserve(depth * 7 + 40);
    for (int i = 0; i < depth; ++i)
        source += "<e>";
    source += "<last>x</last>";
    for (int i = 0; i < depth; ++i)
        source += "</e>";
    source += "</dataroot>";
    {
        TXMLParser2 doc;
        ASSERT_TRUE(doc.Parse(source));
        ASSERT_NE(doc.FindChild("last", true), nullptr);
        EXPECT_EQ(doc.FindChild("last", true)->Text(), "x");
        TXMLNode2 copy;
        copy.Assign(doc);
        EXPECT_EQ(copy.FindChild("last", true)->Text(), "x");
    }
    {
        // A shallower one to write (indentation grows with depth).
        TXMLParser2 doc;
        TXMLNode2 *node = &doc;
        for (int i = 0; i < 3000; ++i)
            node = node->AddChild("e");
        node->SetText("x");
        TXMLParser2 back;
        ASSERT_TRUE(back.Parse(doc.Write()));
        const TXMLNode2 *inner = &back;
        for (int i = 0; i < 3000 && inner; ++i)
            inner = inner->ChildCount() == 1 ? inner->Child(0) : nullptr;
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(inner->Text(), "x");
    }
}
