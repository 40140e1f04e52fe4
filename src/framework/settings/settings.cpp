#include "framework/settings/settings.h"

#include "framework/text/win1251.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <stdexcept>

// ---------------------------------------------------------------------------
// TSettings

TSettings::TSettings()
{
    TSettings::Init();
}

TSettings::~TSettings() = default;

void TSettings::Init()
{
    FSection.clear();
}

void TSettings::Flush()
{
}

std::unique_ptr<TSettings> TSettings::OpenSection(const QString &name)
{
    return std::unique_ptr<TSettings>(NewSection(name));
}

// ---------------------------------------------------------------------------
// Key paths

namespace {

// Empty parts are skipped: an empty key (or "\") is the starting element.
QStringList KeyParts(const QString &key)
{
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// The element at key below start, following the first child of each name.
TXMLNode2 *Lookup(TXMLNode2 *start, const QString &key)
{
    TXMLNode2 *node = start;
    for (const QString &part : KeyParts(key)) {
        node = node->FindChild(part);
        if (!node)
            return nullptr;
    }
    return node;
}

// As Lookup, appending what is missing. Every part is checked before
// anything is created, so a refused key changes nothing.
TXMLNode2 *Create(TXMLNode2 *start, const QString &key)
{
    const QStringList parts = KeyParts(key);
    for (const QString &part : parts) {
        if (!TXMLNode2::IsValidName(part))
            throw ESettingsError(
                QStringLiteral("Ключът \"%1\" не може да бъде записан във файла с настройки.").arg(key));
        if (!TXMLNode2::CanHold(part))
            throw ENotWin1251(part);
    }
    TXMLNode2 *node = start;
    for (const QString &part : parts) {
        TXMLNode2 *child = node->FindChild(part);
        node = child ? child : node->AddChild(part);
    }
    return node;
}

// The deepest element that exists along key below start (start itself at
// least).
TXMLNode2 *DeepestExisting(TXMLNode2 *start, const QString &key)
{
    TXMLNode2 *node = start;
    for (const QString &part : KeyParts(key)) {
        TXMLNode2 *child = node->FindChild(part);
        if (!child)
            break;
        node = child;
    }
    return node;
}

// The integer reading of a stored text, one rule for every case: blanks at
// both ends are ignored; an empty text reads 0 (an element that exists with
// no text is 0, not the default); an optional sign followed by decimal digits
// whose value fits in an int reads as that number; any other text ("12a",
// "1.5", "0x10", a number beyond the int range) reads as the caller's default.
int TextToInteger(const QString &text, int defaultValue)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    qsizetype i = 0;
    bool negative = false;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-')) {
        negative = t.at(0) == QLatin1Char('-');
        i = 1;
    }
    if (i == t.size())
        return defaultValue;
    long long value = 0;
    for (; i < t.size(); ++i) {
        ushort c = t.at(i).unicode();
        if (c < '0' || c > '9')
            return defaultValue;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL)
            return defaultValue;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL || value < -2147483648LL)
        return defaultValue;
    return int(value);
}

} // namespace

// ---------------------------------------------------------------------------
// TXMLSettings

TXMLSettings::TXMLSettings()
{
    TXMLSettings::Init();
}

TXMLSettings::~TXMLSettings()
{
    if (!FOwner || !FDocument)
        return;
    // The final save: a file that cannot be written keeps its old content and
    // does not stop the program from ending.
    try {
        if (!TXMLDataBase2::IsReadOnlyFile(FDocument->FileName()))
            FDocument->SaveToFile(FDocument->FileName());
    } catch (...) {
    }
}

void TXMLSettings::Init()
{
    TSettings::Init();
    FOwner = false;
    FFileName.clear();
    FDocument.reset();
    FNode = nullptr;
    FNodeGeneration = 0;
}

void TXMLSettings::Open()
{
    if (!FDocument) {
        if (FFileName.isEmpty())
            FFileName = DefaultFileName();
        FDocument = std::make_shared<TXMLDataBase2>(FFileName);
        FOwner = true;
    }
    SectionNode(true);
}

TXMLNode2 *TXMLSettings::SectionNode(bool create)
{
    if (!FDocument)
        Open();
    TXMLParser2 *root = FDocument->DocumentElement();
    // The element is looked up again whenever elements of the document were
    // freed since it was found, so a removed element is never used.
    if (FNode && FNodeGeneration == root->Generation())
        return FNode;
    TXMLNode2 *node = create ? Create(root, FSection) : Lookup(root, FSection);
    FNode = node;
    FNodeGeneration = root->Generation();
    return node;
}

