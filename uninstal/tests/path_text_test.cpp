#include "uninstal/core/path_text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "bravik/core/cp932.h"
#include "uninstal/core/script_format.h"

using namespace uninstal;

namespace {

int FakeDirectory(char letter, char* dir) {
    const char* value = "";
    switch (letter) {
    case 'c': value = "C:\\cur"; break;
    case 'p': value = "C:\\Program Files"; break;
    case 's': value = "C:\\WINDOWS\\system32"; break;
    case 'w': value = "C:\\WINDOWS"; break;
    default: return 0;
    }
    strcpy(dir, value);
    return 1;
}

int FailingDirectory(char, char* dir) {
    strcpy(dir, "garbage");
    return 0;
}

std::string Expand(const char* text, const char* installDir, int* whole = nullptr) {
    char out[kPathSize];
    int result = ExpandPathText(out, text, installDir, FakeDirectory);
    if (whole) *whole = result;
    return out;
}

TEST(ExpandPathTextTest, Macros) {
    struct Case {
        const char* text;
        const char* installDir;
        const char* expected;
    } cases[] = {
        {"%i", "C:\\App", "C:\\App"},
        {"%i\\x", "C:\\App", "C:\\App\\x"},
        {"%ix", "C:\\App", "C:\\App\\x"},
        {"%ix", "C:\\", "C:\\x"},
        {"%i\\x", "C:\\", "C:\\\\x"},
        {"%i\\Bravik.exe", "C:\\Program Files\\Quibrel\\Bravik", "C:\\Program Files\\Quibrel\\Bravik\\Bravik.exe"},
        {"%c\\a", "", "C:\\cur\\a"},
        {"%p\\Quibrel\\Bravik", "", "C:\\Program Files\\Quibrel\\Bravik"},
        {"%s\\x.dll", "", "C:\\WINDOWS\\system32\\x.dll"},
        {"%w", "", "C:\\WINDOWS"},
        {"%qx", "C:\\App", "x"},
        {"%q\\x", "C:\\App", "\\x"},
        {"%I\\x", "C:\\App", "\\x"},
        {"%ix", "", "x"},
        {"C:\\plain\\%i", "C:\\App", "C:\\plain\\%i"},
        {"", "C:\\App", ""},
        {"%", "C:\\App", ""},
        {"%表x", "C:\\App", "x"},
        // The last byte of "表" is 0x5C: the directory does not end in '\'.
        {"%ix", "C:\\表", "C:\\表\\x"},
        {"%i\\ｱﾌﾟﾘ.exe", "D:\\ﾂｰﾙ", "D:\\ﾂｰﾙ\\ｱﾌﾟﾘ.exe"},
    };
    for (const Case& c : cases) {
        int whole = 0;
        EXPECT_EQ(Expand(c.text, c.installDir, &whole), c.expected) << c.text << " with " << c.installDir;
        EXPECT_EQ(whole, 1) << c.text;
    }
}

TEST(ExpandPathTextTest, NullTextAndNullInstallDirGiveEmpty) {
    EXPECT_EQ(Expand(nullptr, "C:\\App"), "");
    EXPECT_EQ(Expand("%i\\x", nullptr), "");
}

TEST(ExpandPathTextTest, LongResultIsCutAndReported) {
    std::string dir = "C:\\" + std::string(250, 'd');
    int whole = 1;
    std::string out = Expand("%i\\0123456789", dir.c_str(), &whole);
    EXPECT_EQ(whole, 0);
    EXPECT_EQ(out.size(), kPathSize - 1);
    EXPECT_EQ(out.compare(0, dir.size(), dir), 0);

    // A cut never leaves a lone lead byte.
    std::string kanji = "C:\\" + std::string(254, 'd');
    out = Expand("%i表表表", kanji.c_str(), &whole);
    EXPECT_EQ(whole, 0);
    EXPECT_EQ(out.size(), kPathSize - 2);

    std::string fits = "C:\\" + std::string(252, 'd');
    out = Expand("%i\\abc", fits.c_str(), &whole);
    EXPECT_EQ(whole, 1);
    EXPECT_EQ(out.size(), kPathSize - 1);
}

TEST(ExpandPathTextTest, MissingDirectoryIsNotWhole) {
    char out[kPathSize];
    EXPECT_EQ(ExpandPathText(out, "%c\\x", "C:\\App", FailingDirectory), 0);
    EXPECT_STREQ(out, "\\x");
    EXPECT_EQ(ExpandPathText(out, "%i\\x", "C:\\App", FailingDirectory), 1);
    EXPECT_STREQ(out, "C:\\App\\x");
}

TEST(HelpIndexPathTest, OnlyAnHlpExtension) {
    struct Case {
        const char* path;
        const char* index;  // nullptr: no help index
    } cases[] = {
        {"C:\\App\\Bravik.hlp", "C:\\App\\Bravik.gid"},
        {"C:\\App\\Bravik.HLP", "C:\\App\\Bravik.gid"},
        {"C:\\App\\Bravik.Hlp", "C:\\App\\Bravik.gid"},
        {"C:\\App\\表示.hlp", "C:\\App\\表示.gid"},
        {"C:\\App\\ﾍﾙﾌﾟ.HLP", "C:\\App\\ﾍﾙﾌﾟ.gid"},
        {"C:\\App\\Bravik.hlp.bak", nullptr},
        {"C:\\App\\Bravik.hlpx", nullptr},
        {"C:\\App\\Bravik.cnt", nullptr},
        {"C:\\d.hlp\\readme", nullptr},
        {"C:\\App\\hlp", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        char out[kPathSize] = "";
        int result = HelpIndexPath(out, c.path);
        EXPECT_EQ(result, c.index ? 1 : 0) << c.path;
        if (c.index) {
            EXPECT_STREQ(out, c.index);
        }
    }
}

TEST(ShortcutPathTest, FolderNameAndExtension) {
    char out[kPathSize];
    EXPECT_EQ(ShortcutPath(out, "C:\\Menu\\Quibrel Software", "Bravik ﾒｲｸﾂｰﾙ"), 1);
    EXPECT_STREQ(out, "C:\\Menu\\Quibrel Software\\Bravik ﾒｲｸﾂｰﾙ.lnk");
    std::string folder(251, 'f');
    EXPECT_EQ(ShortcutPath(out, folder.c_str(), "name"), 0);
    EXPECT_EQ(strlen(out), kPathSize - 1);
    std::string exact(kPathSize - 1 - 9, 'f');  // + "\name.lnk"
    EXPECT_EQ(ShortcutPath(out, exact.c_str(), "name"), 1);
}

TEST(AppendMenuFolderTest, Cases) {
    char folder[kPathSize] = "";
    EXPECT_EQ(AppendMenuFolder(folder, "Quibrel Software"), 1);
    EXPECT_STREQ(folder, "\\Quibrel Software");
    strcpy(folder, "C:\\Programs");
    EXPECT_EQ(AppendMenuFolder(folder, ""), 1);
    EXPECT_STREQ(folder, "C:\\Programs");
    EXPECT_EQ(AppendMenuFolder(folder, "Sub"), 1);
    EXPECT_STREQ(folder, "C:\\Programs\\Sub");
    std::string name(kPathSize, 'n');
    EXPECT_EQ(AppendMenuFolder(folder, name.c_str()), 0);
    EXPECT_EQ(strlen(folder), kPathSize - 1);
}

TEST(AssociationClassKeyTest, ExtensionWithoutItsFirstCharacter) {
    struct Case {
        const char* extension;
        const char* key;
    } cases[] = {
        {".mak", "mak_bvu_file"}, {".makx", "makx_bvu_file"}, {"mak", "ak_bvu_file"},
        {"表ab", "ab_bvu_file"},  {".", nullptr},             {"", nullptr},
    };
    for (const Case& c : cases) {
        char out[kPathSize];
        EXPECT_EQ(AssociationClassKey(out, sizeof out, c.extension), c.key ? 1 : 0) << c.extension;
        if (c.key) {
            EXPECT_STREQ(out, c.key);
        }
    }
    char small[8];
    EXPECT_EQ(AssociationClassKey(small, sizeof small, ".mak"), 0);
}

TEST(EndsWithBackslashTest, TrailByteIsNotASeparator) {
    EXPECT_TRUE(EndsWithBackslash("C:\\"));
    EXPECT_TRUE(EndsWithBackslash("C:\\表\\"));
    EXPECT_FALSE(EndsWithBackslash("C:\\表"));
    EXPECT_FALSE(EndsWithBackslash(""));
    EXPECT_FALSE(EndsWithBackslash("C:"));
}

}  // namespace
