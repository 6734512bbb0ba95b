// A real Bravik main window in the test process, with the state block set up as start-up does.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bravik/core/settings.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/main_window.h"

namespace mainwindowtest {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        memset(&AppState, 0, sizeof AppState);
        AppState.instance = GetModuleHandleA(nullptr);
        lstrcpyA(AppState.resourceName, "Bravik");
        DefaultSettings(AppState.settings);
        DefaultPosition(AppState.position);
        RegisterMainWindowClass(AppState.instance);  // fails harmlessly when already registered
    }
    void TearDown() override {
        DestroyMain();
        for (char*& macros : AppState.variantMacros) free(macros), macros = nullptr;
        for (const std::string& f : files_) DeleteFileA(f.c_str());
    }
    HWND CreateMain() {
        return AppState.mainWindow = CreateWindowExA(0, MainWindowClassName, nullptr, WS_OVERLAPPEDWINDOW, 40, 40, 420,
                                                     320, nullptr, nullptr, AppState.instance, nullptr);
    }
    // Destruction posts the quit message; take it out again so that the next
    // modal loop of this thread does not end at once.
    void DestroyMain() {
        if (AppState.mainWindow) DestroyWindow(AppState.mainWindow);
        AppState.mainWindow = nullptr;
        for (MSG msg; PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) continue;
    }
    /// A makefile in the temporary directory, removed after the test.
    std::string Makefile(const char* name, const char* text) {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        files_.push_back(std::string(dir) + name);
        if (FILE* f = fopen(files_.back().c_str(), "wb")) fputs(text, f), fclose(f);
        return files_.back();
    }

private:
    std::vector<std::string> files_;
};

}  // namespace mainwindowtest
