#include "bravik/core/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

namespace {

// The NUL-separated block as its entries joined by '|'; the system strings are
// written with '|' between them too.
std::string Compose(const char* environment, std::string system = "", bool useSystem = true) {
    std::replace(system.begin(), system.end(), '|', '\0');
    system += std::string(2, '\0');
    EnvironmentSources s = {environment, useSystem, system.c_str(), "C:\\windows\\system32", "C:\\windows", "C:\\work"};
    char* block = ComposeEnvironment(s, '\0');
    if (!block) return "<no block>";
    std::string joined;
    for (const char* p = block; *p; p += strlen(p) + 1) joined += (joined.empty() ? "" : "|") + std::string(p);
    EXPECT_TRUE(block[0] || !block[1]) << "the empty block is two NULs";
    free(block);
    return joined;
}

}  // namespace

TEST(ComposeEnvironment, SystemStringsLinesReferencesAndDefinitions) {
    const char* sdk = "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk";
    struct { const char* lines; const char* system; const char* expected; bool useSystem = true; } cases[] = {
        {nullptr, "", ""},
        {"\r\n\r\nno equals sign\n", "", ""},
        {"A=1", "PATH=C:\\bin|=C:=C:\\work|TEMP=C:\\tmp", "PATH=C:\\bin|=C:=C:\\work|TEMP=C:\\tmp|A=1"},
        {"A=1", "PATH=C:\\bin", "A=1", false},
        {"\r\nA=1\r\nB=2\n\n\rC=3\rD=4\r\n", "", "A=1|B=2|C=3|D=4"},
        {"INCLUDE=%CURRENTDIRECTORY%\\inc", "", "INCLUDE=C:\\work\\inc"},
        {"X=%systemdirectory%", "", "X=C:\\windows\\system32"},
        {"X=%WindowsDirectory%;%PATH%", "PATH=C:\\bin", "PATH=C:\\bin|X=C:\\windows;%PATH%"},
        {"X=%WINDOWSDIRECTORY%", "WINDOWSDIRECTORY=D:\\w", "WINDOWSDIRECTORY=D:\\w|X=C:\\windows"},  // words before variables
        {"A=%B% %C%", "B=1|C=2", "B=1|C=2|A=1 %C%"},          // one reference per line
        {"X=<%V%>", "V= \t v", "V= \t v|X=<v>"},               // leading blanks of the value skipped
        {"X=%V%", "V=", "V=|X=%V%"},                           // an empty value leaves the line alone
        {"X=%%", "=C:=C:\\work", "=C:=C:\\work|X=%%"},          // the empty name references nothing
        {"X=%PATH%", "PATHEXT=.COM", "PATHEXT=.COM|X=%PATH%"},  // names are compared whole
        {"X=%P ATH%", "P ATH=1", "P ATH=1|X=1"},
        {"X=%A", "A=1", "A=1|X=%A"},
        {"X=ソ%V%", "V=1", "V=1|X=ソ1"},                       // "ソ" ends in '\'
        {"X=\x81%V%", "V=1", "V=1|X=\x81%V%"},                // a '%' in a trail byte starts nothing
        {"LIB=%lib%;c:\\lib", sdk, "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk;c:\\lib"},
        {"Path=x", sdk, "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk|Path=x"},  // definitions are case-sensitive
        {"PATH = y", sdk, "PATHEXT=.EXE|PATH = y|LIB=C:\\sdk"},
        {"Path=x\nX=%path%", sdk, "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk|Path=x|X=C:\\bin"},  // the first one wins
        {"A=1\nB=%A%\nA=%a%;2", "", "A=1;2|B=1"},  // later lines see and override earlier ones
        {"=x\n =y\n", sdk, "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk"},  // an empty name replaces nothing
        {"ProgramFiles(x86)=D:\\x", "ProgramFiles=C:\\pf", "ProgramFiles=C:\\pf|ProgramFiles(x86)=D:\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Compose(c.lines, c.system, c.useSystem)) << c.lines;
}

TEST(ComposeEnvironment, SixtyFourEntriesAtMost) {
    std::string system, expected;
    for (int i = 0; i < 70; ++i) system += "|S" + std::to_string(i) + "=" + std::to_string(i);
    for (int i = 0; i < 64; ++i)
        expected += "|S" + std::to_string(i) + "=" + (i == 5 ? "five" : i == 63 ? "last" : std::to_string(i));
    EXPECT_EQ(expected.substr(1), Compose("NEW=1\nS5=five\nS63=last", system.substr(1)));
}

TEST(ComposeEnvironment, LongTextsAreCutOnCharacterBoundaries) {
    EXPECT_EQ("L=" + std::string(1019, 'x') + "ソ", Compose(("L=" + std::string(1019, 'x') + "ソソ").c_str()));
    EXPECT_EQ("S=" + std::string(1021, 's'), Compose("", "S=" + std::string(1100, 's')));
    // A referenced value keeps 259 bytes; the rebuilt line 779, with nothing after a cut in it.
    std::string value = "V=" + std::string(300, 'v');
    EXPECT_EQ(value + "|X=" + std::string(259, 'v') + ";tail", Compose("X=%V%;tail", value));
    EXPECT_EQ(value + "|X=" + std::string(700, 'a') + std::string(77, 'v'),
              Compose(("X=" + std::string(700, 'a') + "%V%;tail").c_str(), value));
}

TEST(ComposeEnvironment, FullTableOfLongestEntriesPacksIntoTheAllocation) {
    std::string system;  // 64 entries of 1023 bytes: with separators and the final NUL, 64 KiB + 1
    for (int i = 0; i < 64; ++i) {
        std::string name = "N" + std::to_string(100 + i) + "=";
        system += name + std::string(1023 - name.size(), 'a' + i % 26) + '\0';
    }
    system += '\0';
    const EnvironmentSources full = {nullptr, true, system.c_str(), nullptr, nullptr, nullptr};
    static size_t asked;
    auto saved = EnvironmentTableAllocator;
    for (char separator : {'\0', '\n'}) {
        EnvironmentTableAllocator = [](size_t count, size_t each) -> void* {
            char* p = (char*)calloc((asked = count * each) + 64, 1);
            memset(p + asked, 0xCD, 64);  // a guard that must survive
            return p;
        };
        char* block = ComposeEnvironment(full, separator);
        EnvironmentTableAllocator = saved;
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(std::string(64, '\xCD'), std::string(block + asked, 64)) << "written past the allocation";
        std::string expected = system;
        for (int i = 0; i < 63; ++i) expected[i * 1024 + 1023] = separator;
        EXPECT_TRUE(memcmp(expected.data(), block, expected.size()) == 0) << "separator " << (int)separator;
        free(block);
    }
    EnvironmentTableAllocator = [](size_t, size_t) -> void* { return nullptr; };
    EXPECT_EQ(nullptr, ComposeEnvironment(full, '\0')) << "an allocation failure gives nothing";
    EnvironmentTableAllocator = saved;
}
