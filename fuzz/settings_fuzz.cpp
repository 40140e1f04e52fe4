// libFuzzer target of the settings file reader: any bytes load without a
// fault, the loaded part writes out, and a document whose names the writer
// can carry comes back from its own bytes unchanged.

#include "framework/settings/xmldb.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Whether every element name can be written and read back, and the
// declaration's values fit between the apostrophes it is written with.
bool Writable(TXMLParser2 &doc)
{
    for (const char *name : {"version", "encoding"})
        if (doc.Declaration().GetAttribute(QString::fromLatin1(name)).contains(QLatin1Char('\'')))
            return false;
    std::vector<const TXMLNode2 *> stack{&doc};
    while (!stack.empty()) {
        const TXMLNode2 *node = stack.back();
        stack.pop_back();
        if (!TXMLNode2::IsValidName(node->Name()))
            return false;
        for (int i = 0; i < node->ChildCount(); ++i)
            stack.push_back(node->Child(i));
    }
    return true;
}

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "settings_fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    TXMLDataBase2 db;
    const bool complete = db.LoadFromBytes(input);
    if (complete != db.ErrorText().isEmpty())
        Fail("the error text does not match the result");

    // Whatever was read can be written: it came from the code page.
    QByteArray output;
    try {
        output = db.SaveToBytes();
    } catch (...) {
        Fail("a loaded document could not be written");
    }

    TXMLNode2 copy;
    copy.Assign(*db.DocumentElement());
    if (copy.ChildCount() != db.DocumentElement()->ChildCount())
        Fail("the copy differs from the document");

    if (Writable(*db.DocumentElement())) {
        TXMLDataBase2 again;
        if (!again.LoadFromBytes(output))
            Fail("the written document does not read back");
        if (again.SaveToBytes() != output)
            Fail("the written document changes when read and written again");
    }
    return 0;
}
