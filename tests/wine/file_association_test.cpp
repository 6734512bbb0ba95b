// The open command of a file type, as Windows keeps it (REG_EXPAND_SZ) or as Wine does (REG_SZ).
#include "bravik/ui/file_association.h"

#include <shlwapi.h>

#include "wine_test_util.h"

// A found command gives its registry size, NUL included; a failure 0 and ""; nothing is written past outSize.
TEST(GetAssociatedCommand, CommandsSizeLimitsAndFailures) {
    const std::string cls = "BravikTest3.AssocFile", longest = "BravikTest3." + std::string(224, 'L');
    char root[MAX_PATH];
    std::string systemRoot(root, GetEnvironmentVariableA("SystemRoot", root, sizeof root));
    const struct { std::string cls, command; const char* path; int outSize; std::string expected; DWORD type; } cases[] = {
        {cls, "%SystemRoot%\\NOTEPAD.EXE %1", "C:\\a.txt", 512, systemRoot + "\\NOTEPAD.EXE C:\\a.txt", REG_EXPAND_SZ},
        {cls, "\"%SystemRoot%\\e.exe\" %NoSuchBv% \"%1\"", "C:\\a.txt", 512, "\"" + systemRoot + "\\e.exe\" %NoSuchBv% \"C:\\a.txt\"", REG_SZ},
        {cls, "ed.exe %1 %2 %1 100%", "C:\\a.txt", 512, "ed.exe C:\\a.txt %2 %1 100%", REG_SZ},  // the first "%1" only
        {cls, "e %1", "C:\\a.txt", 11, "", REG_SZ}, {cls, "e %1", "C:\\a.txt", 12, "e C:\\a.txt", REG_SZ},  // 10 bytes: with "%1" one must be spare
        {cls, "editor.exe", "x", 11, "editor.exe", REG_SZ}, {cls, "editor.exe", "x", 10, "", REG_SZ},  // without it outSize - 1
        {longest, "e %1", "C:\\a.txt", 512, "e C:\\a.txt", REG_SZ}, {longest + "L", "e %1", "C:\\a.txt", 512, "", REG_SZ},  // key paths of 255 bytes and more
        {cls, "e.exe " + std::string(250, 'o') + " %1", "C:\\a.txt", 512, "", REG_SZ},  // over 255 bytes
        {"", "", "C:\\a.txt", 512, "", REG_SZ}, {cls, "", "C:\\a.txt", 512, "", REG_SZ},  // no class, no command
    };
    for (const auto& c : cases) {
        SHSetValueA(HKEY_CLASSES_ROOT, ".bvkassoc3", nullptr, REG_SZ, c.cls.c_str(), (DWORD)c.cls.size() + 1);
        std::string key = c.cls + "\\shell\\open\\command", buffer(c.outSize + 16, 'Z');
        if (!c.command.empty())
            SHSetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, c.type, c.command.c_str(), (DWORD)c.command.size() + 1);
        int count = GetAssociatedCommand(".bvkassoc3", c.path, &buffer[0], c.outSize);
        EXPECT_EQ(std::string(16, 'Z'), buffer.substr(c.outSize)) << "written past outSize";
        EXPECT_EQ(std::to_string(c.expected.empty() ? 0 : c.command.size() + 1) + "|" + c.expected,
                  std::to_string(count) + "|" + buffer.c_str()) << c.command.substr(0, 40);
        if (!c.cls.empty()) SHDeleteKeyA(HKEY_CLASSES_ROOT, c.cls.c_str());
    }
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".bvkassoc3");
    EXPECT_EQ(0, GetAssociatedCommand(".bvkassoc3", "x", &std::string(8, 'Z')[0], 1)) << "no extension key";
}
