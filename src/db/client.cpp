#include "db/client.h"

#include <firebird/Interface.h>

namespace db {

Firebird::IMaster* master()
{
    static Firebird::IMaster* m = Firebird::fb_get_master_interface();
    return m;
}

Firebird::IProvider* provider()
{
    // Kept for the whole run; the library itself cleans up at exit.
    static Firebird::IProvider* p = master()->getDispatcher();
    return p;
}

Firebird::IUtil* util()
{
    static Firebird::IUtil* u = master()->getUtilInterface();
    return u;
}

}  // namespace db

// The client library and the embedded engine keep caches (character set
// converters, plugin state) until the process ends; under the leak checker
// of the test build these are not leaks of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfbclient.so\nleak:libEngine12.so\nleak:libfbintl.so\n";
}
