// Sanitizer defaults every fuzz target is linked with. ASan's quarantine
// keeps freed blocks (256 MB by default), which libFuzzer's -rss_limit_mb
// would count as the reader's own memory: keep it small, so that a limit of
// 256 MB measures what the target allocates.
extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=16:malloc_context_size=10:allocator_release_to_os_interval_ms=500";
}
