#pragma once
// Access to the Firebird client library (fbclient OO API).

namespace Firebird {
class IMaster;
class IProvider;
class IUtil;
}  // namespace Firebird

namespace db {

// The master interface of fbclient; valid for the whole run.
Firebird::IMaster* master();
// The dispatcher provider (embedded engine for a plain path, remote for host:path).
// Released at process exit.
Firebird::IProvider* provider();
Firebird::IUtil* util();

}  // namespace db
