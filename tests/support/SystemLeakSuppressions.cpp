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
