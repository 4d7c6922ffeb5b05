// fontconfig keeps a few blocks of its configuration parse unreachable for
// the life of the process; nothing of ours can (or should) free them, since
// a plug-in must never tear down the host's fontconfig.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
