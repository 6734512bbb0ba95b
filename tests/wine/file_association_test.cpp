#include "bravik/ui/file_association.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

namespace {

const char* const TEST_EXT = ".bvkassoc3";
const char* const TEST_CLASS = "BravikTest3.AssocFile";

// Registers extension -> class -> shell\open\command in HKEY_CLASSES_ROOT for
// one test and removes every key it made afterwards.
class Association {
public:
    Association(const char* className, const char* command, DWORD type = REG_SZ) : className_(className) {
        if (className) SetDefault(TEST_EXT, className, REG_SZ);
        else RegCloseKey(CreateKey(TEST_EXT));
        if (className && command) SetDefault((std::string(className) + "\\shell\\open\\command").c_str(), command, type);
    }
    ~Association() {
        if (className_) {
            std::string base = className_;
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (base + "\\shell\\open\\command").c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (base + "\\shell\\open").c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (base + "\\shell").c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, base.c_str());
        }
        RegDeleteKeyA(HKEY_CLASSES_ROOT, TEST_EXT);
        HKEY key;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, TEST_EXT, 0, KEY_READ, &key)) << "left behind";
    }

private:
    static HKEY CreateKey(const char* path) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr)) << path;
        return key;
    }
    static void SetDefault(const char* path, const char* value, DWORD type) {
        HKEY key = CreateKey(path);
        if (!key) return;
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, nullptr, 0, type, (const BYTE*)value, (DWORD)strlen(value) + 1));
        RegCloseKey(key);
    }
    const char* className_;
};

struct Result {
    int count;
    std::string out;
};

Result Lookup(const char* filePath, int outSize = 512) {
    std::string buffer(outSize + 16, 'Z');
    Result r;
    r.count = GetAssociatedCommand(TEST_EXT, filePath, &buffer[0], outSize);
    r.out = buffer.c_str();
    for (size_t i = outSize; i < buffer.size(); ++i) EXPECT_EQ('Z', buffer[i]) << "written past outSize";
    return r;
}

}  // namespace

TEST(GetAssociatedCommand, CommandsFromTheRegistry) {
    struct {
        const char* command;
        DWORD type;
        const char* path;
        const char* expected;
    } cases[] = {
        // The quotes around "%1" end up around the file.
        {"\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"", REG_SZ, "C:\\src\\app.mak",
         "\"C:\\Program Files\\Ed\\ed.exe\" \"C:\\src\\app.mak\""},
        // Without "%1" the command comes alone.
        {"notepad.exe", REG_SZ, "C:\\src\\app.mak", "notepad.exe"},
        // References stay unexpanded.
        {"%SystemRoot%\\system32\\notepad.exe %1", REG_EXPAND_SZ, "C:\\a.txt",
         "%SystemRoot%\\system32\\notepad.exe C:\\a.txt"},
        // Only the first "%1" is replaced; other '%' signs are copied.
        {"ed.exe %1 %2 %1 100%", REG_SZ, "C:\\a.txt", "ed.exe C:\\a.txt %2 %1 100%"},
        // Japanese names (trail bytes '\') pass through the registry and the copy.
        {"\"C:\\エディタ\\表示.exe\" \"%1\"", REG_SZ, "C:\\ソース\\表.mak", "\"C:\\エディタ\\表示.exe\" \"C:\\ソース\\表.mak\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        Association a(TEST_CLASS, c.command, c.type);
        Result r = Lookup(c.path);
        EXPECT_EQ(c.expected, r.out);
        EXPECT_EQ((int)strlen(c.command) + 1, r.count);
    }
}

TEST(GetAssociatedCommand, LongestClassNameThatFits) {
    std::string longClass = "BravikTest3." + std::string(224, 'L');  // 236 + 19 bytes and the NUL
    Association a(longClass.c_str(), "e %1");
    EXPECT_EQ("e C:\\a.txt", Lookup("C:\\a.txt").out);
}

TEST(GetAssociatedCommand, SizeLimits) {
    Association a(TEST_CLASS, "e %1");  // composed: the path and two bytes
    const char* path = "C:\\a.txt";      // 8 bytes: composed 10 bytes
    EXPECT_EQ(0, Lookup(path, 11).count);  // exactly outSize - 1: refused
    EXPECT_EQ("", Lookup(path, 11).out);
    EXPECT_EQ(5, Lookup(path, 12).count);
    EXPECT_EQ("e C:\\a.txt", Lookup(path, 12).out);
}

TEST(GetAssociatedCommand, SizeLimitsWithoutPercentOne) {
    Association a(TEST_CLASS, "editor.exe");  // 10 bytes
    EXPECT_EQ(11, Lookup("x", 11).count);      // exactly outSize - 1: accepted
    EXPECT_EQ("editor.exe", Lookup("x", 11).out);
    EXPECT_EQ(0, Lookup("x", 10).count);
    EXPECT_EQ("", Lookup("x", 10).out);
}

TEST(GetAssociatedCommand, FailuresLeaveTheOutputEmpty) {
    {
        SCOPED_TRACE("no extension key");
        Result r = Lookup("C:\\a.txt");
        EXPECT_EQ(0, r.count);
        EXPECT_EQ("", r.out);
    }
    {
        SCOPED_TRACE("extension without a class");
        Association a(nullptr, nullptr);
        EXPECT_EQ(0, Lookup("C:\\a.txt").count);
        EXPECT_EQ("", Lookup("C:\\a.txt").out);
    }
    {
        SCOPED_TRACE("class without an open command");
        Association a(TEST_CLASS, nullptr);
        EXPECT_EQ(0, Lookup("C:\\a.txt").count);
        EXPECT_EQ("", Lookup("C:\\a.txt").out);
    }
    {
        SCOPED_TRACE("class name too long for the command's 256-byte key path");
        std::string longClass = "BravikTest3." + std::string(225, 'L');  // 237 + 19 bytes and the NUL
        Association a(longClass.c_str(), "e %1");
        EXPECT_EQ(0, Lookup("C:\\a.txt").count);
        EXPECT_EQ("", Lookup("C:\\a.txt").out);
    }
    {
        SCOPED_TRACE("command over 255 bytes");
        std::string longCommand = "e.exe " + std::string(250, 'o') + " %1";
        Association a(TEST_CLASS, longCommand.c_str());
        EXPECT_EQ(0, Lookup("C:\\a.txt").count);
        EXPECT_EQ("", Lookup("C:\\a.txt").out);
    }
    char one[1] = {'Z'};
    EXPECT_EQ(0, GetAssociatedCommand(TEST_EXT, "x", one, 1));
    EXPECT_EQ('\0', one[0]);
}
