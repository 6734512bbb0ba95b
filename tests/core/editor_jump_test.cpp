#include "bravik/core/editor_jump.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "bravik/core/settings.h"

// "ソ" and "表" end in the byte '\\'; a byte-wise search would see a separator.
#define SO "ソ"
#define HYO "表"

TEST(EditorJump, CaretLineLosesBreakAndCutCharacter) {
    static const struct { const char *copied, *line; } cases[] = {
        {"main.c(12) : error\r", "main.c(12) : error"}, {"main.c(12) : error\r\n", "main.c(12) : error"},
        {"no break", "no break"}, {"\r", ""}, {"", ""}, {HYO "\r", HYO},
        {"ab" HYO "\x95", "ab" HYO},  // the count stopped inside a character
        {"\x95", ""},
    };
    for (const auto& c : cases) {
        char text[JUMP_LINE_SIZE];
        strcpy(text, c.copied);
        FinishCaretLine(text);
        EXPECT_STREQ(c.line, text) << c.copied;
    }
}

TEST(EditorJump, PathIsCompletedAgainstMakefileDirectory) {
    static const struct { const char *makefileDir, *name, *path; } cases[] = {
        {"C:\\proj", "src\\main.c", "C:\\proj\\src\\main.c"}, {"C:\\proj", "main.c", "C:\\proj\\main.c"},
        {"C:\\proj", "..\\lib\\io.c", "C:\\proj\\..\\lib\\io.c"}, {"C:\\proj", "C:\\x\\a.c", "C:\\x\\a.c"},
        {"C:\\proj", "D:main.c", "D:main.c"}, {"C:\\proj", "\\x\\a.c", "\\x\\a.c"},
        {"C:\\proj", "\\\\server\\share\\a.c", "\\\\server\\share\\a.c"}, {"C:", "main.c", "C:\\main.c"},
        {"", "main.c", "main.c"}, {"", "src\\main.c", "src\\main.c"},
        {"C:\\" SO "\\" HYO, HYO ".c", "C:\\" SO "\\" HYO "\\" HYO ".c"},
        {"C:\\proj", HYO "\\a.c", "C:\\proj\\" HYO "\\a.c"},
    };
    for (const auto& c : cases) {
        char path[JUMP_COMMAND_SIZE];
        EXPECT_EQ(1, CompleteJumpPath(path, sizeof path, c.makefileDir, c.name)) << c.name;
        EXPECT_STREQ(c.path, path) << c.makefileDir << " + " << c.name;
    }
    // A path that does not fit is refused, never cut into the name of another file.
    std::string dir = "C:\\" + std::string(300, 'd'), name = std::string(511 - dir.size() - 1, 'n');
    char path[JUMP_COMMAND_SIZE + 8];
    memset(path, 0x7F, sizeof path);
    EXPECT_EQ(1, CompleteJumpPath(path, JUMP_COMMAND_SIZE, dir.c_str(), name.c_str()));
    EXPECT_EQ(511u, strlen(path));
    name += 'n';
    memset(path, 0x7F, sizeof path);
    EXPECT_EQ(0, CompleteJumpPath(path, JUMP_COMMAND_SIZE, dir.c_str(), name.c_str()));
    EXPECT_STREQ("", path);
    EXPECT_EQ(0x7F, path[JUMP_COMMAND_SIZE]);
    EXPECT_EQ(0, CompleteJumpPath(path, JUMP_COMMAND_SIZE, "C:\\proj", ("C:\\" + std::string(600, 'r')).c_str()));
}

TEST(EditorJump, EditorStartsInMakefileDirectory) {
    static const struct { const char *makefileDir, *dir; } cases[] = {
        {"C:\\proj", "C:\\proj"}, {"C:", "C:\\"}, {"", ""}, {"\\\\server\\share", "\\\\server\\share"}};
    for (const auto& c : cases) {
        char dir[260];
        EditorStartDirectory(dir, sizeof dir, c.makefileDir);
        EXPECT_STREQ(c.dir, dir) << c.makefileDir;
    }
}

TEST(EditorJump, LineNumberGoesIntoOptionsCutToSeventyNineBytes) {
    static const struct { const char* options; int line; const char* text; bool linePutIn; } cases[] = {
        {"/j%d", 12, "/j12", true}, {"+%d:1", 7, "+7:1", true}, {"/j%d,1 /r", 145, "/j145,1 /r", true},
        {"-n", 12, "-n", false}, {"/j%D", 12, "/j%D", false},
        // Only the first "%d" is a conversion; no other '%' is read as one.
        {"%d %d", 3, "3 %d", true}, {"%s /j%d %x", 5, "%s /j5 %x", true}, {"100%", 5, "100%", false},
        {HYO "%d", 9, HYO "9", true},
    };
    for (const auto& c : cases) {
        char text[JUMP_OPTIONS_SIZE];
        EXPECT_EQ(c.linePutIn, FormatEditorOptions(text, sizeof text, c.options, c.line)) << c.options;
        EXPECT_STREQ(c.text, text) << c.options;
    }
    char text[JUMP_OPTIONS_SIZE + 8];
    memset(text, 0x7F, sizeof text);
    EXPECT_TRUE(FormatEditorOptions(text, JUMP_OPTIONS_SIZE, (std::string(76, 'o') + "%d").c_str(), 12345));
    EXPECT_EQ(std::string(76, 'o') + "123", text);
    EXPECT_EQ(0x7F, text[JUMP_OPTIONS_SIZE]);
    FormatEditorOptions(text, JUMP_OPTIONS_SIZE, (std::string(78, 'o') + HYO).c_str(), 1);
    EXPECT_EQ(std::string(78, 'o'), text) << "a double-byte character across the cut is dropped whole";
}

