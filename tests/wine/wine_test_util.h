// Helpers of Bravik's Wine tests: waiting, files, and message boxes noted and closed.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>

inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < timeoutMs; Sleep(20))
        if (done()) return true;
    return done();
}

inline std::string ProgramDirectory() {
    char exe[MAX_PATH];
    std::string s(exe, GetModuleFileNameA(nullptr, exe, sizeof exe));
    return s.substr(0, s.rfind('\\') + 1);
}

inline std::string Text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string TempDirectory() {
    char temp[MAX_PATH];
    return std::string(temp, GetTempPathA(sizeof temp, temp));
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    if (FILE* f = fopen(path.c_str(), "wb")) fwrite(text.data(), 1, text.size(), f), fclose(f);
}

inline std::string ReadFileText(const std::string& path) {
    std::string text;
    char buffer[4096];
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        fclose(f);
    }
    return text;
}

/// Message boxes of this thread seen by ShowingBoxes: "caption|text\n" each, and where the last one was.
struct SeenBoxes {
    std::string texts;
    RECT last = {};
};
inline SeenBoxes seenBoxes;
inline HWND boxesIgnored;  // a dialog of the test's own, never taken for a box

inline BOOL CALLBACK CloseBox(HWND box, LPARAM) {
    char cls[32], caption[128];
    static char text[65536];
    GetClassNameA(box, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(box) || box == boxesIgnored) return TRUE;
    GetWindowTextA(box, caption, sizeof caption);
    text[0] = '\0';
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seenBoxes.texts += std::string(caption) + "|" + text + "\n";
    GetWindowRect(box, &seenBoxes.last);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return FALSE;
}

inline void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0); }

/// Runs what, noting and closing from a timer every message box it shows in its modal loop.
inline const SeenBoxes& ShowingBoxes(const std::function<void()>& what) {
    seenBoxes = SeenBoxes();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseBoxes);
    what();
    KillTimer(nullptr, timer);
    return seenBoxes;
}
