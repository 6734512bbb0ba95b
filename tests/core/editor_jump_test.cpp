#include "bravik/core/editor_jump.h"
#include "bravik/core/settings.h"
#include "tests/core/test.h"

// "ソ" and "表" end in the byte '\\'; a byte-wise search would see a separator.
#define SO "ソ"
#define HYO "表"

TEST(EditorJump, CaretLineStartDirectoryAndPath) {
    char text[JUMP_LINE_SIZE];  // the line end: tests/wine/editor_jump_test.cpp
    FinishCaretLine(strcpy(text, "ab" HYO "\x95"));
    EXPECT_STREQ("ab" HYO, text) << "a cut character is dropped";
    for (const char* dir : {"C:\\proj", "C:", ""}) {
        char start[260];
        EditorStartDirectory(start, sizeof start, dir);
        EXPECT_EQ(dir + std::string(strlen(dir) == 2 ? "\\" : ""), start) << "a bare drive means its root";
    }
    const struct { const char *dir, *name, *path; } paths[] = {
        {"C:\\proj", "src\\main.c", "C:\\proj\\src\\main.c"}, {"C:\\proj", "C:\\x\\a.c", "C:\\x\\a.c"},
        {"C:\\proj", "D:main.c", "D:main.c"}, {"C:\\proj", "\\x\\a.c", "\\x\\a.c"}, {"C:", "main.c", "C:\\main.c"},
        {"", "src\\main.c", "src\\main.c"}, {"C:\\" SO, HYO "\\a.c", "C:\\" SO "\\" HYO "\\a.c"},
    };
    char path[JUMP_COMMAND_SIZE];
    for (const auto& c : paths) {
        EXPECT_EQ(1, CompleteJumpPath(path, sizeof path, c.dir, c.name)) << c.name;
        EXPECT_STREQ(c.path, path) << c.dir << " + " << c.name;
    }
    // A path that does not fit is refused, never cut into the name of another file.
    const std::string dir = "C:\\" + std::string(300, 'd'), name(207, 'n');  // 511 bytes with the '\\'
    EXPECT_EQ(1, CompleteJumpPath(path, sizeof path, dir.c_str(), name.c_str()));
    EXPECT_EQ(511u, strlen(path));
    EXPECT_EQ(0, CompleteJumpPath(path, sizeof path, dir.c_str(), (name + "n").c_str()));
    EXPECT_STREQ("", path);
    EXPECT_EQ(0, CompleteJumpPath(path, sizeof path, "C:\\proj", ("C:\\" + std::string(600, 'r')).c_str()));
}

// The plain "%d" reaches a recording editor in tests/e2e/run_dialog.sh, the bare command notepad in tests/e2e/release.sh.
TEST(EditorJump, CommandLineWithTheLineNumberInTheOptions) {
    const struct { const char *exe, *options, *file, *command; bool linePassed; } cases[] = {  // line 5
        {"np.exe", "/w", "a.c", "np.exe /w a.c", false}, {"", "/j%d", "a.c", "a.c", false},
        {"", "", "my file.c", "\"my file.c\"", false},
        {"hm", "", "C:\\Program Files\\a.c", "hm \"C:\\Program Files\\a.c\"", false},
        {"hm", "%d %d", "a.c", "hm 5 %d a.c", true}, {"hm", "%s /j%d %x", "a.c", "hm %s /j5 %x a.c", true},
        {"hm", "/j%D", "a", "hm /j%D a", false},
        {"hm", HYO "%d", SO "\\" HYO ".c", "hm " HYO "5 " SO "\\" HYO ".c", true},
    };
    char command[JUMP_COMMAND_SIZE];
    for (const auto& c : cases) {
        bool linePassed = !c.linePassed;
        EXPECT_EQ(1, ComposeEditorCommand(command, sizeof command, c.exe, c.options, 5, c.file, &linePassed));
        EXPECT_EQ(c.linePassed, linePassed) << c.command;
        EXPECT_STREQ(c.command, command);
    }
    const std::string exe(259, 'e'), name(248, 'n');  // with "/o" and the blanks 511 bytes: the most that fits
    bool linePassed;
    EXPECT_EQ(1, ComposeEditorCommand(command, sizeof command, exe.c_str(), "/o", 5, name.c_str(), &linePassed));
    EXPECT_EQ(511u, strlen(command));
    EXPECT_EQ(0, ComposeEditorCommand(command, sizeof command, exe.c_str(), "/o", 5, (name + "n").c_str(), &linePassed));
    char text[JUMP_OPTIONS_SIZE + 8];
    memset(text, 0x7F, sizeof text);
    EXPECT_TRUE(FormatEditorOptions(text, JUMP_OPTIONS_SIZE, (std::string(76, 'o') + "%d").c_str(), 12345));
    EXPECT_EQ(std::string(76, 'o') + "123", text);
    EXPECT_EQ(0x7F, text[JUMP_OPTIONS_SIZE]);
    FormatEditorOptions(text, JUMP_OPTIONS_SIZE, (std::string(78, 'o') + HYO).c_str(), 1);
    EXPECT_EQ(std::string(78, 'o'), text) << "a double-byte character across the cut is dropped whole";
}

TEST(EditorJump, WindowSearch) {
    for (const char* name : {"src\\main.c", SO "\\a.c"}) EXPECT_TRUE(KeyNeedsFileTitle(name)) << name;
    for (const char* name : {"main.c", "C:main.c", HYO ".c"}) EXPECT_FALSE(KeyNeedsFileTitle(name)) << name;
    const char* dialog = HidemaruJumpDialogKey;
    const struct { const char *title, *key; bool owned, visible, matches; } cases[] = {  // key before uppercasing
        {"C:\\src\\main.c - Hidemaru", "main.c", false, true, true}, {"domain.c - editor", "Main.c", false, true, true},
        {"main.h - editor", "main.c", false, true, false}, {"main.c - editor", "main.c", true, true, false},
        {"main.c - editor", "main.c", false, false, false}, {"app.mak - bravik (copy)", "app.mak", false, true, false},
        {"app.mak -  Bravik", "app.mak", false, true, true}, {"anything", "", false, true, false},
        {"\x82\x61.c", "\x82\x41.c", false, true, false},  // "Ｂ" ends in 'a', "Ａ" in 'A': no letters
        {SO "MAIN.C", "\\main.c", false, true, false}, {"x\\main.c", "\\main.c", false, true, true},
        {"指定行への移動", dialog, true, false, true}, {"指定行への移動 ", dialog, true, true, false},
        {"指定行", dialog, true, true, false}, {"Go To Line", "\x01go to LINE", true, true, true},
    };
    for (const auto& c : cases) {
        char key[JUMP_KEY_SIZE];
        PrepareSearchKey(key, sizeof key, c.key);
        EXPECT_EQ(c.matches, TitleMatchesKey(c.title, key, c.owned, c.visible)) << c.title << " / " << c.key;
    }
    EXPECT_TRUE(ShouldPositionLine(true, 1, false, EDITOR_HIDEMARU));
    EXPECT_FALSE(ShouldPositionLine(false, 12, false, EDITOR_HIDEMARU));  // the rest: tests/wine/editor_jump_test.cpp
}
