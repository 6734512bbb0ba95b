// Stands in for an editor or a browser in the end-to-end tests: appends its
// own command line (one line, as received) to the file named by the
// environment variable BVRECORD_LOG, then ends.
#include <windows.h>

#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH];
    if (!GetEnvironmentVariableA("BVRECORD_LOG", log, sizeof log)) return 2;
    FILE* f = fopen(log, "ab");
    if (!f) return 1;
    fprintf(f, "%s\r\n", GetCommandLineA());
    fclose(f);
    return 0;
}