TEST(EditorJump, CommandLineComposition) {
    static const struct {
        const char *exe, *options;
        int line;
        const char *file, *command;
        bool linePassed;
    } cases[] = {
        {"hidemaru.exe", "/j%d", 12, "src\\main.c", "hidemaru.exe /j12 src\\main.c", true},
        {"hidemaru.exe", "", 12, "src\\main.c", "hidemaru.exe src\\main.c", false},
        {"notepad.exe", "/w", 12, "main.c", "notepad.exe /w main.c", false}, {"", "/j%d", 12, "a.c", "a.c", false},
        {"hidemaru.exe", "/j%d", 0, "main.c", "hidemaru.exe /j0 main.c", true},
        {"\"C:\\Program Files\\Hidemaru\\Hidemaru.exe\"", "/j%d", 5, "C:\\x\\a.c",
         "\"C:\\Program Files\\Hidemaru\\Hidemaru.exe\" /j5 C:\\x\\a.c", true},
        {"hm.exe", "", 5, "C:\\Program Files\\x\\a.c", "hm.exe \"C:\\Program Files\\x\\a.c\"", false},
        {"", "", 5, "my file.c", "\"my file.c\"", false},
        {"hm.exe", "", 1, SO "\\" HYO ".c", "hm.exe " SO "\\" HYO ".c", false},
    };
    for (const auto& c : cases) {
        char command[JUMP_COMMAND_SIZE];
        bool linePassed = !c.linePassed;
        EXPECT_EQ(1, ComposeEditorCommand(command, sizeof command, c.exe, c.options, c.line, c.file, &linePassed));
        EXPECT_EQ(c.linePassed, linePassed) << c.command;
        EXPECT_STREQ(c.command, command);
    }
    // 511 bytes fit; one more, or a closing quote that would not, refuse the whole command.
    std::string exe(259, 'e'), options(200, 'o');
    struct { std::string file; int fits; } sizes[] = {
        {std::string(511 - 259 - 1 - 79 - 1, 'f'), 1}, {std::string(511 - 259 - 1 - 79, 'f'), 0},
        {"a " + std::string(511 - 259 - 1 - 79 - 1 - 4, 'f'), 1}, {"a " + std::string(511 - 259 - 1 - 79 - 1 - 3, 'f'), 0},
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

TEST(EditorJump, SearchKeyIsFileTitleOfNameWithDirectory) {
    static const struct { const char* name; bool needsTitle; } cases[] = {
        {"src\\main.c", true}, {"C:\\x\\a.c", true}, {"main.c", false}, {"C:main.c", false},
        {HYO ".c", false},     {SO "\\a.c", true},   {"..\\a.c", true}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.needsTitle, KeyNeedsFileTitle(c.name)) << c.name;
    char key[JUMP_KEY_SIZE];
    PrepareSearchKey(key, sizeof key, "main.c");
    EXPECT_STREQ("MAIN.C", key);
    PrepareSearchKey(key, sizeof key, "\x82\x81" "a.c");  // full-width 'a' stays as it is
    EXPECT_STREQ("\x82\x81" "A.C", key);
}

TEST(EditorJump, WindowTitleMatchRules) {
    const char* dialog = HidemaruJumpDialogKey;
    const struct { const char *title, *key; bool owned, visible, matches; } cases[] = {  // key before uppercasing
        {"C:\\proj\\src\\main.c - Hidemaru", "main.c", false, true, true},
        {"MAIN.C - editor", "main.c", false, true, true},
        {"Main.c", "MAIN.c", false, true, true}, {"domain.c - editor", "main.c", false, true, true},
        {"main.h - editor", "main.c", false, true, false}, {"main.c - editor", "main.c", true, true, false},
        {"main.c - editor", "main.c", false, false, false}, {"app.mak - Bravik", "app.mak", false, true, false},
        {"app.mak - bravik (copy)", "app.mak", false, true, false}, {"app.mak -  Bravik", "app.mak", false, true, true},
        {"anything", "", false, true, false}, {HYO ".c - editor", HYO ".c", false, true, true},
        {SO "MAIN.C", "\\main.c", false, true, false}, {"x\\main.c", "\\main.c", false, true, true},
        {"指定行への移動", dialog, true, false, true}, {"指定行への移動", dialog, false, true, true},
        {"指定行への移動 ", dialog, true, true, false}, {"指定行", dialog, true, true, false},
        {"", dialog, true, true, false},
        {"Go To Line", "\x01go to LINE", true, true, true},
    };
    for (const auto& c : cases) {
        char key[JUMP_KEY_SIZE];
        PrepareSearchKey(key, sizeof key, c.key);
        EXPECT_EQ(c.matches, TitleMatchesKey(c.title, key, c.owned, c.visible)) << c.title << " / " << c.key;
    }
}

TEST(EditorJump, LineIsPositionedOnlyInHidemaruWithoutCommandLine) {
    static const struct { bool windowKnown; int line; bool linePassed; int editorKind; bool position; } cases[] = {
        {true, 12, false, EDITOR_HIDEMARU, true},   {true, 1, false, EDITOR_HIDEMARU, true},
        {false, 12, false, EDITOR_HIDEMARU, false}, {true, 0, false, EDITOR_HIDEMARU, false},
        {true, -3, false, EDITOR_HIDEMARU, false},  {true, 12, true, EDITOR_HIDEMARU, false},
        {true, 12, false, EDITOR_UNSUPPORTED, false}, {true, 12, false, 2, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.position, ShouldPositionLine(c.windowKnown, c.line, c.linePassed, c.editorKind))
            << c.windowKnown << " " << c.line << " " << c.linePassed << " kind " << c.editorKind;
}
