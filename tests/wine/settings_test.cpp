// The settings record in the registry. The dialog, every field's round trip, no record before the dialog was
// confirmed and the position are checked by tests/e2e/main_window.sh.
#include "bravik/ui/settings_store.h"

#include <shlwapi.h>

#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

// A whole record loads as stored (an unknown format tag too), a shorter one of an older version keeps what it
// holds but the working directory, a longer one is no record; the confirmed record goes back with its tag and
// the list's selection.
TEST(SettingsStore, StoredRecordsOfEverySizeAndTheWriteBack) {
    const char key[] = "Software\\Quibrel\\Bravik\\Spec";
    SettingsRecord stored;
    DefaultSettings(stored);
    stored.formatTag = 4242, stored.statusBarShown = 0;
    strcpy(stored.makeExe, "gmake"), strcpy(stored.currentDir, "C:\\work");
    std::string bytes((const char*)&stored, sizeof stored);
    bytes.resize(sizeof stored + 4, 'x');
    const struct { DWORD size; const char* loaded; } cases[] = {
        {3150, "151 gmake 0 "}, {sizeof stored + 4, "151  1 "}, {sizeof stored, "4242 gmake 0 C:\\work"}};  // the last stays loaded
    memset(&AppState, 0, sizeof AppState);
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
        SHSetValueA(HKEY_CURRENT_USER, key, "Value", REG_BINARY, bytes.data(), c.size);
        LoadSettings();
        const SettingsRecord& s = AppState.settings;
        EXPECT_EQ(c.loaded, std::to_string(s.formatTag) + " " + s.makeExe + " " + std::to_string(s.statusBarShown) + " " + s.currentDir) << c.size;
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
    AppState.mainWindow = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    AppState.variantListBox = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 100, 100, AppState.mainWindow, nullptr, nullptr, nullptr);
    DWORD size = sizeof stored;
    for (const char* item : {"a", "b"}) SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM)item);
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 1, 0);
    AppState.settingsChanged = 1;
    SaveSettings();
    EXPECT_EQ(ERROR_SUCCESS, SHGetValueA(HKEY_CURRENT_USER, key, "Value", nullptr, &stored, &size));
    EXPECT_EQ(std::make_tuple(3404ul, 4242u, 1), std::make_tuple(size, stored.formatTag, (int)stored.lastVariant));
    DestroyWindow(AppState.mainWindow);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
}
