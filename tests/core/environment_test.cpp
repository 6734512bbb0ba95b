#include "bravik/core/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// The block split at its separators; checks that it ends in two NULs.
std::vector<std::string> Compose(const char* environment, const std::string& system = std::string(),
                                 char separator = '\0', bool useSystem = true) {
    EnvironmentSources s = {};
    s.environment = environment;
    s.useSystemEnv = useSystem;
    std::string systemBlock = system + std::string(2, '\0');
    s.systemStrings = systemBlock.c_str();
    s.systemDirectory = "C:\\windows\\system32";
    s.windowsDirectory = "C:\\windows";
    s.currentDirectory = "C:\\work";
    char* block = ComposeEnvironment(s, separator);
    EXPECT_NE(nullptr, block);
    std::vector<std::string> entries;
    if (!block) return entries;
    if (block[0] == '\0') {
        EXPECT_EQ('\0', block[1]);
    } else {
        const char* p = block;
        for (;;) {
            size_t len = separator ? strcspn(p, std::string(1, separator).c_str()) : strlen(p);
            entries.emplace_back(p, len);
            p += len;
            if (*p == separator && separator) {
                ++p;
                continue;
            }
            EXPECT_EQ('\0', p[0]);
            if (p[1] == '\0') break;
            ++p;
        }
    }
    free(block);
    return entries;
}

using Entries = std::vector<std::string>;

// System strings written with '|' between them.
std::string Sys(const char* list) {
    std::string s = list;
    for (char& c : s)
        if (c == '|') c = '\0';
    return s;
}

}  // namespace

TEST(ComposeEnvironment, NothingGivesTheEmptyBlock) {
    EXPECT_EQ(Entries{}, Compose("", "PATH=C:\\bin", '\0', false));
    EXPECT_EQ(Entries{}, Compose(nullptr));
    EXPECT_EQ(Entries{}, Compose("\r\n\r\nno equals sign\n"));
}

TEST(ComposeEnvironment, SystemStringsComeFirstInTheirOrder) {
    std::string system = Sys("PATH=C:\\bin|=C:=C:\\work|TEMP=C:\\tmp");
    EXPECT_EQ((Entries{"PATH=C:\\bin", "=C:=C:\\work", "TEMP=C:\\tmp", "A=1"}), Compose("A=1", system));
    EXPECT_EQ((Entries{"A=1"}), Compose("A=1", system, '\0', false));
}

TEST(ComposeEnvironment, LinesAreSplitAtAnyRunOfCrAndLf) {
    EXPECT_EQ((Entries{"A=1", "B=2", "C=3", "D=4"}), Compose("\r\nA=1\r\nB=2\n\n\rC=3\rD=4\r\n"));
}

TEST(ComposeEnvironment, ReferencesAndDirectoryWords) {
    struct { const char* line; const char* system; const char* expected; } cases[] = {
        {"INCLUDE=%CURRENTDIRECTORY%\\inc", "", "INCLUDE=C:\\work\\inc"},
        {"X=%systemdirectory%", "", "X=C:\\windows\\system32"},
        {"X=%WindowsDirectory%;%PATH%", "PATH=C:\\bin", "X=C:\\windows;%PATH%"},
        {"LIB=%lib%;c:\\lib", "", "LIB=%lib%;c:\\lib"},  // nothing to take: unchanged
        {"A=%B% %C%", "B=1|C=2", "A=1 %C%"},            // one reference per line
        {"X=<%V%>", "V= \t v", "X=<v>"},                 // leading blanks of the value skipped
        {"X=%V%", "V=", "X=%V%"},                        // an empty value leaves the line alone
        {"X=%%", "=C:=C:\\work", "X=%%"},                // the empty name references nothing
        {"X=%PATH%", "PATHEXT=.COM", "X=%PATH%"},        // names are compared whole
        {"X=%P ATH%", "P ATH=1", "X=1"},
        {"X=%A", "A=1", "X=%A"},                         // one '%' is no reference
        {"X=ソ%V%", "V=1", "X=ソ1"},                     // "ソ" ends in '\'
        {"X=\x81%V%", "V=1", "X=\x81%V%"},              // a '%' in a trail byte starts nothing
    };
    for (const auto& c : cases) {
        Entries got = Compose(c.line, Sys(c.system));
        ASSERT_FALSE(got.empty()) << c.line;
        EXPECT_EQ(c.expected, got.back()) << c.line;
    }
}

TEST(ComposeEnvironment, DefinitionsReplaceInPlaceByExactCaseSensitiveName) {
    std::string system = Sys("PATHEXT=.EXE|PATH=C:\\bin|LIB=C:\\sdk");
    EXPECT_EQ((Entries{"PATHEXT=.EXE", "PATH=C:\\bin", "LIB=C:\\sdk;c:\\lib"}), Compose("LIB=%lib%;c:\\lib", system));
    EXPECT_EQ((Entries{"PATHEXT=.EXE", "PATH=C:\\bin", "LIB=C:\\sdk", "Path=x"}), Compose("Path=x", system));
    EXPECT_EQ((Entries{"PATHEXT=.EXE", "PATH = y", "LIB=C:\\sdk"}), Compose("PATH = y", system));
    // A reference finds either spelling; the first entry of the name wins.
    EXPECT_EQ("X=C:\\bin", Compose("Path=x\nX=%path%", system).back());
    // Later lines see earlier ones, and override them in place.
    EXPECT_EQ((Entries{"A=1;2", "B=1"}), Compose("A=1\nB=%A%\nA=%a%;2", "", '\0', false));
    // Lines with an empty name are ignored rather than overwriting the first entry.
    EXPECT_EQ((Entries{"PATHEXT=.EXE", "PATH=C:\\bin", "LIB=C:\\sdk"}), Compose("=x\n =y\n", system));
    EXPECT_EQ((Entries{"ProgramFiles=C:\\pf", "ProgramFiles(x86)=D:\\x"}),
              Compose("ProgramFiles(x86)=D:\\x", "ProgramFiles=C:\\pf"));
}

