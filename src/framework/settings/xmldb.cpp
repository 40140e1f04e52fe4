#include "framework/settings/xmldb.h"

#include "framework/text/win1251.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ESettingsError::ESettingsError(const QString &message)
    : std::runtime_error(message.toStdString()), FMessage(message)
{
}

// ---------------------------------------------------------------------------
// Windows-1251 of the file

// The file is read and written with the tables of Qt's "windows-1251"
// converter, in which every byte has a character and back (the unused byte
// 0x98 reads as U+0098 and is written as 0x98 again), so whatever a file
// holds survives a save.
namespace {

bool IsAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

bool IsAscii(const QByteArray &bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The code page as two tables, taken once from the converter: one character
// for each byte, and the byte of each of those characters.
struct CodePage
{
    bool valid = false;
    char16_t toUnicode[256] = {};
    std::vector<short> fromUnicode = std::vector<short>(65536, -1); // -1: no byte
};

const CodePage &Table()
{
    static const CodePage table = [] {
        CodePage page;
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QStringDecoder decoder("windows-1251");
        if (!decoder.isValid())
            return page;
        const QString chars = decoder.decode(all);
        if (decoder.hasError() || chars.size() != 256)
            return page;
        for (int i = 0; i < 256; ++i) {
            page.toUnicode[i] = chars.at(i).unicode();
            page.fromUnicode[chars.at(i).unicode()] = short(i);
        }
        page.valid = true;
        for (int i = 0; i < 256; ++i)
            if (page.fromUnicode[page.toUnicode[i]] != i)
                page.valid = false; // not one character per byte
        return page;
    }();
    if (!table.valid)
        throw ESettingsError(QStringLiteral("Кодовата таблица Windows-1251 не е достъпна."));
    return table;
}

// The bytes of text, or nothing when a character has no byte.
std::optional<QByteArray> EncodeFile(const QString &text)
{
    if (IsAscii(text))
        return text.toLatin1();
    const CodePage &page = Table();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const short byte = page.fromUnicode[text.at(i).unicode()];
        if (byte < 0)
            return std::nullopt;
        bytes[i] = char(byte);
    }
    return bytes;
}

QString DecodeFile(const QByteArray &bytes)
{
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    const CodePage &page = Table();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(page.toUnicode[static_cast<unsigned char>(bytes.at(i))]);
    return text;
}

// Refuses text that the file could not hold.
void CheckText(const QString &text)
{
    if (!EncodeFile(text))
        throw ENotWin1251(text);
}

} // namespace

// ---------------------------------------------------------------------------
// Elements

namespace {

bool HasAngle(const QString &text)
{
    return text.contains(QLatin1Char('<')) || text.contains(QLatin1Char('>'));
}

} // namespace

TXMLNode2::TXMLNode2(const QString &name)
{
    FName = name;
    qsizetype colon = name.indexOf(QLatin1Char(':'));
    FPrefix = colon >= 0 ? name.left(colon) : QString();
}

TXMLNode2::~TXMLNode2()
{
    // Free the sub-tree without recursion, so a deep document cannot exhaust
    // the stack.
    std::vector<std::unique_ptr<TXMLNode2>> pending = std::move(FChildren);
    while (!pending.empty()) {
        std::unique_ptr<TXMLNode2> node = std::move(pending.back());
        pending.pop_back();
        for (auto &child : node->FChildren)
            pending.push_back(std::move(child));
        node->FChildren.clear();
    }
}

bool TXMLNode2::IsValidName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('?')) || name.startsWith(QLatin1Char('!')))
        return false;
    for (QChar c : name) {
        ushort u = c.unicode();
        if (u <= 0x20 || u == 0x7F || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char('/') || c == QLatin1Char('=') || c == QLatin1Char('\'')
            || c == QLatin1Char('"'))
            return false;
    }
    return true;
}

bool TXMLNode2::CanHold(const QString &text)
{
    return EncodeFile(text).has_value();
}

namespace {
void CheckName(const QString &name)
{
    if (!TXMLNode2::IsValidName(name))
        throw ESettingsError(
            QStringLiteral("Името \"%1\" не може да бъде име на елемент във файла с настройки.")
                .arg(name));
    CheckText(name);
}
} // namespace

