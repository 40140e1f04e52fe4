#pragma once

// The small XML document behind the settings store: elements, attributes,
// text and CDATA, nothing else. The file is Windows-1251 bytes whatever its
// declaration says; inside, text is Unicode.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class QIODevice;
class TXMLParser2;

// A failure of the settings store: a save that cannot be made, a key or
// attribute the file format cannot carry. Text that Windows-1251 cannot hold
// is refused with ENotWin1251 (framework/text/win1251.h), the program's one
// exception for such text.
class ESettingsError : public std::runtime_error
{
public:
    explicit ESettingsError(const QString &message);
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

// The texts of the store's own failures.
namespace SettingsMessages {
inline constexpr const char *NoFileName = "Cannot save XML DataBase!\n\rNo FileName is specified!";
inline constexpr const char *ReadOnly = "Cannot save XML DataBase!\n\rFile is readonly!";
} // namespace SettingsMessages

class TXMLAttribute2
{
public:
    TXMLAttribute2(const QString &name, const QString &value) : Name(name), Value(value) {}
    QString Name;
    QString Value;
};

// An element. It owns its children and attributes, both in document order.
// Its public setters refuse what could not be written and read back: names
// that are not element names (ESettingsError) and text Windows-1251 lacks
// (ENotWin1251).
class TXMLNode2
{
public:
    explicit TXMLNode2(const QString &name = QString());
    virtual ~TXMLNode2();
    TXMLNode2(const TXMLNode2 &) = delete;
    TXMLNode2 &operator=(const TXMLNode2 &) = delete;

    QString Name() const { return FName; }
    void SetName(const QString &name); // also sets Prefix
    QString Prefix() const { return FPrefix; } // before the first ':', else empty
    QString Text() const { return FText; }
    void SetText(const QString &text); // sets the CDATA flag when text has '<' or '>'
    bool IsCDATA() const { return FCDATA; }

    TXMLParser2 *Parser() const { return FParser; } // the document that holds it, or null
    TXMLNode2 *Parent() const { return FParent; }

    int ChildCount() const { return int(FChildren.size()); }
    TXMLNode2 *Child(int index) const; // null when out of range
    int IndexOf(const TXMLNode2 *child) const; // -1 when not a direct child
    // The first element named exactly name: among the direct children, or
    // with deep, the whole sub-tree depth-first in document order.
    TXMLNode2 *FindChild(const QString &name, bool deep = false) const;
    TXMLNode2 *AddChild(const QString &name); // appended as the last child
    void RemoveChild(TXMLNode2 *child); // frees it; ignores a node that is not a child
    void Clear(); // text, attributes and children
    // Deep copy of source (name, text, attributes, children) into this
    // element, replacing what it held. Source may be inside this element.
    void Assign(const TXMLNode2 &source);

    int AttributeCount() const { return int(FAttributes.size()); }
    TXMLAttribute2 *Attribute(int index) const; // null when out of range
    TXMLAttribute2 *FindAttribute(const QString &name) const;
    QString GetAttribute(const QString &name, const QString &defaultValue = QString()) const;
    QString GetAttribute(int index) const; // empty when out of range
    // Sets (or replaces) the attribute. A name the file format cannot carry
    // or a value holding '>' or both quotation marks is refused with
    // ESettingsError, text Windows-1251 lacks with ENotWin1251.
    void SetAttribute(const QString &name, const QString &value);
    void SetAttribute(int index, const QString &value);

    // Whether name can be written as an element or attribute name and read
    // back: not empty, no blanks or control characters, none of < > / = ' "
    // and not starting with ? or !.
    static bool IsValidName(const QString &name);
    // Whether the file can hold text (every character has a Windows-1251 byte).
    static bool CanHold(const QString &text);

protected:
    friend class TXMLParser2;
    friend class TXMLDataBase2;
    void Touch(); // tells the document that elements were freed
    // A detached copy of source with its whole sub-tree.
    static std::unique_ptr<TXMLNode2> CloneTree(const TXMLNode2 &source);

