// Helpers of the Wine tests of Bravik and UnInstal: waiting, files and texts.
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
