// Sanitizer defaults of the drawing tests: full malloc stacks and the fontconfig suppression.

// Read by the sanitizer runtime at start-up; unused in builds without sanitizers. Options
// given in the environment still take precedence.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" const char* __lsan_default_options() {
    return "suppressions=" MILLCONV_SOURCE_DIR "tests/lsan.supp";
}
