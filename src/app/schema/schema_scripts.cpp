#include "app/schema/schema_scripts.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace schema {

namespace {

QStringList listed(const QString& folder)
{
    const QDir dir(QStringLiteral(":/schema/") + folder);
    QStringList out;
    for (const QString& name : dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name))
        out << folder + u'/' + name;
    return out;
}

}  // namespace

QString ScriptText(const QString& path)
{
    QFile f(QStringLiteral(":/schema/") + path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing schema script " + path.toStdString());
    return QString::fromUtf8(f.readAll());
}

const QStringList& BaseScripts()
{
    static const QStringList scripts = listed(QStringLiteral("base"));
    return scripts;
}

const QStringList& DataScripts()
{
    static const QStringList scripts = listed(QStringLiteral("data"));
    return scripts;
}

}  // namespace schema
