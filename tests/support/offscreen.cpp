// Linked into every test executable: widgets draw off screen unless the
// caller chose a platform. Test discovery runs the executables without the
// tests' environment, so this cannot be left to CTest alone.
#include <cstdlib>

namespace {
struct OffscreenByDefault
{
    OffscreenByDefault() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
} offscreenByDefault;
}
