// The settings record in the registry. The dialog, every field's round trip, the short and over-long records,
// no record before the dialog was confirmed and the position are checked by tests/e2e/main_window.sh.
#include "bravik/ui/settings_store.h"

#include <shlwapi.h>

#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

// An unknown format tag survives; the confirmed record is written with the list's selection.
TEST(SettingsStore, RecordRoundTrip) {
    const char key[] = "Software\\Quibrel\\Bravik\\Spec";
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
    memset(&AppState, 0, sizeof AppState);
    SettingsRecord s;
    DefaultSettings(s);
    s.formatTag = 4242;
    SHSetValueA(HKEY_CURRENT_USER, key, "Value", REG_BINARY, &s, sizeof s);
    LoadSettings();
    EXPECT_EQ(0, memcmp(&s, &AppState.settings, sizeof s));
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
    AppState.mainWindow = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    AppState.variantListBox = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 100, 100, AppState.mainWindow, nullptr, nullptr, nullptr);
    DWORD size = sizeof s;
    for (const char* item : {"a", "b"}) SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM)item);
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 1, 0);
    AppState.settingsChanged = 1;
    SaveSettings();
    EXPECT_EQ(ERROR_SUCCESS, SHGetValueA(HKEY_CURRENT_USER, key, "Value", nullptr, &s, &size));
    EXPECT_EQ(std::make_tuple(3404ul, 4242u, 1), std::make_tuple(size, s.formatTag, (int)s.lastVariant));
    DestroyWindow(AppState.mainWindow);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
}
