#include "bravik/core/environment.h"
#include "tests/core/test.h"

#include <algorithm>

// The NUL-separated block as its entries joined by '|'; the system strings are
// written with '|' between them too.
static std::string Compose(const char* environment, std::string system = "", bool useSystem = true) {
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

TEST(ComposeEnvironment, SystemStringsLinesReferencesAndDefinitions) {
    const char* sdk = "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk";
    struct { const char *lines, *system, *expected; bool useSystem = true; } cases[] = {
        {nullptr, "", ""}, {"\r\n\r\nno equals sign\n", "", ""}, {"A=1", "PATH=C:\\bin", "A=1", false},
        {"A=1", "PATH=C:\\bin|=C:=C:\\work|TEMP=C:\\tmp", "PATH=C:\\bin|=C:=C:\\work|TEMP=C:\\tmp|A=1"},
        {"\r\nA=1\r\nB=2\n\n\rC=3\rD=4\r\n", "", "A=1|B=2|C=3|D=4"},
        {"X=%WindowsDirectory%", "WINDOWSDIRECTORY=D:\\w", "WINDOWSDIRECTORY=D:\\w|X=C:\\windows"},  // words first
        {"A=%B% %C%", "B=1|C=2", "B=1|C=2|A=1 %C%"},
        {"X=<%V%>", "V= \t v", "V= \t v|X=<v>"},  // one per line; no blanks
        {"X=%V%", "V=", "V=|X=%V%"}, {"X=%%", "=C:=C:\\work", "=C:=C:\\work|X=%%"}, {"X=%A", "A=1", "A=1|X=%A"},
        {"X=%PATH%", "PATHEXT=.COM", "PATHEXT=.COM|X=%PATH%"}, {"X=ソ%V%", "V=1", "V=1|X=ソ1"},  // "ソ" ends in '\'
        {"X=\x81%V%", "V=1", "V=1|X=\x81%V%"},  // a '%' in a trail byte starts nothing
        {"LIB=%lib%;c:\\lib", sdk, "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk;c:\\lib"},
        {"Path=x\nX=%path%", sdk, "PATHEXT=.EXE|Path=x|LIB=C:\\sdk|X=x"},  // one variable, however it is spelt
        {"PATH = y", sdk, "PATHEXT=.EXE|PATH = y|LIB=C:\\sdk"},
        {"=x\n =y\n", sdk, "PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk"},
        {"A=1\nB=%A%\nA=%a%;2", "", "A=1;2|B=1"},  // later lines see and override earlier ones
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Compose(c.lines, c.system, c.useSystem)) << c.lines;
}

TEST(ComposeEnvironment, EveryEntryAndEveryLineIsKeptWhole) {
    std::string system, lines, joined;  // 100 system variables, TEMP, TMP and windir among the last, and 30 lines
    for (int i = 0; i < 100; ++i) system += "S" + std::to_string(i) + "=" + std::to_string(i) + "|";
    system += "TEMP=C:\\t|TMP=C:\\t|windir=C:\\windows";
    for (int i = 0; i < 30; ++i) lines += "L" + std::to_string(i) + "=x\n", joined += "|L" + std::to_string(i) + "=x";
    EXPECT_EQ(system + joined, Compose(lines.c_str(), system));
    // The README's PATH line with a long PATH beside a long system string; a line that grows by a value.
    std::string path = "PATH=" + std::string(4000, 'p') + "表", longer = "S=" + std::string(5000, 's');
    EXPECT_EQ(path + ";C:\\MinGW\\bin|" + longer, Compose("PATH=%PATH%;C:\\MinGW\\bin", path + "|" + longer));
    EXPECT_EQ("V=" + std::string(300, 'v') + "|X=" + std::string(700, 'a') + std::string(300, 'v') + ";tail",
              Compose(("X=" + std::string(700, 'a') + "%V%;tail").c_str(), "V=" + std::string(300, 'v')));
}

// The platform holds 32,767 characters in one variable; a double-byte character counts once.
TEST(ComposeEnvironment, ALineBeyondTheVariableLimitIsRefusedByName) {
    std::string value(32767 - 7, 'v');  // "LONG=" + value + ";x" is 32,767 characters
    const struct { std::string system, lines; bool refused; } cases[] = {
        {"V=" + value, "LONG=%V%;x", false}, {"V=" + value, "LONG=%V%;xy", true},
        {"V=" + value.substr(1) + "表", "LONG=%V%;x", false},  // 32,768 bytes
        {"V=" + value, "A=1\nLONG = %V%;xy\nB=2", true},
    };
    for (const auto& c : cases) {
        std::string system = c.system + std::string(2, '\0');
        EnvironmentSources s = {c.lines.c_str(), true, system.c_str(), nullptr, nullptr, nullptr};
        EnvironmentRefusal refusal;
        char* block = ComposeEnvironment(s, '\0', &refusal);
        EXPECT_EQ(c.refused, block == nullptr) << c.lines;
        EXPECT_EQ(c.refused, refusal.tooLong);
        EXPECT_STREQ(c.refused ? "LONG" : "", refusal.name);
        free(block);
    }
}

TEST(ComposeEnvironment, EveryFailedAllocationGivesNothing) {
    static int left;  // allocations that succeed before the first failure
    auto saved = EnvironmentAllocator;
    EnvironmentAllocator = [](void* block, size_t n) -> void* { return left-- > 0 ? realloc(block, n) : nullptr; };
    int allocations = 0;
    for (; allocations < 100; ++allocations)
        if (left = allocations, Compose("PATH=%PATH%;x\nC=3", "A=1|B=2|PATH=C:\\bin") != "<no block>") break;
    EnvironmentAllocator = saved;
    EXPECT_GE(allocations, 6) << "each entry, each line, its expansion, the table and the block";
}
