#include "bravik/core/main_commands.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(MainCommands, RoutesEveryIdRange) {
    struct Case {
        unsigned id;
        CommandRoute route;
    } cases[] = {
        {100, ROUTE_DEFAULT},      {101, ROUTE_COMMAND},      {105, ROUTE_COMMAND},
        {109, ROUTE_COMMAND},      {110, ROUTE_DEFAULT},      {199, ROUTE_DEFAULT},
        {200, ROUTE_VARIANT},      {299, ROUTE_VARIANT},      {300, ROUTE_VARIANT},
        {301, ROUTE_DEFAULT},      {3001, ROUTE_DEFAULT},     {3002, ROUTE_LIST_NOTIFY},
        {0xF060, ROUTE_DEFAULT},   // the window menu's close item
        {0x10000 | 102, ROUTE_COMMAND},  // only the low 16 bits count
        {(2u << 16) | 3002, ROUTE_LIST_NOTIFY},
    };
    for (const Case& c : cases) EXPECT_EQ(c.route, RouteCommand(c.id)) << c.id;
}

TEST(MainCommands, DroppedFileRule) {
    struct Case {
        const char* path;
        bool accepted;
    } cases[] = {
        {"C:\\src\\app.mak", true},
        {"a.mak", false},          // five characters only
        {"ab.mak", true},
        {"C:\\src\\MAKEFILE", false},
        {"C:\\src\\APP.MAK", false},  // the test is case-sensitive
        {"C:\\src\\app.make", true},  // ".mak" inside a longer extension
        {"C:\\x.makers\\notes.txt", true},  // anywhere in the path
        {"C:\\src\\app.txt", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.accepted, AcceptsDroppedFile(c.path)) << c.path;
}

TEST(MainCommands, HelpFileBesideBravikExe) {
    struct Case {
        const char* exe;
        const char* help;
    } cases[] = {
        {"C:\\Program Files\\Bravik\\Bravik.exe", "C:\\Program Files\\Bravik\\Bravik.hlp"},
        {"C:\\TOOLS\\BRAVIK.EXE", "C:\\TOOLS\\Bravik.hlp"},
        {"c:\\tools\\bravik.exe", "c:\\tools\\Bravik.hlp"},
        {"BRAVIK.EXE", "Bravik.hlp"},
        {"C:\\tools\\MyBravik.exe", "C:\\tools\\MyBravik.hlp"},  // only the last ten characters count
        {"C:\\tools\\Bravik2.exe", "Bravik.hlp"},
        {"C:\\tools\\wine_tests.exe", "Bravik.hlp"},
        {"RAVIK.EXE", "Bravik.hlp"},
        // The 'B' is the second byte of a double-byte character, not a letter.
        {"C:\\\x83" "BRAVIK.EXE", "Bravik.hlp"},
        {"C:\\ツール\\Bravik.exe", "C:\\ツール\\Bravik.hlp"},
    };
    for (const Case& c : cases) {
        char out[260];
        HelpFilePath(c.exe, out, sizeof out);
        EXPECT_STREQ(c.help, out) << c.exe;
    }
}

TEST(MainCommands, HelpPageBesideAnyExecutable) {
    struct Case {
        const char* exe;
        const char* page;
    } cases[] = {
        {"C:\\Program Files\\Bravik\\Bravik.exe", "C:\\Program Files\\Bravik\\Bravik.html"},
        {"C:\\t\\renamed.exe", "C:\\t\\Bravik.html"},
        {"Bravik.exe", "Bravik.html"},
        // A kanji whose second byte is '\' ("ソ") is not a separator.
        {"C:\\ソ.exe", "C:\\Bravik.html"},
    };
    for (const Case& c : cases) {
        char out[260];
        HelpPagePath(c.exe, out, sizeof out);
        EXPECT_STREQ(c.page, out) << c.exe;
    }
}

TEST(MainCommands, HelpPathsNeverOverflow) {
    std::string exe = "C:\\" + std::string(240, 'd') + "\\Bravik.exe";
    char out[260];
    HelpFilePath(exe.c_str(), out, sizeof out);
    EXPECT_LT(strlen(out), sizeof out);
    HelpPagePath(exe.c_str(), out, sizeof out);
    EXPECT_LT(strlen(out), sizeof out);
    char tiny[8];
    HelpFilePath("C:\\x\\Bravik.exe", tiny, sizeof tiny);
    EXPECT_STREQ("C:\\x\\Br", tiny);
}

TEST(MainCommands, EditCommandLine) {
    char out[524];
    EXPECT_TRUE(ComposeEditCommand("C:\\hidemaru\\Hidemaru.exe", "C:\\my src\\app.mak", out, sizeof out));
    EXPECT_STREQ("C:\\hidemaru\\Hidemaru.exe C:\\my src\\app.mak", out);  // nothing quoted

    EXPECT_FALSE(ComposeEditCommand("", "C:\\app.mak", out, sizeof out));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(ComposeEditCommand("notepad", "", out, sizeof out));
    EXPECT_STREQ("", out);

    // Two full 259-character paths and the blank fit the buffer.
    std::string a(259, 'a'), b(259, 'b');
    EXPECT_TRUE(ComposeEditCommand(a.c_str(), b.c_str(), out, sizeof out));
    EXPECT_EQ(519u, strlen(out));
    char small[10];
    EXPECT_FALSE(ComposeEditCommand("edit", "x.mak", small, sizeof small));  // needs 11
    EXPECT_STREQ("", small);
    EXPECT_TRUE(ComposeEditCommand("edit", "x.ma", small, sizeof small));
}

TEST(MainCommands, ListPlacementBetweenTheBars) {
    struct Case {
        int w, h, toolbar, status;
        ListPlacement p;
    } cases[] = {
        {304, 241, 28, 20, {0, 30, 304, 191}},
        {304, 241, 0, 20, {0, 2, 304, 219}},   // no toolbar: the list starts at y = 2
        {304, 241, 28, 0, {0, 30, 304, 211}},  // no status bar: down to the bottom
        {304, 241, 0, 0, {0, 2, 304, 239}},
    };
    for (const Case& c : cases) {
        ListPlacement p = PlaceVariantList(c.w, c.h, c.toolbar, c.status);
        EXPECT_EQ(c.p.x, p.x);
        EXPECT_EQ(c.p.y, p.y);
        EXPECT_EQ(c.p.width, p.width);
        EXPECT_EQ(c.p.height, p.height);
        EXPECT_EQ(c.h - c.status, p.y + p.height);  // the lower edge meets the status bar
    }
}
