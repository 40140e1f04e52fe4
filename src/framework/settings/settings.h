#pragma once

// The settings store: typed reads with defaults and typed writes on key paths
// separated by "\" (case-sensitive), over the XML settings file. A section is
// a settings object that looks at a sub-tree of the same document.
//
//   TXMLSettings &s = AppSettings();
//   std::unique_ptr<TXMLSettings> form = s.OpenSection("frmClients");
//   form->WriteInteger("posLeft", 10);
//   int w = form->ReadInteger("sizeWidth", 640);
//   AppSettings().Flush();
//
// Writes change the document in memory only; Flush (or destroying the object
// that owns the document) saves the file. Errors are thrown as
// ESettingsError, refused text as ENotWin1251; nothing here shows a dialog.
// The store belongs to the user-interface thread.

#include "framework/settings/xmldb.h"

#include <QString>

#include <cstdint>
#include <memory>

// The abstract store: the operations a descendant supplies.
class TSettings
{
public:
    TSettings();
    virtual ~TSettings();
    TSettings(const TSettings &) = delete;
    TSettings &operator=(const TSettings &) = delete;

    virtual void Init(); // clears the fields
    virtual void Open() = 0;
    virtual int ReadInteger(const QString &key, int defaultValue) = 0;
    virtual bool ReadBool(const QString &key, bool defaultValue) = 0;
    virtual QString ReadString(const QString &key, const QString &defaultValue) = 0;
    virtual void WriteInteger(const QString &key, int value) = 0;
    virtual void WriteBool(const QString &key, bool value) = 0;
    virtual void WriteString(const QString &key, const QString &value) = 0;
    virtual bool SectionExists(const QString &name) = 0;
    virtual void Flush(); // nothing here
    // A new store on a sub-section; the caller owns it.
    std::unique_ptr<TSettings> OpenSection(const QString &name);

    QString SectionPath() const { return FSection; }

protected:
    virtual TSettings *NewSection(const QString &name) = 0;

    QString FSection;
};

// The store over an XML document.
class TXMLSettings : public TSettings
{
public:
    TXMLSettings();
    // The object that created the document saves it to its file (read-only
    // files are left alone) and frees it; a failure is swallowed. Sections
    // free only themselves.
    ~TXMLSettings() override;

    // Clears the owner flag, the file name, the document and the element.
    void Init() override;

    // Without a document: loads the file (FileName(), or the default file
    // name when empty), becomes the owner and positions at the section path,
    // creating it. With a document: positions at the section path.
    void Open() override;

    // The element's text as a decimal integer; defaultValue when the element
    // does not exist. An empty text reads 0; a text that is not a whole
    // decimal number within the int range ("12a") reads as defaultValue.
    int ReadInteger(const QString &key, int defaultValue) override;
    // ReadInteger(key, 0 or 1) == 1: a stored "2" reads false.
    bool ReadBool(const QString &key, bool defaultValue) override;
    // The element's text (possibly empty) when it exists, else defaultValue.
    QString ReadString(const QString &key, const QString &defaultValue) override;
    // Create the path when missing and set the text. A key part that cannot
    // be an element name is refused with ESettingsError, text that
    // Windows-1251 cannot hold with ENotWin1251; a refusal changes nothing.
    void WriteInteger(const QString &key, int value) override;
    void WriteBool(const QString &key, bool value) override;
    void WriteString(const QString &key, const QString &value) override;
    // True when "settings\" + name exists under the section's element.
    bool SectionExists(const QString &name) override;
    // Saves the shared document to its file (see TXMLDataBase2::Flush).
    void Flush() override;
    // A new section sharing the document, path = this path + "\" + name (name
    // alone when this path is empty, this path when name is empty), opened at
    // once so that its element exists. Two sections on one path see each
    // other's writes. The caller owns it.
    std::unique_ptr<TXMLSettings> OpenSection(const QString &name);
    // The key under this section's element, then under each ancestor up to
    // the document element; the first value found that is not "-novalue-"
    // wins; defaultValue when none.
    virtual QString ReadInheritedString(const QString &key, const QString &defaultValue);

    // The file the owner loads and saves; set before Open. Empty means the
    // default file name.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString &fileName) { FFileName = fileName; }
    bool IsOwner() const { return FOwner; }
    TXMLDataBase2 *Document() const { return FDocument.get(); }
    // The section's element (created when missing); opens the store first
    // when needed.
    TXMLNode2 *Node();

    // The element of key below the section's element, or null. Reads never
    // create anything.
    TXMLNode2 *FindKey(const QString &key);

    // The settings file of an executable: ".exe" at the end replaced by
    // ".xdb", otherwise ".xdb" appended.
    static QString SettingsFileNameFor(const QString &executablePath);
    // The settings file of this program.
    static QString DefaultFileName();

protected:
    TSettings *NewSection(const QString &name) override;

private:
    TXMLNode2 *SectionNode(bool create);
    TXMLNode2 *WriteNode(const QString &key);

    std::shared_ptr<TXMLDataBase2> FDocument;
    TXMLNode2 *FNode = nullptr;
    std::uint64_t FNodeGeneration = 0;
    bool FOwner = false;
    QString FFileName;
};

// The process-wide store. CreateAppSettings makes it and opens it at once
// (fileName empty: the default file name beside the executable); the program
// entry calls it first. DestroyAppSettings saves the file and frees it; the
// entry calls it last. AppSettings() throws std::logic_error when the store
// has not been created.
TXMLSettings &CreateAppSettings(const QString &fileName = QString());
void DestroyAppSettings();
bool AppSettingsExists();
TXMLSettings &AppSettings();
