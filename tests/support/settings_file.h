#pragma once
// A key of a settings file as it is on disk now, read with the store's own
// parser so that nothing is written back. The key is a path of sections
// separated by "\"; nullopt when the file or the key is missing.

#include "framework/settings/xmldb.h"
#include "framework/text/win1251.h"

#include <QFile>
#include <QString>

#include <optional>

namespace testsupport {

inline std::optional<QString> SettingOnDisk(const QString &file, const QString &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    TXMLParser2 doc;
    if (!doc.Parse(FromWin1251(f.readAll())))
        return std::nullopt;
    const TXMLNode2 *node = &doc;
    for (const QString &part : key.split(QLatin1Char('\\'))) {
        node = node->FindChild(part);
        if (!node)
            return std::nullopt;
    }
    return node->Text();
}

}  // namespace testsupport
