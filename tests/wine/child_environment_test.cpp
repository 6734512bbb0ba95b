#include "bravik/ui/child_environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bravik/core/environment.h"
#include "bravik/ui/app_state.h"

namespace {

class ChildEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppState.settings;
        memcpy(savedName_, AppState.resourceName, sizeof savedName_);
        strcpy(AppState.resourceName, "Bravik");
    }
    void TearDown() override {
        AppState.settings = saved_;
        memcpy(AppState.resourceName, savedName_, sizeof savedName_);
    }
    static void Use(const char* environment, bool system) {
        strcpy(AppState.settings.environment, environment);
        if (system) AppState.settings.flags |= FLAG_USE_SYSTEM_ENV;
        else AppState.settings.flags &= ~FLAG_USE_SYSTEM_ENV;
    }
    // The entries of a NUL-separated block, which must end in two NULs.
    static std::vector<std::string> Entries(char* block) {
        std::vector<std::string> entries;
        EXPECT_NE(nullptr, block);
        if (!block) return entries;
        for (const char* p = block; *p; p += strlen(p) + 1) entries.push_back(p);
        free(block);
        return entries;
    }

private:
    SettingsRecord saved_;
    char savedName_[sizeof AppState.resourceName];
};

std::string SystemDirectory() {
    char buf[MAX_PATH];
    GetSystemDirectoryA(buf, MAX_PATH);
    return buf;
}

std::string CurrentDirectory() {
    char buf[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buf);
    return buf;
}

// Runs cmd.exe with the block as its environment and returns what it printed.
std::string RunWithEnvironment(const char* commandLine, char* block) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "<no pipe>";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    // A console child reading a missing standard input would wait forever.
    HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = nul;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi;
    std::string cmd = SystemDirectory() + "\\cmd.exe";
    std::string line = commandLine;
    std::string out;
    if (CreateProcessA(cmd.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, block, nullptr, &si, &pi)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char buf[512];
        DWORD n;
        while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    } else {
        out = "<CreateProcess failed>";
    }
    if (writeEnd) CloseHandle(writeEnd);
    CloseHandle(readEnd);
    CloseHandle(nul);
    return out;
}

// Closes the message box that appears while the allocation failure is
// reported, keeping its caption and text.
struct SeenBox {
    std::string caption, text;
    int count;
};
SeenBox seenBox;

BOOL CALLBACK FindStaticText(HWND child, LPARAM found) {
    char cls[32], text[256];
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) {
        *(std::string*)found = text;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CloseBox(HWND window, LPARAM) {
    char cls[32], caption[64];
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    seenBox.caption = caption;
    EnumChildWindows(window, FindStaticText, (LPARAM)&seenBox.text);
    ++seenBox.count;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseBoxTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0); }

}  // namespace

TEST_F(ChildEnvironment, DirectoryWordsComeFromThePlatform) {
    Use("S=%SYSTEMDIRECTORY%\r\nW=%windowsdirectory%\r\nINCLUDE=%CurrentDirectory%\\inc\r\n", false);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::vector<std::string> expected = {"S=" + SystemDirectory(), std::string("W=") + windows,
                                         "INCLUDE=" + CurrentDirectory() + "\\inc"};
    EXPECT_EQ(expected, Entries(BuildEnvironment(nullptr, '\0')));
}

TEST_F(ChildEnvironment, SystemStringsOnlyWhenAsked) {
    // The process's strings, of which the first 64 are kept in their order.
    std::vector<std::string> system;
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; *p; p += strlen(p) + 1) system.push_back(std::string(p).substr(0, 1023));
    FreeEnvironmentStringsA(strings);
    if (system.size() > 64) system.resize(64);
    Use("", true);
    EXPECT_EQ(system, Entries(BuildEnvironment(nullptr, '\0')));

    // A definition of a system variable replaces it where it stands.
    size_t i = 0;
    while (i < system.size() && system[i][0] == '=') ++i;
    ASSERT_LT(i, system.size());
    std::string name = system[i].substr(0, system[i].find('='));
    Use((name + "=%" + name + "%;extra").c_str(), true);
    std::vector<std::string> changed = Entries(BuildEnvironment(nullptr, '\0'));
    ASSERT_EQ(system.size(), changed.size());
    EXPECT_EQ((system[i] + ";extra").substr(0, 779), changed[i]);

    Use("", false);
    char* block = BuildEnvironment(nullptr, '\0');
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, memcmp(block, "\0\0", 2));
    free(block);
}

TEST_F(ChildEnvironment, LineFeedsJoinTheTextToShow) {
    Use("A=1\r\nB=%a%2", false);
    char* text = BuildEnvironment(nullptr, '\n');
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(0, memcmp(text, "A=1\nB=12\0\0", 10));
    free(text);
}

TEST_F(ChildEnvironment, ChildProcessSeesTheBlock) {
    Use("BRAVIK_X=%CURRENTDIRECTORY%\\inc\r\nBRAVIK_Y=表\r\n", false);
    char* block = BuildEnvironment(nullptr, '\0');
    ASSERT_NE(nullptr, block);
    std::string out = RunWithEnvironment("cmd.exe /c echo [%BRAVIK_X%][%BRAVIK_Y%][%PATH%]", block);
    free(block);
    // Nothing of this process's environment reaches the child: no PATH.
    EXPECT_EQ("[" + CurrentDirectory() + "\\inc][表][%PATH%]\r\n", out);
}

TEST_F(ChildEnvironment, AllocationFailureIsReported) {
    Use("A=1", false);
    auto saved = EnvironmentTableAllocator;
    EnvironmentTableAllocator = [](size_t, size_t) -> void* { return nullptr; };
    seenBox = SeenBox();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseBoxTimer);
    char* block = BuildEnvironment(nullptr, '\0');
    KillTimer(nullptr, timer);
    EnvironmentTableAllocator = saved;
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(1, seenBox.count);
    EXPECT_EQ("Bravik", seenBox.caption);
    EXPECT_EQ("メモリ不足でＭＡＫＥを実行できません。", seenBox.text);
}
