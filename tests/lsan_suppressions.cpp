// Leaks that LeakSanitizer is not to report in the test programs: the system's font library keeps
// caches for fallback fonts until the process ends; they are not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
