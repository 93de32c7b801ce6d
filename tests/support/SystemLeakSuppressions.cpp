// Linked into every program of a sanitizer build. Memory that the system libraries below the
// engine keep for the whole process is not ours to free: the software OpenGL driver's, and D-Bus's,
// which a library below SDL or GLFW opens.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:swrast_dri.so\n"
           "leak:libdbus-1.so\n";
}

// Those are expected: they need no count on standard error at every exit.
extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}

// This compiler's sanitizer runtime takes some blocks of thread-local memory for ones with a header
// that glibc has not written since 2.25, and its leak check at exit then crashes now and then
// (with the driver's many threads, often): it is told to leave that memory alone.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}