TXMLNode2 *TXMLSettings::Node()
{
    return SectionNode(true);
}

TXMLNode2 *TXMLSettings::FindKey(const QString &key)
{
    TXMLNode2 *section = SectionNode(false);
    return section ? Lookup(section, key) : nullptr;
}

TXMLNode2 *TXMLSettings::WriteNode(const QString &key)
{
    TXMLNode2 *section = SectionNode(true);
    return Create(section, key);
}

int TXMLSettings::ReadInteger(const QString &key, int defaultValue)
{
    TXMLNode2 *node = FindKey(key);
    return node ? TextToInteger(node->Text(), defaultValue) : defaultValue;
}

bool TXMLSettings::ReadBool(const QString &key, bool defaultValue)
{
    return ReadInteger(key, defaultValue ? 1 : 0) == 1;
}

QString TXMLSettings::ReadString(const QString &key, const QString &defaultValue)
{
    TXMLNode2 *node = FindKey(key);
    return node ? node->Text() : defaultValue;
}

void TXMLSettings::WriteInteger(const QString &key, int value)
{
    WriteString(key, QString::number(value));
}

void TXMLSettings::WriteBool(const QString &key, bool value)
{
    WriteInteger(key, value ? 1 : 0);
}

void TXMLSettings::WriteString(const QString &key, const QString &value)
{
    if (!TXMLNode2::CanHold(value)) // before the path is made: a refused value changes nothing
        throw ENotWin1251(value);
    WriteNode(key)->SetText(value);
}

bool TXMLSettings::SectionExists(const QString &name)
{
    return FindKey(QStringLiteral("settings\\") + name) != nullptr;
}

void TXMLSettings::Flush()
{
    if (FDocument)
        FDocument->Flush();
}

std::unique_ptr<TXMLSettings> TXMLSettings::OpenSection(const QString &name)
{
    if (!FDocument)
        Open();
    auto section = std::make_unique<TXMLSettings>();
    if (FSection.isEmpty())
        section->FSection = name;
    else if (name.isEmpty())
        section->FSection = FSection;
    else
        section->FSection = FSection + QLatin1Char('\\') + name;
    section->FDocument = FDocument;
    section->FFileName = FFileName;
    section->Open();
    return section;
}

TSettings *TXMLSettings::NewSection(const QString &name)
{
    return OpenSection(name).release();
}

QString TXMLSettings::ReadInheritedString(const QString &key, const QString &defaultValue)
{
    static const QString noValue = QStringLiteral("-novalue-");
    if (!FDocument)
        Open();
    TXMLNode2 *root = FDocument->DocumentElement();
    TXMLNode2 *node = SectionNode(false);
    if (!node)
        node = DeepestExisting(root, FSection);
    for (; node; node = node->Parent()) {
        TXMLNode2 *found = Lookup(node, key);
        if (found && found->Text() != noValue)
            return found->Text();
        if (node == root)
            break;
    }
    return defaultValue;
}

QString TXMLSettings::SettingsFileNameFor(const QString &executablePath)
{
    if (executablePath.isEmpty())
        return QString();
    if (executablePath.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        return executablePath.left(executablePath.size() - 4) + QStringLiteral(".xdb");
    return executablePath + QStringLiteral(".xdb");
}

QString TXMLSettings::DefaultFileName()
{
    QString executable;
    if (QCoreApplication::instance())
        executable = QCoreApplication::applicationFilePath();
    if (executable.isEmpty())
        executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return SettingsFileNameFor(executable);
}

// ---------------------------------------------------------------------------
// AppSettings

namespace {
std::unique_ptr<TXMLSettings> &AppSettingsInstance()
{
    static std::unique_ptr<TXMLSettings> instance;
    return instance;
}
} // namespace

TXMLSettings &CreateAppSettings(const QString &fileName)
{
    auto &instance = AppSettingsInstance();
    if (instance)
        throw std::logic_error("AppSettings already exists");
    auto settings = std::make_unique<TXMLSettings>();
    settings->SetFileName(fileName);
    settings->Open();
    instance = std::move(settings);
    return *instance;
}

void DestroyAppSettings()
{
    AppSettingsInstance().reset();
}

bool AppSettingsExists()
{
    return AppSettingsInstance() != nullptr;
}

TXMLSettings &AppSettings()
{
    auto &instance = AppSettingsInstance();
    if (!instance)
        throw std::logic_error("AppSettings has not been created");
    return *instance;
}
