#include "bravik/core/make_directories.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MakeDirectories, DirectoryLinesAreRecognised) {
    const std::string tooLong(MAKE_DIRECTORY_SIZE, 'd');
    const struct {
        std::string line;
        int kind;
        const char* directory;
    } cases[] = {
        {"make[1]: Entering directory 'C:/work/proj/sub'", MAKE_ENTERING, "C:\\work\\proj\\sub"},
        {"make[1]: Leaving directory 'C:/work/proj/sub'", MAKE_LEAVING, "C:\\work\\proj\\sub"},
        {"make: Entering directory `/home/u/p'", MAKE_ENTERING, "\\home\\u\\p"},  // -w, old quoting
        {"mingw32-make[2]: Leaving directory 'D:\\src\\lib'", MAKE_LEAVING, "D:\\src\\lib"},
        {"C:\\GnuMake\\make.exe[1]: Entering directory 'C:/x y'", MAKE_ENTERING, "C:\\x y"},
        {"make[1]: Entering directory ‘C:/x’", MAKE_ENTERING, "C:\\x"},
        {"make[1]: Entering directory 'C:/x'  ", MAKE_ENTERING, "C:\\x"},
        {"make[1]: ディレクトリ 'C:/作業/ソース' に入ります", MAKE_ENTERING, "C:\\作業\\ソース"},
        {"make[1]: ディレクトリ `C:/表' から出ます", MAKE_LEAVING, "C:\\表"},
        {"make[1]: Entering directory ''", MAKE_NO_DIRECTORY, ""},
        {"make[1]: Entering directory C:/x", MAKE_NO_DIRECTORY, ""},
        {"make[1]: Entering directory 'C:/x", MAKE_NO_DIRECTORY, ""},
        {"make[1]: Entering directory '" + tooLong + "'", MAKE_NO_DIRECTORY, ""},
        {": Entering directory 'C:/x'", MAKE_NO_DIRECTORY, ""},
        {"make[1]: ディレクトリ 'C:/x' に入ります。", MAKE_NO_DIRECTORY, ""},
        {"make[1]: ディレクトリ に入ります", MAKE_NO_DIRECTORY, ""},
        {"make[1]: ディレクトリ ' に入ります", MAKE_NO_DIRECTORY, ""},
        {"make: ", MAKE_NO_DIRECTORY, ""},
        {"make[2]: Leaving directory ", MAKE_NO_DIRECTORY, ""},  // the trailing blank is the phrase's own
        {"main.c:12: error: Entering directory 'x'", MAKE_NO_DIRECTORY, ""},
        {"make[1]: Nothing to be done for 'all'.", MAKE_NO_DIRECTORY, ""},
        {"", MAKE_NO_DIRECTORY, ""},
    };
    for (const auto& c : cases) {
        char directory[MAKE_DIRECTORY_SIZE] = "stale";
        EXPECT_EQ(c.kind, ParseMakeDirectoryLine(c.line.c_str(), directory)) << c.line;
        EXPECT_STREQ(c.directory, directory) << c.line;
    }
}

TEST(MakeDirectories, EachLineKnowsTheDirectoryItWasPrintedIn) {
    const struct {
        const char* line;
        const char* in;  // the directory in effect for this line
    } run[] = {
        {"gcc -c top.c", nullptr},
        {"make[1]: Entering directory 'C:/p/sub'", nullptr},
        {"x.c:1: error: a", "C:\\p\\sub"},
        {"make[2]: Entering directory 'C:/p/sub/deep'", "C:\\p\\sub"},
        {"y.c:2: error: b", "C:\\p\\sub\\deep"},
        {"make[2]: Leaving directory 'C:/p/sub/deep'", "C:\\p\\sub\\deep"},
        {"z.c:3: error: c", "C:\\p\\sub"},
        {"make[1]: Leaving directory 'C:/p/sub'", "C:\\p\\sub"},
        {"top.c:4: error: d", nullptr},
        {"make[1]: Leaving directory 'C:/never'", nullptr},  // not entered: ignored
        // Sub-makes of a parallel build interleave; each leaves only its own.
        {"make[1]: Entering directory 'C:/a'", nullptr},
        {"make[1]: Entering directory 'C:/b'", "C:\\a"},
        {"make[1]: Leaving directory 'C:/a'", "C:\\b"},
        {"b.c:5: error: e", "C:\\b"},
        {"make[1]: Leaving directory 'C:/b'", "C:\\b"},
        {"end", nullptr},
    };
    MakeDirectories dirs;
    InitMakeDirectories(&dirs);
    const int count = (int)(sizeof run / sizeof run[0]);
    for (int i = 0; i < count; ++i) NoteMakeOutputLine(&dirs, run[i].line);
    EXPECT_EQ(count, dirs.lines);
    for (int i = 0; i < count; ++i) {
        const char* in = MakeDirectoryAt(&dirs, i);
        EXPECT_STREQ(run[i].in ? run[i].in : "(none)", in ? in : "(none)") << i << ": " << run[i].line;
    }
    EXPECT_EQ(nullptr, MakeDirectoryAt(&dirs, count + 10));
    FreeMakeDirectories(&dirs);
}

TEST(MakeDirectories, DepthBeyondTheStackIsIgnored) {
    MakeDirectories dirs;
    InitMakeDirectories(&dirs);
    for (int i = 0; i < MAKE_DIRECTORY_DEPTH + 5; ++i)
        NoteMakeOutputLine(&dirs, ("make: Entering directory 'C:/d" + std::to_string(i) + "'").c_str());
    EXPECT_EQ(MAKE_DIRECTORY_DEPTH, dirs.depth);
    const std::string deepest = "C:\\d" + std::to_string(MAKE_DIRECTORY_DEPTH - 1);
    EXPECT_STREQ(deepest.c_str(), MakeDirectoryAt(&dirs, dirs.lines));
    FreeMakeDirectories(&dirs);
}

}  // namespace
