#include "bravik/ui/settings_store.h"

#include <stdio.h>
#include <string.h>

#include "bravik/ui/app_state.h"

static const char SpecBasePath[] = "Software\\Quibrel\\Bravik";

HKEY OpenSpecKey(const char* subKey) {
    char path[128];
    if (subKey && *subKey)
        snprintf(path, sizeof path, "%s\\%s", SpecBasePath, subKey);
    else
        snprintf(path, sizeof path, "%s", SpecBasePath);
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

// GetWindowPlacement gives the normal rectangle relative to the work area (a
// taskbar at the top or left moves it); CreateWindow and GetWindowRect use
// screen coordinates. A window that is neither minimised nor maximised shows
// the offset itself; otherwise its monitor's work area gives it.
static POINT WorkAreaOrigin(HWND hwnd, const WINDOWPLACEMENT& placement) {
    POINT origin = {0, 0};
    RECT window;
    if (!IsIconic(hwnd) && !IsZoomed(hwnd) && GetWindowRect(hwnd, &window)) {
        origin.x = window.left - placement.rcNormalPosition.left;
        origin.y = window.top - placement.rcNormalPosition.top;
        return origin;
    }
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        origin.x = monitor.rcWork.left - monitor.rcMonitor.left;
        origin.y = monitor.rcWork.top - monitor.rcMonitor.top;
    }
    return origin;
}

void LoadSettings() {
    HKEY key = OpenSpecKey("Spec");
    SettingsRecord& s = AppState.settings;
    memset(&s, 0, sizeof s);
    bool queryOk = false;
    DWORD size = sizeof s;
    if (key) queryOk = RegQueryValueExA(key, "Value", nullptr, nullptr, (BYTE*)&s, &size) == ERROR_SUCCESS;
    ApplyLoadedSettings(s, queryOk, queryOk ? size : 0);

    WindowPosition& p = AppState.position;
    memset(&p, 0, sizeof p);
    size = sizeof p;
    if (!key || RegQueryValueExA(key, "Position", nullptr, nullptr, (BYTE*)&p, &size) != ERROR_SUCCESS)
        DefaultPosition(p);
    if (key) RegCloseKey(key);
}

void SaveSettings() {
    HKEY key = OpenSpecKey("Spec");
    if (!key) return;
    if (AppState.settingsChanged) {
        AppState.settings.lastVariant = (int32_t)SendMessageA(AppState.variantListBox, LB_GETCURSEL, 0, 0);
        RegSetValueExA(key, "Value", 0, REG_BINARY, (const BYTE*)&AppState.settings, sizeof AppState.settings);
    }
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (GetWindowPlacement(AppState.mainWindow, &placement)) {
        // A minimised window reports SW_SHOWMINIMIZED, and its window rectangle
        // sits far off screen: never store that left edge.
        bool minimised = placement.showCmd == SW_MINIMIZE || placement.showCmd == SW_SHOWMINIMIZED ||
                         IsIconic(AppState.mainWindow);
        RECT window = {0, 0, 0, 0};
        if (!minimised) GetWindowRect(AppState.mainWindow, &window);
        const RECT& n = placement.rcNormalPosition;
        POINT work = WorkAreaOrigin(AppState.mainWindow, placement);
        AppState.position = PositionToStore(n.left, n.top, n.right, n.bottom, work.x, work.y, minimised, window.left);
        RegSetValueExA(key, "Position", 0, REG_BINARY, (const BYTE*)&AppState.position, sizeof AppState.position);
    }
    RegCloseKey(key);
}

bool GetNormalRect(HWND hwnd, RECT* out) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd, &placement)) return false;
    POINT work = WorkAreaOrigin(hwnd, placement);
    *out = placement.rcNormalPosition;
    OffsetRect(out, work.x, work.y);
    return true;
}
