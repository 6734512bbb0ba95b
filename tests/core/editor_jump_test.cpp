#include "bravik/core/editor_jump.h"
#include "bravik/core/settings.h"
#include "tests/core/test.h"

// "ソ" and "表" end in the byte '\\'; a byte-wise search would see a separator.
#define SO "ソ"
#define HYO "表"

TEST(EditorJump, CaretLineStartDirectoryAndPath) {
    const struct { const char *copied, *line; } lines[] = {
        {"main.c(12) : error\r\n", "main.c(12) : error"}, {"no break", "no break"}, {HYO "\r", HYO},
        {"ab" HYO "\x95", "ab" HYO},  // the count stopped inside a character
    };
    for (const auto& c : lines) {
        char text[JUMP_LINE_SIZE];
        FinishCaretLine(strcpy(text, c.copied));
        EXPECT_STREQ(c.line, text) << c.copied;
    }
    const struct { const char *dir, *start; } starts[] = {{"C:\\proj", "C:\\proj"}, {"C:", "C:\\"}, {"", ""}};
    for (const auto& c : starts) {
        char dir[260];
        EditorStartDirectory(dir, sizeof dir, c.dir);
        EXPECT_STREQ(c.start, dir) << c.dir;
    }
    const struct { const char *dir, *name, *path; } paths[] = {
        {"C:\\proj", "src\\main.c", "C:\\proj\\src\\main.c"}, {"C:\\proj", "C:\\x\\a.c", "C:\\x\\a.c"},
        {"C:\\proj", "D:main.c", "D:main.c"}, {"C:\\proj", "\\x\\a.c", "\\x\\a.c"}, {"C:", "main.c", "C:\\main.c"},
        {"", "src\\main.c", "src\\main.c"}, {"C:\\" SO, HYO "\\a.c", "C:\\" SO "\\" HYO "\\a.c"},
    };
    for (const auto& c : paths) {
        char path[JUMP_COMMAND_SIZE];
        EXPECT_EQ(1, CompleteJumpPath(path, sizeof path, c.dir, c.name)) << c.name;
        EXPECT_STREQ(c.path, path) << c.dir << " + " << c.name;
    }
    // A path that does not fit is refused, never cut into the name of another file.
    const std::string dir = "C:\\" + std::string(300, 'd'), name(207, 'n');  // 511 bytes with the '\\'
    char path[JUMP_COMMAND_SIZE];
    EXPECT_EQ(1, CompleteJumpPath(path, sizeof path, dir.c_str(), name.c_str()));
    EXPECT_EQ(511u, strlen(path));
    EXPECT_EQ(0, CompleteJumpPath(path, sizeof path, dir.c_str(), (name + "n").c_str()));
    EXPECT_STREQ("", path);
    EXPECT_EQ(0, CompleteJumpPath(path, sizeof path, "C:\\proj", ("C:\\" + std::string(600, 'r')).c_str()));
}

TEST(EditorJump, CommandLineWithTheLineNumberInTheOptions) {
    const struct { const char *exe, *options; int line; const char *file, *command; bool linePassed; } cases[] = {
        {"hm.exe", "/j%d", 12, "src\\main.c", "hm.exe /j12 src\\main.c", true},
        {"hm.exe", "", 12, "main.c", "hm.exe main.c", false}, {"np.exe", "/w", 12, "a.c", "np.exe /w a.c", false},
        {"", "/j%d", 12, "a.c", "a.c", false}, {"", "", 5, "my file.c", "\"my file.c\"", false},
        {"hm.exe", "", 5, "C:\\Program Files\\a.c", "hm.exe \"C:\\Program Files\\a.c\"", false},
        {"hm.exe", "%d %d", 3, "a.c", "hm.exe 3 %d a.c", true},  // only the first "%d" is a conversion
        {"hm.exe", "%s /j%d %x", 5, "a.c", "hm.exe %s /j5 %x a.c", true}, {"hm.exe", "/j%D", 1, "a", "hm.exe /j%D a", false},
        {"hm.exe", HYO "%d", 9, SO "\\" HYO ".c", "hm.exe " HYO "9 " SO "\\" HYO ".c", true},
    };
    for (const auto& c : cases) {
        char command[JUMP_COMMAND_SIZE];
        bool linePassed = !c.linePassed;
        EXPECT_EQ(1, ComposeEditorCommand(command, sizeof command, c.exe, c.options, c.line, c.file, &linePassed));
        EXPECT_EQ(c.linePassed, linePassed) << c.command;
        EXPECT_STREQ(c.command, command);
    }
    char text[JUMP_OPTIONS_SIZE + 8];
    memset(text, 0x7F, sizeof text);
    EXPECT_TRUE(FormatEditorOptions(text, JUMP_OPTIONS_SIZE, (std::string(76, 'o') + "%d").c_str(), 12345));
    EXPECT_EQ(std::string(76, 'o') + "123", text);
    EXPECT_EQ(0x7F, text[JUMP_OPTIONS_SIZE]);
    FormatEditorOptions(text, JUMP_OPTIONS_SIZE, (std::string(78, 'o') + HYO).c_str(), 1);
    EXPECT_EQ(std::string(78, 'o'), text) << "a double-byte character across the cut is dropped whole";
    // 511 bytes fit; one more, or a closing quote that would not, refuse the whole command.
    std::string exe(259, 'e'), options(200, 'o');
    const struct { std::string file; int fits; } sizes[] = {
        {std::string(171, 'f'), 1}, {std::string(172, 'f'), 0}, {"a " + std::string(167, 'f'), 1},
        {"a " + std::string(168, 'f'), 0},
    };
    for (const auto& c : sizes) {
        char command[JUMP_COMMAND_SIZE + 8];
        memset(command, 0x7F, sizeof command);
        bool linePassed;
        EXPECT_EQ(c.fits, ComposeEditorCommand(command, JUMP_COMMAND_SIZE, exe.c_str(), options.c_str(), 1,
                                               c.file.c_str(), &linePassed)) << c.file.size();
        EXPECT_EQ(c.fits ? 511u : 0u, strlen(command));
        EXPECT_EQ(0x7F, command[JUMP_COMMAND_SIZE]);
    }
}

TEST(EditorJump, WindowSearch) {
    for (const char* name : {"src\\main.c", SO "\\a.c"}) EXPECT_TRUE(KeyNeedsFileTitle(name)) << name;
    for (const char* name : {"main.c", "C:main.c", HYO ".c"}) EXPECT_FALSE(KeyNeedsFileTitle(name)) << name;
    const char* dialog = HidemaruJumpDialogKey;
    const struct { const char *title, *key; bool owned, visible, matches; } cases[] = {  // key before uppercasing
        {"C:\\proj\\src\\main.c - Hidemaru", "main.c", false, true, true}, {"domain.c - editor", "Main.c", false, true, true},
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
    const struct { bool windowKnown; int line; bool linePassed; int kind; bool position; } lines[] = {
        {true, 1, false, EDITOR_HIDEMARU, true}, {false, 12, false, EDITOR_HIDEMARU, false},
        {true, 0, false, EDITOR_HIDEMARU, false}, {true, 12, true, EDITOR_HIDEMARU, false},
        {true, 12, false, EDITOR_UNSUPPORTED, false}, {true, 12, false, 2, false},
    };
    for (const auto& c : lines)
        EXPECT_EQ(c.position, ShouldPositionLine(c.windowKnown, c.line, c.linePassed, c.kind)) << c.line << c.kind;
}
