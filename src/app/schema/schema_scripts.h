#pragma once
// The SQL scripts of the schema, carried by the program.
//
// Paths are relative to the schema folder, e.g. "base/01_domains.sql",
// "updates/04b_str_value.sql", "data/01_counters.sql".

#include <QString>
#include <QStringList>

namespace schema {

// The text of one script; throws std::runtime_error when the program does
// not carry it.
QString ScriptText(const QString& path);

// The scripts of the base schema (the database before the first update
// step), in the order they run.
const QStringList& BaseScripts();

// The scripts of the initial data, in the order they run.
const QStringList& DataScripts();

}  // namespace schema
