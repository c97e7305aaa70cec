// Started by the Windows launcher's test: writes how it was shown and what it
// was given into the file named by its first argument.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t *argv[])
{
    if (argc < 2)
        return 2;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    FILE *out = _wfopen(argv[1], L"w");
    if (!out)
        return 1;
    std::fprintf(out, "%d", (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
    for (int i = 2; i < argc; ++i)
        std::fprintf(out, " %ls", argv[i]);
    std::fclose(out);
    return 0;
}
