// Sanitizer build only: default sanitizer options, and shared libraries kept loaded so leak reports name them.
// The sanitizer runtimes call the three option functions at start-up; the
// environment's ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS still override
// each entry.

extern "C" {

const char* __asan_default_options() {
    return "detect_leaks=1:halt_on_error=1:check_initialization_order=1:strict_init_order=1";
}

const char* __lsan_default_options() { return "suppressions=" LUMIVOR_LEAK_SUPPRESSIONS ":print_suppressions=0"; }

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// SDL unloads libGL and Mesa unloads its driver when the window system goes.
// The leak check runs at exit, after that, and would then show the driver's
// own allocations as "<unknown module>", which no suppression can name.
// Keeping every library mapped until exit lets lsan.supp name the driver
// instead; nothing in the program depends on a library being unmapped.
__attribute__((visibility("default"))) int dlclose(void*) { return 0; }
}
