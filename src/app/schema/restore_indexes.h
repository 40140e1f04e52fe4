#pragma once
// The indexes that are activated by name after a restore.

#include <QStringList>

namespace schema {

// The 80 index names, in the order they are activated: the named non-key
// indexes of the reference tables, the named primary keys, the sixteen
// primary keys that carry server-given names (RDB$PRIMARYn, as the base
// schema creates them), then the indexes of carriers, transport offers,
// truck types, user rights and users. Every name exists in a database made
// from the schema, at every version.
const QStringList& RestoreIndexNames();

}  // namespace schema
