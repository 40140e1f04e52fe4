// Linked into every test executable of the sanitizer build. The leak checker
// of this tool chain crashes now and then while it scans the dynamic
// thread-local storage of the Firebird client's threads at the end of the
// process, so thread-local storage is not scanned; what it then takes for
// leaks of the system libraries is suppressed (lsan.supp beside this file).
extern "C" const char *__lsan_default_options()
{
    return "use_tls=0:print_suppressions=0:suppressions=" KARVONEL_SOURCE_DIR "/tests/support/lsan.supp";
}
