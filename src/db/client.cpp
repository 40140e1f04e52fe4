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