TEST(ComposeEnvironment, SixtyFourEntriesAtMost) {
    std::string system;
    for (int i = 0; i < 70; ++i) system += "S" + std::to_string(i) + "=" + std::to_string(i) + '\0';
    system.pop_back();
    Entries got = Compose("NEW=1\nS5=five\nS63=last", system);
    ASSERT_EQ(64u, got.size());
    EXPECT_EQ("S0=0", got[0]);
    EXPECT_EQ("S5=five", got[5]);
    EXPECT_EQ("S63=last", got[63]);
}

TEST(ComposeEnvironment, LineFeedSeparatorForShowing) {
    EnvironmentSources s = {};
    s.environment = "A=1\r\nB=2";
    char* block = ComposeEnvironment(s, '\n');
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, memcmp("A=1\nB=2\0\0", block, 9));
    free(block);
}

TEST(ComposeEnvironment, LongTextsAreCutOnCharacterBoundaries) {
    // A line of 1100 bytes keeps 1023; a cut never splits "ソ".
    std::string longLine = "L=" + std::string(1019, 'x') + "ソソ";
    EXPECT_EQ("L=" + std::string(1019, 'x') + "ソ", Compose(longLine.c_str()).back());
    // A system string likewise.
    std::string longSystem = "S=" + std::string(1100, 's');
    EXPECT_EQ(1023u, Compose("", longSystem).front().size());
    // A referenced value keeps 259 bytes; the rest of the line still follows it.
    std::string value = "V=" + std::string(300, 'v');
    EXPECT_EQ("X=" + std::string(259, 'v') + ";tail", Compose("X=%V%;tail", value).back());
    // The rebuilt line keeps 779 bytes, and nothing follows a cut in it.
    std::string wide = "X=" + std::string(700, 'a') + "%V%;tail";
    EXPECT_EQ(779u, Compose(wide.c_str(), value).back().size());
    EXPECT_EQ("X=" + std::string(700, 'a') + std::string(77, 'v'), Compose(wide.c_str(), value).back());
}

// Hands out exactly the bytes asked for, followed by a guard that must survive.
struct GuardedAllocation {
    static const size_t GUARD = 64;
    static unsigned char* block;
    static size_t size;
    static void* Allocate(size_t count, size_t each) {
        size = count * each;
        block = (unsigned char*)calloc(size + GUARD, 1);
        memset(block + size, 0xCD, GUARD);
        return block;
    }
    static bool GuardIntact() {
        for (size_t i = 0; i < GUARD; ++i)
            if (block[size + i] != 0xCD) return false;
        return true;
    }
};
unsigned char* GuardedAllocation::block;
size_t GuardedAllocation::size;

TEST(ComposeEnvironment, FullTableOfLongestEntriesPacksIntoTheBlock) {
    // 64 entries of 1023 bytes, each with its separator, and the final second
    // NUL: one byte more than 64 entries of 1024.
    std::string system;
    for (int i = 0; i < 64; ++i) {
        std::string name = "N" + std::to_string(100 + i) + "=";
        system += name + std::string(1023 - name.size(), 'a' + i % 26) + '\0';
    }
    system += '\0';
    for (char separator : {'\0', '\n'}) {
        EnvironmentSources s = {};
        s.useSystemEnv = true;
        s.systemStrings = system.c_str();
        auto saved = EnvironmentTableAllocator;
        EnvironmentTableAllocator = GuardedAllocation::Allocate;
        char* block = ComposeEnvironment(s, separator);
        EnvironmentTableAllocator = saved;
        ASSERT_NE(nullptr, block);
        EXPECT_TRUE(GuardedAllocation::GuardIntact()) << "written past the allocation";
        EXPECT_EQ(0, memcmp(block, system.data(), 1023));
        EXPECT_EQ(separator, block[1023]);
        EXPECT_EQ(0, memcmp(block + 63 * 1024, system.data() + 63 * 1024, 1023));
        EXPECT_EQ(0, memcmp(block + 64 * 1024 - 1, "\0\0", 2));
        free(block);
    }
}

TEST(ComposeEnvironment, AllocationFailureGivesNothing) {
    auto saved = EnvironmentTableAllocator;
    EnvironmentTableAllocator = [](size_t, size_t) -> void* { return nullptr; };
    EnvironmentSources s = {};
    s.environment = "A=1";
    EXPECT_EQ(nullptr, ComposeEnvironment(s, '\0'));
    EnvironmentTableAllocator = saved;
}
