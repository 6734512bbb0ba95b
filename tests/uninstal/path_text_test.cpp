#include "uninstal/core/path_text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "uninstal/core/script_format.h"

namespace {

int FakeDirectory(char letter, char* dir) {
    const char* value = letter == 'c'   ? "C:\\cur"
                        : letter == 'p' ? "C:\\Program Files"
                        : letter == 's' ? "C:\\WINDOWS\\system32"
                        : letter == 'w' ? "C:\\WINDOWS"
                                        : nullptr;
    strcpy(dir, value ? value : "garbage");
    return value != nullptr;
}

// The expansion, marked when it was reported cut.
std::string Expand(const char* text, const char* installDir, MacroDirectoryFn directory = FakeDirectory) {
    char out[UNINSTAL_PATH_SIZE];
    int whole = ExpandPathText(out, text, installDir, directory);
    return std::string(out) + (whole ? "" : " [cut]");
}

TEST(ExpandPathTextTest, Macros) {
    const struct { const char *text, *installDir, *expected; } cases[] = {
        {"%i", "C:\\App", "C:\\App"}, {"%i\\x", "C:\\App", "C:\\App\\x"}, {"%ix", "C:\\App", "C:\\App\\x"},
        {"%ix", "C:\\", "C:\\x"}, {"%i\\x", "C:\\", "C:\\\\x"}, {"%c\\a", "", "C:\\cur\\a"}, {"%w", "", "C:\\WINDOWS"},
        {"%i\\Bravik.exe", "C:\\Program Files\\Quibrel\\Bravik", "C:\\Program Files\\Quibrel\\Bravik\\Bravik.exe"},
        {"%p\\Quibrel\\Bravik", "", "C:\\Program Files\\Quibrel\\Bravik"},
        {"%s\\x.dll", "", "C:\\WINDOWS\\system32\\x.dll"}, {"%ix", "", "x"},
        {"%qx", "C:\\App", "x"}, {"%q\\x", "C:\\App", "\\x"}, {"%I\\x", "C:\\App", "\\x"}, {"%表x", "C:\\App", "x"},
        {"C:\\plain\\%i", "C:\\App", "C:\\plain\\%i"}, {"", "C:\\App", ""}, {"%", "C:\\App", ""},
        // The last byte of "表" is 0x5C: that directory does not end in '\'.
        {"%ix", "C:\\表", "C:\\表\\x"}, {"%ix", "C:\\表\\", "C:\\表\\x"},
        {"%i\\ｱﾌﾟﾘ.exe", "D:\\ﾂｰﾙ", "D:\\ﾂｰﾙ\\ｱﾌﾟﾘ.exe"}, {nullptr, "C:\\App", ""}, {"%i\\x", nullptr, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expand(c.text, c.installDir), c.expected) << c.text << " with " << c.installDir;
}

TEST(ExpandPathTextTest, CutOrMissingDirectoryIsNotWhole) {
    std::string dir = "C:\\" + std::string(250, 'd'), kanji = "C:\\" + std::string(254, 'd');
    EXPECT_EQ(Expand("%i\\0123456789", dir.c_str()),
              (dir + "\\0123456789").substr(0, UNINSTAL_PATH_SIZE - 1) + " [cut]");
    EXPECT_EQ(Expand("%i表表表", kanji.c_str()), kanji + "\\ [cut]");  // never a lone lead byte
    EXPECT_EQ(Expand("%i\\abc", (dir + "dd").c_str()), dir + "dd\\abc");  // exactly 259 bytes
    EXPECT_EQ(Expand("%c\\x", "C:\\App", [](char, char* d) { strcpy(d, "garbage"); return 0; }), "\\x [cut]");
}

TEST(HelpIndexPathTest, OnlyAnHlpExtension) {
    const struct { const char *path, *index; } cases[] = {  // index nullptr: none
        {"C:\\App\\Bravik.hlp", "C:\\App\\Bravik.gid"}, {"C:\\App\\Bravik.HLP", "C:\\App\\Bravik.gid"},
        {"C:\\App\\Bravik.Hlp", "C:\\App\\Bravik.gid"}, {"C:\\App\\表示.hlp", "C:\\App\\表示.gid"},
        {"C:\\App\\ﾍﾙﾌﾟ.HLP", "C:\\App\\ﾍﾙﾌﾟ.gid"}, {"C:\\App\\Bravik.hlp.bak", nullptr}, {"C:\\App\\hlp", nullptr},
        {"C:\\App\\Bravik.hlpx", nullptr}, {"C:\\App\\Bravik.cnt", nullptr}, {"C:\\d.hlp\\x", nullptr}, {"", nullptr},
    };
    for (const auto& c : cases) {
        char out[UNINSTAL_PATH_SIZE] = "";
        EXPECT_EQ(HelpIndexPath(out, c.path), c.index ? 1 : 0) << c.path;
        if (c.index) { EXPECT_STREQ(out, c.index); }
    }
}

TEST(ShortcutAndMenuFolderTest, JoinedWholeOrReportedCut) {
    char out[UNINSTAL_PATH_SIZE] = "", folder[UNINSTAL_PATH_SIZE] = "";
    EXPECT_EQ(ShortcutPath(out, "C:\\Menu\\Quibrel Software", "Bravik ﾒｲｸﾂｰﾙ"), 1);
    EXPECT_STREQ(out, "C:\\Menu\\Quibrel Software\\Bravik ﾒｲｸﾂｰﾙ.lnk");
    EXPECT_EQ(ShortcutPath(out, std::string(251, 'f').c_str(), "name"), 0);
    EXPECT_EQ(strlen(out), UNINSTAL_PATH_SIZE - 1);
    EXPECT_EQ(ShortcutPath(out, std::string(UNINSTAL_PATH_SIZE - 1 - 9, 'f').c_str(), "name"), 1);  // + "\name.lnk"
    EXPECT_EQ(AppendMenuFolder(folder, "Quibrel Software"), 1);
    EXPECT_STREQ(folder, "\\Quibrel Software");
    strcpy(folder, "C:\\Programs");
    EXPECT_EQ(AppendMenuFolder(folder, ""), 1);
    EXPECT_STREQ(folder, "C:\\Programs");
    EXPECT_EQ(AppendMenuFolder(folder, std::string(UNINSTAL_PATH_SIZE, 'n').c_str()), 0);
    EXPECT_EQ(strlen(folder), UNINSTAL_PATH_SIZE - 1);
}

TEST(AssociationClassKeyTest, ExtensionWithoutItsFirstCharacter) {
    const struct { const char *extension, *key; } cases[] = {
        {".mak", "mak_bvu_file"}, {".makx", "makx_bvu_file"}, {"mak", "ak_bvu_file"}, {"表ab", "ab_bvu_file"},
        {".", nullptr}, {"", nullptr}};
    for (const auto& c : cases) {
        char out[UNINSTAL_PATH_SIZE];
        EXPECT_EQ(AssociationClassKey(out, sizeof out, c.extension), c.key ? 1 : 0) << c.extension;
        if (c.key) { EXPECT_STREQ(out, c.key); }
    }
    char small[8];
    EXPECT_EQ(AssociationClassKey(small, sizeof small, ".mak"), 0);
}

}  // namespace
