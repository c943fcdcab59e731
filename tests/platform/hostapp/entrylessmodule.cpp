// A loadable module without an entry procedure, for the loader tests.

extern "C" __attribute__((visibility("default"))) int entrylessModuleVersion();

int entrylessModuleVersion()
{
    return 1;
}
