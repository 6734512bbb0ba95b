// A real Bravik main window in the test process, with the state block set
// up as start-up does, and helpers to answer modal windows from a timer.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "bravik/core/settings_record.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/main_window.h"

namespace mainwindowtest {

inline std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

inline void WriteFile(const std::string& path, const char* text) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    fputs(text, f);
    fclose(f);
}

inline std::string ReadFile(const std::string& path) {
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    return text;
}

/// Runs `act` on the first visible top-level window of this thread whose
/// class and title match, from a timer inside whatever modal loop is running.
class ModalAnswer {
public:
    ModalAnswer(const char* className, const char* title, std::function<void(HWND)> act)
        : className_(className), title_(title), act_(act) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, Tick);
    }
    ~ModalAnswer() {
        if (timer_) KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool answered() const { return answered_; }

private:
    static BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
        ModalAnswer* self = (ModalAnswer*)param;
        char cls[64], title[256];
        GetClassNameA(hwnd, cls, sizeof cls);
        GetWindowTextA(hwnd, title, sizeof title);
        if (IsWindowVisible(hwnd) && strcmp(cls, self->className_) == 0 && strcmp(title, self->title_) == 0) {
            self->found_ = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalAnswer* self = current_;
        if (!self || self->answered_) return;
        self->found_ = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), Match, (LPARAM)self);
        if (!self->found_) return;
        self->answered_ = true;
        KillTimer(nullptr, self->timer_);
        self->timer_ = 0;
        self->act_(self->found_);
    }
    static inline ModalAnswer* current_ = nullptr;
    const char* className_;
    const char* title_;
    std::function<void(HWND)> act_;
    UINT_PTR timer_ = 0;
    HWND found_ = nullptr;
    bool answered_ = false;
};

/// Text of a dialog's static control with id -1 (a message box's text).
inline std::string StaticText(HWND dialog) {
    char text[4096] = "";
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    return text;
}

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
        for (char*& macros : AppState.variantMacros) {
            free(macros);
            macros = nullptr;
        }
        for (const std::string& f : files_) DeleteFileA(f.c_str());
    }

    HWND CreateMain(bool visible = false) {
        HWND w = CreateWindowExA(0, MainWindowClassName, nullptr, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                 40, 40, 420, 320, nullptr, nullptr, AppState.instance, nullptr);
        AppState.mainWindow = w;
        return w;
    }

    // Destruction posts the quit message; take it out again so that the next
    // modal loop of this thread does not end at once.
    void DestroyMain() {
        if (AppState.mainWindow) DestroyWindow(AppState.mainWindow);
        AppState.mainWindow = nullptr;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    /// A makefile in the temporary directory, removed after the test.
    std::string Makefile(const char* name, const char* text) {
        std::string path = TempPath(name);
        WriteFile(path, text);
        files_.push_back(path);
        return path;
    }
    void RemoveLater(const std::string& path) { files_.push_back(path); }

    /// True when a close request for the main window waits in the queue (it is taken out).
    bool CloseRequested() {
        MSG msg;
        return PeekMessageA(&msg, AppState.mainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
    }

    std::string StatusText(bool* simple = nullptr) {
        char text[512] = "";
        if (!AppState.statusWindow) return "<none>";
        bool isSimple = SendMessageA(AppState.statusWindow, SB_ISSIMPLE, 0, 0) != 0;
        if (simple) *simple = isSimple;
        // In simple mode every part number reads the simple text.
        SendMessageA(AppState.statusWindow, SB_GETTEXTA, 0, (LPARAM)text);
        return text;
    }

private:
    std::vector<std::string> files_;
};

}  // namespace mainwindowtest