void TXMLNode2::SetName(const QString &name)
{
    CheckName(name);
    FName = name;
    qsizetype colon = name.indexOf(QLatin1Char(':'));
    FPrefix = colon >= 0 ? name.left(colon) : QString();
}

void TXMLNode2::SetText(const QString &text)
{
    CheckText(text);
    FText = text;
    FCDATA = HasAngle(text);
}

TXMLNode2 *TXMLNode2::Child(int index) const
{
    if (index < 0 || index >= ChildCount())
        return nullptr;
    return FChildren[size_t(index)].get();
}

int TXMLNode2::IndexOf(const TXMLNode2 *child) const
{
    for (size_t i = 0; i < FChildren.size(); ++i)
        if (FChildren[i].get() == child)
            return int(i);
    return -1;
}

TXMLNode2 *TXMLNode2::FindChild(const QString &name, bool deep) const
{
    if (!deep) {
        for (const auto &child : FChildren)
            if (child->FName == name)
                return child.get();
        return nullptr;
    }
    // Depth-first in document order, without recursion.
    std::vector<TXMLNode2 *> stack;
    for (auto it = FChildren.rbegin(); it != FChildren.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        TXMLNode2 *node = stack.back();
        stack.pop_back();
        if (node->FName == name)
            return node;
        for (auto it = node->FChildren.rbegin(); it != node->FChildren.rend(); ++it)
            stack.push_back(it->get());
    }
    return nullptr;
}

TXMLNode2 *TXMLNode2::AddChild(const QString &name)
{
    CheckName(name);
    auto child = std::make_unique<TXMLNode2>(name);
    child->FParent = this;
    child->FParser = FParser;
    FChildren.push_back(std::move(child));
    return FChildren.back().get();
}

void TXMLNode2::RemoveChild(TXMLNode2 *child)
{
    int index = IndexOf(child);
    if (index < 0)
        return;
    Touch();
    FChildren.erase(FChildren.begin() + index);
}

void TXMLNode2::Clear()
{
    if (!FChildren.empty())
        Touch();
    FChildren.clear();
    FAttributes.clear();
    FText.clear();
    FCDATA = false;
}

void TXMLNode2::Touch()
{
    if (FParser)
        ++FParser->FGeneration;
}

std::unique_ptr<TXMLNode2> TXMLNode2::CloneTree(const TXMLNode2 &source)
{
    auto copyOne = [](const TXMLNode2 &from) {
        auto to = std::make_unique<TXMLNode2>(from.FName);
        to->FText = from.FText;
        to->FCDATA = from.FCDATA;
        for (const auto &a : from.FAttributes)
            to->FAttributes.push_back(std::make_unique<TXMLAttribute2>(a->Name, a->Value));
        return to;
    };
    // Without recursion, so a deep document cannot exhaust the stack.
    std::unique_ptr<TXMLNode2> top = copyOne(source);
    std::vector<std::pair<const TXMLNode2 *, TXMLNode2 *>> stack{{&source, top.get()}};
    while (!stack.empty()) {
        auto [from, to] = stack.back();
        stack.pop_back();
        for (const auto &child : from->FChildren) {
            std::unique_ptr<TXMLNode2> copy = copyOne(*child);
            copy->FParent = to;
            to->FChildren.push_back(std::move(copy));
            stack.emplace_back(child.get(), to->FChildren.back().get());
        }
    }
    return top;
}

void TXMLNode2::Assign(const TXMLNode2 &source)
{
    if (&source == this)
        return;
    std::unique_ptr<TXMLNode2> copy = CloneTree(source); // source may lie inside this
    Clear();
    Touch();
    FName = copy->FName;
    FPrefix = copy->FPrefix;
    FText = copy->FText;
    FCDATA = copy->FCDATA;
    FAttributes = std::move(copy->FAttributes);
    FChildren = std::move(copy->FChildren);
    std::vector<TXMLNode2 *> stack{this};
    while (!stack.empty()) {
        TXMLNode2 *node = stack.back();
        stack.pop_back();
        for (auto &child : node->FChildren) {
            child->FParent = node;
            child->FParser = FParser;
            stack.push_back(child.get());
        }
    }
}

