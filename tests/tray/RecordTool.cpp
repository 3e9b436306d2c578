// Stand-in for a sibling tool: appends its command line to
// "<its own path>.log" and ends.
#include <windows.h>
#include <cstdio>
#include <cstring>

int main()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 8);
    std::strcat(path, ".log");
    FILE* f = std::fopen(path, "a");
    if (!f) return 1;
    std::fprintf(f, "%s\n", GetCommandLineA());
    std::fclose(f);
    return 0;
}
