// uninstal_driver: makes, inspects and removes a sandbox installation, and
// drives UnInstal.exe through its dialog. One line of output per fact, so
// that the end-to-end scripts can compare them.
#include <objbase.h>
#include <stdio.h>
#include <string.h>

#include "driver.h"

void Say(const std::string& line) {
    std::string text = line + "\n";
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), (DWORD)text.size(), &written, NULL);
}

std::string Utf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 1) return std::string();
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, NULL, NULL);
    out.resize(n - 1);
    return out;
}

int main(int argc, char** argv) {
    CoInitialize(NULL);
    int result = 2;
    if (argc >= 2 && strcmp(argv[1], "sandbox") == 0)
        result = SandboxCommand(argc, argv);
    else if (argc >= 2 && strcmp(argv[1], "run") == 0)
        result = RunCommand(argc, argv);
    else
        fputs("usage: uninstal_driver sandbox create|state|clean INSTALLDIR TAG [--keep]\n"
              "       uninstal_driver run EXE [--boxes XYZ] [--press ok|cancel] [--browser ok|cancel|pick:NAME] [--hold-ms N] [--shots PREFIX]\n",
              stderr);
    CoUninitialize();
    return result;
}
