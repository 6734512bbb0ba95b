// Helpers of the Wine tests of Bravik and UnInstal: waiting, files, texts, and message boxes noted and closed.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
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

inline bool EndsWith(const std::string& text, const std::string& end) { return text.size() >= end.size() && !text.compare(text.size() - end.size(), end.size(), end); }

inline std::string Repeat(const std::string& text, int count) { return count > 0 ? text + Repeat(text, count - 1) : ""; }

inline std::string TempDirectory() {
    char temp[MAX_PATH];
    return std::string(temp, GetTempPathA(sizeof temp, temp));
}

inline bool WriteFileText(const std::string& path, const std::string& text) { return (std::ofstream(path.c_str(), std::ios::binary) << text).good(); }

inline std::string ReadFileText(const std::string& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string seenBoxes;  // the message boxes ShowingBoxes saw, "caption|text\n" each, "|icon|" with one

inline BOOL CALLBACK CloseBox(HWND box, LPARAM) {
    char cls[32], text[65536];
    GetClassNameA(box, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(box)) return TRUE;
    text[GetDlgItemTextA(box, 0xFFFF, text, sizeof text)] = '\0';
    seenBoxes += Text(box) + (SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0) ? "|icon|" : "|") + text + "\n";
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