TXMLAttribute2 *TXMLNode2::Attribute(int index) const
{
    if (index < 0 || index >= AttributeCount())
        return nullptr;
    return FAttributes[size_t(index)].get();
}

TXMLAttribute2 *TXMLNode2::FindAttribute(const QString &name) const
{
    for (const auto &a : FAttributes)
        if (a->Name == name)
            return a.get();
    return nullptr;
}

QString TXMLNode2::GetAttribute(const QString &name, const QString &defaultValue) const
{
    const TXMLAttribute2 *a = FindAttribute(name);
    return a ? a->Value : defaultValue;
}

QString TXMLNode2::GetAttribute(int index) const
{
    const TXMLAttribute2 *a = Attribute(index);
    return a ? a->Value : QString();
}

namespace {
void CheckAttributeValue(const QString &value)
{
    // The reader ends a tag at its first '>', and a value is enclosed in one
    // kind of quotation mark: such a value could not be read back.
    if (value.contains(QLatin1Char('>'))
        || (value.contains(QLatin1Char('\'')) && value.contains(QLatin1Char('"'))))
        throw ESettingsError(QStringLiteral(
            "Стойността на атрибут не може да съдържа \">\" или двата вида кавички едновременно."));
    CheckText(value);
}
} // namespace

void TXMLNode2::SetAttribute(const QString &name, const QString &value)
{
    CheckName(name);
    CheckAttributeValue(value);
    if (TXMLAttribute2 *a = FindAttribute(name))
        a->Value = value;
    else
        FAttributes.push_back(std::make_unique<TXMLAttribute2>(name, value));
}

void TXMLNode2::SetAttribute(int index, const QString &value)
{
    TXMLAttribute2 *a = Attribute(index);
    if (!a)
        return;
    CheckAttributeValue(value);
    a->Value = value;
}

// ---------------------------------------------------------------------------
// Reader and writer

namespace {
struct ParseFailure
{
    QString message;
};
} // namespace

TXMLParser2::TXMLParser2(const QString &name) : TXMLNode2(name)
{
    FParser = this;
}

void TXMLParser2::Fail(const QString &message)
{
    throw ParseFailure{message};
}

qsizetype TXMLParser2::FindFrom(const QString &what) const
{
    qsizetype i = FSource.indexOf(what, FPosition - 1);
    return i < 0 ? 0 : i + 1;
}

namespace {
// The reader's trimming: blanks and control characters at both ends.
QStringView TrimView(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}
} // namespace

void TXMLParser2::ParseAttributes(QStringView text, TXMLNode2 &into)
{
    qsizetype p = 0;
    for (;;) {
        if (TrimView(text.mid(p)).isEmpty())
            return;
        qsizetype eq = text.indexOf(QLatin1Char('='), p);
        if (eq < 0)
            Fail(QStringLiteral("missing = when parsing attributes"));
        QChar quote = eq + 1 < text.size() ? text.at(eq + 1) : QChar();
        if (quote != QLatin1Char('"') && quote != QLatin1Char('\''))
            Fail(QStringLiteral("missing value delimiter when parsing attributes"));
        qsizetype end = text.indexOf(quote, eq + 2);
        if (end < 0)
            Fail(QStringLiteral("Expected closing ") + quote + QStringLiteral(" when parsing attributes"));
        QString name = TrimView(text.mid(p, eq - p)).toString();
        QString value = text.mid(eq + 2, end - eq - 2).toString();
        if (TXMLAttribute2 *a = into.FindAttribute(name))
            a->Value = value;
        else
            into.FAttributes.push_back(std::make_unique<TXMLAttribute2>(name, value));
        p = end + 1;
    }
}

