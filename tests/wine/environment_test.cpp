#include "bravik/ui/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

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
    // The NUL-separated texts of the block built from these settings, up to its second NUL.
    static std::vector<std::string> Build(const char* environment, bool system, char separator = '\0') {
        strcpy(AppState.settings.environment, environment);
        AppState.settings.flags = system ? FLAG_USE_SYSTEM_ENV : 0;
        char* block = BuildEnvironment(nullptr, separator);
        EXPECT_NE(nullptr, block);
        std::vector<std::string> entries;
        for (const char* p = block; p && *p; p += strlen(p) + 1) entries.push_back(p);
        free(block);
        return entries;
    }

private:
    SettingsRecord saved_;
    char savedName_[sizeof AppState.resourceName];
};

// Closes each message box of this thread, noting "caption|text" on a line of its own.
std::string seenBoxes;

BOOL CALLBACK CloseBox(HWND box, LPARAM) {
    char cls[32], caption[64], text[256];
    GetClassNameA(box, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(box)) return TRUE;
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seenBoxes += std::string(caption) + "|" + text + "\n";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseBoxTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0); }

}  // namespace

TEST_F(ChildEnvironment, DirectoryWordsComeFromThePlatform) {
    char system[MAX_PATH], windows[MAX_PATH], current[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, current);
    std::vector<std::string> expected = {std::string("S=") + system, std::string("W=") + windows,
                                         "INCLUDE=" + std::string(current) + "\\inc"};
    EXPECT_EQ(expected,
              Build("S=%SYSTEMDIRECTORY%\r\nW=%windowsdirectory%\r\nINCLUDE=%CurrentDirectory%\\inc\r\n", false));
}

TEST_F(ChildEnvironment, SystemStringsOnlyWhenAsked) {
    std::vector<std::string> system;  // the process's strings, every one whole and in its order
    SetEnvironmentVariableA("BVLONGVALUE", std::string(5000, 'v').c_str());
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; *p; p += strlen(p) + 1) system.push_back(p);
    FreeEnvironmentStringsA(strings);
    EXPECT_EQ(system, Build("", true));

    // A definition of a system variable replaces it where it stands.
    size_t i = 0;
    while (i < system.size() && system[i][0] == '=') ++i;
    ASSERT_LT(i, system.size());
    std::string name = system[i].substr(0, system[i].find('='));
    std::vector<std::string> changed = Build((name + "=%" + name + "%;extra").c_str(), true);
    ASSERT_EQ(system.size(), changed.size());
    EXPECT_EQ(system[i] + ";extra", changed[i]);
    SetEnvironmentVariableA("BVLONGVALUE", nullptr);

    // Without them, and joined by line feeds for showing.
    EXPECT_EQ(std::vector<std::string>{"A=1\nB=12"}, Build("A=1\r\nB=%a%2", false, '\n'));
}

TEST_F(ChildEnvironment, AllocationFailureAndAnOverlongVariableAreReported) {
    ASSERT_TRUE(SetEnvironmentVariableA("BVHUGE", std::string(32750, 'h').c_str()));
    ASSERT_EQ(32750u, GetEnvironmentVariableA("BVHUGE", nullptr, 0) - 1);
    AppState.settings.flags = FLAG_USE_SYSTEM_ENV;
    auto saved = EnvironmentAllocator;
    seenBoxes.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseBoxTimer);
    strcpy(AppState.settings.environment, "A=1");
    EnvironmentAllocator = [](void*, size_t) -> void* { return nullptr; };
    char* noMemory = BuildEnvironment(nullptr, '\0');
    EnvironmentAllocator = saved;
    strcpy(AppState.settings.environment, "A=1\r\nBVHUGE=%BVHUGE%;C:\\MinGW\\bin\r\n");
    char* tooLong = BuildEnvironment(nullptr, '\n');
    KillTimer(nullptr, timer);
    SetEnvironmentVariableA("BVHUGE", nullptr);
    EXPECT_EQ(nullptr, noMemory);
    EXPECT_EQ(nullptr, tooLong);
    EXPECT_EQ("Bravik|メモリ不足でＭＡＫＥを実行できません。\n"
              "Bravik|環境変数 BVHUGE の長さが32767文字を超えるため実行できません。\n", seenBoxes);
}
