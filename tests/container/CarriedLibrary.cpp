// A shared library the demo program carries in its container, as the program carries its
// overlay library.
extern "C" __attribute__((visibility("default"))) int CarriedLibraryAnswer() {
  return 42;
}