bool TXMLParser2::Parse(const QString &source)
{
    static const QString cdataOpen = QStringLiteral("<![CDATA[");
    static const QString cdataClose = QStringLiteral("]]>");

    Clear();
    Touch();
    FDeclaration.Clear();
    FErrorText.clear();
    FSource = source;
    FPosition = 1;
    try {
        qsizetype first = FSource.indexOf(QLatin1Char('<'));
        if (first >= 0 && QStringView(FSource).mid(first).startsWith(QLatin1String("<?xml"))) {
            FPosition = first + 1;
            qsizetype end = FSource.indexOf(QLatin1String("?>"), first + 5);
            if (end < 0)
                Fail(QStringLiteral("Missing ?> in xml declaration."));
            ParseAttributes(QStringView(FSource).mid(first + 5, end - first - 5), FDeclaration);
            FPosition = end + 3;
        }

        TXMLNode2 *current = this;
        bool rootRead = false;
        for (;;) {
            qsizetype open = FindFrom(QStringLiteral("<"));
            if (open == 0)
                Fail(QStringLiteral("Missing <"));
            FPosition = open;
            qsizetype close = FindFrom(QStringLiteral(">"));
            if (close == 0)
                Fail(QStringLiteral("Missing >"));
            QStringView tag = QStringView(FSource).mid(open, close - open - 1);

            if (tag.startsWith(QLatin1Char('/'))) {
                // Closes the current element; the name is not compared.
                FPosition = close + 1;
                if (current == this)
                    break;
                current = current->FParent;
                continue;
            }

            bool empty = tag.endsWith(QLatin1Char('/'));
            if (empty)
                tag.chop(1);
            qsizetype split = 0;
            while (split < tag.size() && tag.at(split).unicode() > 0x20)
                ++split;
            QString name = tag.left(split).toString();

            TXMLNode2 *node;
            if (!rootRead) {
                node = this;
                FName = name;
                qsizetype colon = name.indexOf(QLatin1Char(':'));
                FPrefix = colon >= 0 ? name.left(colon) : QString();
                rootRead = true;
            } else {
                auto child = std::make_unique<TXMLNode2>(name);
                child->FParent = current;
                child->FParser = this;
                current->FChildren.push_back(std::move(child));
                node = current->FChildren.back().get();
            }
            ParseAttributes(tag.mid(split), *node);
            FPosition = close + 1;

            if (empty) {
                if (node == this)
                    break; // an empty document element closes the document
                continue;
            }

            // The element's text, read at once.
            qsizetype lt = FindFrom(QStringLiteral("<"));
            if (lt == 0)
                Fail(QStringLiteral("Expected < when parsing text"));
            QString text;
            if (QStringView(FSource).mid(lt - 1).startsWith(cdataOpen)) {
                qsizetype start = lt - 1 + cdataOpen.size(); // 0-based
                for (;;) {
                    qsizetype end = FSource.indexOf(cdataClose, start);
                    if (end < 0) {
                        FPosition = start + 1;
                        Fail(QStringLiteral("Expected ]]> when parsing CDATA section"));
                    }
                    text += QStringView(FSource).mid(start, end - start);
                    FPosition = end + cdataClose.size() + 1;
                    // A section that follows at once continues the text: the
                    // writer splits "]]>" inside a value this way.
                    if (!QStringView(FSource).mid(end + cdataClose.size()).startsWith(cdataOpen))
                        break;
                    start = end + cdataClose.size() + cdataOpen.size();
                }
                node->FText = TrimView(text).toString();
            } else {
                node->FText = TrimView(QStringView(FSource).mid(FPosition - 1, lt - FPosition)).toString();
                FPosition = lt;
            }
            node->FCDATA = HasAngle(node->FText);
            current = node;
        }
    } catch (const ParseFailure &failure) {
        qsizetype from = FPosition - 21; // 20 characters before the position
        if (from < 0)
            from = 0;
        QString near = FSource.mid(from, 50);
        qsizetype position = FPosition;
        FSource.clear();
        FErrorText = failure.message + QStringLiteral(" near ") + near + QStringLiteral("\r\nError position=")
                     + QString::number(position) + QStringLiteral("\r\n") + Write();
        return false;
    }
    FSource.clear();
    return true;
}

