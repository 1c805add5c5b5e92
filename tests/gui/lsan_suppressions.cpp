// The D-Bus connection that Qt's X11 platform opens keeps a read buffer it never frees. The
// leak checker reads this list by name.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
