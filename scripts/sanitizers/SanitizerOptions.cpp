// Linked into every program of the sanitizer build (preset `asan`, VELTO_SANITIZE). The test
// preset's ASAN_OPTIONS reach most tests, but the end-to-end run starts velto with a cleared
// environment; these defaults hold there too, and the environment still adds to them.
//
// allocator_release_to_os_interval_ms=-1: otherwise the allocator reads the monotonic clock
// while it holds its lock, and under faketime (end-to-end and smoke tests) that read first
// sets faketime up, which allocates: the program deadlocks in its first allocations.

extern "C" const char* __asan_default_options() {
  return "allocator_release_to_os_interval_ms=-1:detect_leaks=1:abort_on_error=1";
}

extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