void TXMLParser2::Append(QStringView piece)
{
    // The buffer grows by at least 64 K characters and at least doubles, so
    // that writing stays linear however large the document; below the first
    // step the string grows by itself, so a small document takes no large
    // buffer.
    if (FOutputLength + piece.size() > FOutputCapacity) {
        qsizetype grow = FOutputCapacity > OutputGrowth ? FOutputCapacity : OutputGrowth;
        if (grow < piece.size())
            grow = piece.size();
        FOutputCapacity += grow;
        if (FOutputCapacity > OutputGrowth)
            FOutput.reserve(FOutputCapacity);
    }
    FOutput.append(piece);
    FOutputLength += piece.size();
}

void TXMLParser2::AppendIndent(qsizetype level)
{
    static const QString spaces(256, QLatin1Char(' '));
    for (qsizetype n = level * 2; n > 0; n -= spaces.size())
        Append(QStringView(spaces).left(n < spaces.size() ? n : spaces.size()));
}

void TXMLParser2::AppendText(const QString &text)
{
    if (!HasAngle(text)) {
        Append(text);
        return;
    }
    // A CDATA section; a "]]>" inside the text is split over two sections.
    Append(u"<![CDATA[");
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(QLatin1String("]]>"), from)) >= 0; from = at + 2) {
        Append(QStringView(text).mid(from, at + 2 - from));
        Append(u"]]><![CDATA[");
    }
    Append(QStringView(text).mid(from));
    Append(u"]]>");
}

void TXMLParser2::AppendAttributes(const TXMLNode2 &node)
{
    for (const auto &a : node.FAttributes) {
        const char16_t *quote = a->Value.contains(QLatin1Char('\'')) ? u"\"" : u"'";
        Append(u" ");
        Append(a->Name);
        Append(u"=");
        Append(quote);
        Append(a->Value);
        Append(quote);
    }
}

void TXMLParser2::WriteNode(const TXMLNode2 &root)
{
    struct Frame
    {
        const TXMLNode2 *node;
        int next;
    };
    std::vector<Frame> stack;
    auto open = [&](const TXMLNode2 &node, size_t level) {
        AppendIndent(qsizetype(level));
        Append(u"<");
        Append(node.FName);
        AppendAttributes(node);
        if (node.FChildren.empty()) {
            if (node.FText.isEmpty()) {
                Append(u"/>");
            } else {
                Append(u">");
                AppendText(node.FText);
                Append(u"</");
                Append(node.FName);
                Append(u">");
            }
            return;
        }
        Append(u">");
        AppendText(node.FText);
        stack.push_back(Frame{&node, 0});
    };

    open(root, 0);
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (top.next < top.node->ChildCount()) {
            const TXMLNode2 *child = top.node->Child(top.next++);
            Append(u"\r\n");
            open(*child, stack.size());
        } else {
            Append(u"\r\n");
            AppendIndent(qsizetype(stack.size() - 1));
            Append(u"</");
            Append(top.node->FName);
            Append(u">");
            stack.pop_back();
        }
    }
}

QString TXMLParser2::Write()
{
    FOutput.clear();
    FOutputCapacity = 0;
    FOutputLength = 0;
    const TXMLAttribute2 *version = FDeclaration.FindAttribute(QStringLiteral("version"));
    const TXMLAttribute2 *encoding = FDeclaration.FindAttribute(QStringLiteral("encoding"));
    Append(u"<?xml version='");
    Append(version ? QStringView(version->Value) : QStringView(u"1.0"));
    Append(u"' encoding='");
    Append(encoding ? QStringView(encoding->Value) : QStringView(u"ISO-8859-1"));
    Append(u"' ?>\r\n");
    WriteNode(*this);
    QString result = std::move(FOutput);
    FOutput = QString();
    FOutputCapacity = 0;
    FOutputLength = 0;
    return result;
}

// ---------------------------------------------------------------------------
// Document bound to a file

TXMLDataBase2::TXMLDataBase2(const QString &fileName)
    : FFileName(fileName), FRoot(std::make_unique<TXMLParser2>())
{
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile())
        return; // a missing file: the store starts empty
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    LoadFromBytes(bytes); // a damaged file keeps what was read before the damage
}

