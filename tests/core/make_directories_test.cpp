#include "bravik/core/make_directories.h"
#include "tests/core/test.h"

TEST(MakeDirectories, DirectoryLinesAndTheStackOfEachLine) {
    const struct { std::string line; int kind; const char* directory; } lines[] = {
        {"make: Entering directory `/home/u/p'", MAKE_ENTERING, "\\home\\u\\p"},  // -w, old quoting
        {"C:\\GnuMake\\make.exe[1]: Leaving directory 'C:/x y'", MAKE_LEAVING, "C:\\x y"},
        {"make[1]: Entering directory ‘C:/x’  ", MAKE_ENTERING, "C:\\x"},
        {"make[1]: ディレクトリ 'C:/作業/ソース' に入ります", MAKE_ENTERING, "C:\\作業\\ソース"},
        {"make[1]: ディレクトリ `C:/表' から出ます", MAKE_LEAVING, "C:\\表"}, {"make[1]: Entering directory ''", 0, ""},
        {"make[1]: Entering directory 'C:/x", 0, ""},
        {"make[1]: Entering directory '" + std::string(260, 'd') + "'", 0, ""}, {": Entering directory 'C:/x'", 0, ""},
        {"make[1]: ディレクトリ 'C:/x' に入ります。", 0, ""}, {"main.c:12: error: Entering directory 'x'", 0, ""},
    };
    for (const auto& c : lines) {
        char directory[MAKE_DIRECTORY_SIZE] = "stale";
        EXPECT_EQ(c.kind, ParseMakeDirectoryLine(c.line.c_str(), directory)) << c.line;
        EXPECT_STREQ(c.directory, directory) << c.line;
    }
    const struct { const char *line, *in; } run[] = {  // in: the directory in effect for this line
        // Sub-makes of a parallel build interleave; each leaves only its own.
        {"make[1]: Entering directory 'C:/a'", nullptr}, {"make[1]: Entering directory 'C:/b'", "C:\\a"},
        {"make[2]: Entering directory 'C:/b/deep'", "C:\\b"}, {"make[2]: Leaving directory 'C:/b/deep'", "C:\\b\\deep"},
        {"make[1]: Leaving directory 'C:/never'", "C:\\b"}, {"make[1]: Leaving directory 'C:/a'", "C:\\b"},
        {"b.c:5: error: e", "C:\\b"}, {"make: Leaving directory 'C:/b'", "C:\\b"},
        {"end", nullptr},
    };
    MakeDirectories dirs;
    InitMakeDirectories(&dirs);
    for (const auto& r : run) NoteMakeOutputLine(&dirs, r.line);
    for (int i = 0; i < dirs.lines; ++i) EXPECT_STREQ(run[i].in, MakeDirectoryAt(&dirs, i)) << run[i].line;
    EXPECT_EQ(nullptr, MakeDirectoryAt(&dirs, dirs.lines + 10));
    for (int i = 0; i < MAKE_DIRECTORY_DEPTH + 5; ++i)  // depth beyond the stack is ignored
        NoteMakeOutputLine(&dirs, ("make: Entering directory 'C:/d" + std::to_string(i) + "'").c_str());
    EXPECT_EQ("C:\\d" + std::to_string(MAKE_DIRECTORY_DEPTH - 1), MakeDirectoryAt(&dirs, dirs.lines));
    FreeMakeDirectories(&dirs);
}
