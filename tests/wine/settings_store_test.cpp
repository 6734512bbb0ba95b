#include "bravik/ui/settings_store.h"

#include <gtest/gtest.h>
#include <shlwapi.h>
#include <string.h>

#include <vector>

#include "bravik/ui/app_state.h"

namespace {

const char SpecKey[] = "Software\\Quibrel\\Bravik\\Spec";

void ForgetStoredSettings() { SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel"); }

void Store(const char* value, const std::vector<unsigned char>& bytes) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, SpecKey, &key));
    RegSetValueExA(key, value, 0, REG_BINARY, bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}

// Size of the stored value, -1 when missing; the bytes go into out.
long Stored(const char* value, std::vector<unsigned char>* out = nullptr) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SpecKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    std::vector<unsigned char> data(8192);
    DWORD size = (DWORD)data.size();
    LONG rc = RegQueryValueExA(key, value, nullptr, nullptr, data.data(), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return -1;
    data.resize(size);
    if (out) *out = data;
    return (long)size;
}

std::vector<unsigned char> Record(size_t size, void (*fill)(SettingsRecord&)) {
    std::vector<unsigned char> bytes(sizeof(SettingsRecord) + 16);
    SettingsRecord s;
    DefaultSettings(s);
    fill(s);
    memcpy(bytes.data(), &s, sizeof s);
    bytes.resize(size);
    return bytes;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetStoredSettings();
        memset(&AppState, 0, sizeof AppState);
    }
    void TearDown() override {
        if (AppState.mainWindow) DestroyWindow(AppState.mainWindow);
        ForgetStoredSettings();
    }
    // A real top-level window with a list box, as SaveSettings expects.
    void MakeMainWindow(int x, int y, int w, int h) {
        AppState.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr,
                                              nullptr, nullptr, nullptr);
        AppState.variantListBox = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_NOTIFY, 0, 0, 100, 100,
                                                  AppState.mainWindow, nullptr, nullptr, nullptr);
    }
};

TEST_F(SettingsStore, FirstStartGivesDefaultsAndCreatesTheKey) {
    LoadSettings();
    SettingsRecord d;
    DefaultSettings(d);
    EXPECT_EQ(0, memcmp(&d, &AppState.settings, sizeof d));
    EXPECT_EQ(CW_USEDEFAULT, AppState.position.x);
    EXPECT_EQ(CW_USEDEFAULT, AppState.position.y);
    EXPECT_EQ(320, AppState.position.width);
    EXPECT_EQ(280, AppState.position.height);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, SpecKey, 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(SettingsStore, StoredRecordsOfEachLength) {
    auto fill = [](SettingsRecord& s) {
        s.formatTag = 99;
        strcpy(s.makeExe, "nmake");
        strcpy(s.currentDir, "C:\\work");
        s.flags = FLAG_MULTI_SELECT;
        s.statusBarShown = 0;
    };
    Store("Value", Record(3404, fill));
    LoadSettings();
    EXPECT_EQ(99u, AppState.settings.formatTag);  // kept as stored
    EXPECT_STREQ("nmake", AppState.settings.makeExe);
    EXPECT_STREQ("C:\\work", AppState.settings.currentDir);

    Store("Value", Record(3144, fill));
    LoadSettings();
    EXPECT_EQ(151u, AppState.settings.formatTag);
    EXPECT_STREQ("nmake", AppState.settings.makeExe);
    EXPECT_STREQ("", AppState.settings.currentDir);
    EXPECT_EQ(0, AppState.settings.statusBarShown);

    Store("Value", Record(3405, fill));
    LoadSettings();
    EXPECT_STREQ("", AppState.settings.makeExe);
    EXPECT_EQ(1, AppState.settings.statusBarShown);
    EXPECT_EQ(0, AppState.settings.flags);
}

TEST_F(SettingsStore, ShortPositionFillsOnlyItsBytes) {
    Store("Position", {10, 0, 0, 0, 20, 0, 0, 0});
    LoadSettings();
    EXPECT_EQ(10, AppState.position.x);
    EXPECT_EQ(20, AppState.position.y);
    EXPECT_EQ(0, AppState.position.width);
    EXPECT_EQ(0, AppState.position.height);
}

TEST_F(SettingsStore, RecordWrittenOnlyAfterTheDialogWasConfirmed) {
    LoadSettings();
    MakeMainWindow(50, 60, 400, 300);
    strcpy(AppState.settings.makeExe, "from a makefile");
    SaveSettings();
    EXPECT_EQ(-1, Stored("Value"));
    EXPECT_EQ(16, Stored("Position"));

    AppState.settingsChanged = 1;
    SaveSettings();
    std::vector<unsigned char> bytes;
    ASSERT_EQ(3404, Stored("Value", &bytes));
    SettingsRecord s;
    memcpy(&s, bytes.data(), sizeof s);
    EXPECT_STREQ("from a makefile", s.makeExe);
    EXPECT_EQ(-1, s.lastVariant);  // the list box has no selection

    SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM) "a");
    SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM) "b");
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 1, 0);
    SaveSettings();
    Stored("Value", &bytes);
    memcpy(&s, bytes.data(), sizeof s);
    EXPECT_EQ(1, s.lastVariant);
}

TEST_F(SettingsStore, UnknownFormatTagSurvivesARoundTrip) {
    Store("Value", Record(3404, [](SettingsRecord& s) { s.formatTag = 4242; }));
    LoadSettings();
    MakeMainWindow(0, 0, 300, 200);
    AppState.settingsChanged = 1;
    SaveSettings();
    std::vector<unsigned char> bytes;
    ASSERT_EQ(3404, Stored("Value", &bytes));
    EXPECT_EQ(4242u, *(uint32_t*)bytes.data());
}

}  // namespace