TXMLDataBase2::~TXMLDataBase2() = default;

QByteArray TXMLDataBase2::SaveToBytes() const
{
    std::optional<QByteArray> bytes = EncodeFile(FRoot->Write());
    if (!bytes)
        throw ENotWin1251(FRoot->Write());
    return *bytes;
}

void TXMLDataBase2::SaveToStream(QIODevice &stream) const
{
    QByteArray bytes = SaveToBytes();
    if (stream.write(bytes) != bytes.size())
        throw ESettingsError(QStringLiteral("Настройките не могат да бъдат записани: %1")
                                 .arg(stream.errorString()));
}

bool TXMLDataBase2::LoadFromBytes(const QByteArray &bytes)
{
    FRoot->FName = QStringLiteral("dataroot");
    FRoot->FPrefix.clear();
    return FRoot->Parse(DecodeFile(bytes));
}

bool TXMLDataBase2::LoadFromStream(QIODevice &stream)
{
    return LoadFromBytes(stream.readAll());
}

void TXMLDataBase2::Clear()
{
    FRoot->Clear();
    FRoot->Touch();
    FRoot->Declaration().Clear();
    FRoot->FName = QStringLiteral("dataroot");
    FRoot->FPrefix.clear();
}

bool TXMLDataBase2::IsReadOnlyFile(const QString &fileName)
{
    QByteArray path = QFile::encodeName(fileName);
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return false;
    if (!S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & S_IWUSR) == 0 || ::access(path.constData(), W_OK) != 0;
}

void TXMLDataBase2::Flush()
{
    if (FFileName.isEmpty())
        throw ESettingsError(QString::fromLatin1(SettingsMessages::NoFileName));
    if (IsReadOnlyFile(FFileName)) {
        if (FRaiseOnReadOnly)
            throw ESettingsError(QString::fromLatin1(SettingsMessages::ReadOnly));
        return;
    }
    SaveToFile(FFileName);
}

namespace {
[[noreturn]] void SaveFailed(const QString &fileName, int error)
{
    throw ESettingsError(QStringLiteral("Файлът с настройки \"%1\" не може да бъде записан: %2")
                             .arg(fileName, QString::fromLocal8Bit(std::strerror(error))));
}

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}
} // namespace

void TXMLDataBase2::SaveToFile(const QString &fileName) const
{
    if (fileName.isEmpty())
        throw ESettingsError(QString::fromLatin1(SettingsMessages::NoFileName));
    const QByteArray bytes = SaveToBytes(); // refuses text Windows-1251 cannot hold

    // Replace the file the name points to, not a symbolic link to it.
    QString target = QFileInfo(fileName).absoluteFilePath();
    QFileInfo info(target);
    if (info.isSymLink()) {
        QString resolved = info.canonicalFilePath();
        target = resolved.isEmpty() ? info.symLinkTarget() : resolved;
    }
    QFileInfo targetInfo(target);
    const QByteArray targetPath = QFile::encodeName(target);
    const QByteArray dirPath = QFile::encodeName(targetInfo.absolutePath());
    QByteArray tempPath = dirPath + "/." + QFile::encodeName(targetInfo.fileName()) + ".XXXXXX";

    int fd = ::mkstemp(tempPath.data()); // created with mode 0600
    if (fd < 0)
        SaveFailed(fileName, errno);
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(tempPath.constData());
        SaveFailed(fileName, error);
    };
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0)
        fail(errno);
    struct stat old;
    if (::stat(targetPath.constData(), &old) == 0 && ::geteuid() == 0)
        (void)!::fchown(fd, old.st_uid, old.st_gid); // keep the owner when run as root
    if (!WriteAll(fd, bytes.constData(), size_t(bytes.size())))
        fail(errno);
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(tempPath.constData());
        SaveFailed(fileName, error);
    }
    if (::rename(tempPath.constData(), targetPath.constData()) != 0) {
        int error = errno;
        ::unlink(tempPath.constData());
        SaveFailed(fileName, error);
    }
    int dirFd = ::open(dirPath.constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd); // the rename itself reaches the disk
        ::close(dirFd);
    }
}
