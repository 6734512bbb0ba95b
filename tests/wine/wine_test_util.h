// Helpers of Bravik's Wine tests: waiting, files, texts, and message boxes noted and closed.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < timeoutMs; Sleep(20))
        if (done()) return true;
    return done();
}

inline std::string Text(HWND window) {
    char text[512] = "";
    return std::string(text, GetWindowTextA(window, text, sizeof text));
}

inline std::string ProgramDirectory() {
    char exe[MAX_PATH];
    std::string s(exe, GetModuleFileNameA(nullptr, exe, sizeof exe));
    return s.substr(0, s.rfind('\\') + 1);
}

inline std::string TempDirectory() {
    char temp[MAX_PATH];
    return std::string(temp, GetTempPathA(sizeof temp, temp));
}

inline void WriteFileText(const std::string& path, const std::string& text) { std::ofstream(path.c_str(), std::ios::binary) << text; }

inline std::string ReadFileText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path.c_str(), std::ios::binary).rdbuf();
    return text.str();
}

/// Message boxes of this thread seen by ShowingBoxes, "caption|text\n" each, and where the last one was.
inline std::string seenBoxes;
inline RECT lastBox;
inline HWND boxesIgnored;  // a dialog of the test's own, never taken for a box

inline BOOL CALLBACK CloseBox(HWND box, LPARAM) {
    char cls[32], text[65536];
    GetClassNameA(box, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(box) || box == boxesIgnored) return TRUE;
    text[GetDlgItemTextA(box, 0xFFFF, text, sizeof text)] = '\0';
    seenBoxes += Text(box) + "|" + text + "\n";
    GetWindowRect(box, &lastBox);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return FALSE;
}

inline void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0); }

/// Runs what, noting and closing from a timer in its modal loop every message box it shows.
inline const std::string& ShowingBoxes(const std::function<void()>& what) {
    seenBoxes.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseBoxes);
    what();
    KillTimer(nullptr, timer);
    return seenBoxes;
}
