// Stands in for an editor or a browser in the end-to-end tests: appends its
// command line, as received, to the file named by BVRECORD_LOG.
#include <windows.h>
#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH];
    FILE* f = GetEnvironmentVariableA("BVRECORD_LOG", log, sizeof log) ? fopen(log, "ab") : nullptr;
    if (!f) return 1;
    fprintf(f, "%s\r\n", GetCommandLineA());
    return fclose(f);
}
