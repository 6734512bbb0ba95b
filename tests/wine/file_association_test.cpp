#include "bravik/ui/file_association.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

namespace {

const char* const TEST_EXT = ".bvkassoc3";

void SetDefault(const std::string& path, const std::string& value, DWORD type) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr)) << path;
    if (!value.empty()) {
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, nullptr, 0, type, (const BYTE*)value.c_str(), (DWORD)value.size() + 1));
    }
    RegCloseKey(key);
}

// TEST_EXT -> className -> shell\open\command for one case ("": no class, no
// command), every key removed afterwards.
struct Association {
    std::string cls;
    Association(const std::string& className, const std::string& command, DWORD type) : cls(className) {
        SetDefault(TEST_EXT, cls, REG_SZ);
        if (!cls.empty() && !command.empty()) SetDefault(cls + "\\shell\\open\\command", command, type);
    }
    ~Association() {
        if (!cls.empty())
            for (const char* sub : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
                RegDeleteKeyA(HKEY_CLASSES_ROOT, (cls + sub).c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, TEST_EXT);
        HKEY key;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, TEST_EXT, 0, KEY_READ, &key)) << "left behind";
    }
};

// "<result>|<command>" for TEST_EXT; the bytes past outSize must stay untouched.
std::string Lookup(const char* filePath, int outSize) {
    std::string buffer(outSize + 16, 'Z');
    int count = GetAssociatedCommand(TEST_EXT, filePath, &buffer[0], outSize);
    EXPECT_EQ(std::string(16, 'Z'), buffer.substr(outSize)) << "written past outSize";
    return std::to_string(count) + "|" + buffer.c_str();
}

}  // namespace

// A found command gives the registry's size of it, NUL included; a failure 0 and "".
TEST(GetAssociatedCommand, CommandsSizeLimitsAndFailures) {
    EXPECT_EQ("0|", Lookup("x", 1)) << "no extension key";
    const std::string cls = "BravikTest3.AssocFile", longest = "BravikTest3." + std::string(224, 'L');
    char root[MAX_PATH];
    std::string systemRoot(root, GetEnvironmentVariableA("SystemRoot", root, sizeof root));
    ASSERT_FALSE(systemRoot.empty());
    struct { std::string cls, command; const char* path; int outSize; std::string expected; DWORD type; } cases[] = {
        {cls, "\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"", "C:\\src\\app.mak", 512,
         "\"C:\\Program Files\\Ed\\ed.exe\" \"C:\\src\\app.mak\"", REG_SZ},
        {cls, "%SystemRoot%\\system32\\NOTEPAD.EXE %1", "C:\\a.txt", 512,  // as Windows stores it
         systemRoot + "\\system32\\NOTEPAD.EXE C:\\a.txt", REG_EXPAND_SZ},
        {cls, "\"%SystemRoot%\\e.exe\" %NoSuchVariableBv% \"%1\"", "C:\\a.txt", 512,
         "\"" + systemRoot + "\\e.exe\" %NoSuchVariableBv% \"C:\\a.txt\"", REG_SZ},
        {cls, "ed.exe %1 %2 %1 100%", "C:\\a.txt", 512, "ed.exe C:\\a.txt %2 %1 100%", REG_SZ},  // the first "%1" only
        {cls, "\"C:\\エディタ\\表示.exe\" \"%1\"", "C:\\ソース\\表.mak", 512,
         "\"C:\\エディタ\\表示.exe\" \"C:\\ソース\\表.mak\"", REG_SZ},
        {cls, "e %1", "C:\\a.txt", 11, "", REG_SZ},  // composed 10 bytes: with "%1" one byte must be spare
        {cls, "e %1", "C:\\a.txt", 12, "e C:\\a.txt", REG_SZ},
        {cls, "editor.exe", "x", 11, "editor.exe", REG_SZ},  // without "%1" the command alone fits outSize - 1
        {cls, "editor.exe", "x", 10, "", REG_SZ},
        {longest, "e %1", "C:\\a.txt", 512, "e C:\\a.txt", REG_SZ},  // its command's key path is 255 bytes
        {longest + "L", "e %1", "C:\\a.txt", 512, "", REG_SZ},
        {cls, "e.exe " + std::string(250, 'o') + " %1", "C:\\a.txt", 512, "", REG_SZ},  // over 255 bytes
        {"", "", "C:\\a.txt", 512, "", REG_SZ},  // an extension without a class
        {cls, "", "C:\\a.txt", 512, "", REG_SZ},  // a class without an open command
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cls.substr(0, 24) + " " + c.command.substr(0, 40));
        Association a(c.cls, c.command, c.type);
        std::string count = !c.expected.empty() ? std::to_string(c.command.size() + 1) : "0";
        EXPECT_EQ(count + "|" + c.expected, Lookup(c.path, c.outSize));
    }
}