    QString FName;
    QString FPrefix;
    QString FText;
    bool FCDATA = false;
    TXMLParser2 *FParser = nullptr;
    TXMLNode2 *FParent = nullptr;
    std::vector<std::unique_ptr<TXMLNode2>> FChildren;
    std::vector<std::unique_ptr<TXMLAttribute2>> FAttributes;
};

// The document element, which is also the reader and the writer.
class TXMLParser2 : public TXMLNode2
{
public:
    explicit TXMLParser2(const QString &name = QStringLiteral("dataroot"));

    // Reads source into this element (cleared first; the declaration too).
    // On failure the part built before the error stays and ErrorText()
    // holds the message; on success ErrorText() is empty.
    bool Parse(const QString &source);
    QString ErrorText() const { return FErrorText; }

    // The declaration line and this element, as the file holds them.
    QString Write();

    TXMLNode2 &Declaration() { return FDeclaration; } // attributes "version", "encoding"

    // Grows whenever elements of this document are freed or replaced; a
    // holder of an element pointer checks it before using the pointer again.
    std::uint64_t Generation() const { return FGeneration; }

private:
    friend class TXMLNode2;

    void Fail(const QString &message); // throws the internal parse error
    qsizetype FindFrom(const QString &what) const; // 1-based, 0 when absent
    void ParseAttributes(QStringView text, TXMLNode2 &into);
    void Append(QStringView piece);
    void AppendIndent(qsizetype level);
    void AppendText(const QString &text); // plain, or CDATA when it has '<' or '>'
    void AppendAttributes(const TXMLNode2 &node);
    void WriteNode(const TXMLNode2 &root);

    QString FSource;
    qsizetype FPosition = 1; // 1-based reading position
    TXMLNode2 FDeclaration;
    QString FOutput;
    qsizetype FOutputCapacity = 0;
    qsizetype FOutputLength = 0;
    static constexpr qsizetype OutputGrowth = 65536;
    QString FErrorText;
    std::uint64_t FGeneration = 0;
};

// A document bound to a file.
class TXMLDataBase2
{
public:
    // Loads the file when it exists: a file that fails to parse keeps the
    // part read before the damage; a missing file gives an empty "dataroot".
    explicit TXMLDataBase2(const QString &fileName = QString());
    ~TXMLDataBase2();
    TXMLDataBase2(const TXMLDataBase2 &) = delete;
    TXMLDataBase2 &operator=(const TXMLDataBase2 &) = delete;

    QString FileName() const { return FFileName; }
    void SetFileName(const QString &fileName) { FFileName = fileName; }
    bool RaiseOnReadOnly() const { return FRaiseOnReadOnly; }
    void SetRaiseOnReadOnly(bool value) { FRaiseOnReadOnly = value; }

    TXMLParser2 *DocumentElement() const { return FRoot.get(); }
    QString ErrorText() const { return FRoot->ErrorText(); } // of the last load

    // The file's bytes: Windows-1251, each byte of a loaded file written back
    // as it was read. Throws ENotWin1251 (text added that the code page
    // lacks) or, for a stream, ESettingsError.
    QByteArray SaveToBytes() const;
    void SaveToStream(QIODevice &stream) const;
    bool LoadFromBytes(const QByteArray &bytes); // false: loaded up to the damage
    bool LoadFromStream(QIODevice &stream);
    void Clear(); // an empty "dataroot"

    // Saves to FileName(): no file name raises SettingsMessages::NoFileName;
    // an existing read-only file is skipped silently (or raises
    // SettingsMessages::ReadOnly with RaiseOnReadOnly). The file is replaced
    // atomically with mode 0600; a failure leaves the old file whole and
    // raises ESettingsError (ENotWin1251 for text the code page lacks).
    void Flush();

    // Writes the document to fileName atomically, mode 0600, without the
    // read-only test. Throws ESettingsError on failure.
    void SaveToFile(const QString &fileName) const;

    static bool IsReadOnlyFile(const QString &fileName);

private:
    bool FRaiseOnReadOnly = false;
    QString FFileName;
    std::unique_ptr<TXMLParser2> FRoot;
};
