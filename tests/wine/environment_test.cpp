// The child's environment block from the settings and the platform's strings and directories.
#include "bravik/ui/environment.h"

#include <algorithm>
#include <vector>

#include "bravik/core/environment.h"
#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

namespace {

std::vector<std::string> Build(const std::string& environment, bool system, char separator = '\0') {
    memcpy(AppState.settings.environment, environment.c_str(), std::min(environment.size() + 1, sizeof AppState.settings.environment));
    AppState.settings.flags = system ? FLAG_USE_SYSTEM_ENV : 0;
    strcpy(AppState.resourceName, "Bravik");
    char* block = BuildEnvironment(nullptr, separator);
    std::vector<std::string> entries;
    for (const char* p = block; p && *p; p += strlen(p) + 1) entries.push_back(p);
    free(block);
    return entries;
}

TEST(ChildEnvironment, DirectoryWordsSystemStringsAndSeparators) {
    char system[MAX_PATH], windows[MAX_PATH], current[MAX_PATH];
    std::vector<std::string> expected = {"S=" + std::string(system, GetSystemDirectoryA(system, MAX_PATH)), "W=" + std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)),
                                         "I=" + std::string(current, GetCurrentDirectoryA(MAX_PATH, current)) + "\\inc"};
    EXPECT_EQ(expected, Build("S=%SYSTEMDIRECTORY%\r\nW=%windowsdirectory%\r\nI=%CurrentDirectory%\\inc\r\n", false));
    EXPECT_EQ(std::vector<std::string>{"A=1\nB=12"}, Build("A=1\r\nB=%a%2", false, '\n'));
    const std::string full = "BVZ=" + std::string(sizeof AppState.settings.environment - 4, 'x');
    EXPECT_EQ(std::vector<std::string>{full}, Build(full, false));
    SetEnvironmentVariableA("BVLONGVALUE", std::string(5000, 'v').c_str());
    char* block = GetEnvironmentStringsA();
    std::vector<std::string> strings;  // every one whole and in its order; how lines join them is the native tests'
    for (const char* p = block; *p; p += strlen(p) + 1) strings.push_back(p);
    EXPECT_EQ(strings, Build("", true));
    FreeEnvironmentStringsA(block);
    SetEnvironmentVariableA("BVLONGVALUE", nullptr);
}

}  // namespace
