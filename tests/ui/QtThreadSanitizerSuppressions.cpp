// Linked into every widget test program. Qt is not built with ThreadSanitizer: its own threads
// (the thread pool, the directory chooser's file-information gatherer, the font and image
// workers) synchronise inside the library, where the sanitizer sees only the memory calls.
// Those calls are ignored; every access of our own code stays checked.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}
#endif
