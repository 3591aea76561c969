// GTK and the libraries under it keep allocations for the life of the
// process (fontconfig's configuration, the D-Bus connection, GLib's type and
// quark tables) and never free them, so a sanitizer build of the desktop
// tests would report them at exit. They are not ours; ours still count.

extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libX11.so\n";
}
