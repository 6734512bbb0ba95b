// Bravik's entry point: state, settings, the main window, the command line
// and the message loop.
#include <objbase.h>
#include <windows.h>

#include "bravik/core/command_line.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/main_window.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/settings_store.h"

static void ShowMainWindow(int show) {
    ShowWindow(AppState.mainWindow, show);
    UpdateWindow(AppState.mainWindow);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    CoInitialize(nullptr);
    ZeroMemory(&AppState, sizeof AppState);
    AppState.instance = instance;
    lstrcpyA(AppState.resourceName, "Bravik");
    if (!RegisterMainWindowClass(instance)) return 0;
    LoadSettings();
    HACCEL accelerators = LoadAcceleratorsA(instance, AppState.resourceName);

    const WindowPosition& pos = AppState.position;
    HWND main = CreateWindowExA(0, MainWindowClassName, nullptr, WS_OVERLAPPEDWINDOW, pos.x, pos.y, pos.width,
                                pos.height, nullptr, nullptr, instance, nullptr);
    if (!main) return 0;
    AppState.mainWindow = main;

    StartupCommand command = ParseStartupCommandLine(commandLine);
    AppState.runAtStart = command.runAtStart;
    if (command.makefileName && !OpenMakefile(command.makefileName)) AppState.runAtStart = 0;
    if (AppState.runAtStart)
        PostMessageA(main, WM_COMMAND, CMD_RUN, 0);
    else
        ShowMainWindow(show);
    UpdateTitle();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(main, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    CoUninitialize();
    return (int)msg.wParam;
}
