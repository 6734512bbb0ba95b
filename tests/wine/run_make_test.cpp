// RunMake in the test process while a second thread drives the run dialog: what the reader thread, the pipe
// and the child do. The command line, the output in red and the jumps are checked by tests/e2e/release.sh and run_dialog.sh.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include "bravik/core/output_queue.h"
#include "bravik/core/settings.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/run_dialog.h"
#include "bravik/ui/run_make.h"
#include "wine_test_util.h"

namespace {

const std::string Chatter = ProgramDirectory() + "tools\\chatter\\chatter.exe", Ok = " 秒でMAKEが正常に終了しました.";

std::vector<std::string> PaneLines(HWND pane) {  // in CP932
    GETTEXTLENGTHEX length = {GTL_NUMBYTES | GTL_PRECISE, 932};
    std::string text((size_t)SendMessageA(pane, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0) + 1, '\0');
    GETTEXTEX get = {(DWORD)text.size(), GT_DEFAULT, 932, nullptr, nullptr};
    text.resize(SendMessageA(pane, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)&text[0]));
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1)
        lines.push_back(text.substr(start, (end = std::min(text.find('\r', start), text.size())) - start));
    return lines;
}

struct DrivenRun {
    HWND dialog = nullptr, pane = nullptr;
    std::function<void(DrivenRun&)> script;
    std::string Status() const { return Text(GetDlgItem(dialog, IDC_RUNSTATUS)); }
    bool Finished(DWORD timeoutMs = 30000) const { return WaitFor([&] { return EndsWith(Status(), "MAKE終了"); }, timeoutMs); }
    void Click(int id) const { PostMessageA(dialog, WM_COMMAND, id, 0); }
};

DWORD uiThread;

BOOL CALLBACK FindModal(HWND window, LPARAM found) {
    char cls[32];
    GetClassNameA(window, cls, sizeof cls);
    if (IsWindowVisible(window) && !strcmp(cls, "#32770") && GetDlgItem(window, IDC_RUNSTATUS))
        *(HWND*)found = window;
    return !*(HWND*)found;
}

DWORD WINAPI Drive(void* param) {
    DrivenRun& run = *(DrivenRun*)param;
    if (!WaitFor([&] { return EnumThreadWindows(uiThread, FindModal, (LPARAM)&run.dialog), run.dialog != nullptr; }, 20000)) return 0;
    run.pane = FindWindowExA(run.dialog, nullptr, "RichEdit20A", nullptr);
    run.script(run);
    // A script that did not end the dialog (a failed wait) must not hang the test.
    if (!WaitFor([&] { return !IsWindow(run.dialog); }, 3000)) run.Click(IDC_QUITBRAVIK);
    return 0;
}

class RunMakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadLibraryA("RICHED20.DLL");
        uiThread = GetCurrentThreadId();
        memset(&AppState, 0, sizeof AppState);
        strcpy(AppState.resourceName, "Bravik");
        AppState.mainWindow = CreateWindowA("STATIC", "t - Bravik", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        AppState.variantListBox = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 9, 9, AppState.mainWindow, nullptr, nullptr, nullptr);
        CreateDirectoryA(dir.c_str(), nullptr);
        WriteFileText(dir + "run.mak", "CH = " + Chatter + "\n"
            "tail:\n\t@$(CH) sleep 1300 lines 3000 0\n"  // a burst just before the exit
            "grandchild:\n\t@$(CH) spawn \"pid child.pid lines 100000000 0\" line \"make is done\"\n"
            "stdin:\n\t@$(CH) stdin\nlastline:\n\t@$(CH) line first text \"no line end\"\n"
            "warned:\n\t@$(CH) line \"1 warning\"\nquit:\n\t@$(CH) pid child.pid lines 100000000 0\n"
            "progress:\n\t@$(CH) line \"gcc -c a.c\" text Linking... sleep 3000\n"
            "flood20:\n\t@$(CH) blocks 200000 100\nhuge:\n\t@$(CH) blocks 200 1000000\n");
        strcpy(AppState.makefilePath, (dir + "run.mak").c_str());
        strcpy(AppState.settings.makeExe, "C:\\GnuMake\\make.exe");  // where the test session puts the GNU make setup built
        strcpy(AppState.settings.makeOptions, "-f %s");
    }
    void TearDown() override {
        DestroyWindow(AppState.mainWindow);
        for (const char* f : {"run.mak", "child.pid"}) DeleteFileA((dir + f).c_str());
        RemoveDirectoryA(dir.c_str());
    }
    void Target(const char* macros, const std::string& label = "x") {
        AppState.variantMacros[0] = &(target = macros)[0];
        SendMessageA(AppState.variantListBox, LB_RESETCONTENT, 0, 0);
        SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM)label.c_str());
        SendMessageA(AppState.variantListBox, LB_SETCURSEL, 0, 0);
    }
    int Run(const std::function<void(DrivenRun&)>& script) {
        DrivenRun run;
        run.script = script;
        HANDLE driver = CreateThread(nullptr, 0, Drive, &run, 0, nullptr);
        int outcome = RunMake(AppState.mainWindow, 0);
        WaitForSingleObject(driver, 60000);
        CloseHandle(driver);
        return outcome;
    }
    HANDLE Child() {  // the process whose id the chatter verb "pid" wrote
        return OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, strtoul(ReadFileText(dir + "child.pid").c_str(), nullptr, 10));
    }
    std::string target;
    const std::string dir = TempDirectory() + "bravik run " + std::to_string(GetCurrentProcessId()) + "\\";
};

// A burst before the exit, a grandchild writing on, empty stdin, a last line without its end, a warning, exit code 259;
// Bravikの終了 while make runs. A child left writing ends on the broken pipe.
TEST_F(RunMakeTest, EveryLineAndTheEndOfTheRun) {
    const struct { const char *target, *shown; size_t lines; std::string end; } cases[] = {
        {"tail", "file003000.cpp -DNDEBUG|", 3002, Ok}, {"grandchild", "|make is done|", 0, Ok}, {"stdin", "|stdin 0 bytes|", 3, Ok},
        {"lastline", "|first|no line end|", 4, Ok}, {"warned", "|1 warning|", 3, Ok}, {"quit", nullptr, 0, ""},
        {"exit 259", "|run.mak|", 3, " 秒でMAKEが 259 のエラーで終了しました."}};  // the last: chatter is make
    for (const auto& c : cases) {
        const bool quit = !c.shown;
        Target(c.target, std::string(300, 'L'));
        AppState.settings.flags = FLAG_USE_SYSTEM_ENV | (strcmp(c.target, "warned") ? 0 : FLAG_CLOSE_ON_SUCCESS);
        if (!strcmp(c.target, "exit 259")) strcpy(AppState.settings.makeExe, Chatter.c_str()), strcpy(AppState.settings.makeOptions, "line %s");
        std::vector<std::string> pane;
        std::string title;
        EXPECT_EQ(quit ? QuitProgram : Closed, Run([&](DrivenRun& r) {
            title = Text(r.dialog);
            if (quit) return WaitFor([&] { return r.Status() == "1 秒"; }, 10000), r.Click(IDC_QUITBRAVIK);
            if (r.Finished()) pane = PaneLines(r.pane);
            r.Click(IDCANCEL);
        })) << c.target;
        EXPECT_EQ("MAKEの実行 - [" + std::string(240, 'L') + "]", title) << "cut to 255 bytes";
        HANDLE child = Child();
        EXPECT_EQ(quit || !strcmp(c.target, "grandchild"), child != nullptr) << c.target;
        if (child) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 10000)) << c.target << ": still writing into a pipe nobody reads";
            TerminateProcess(child, 9), CloseHandle(child);
        }
        DeleteFileA((dir + "child.pid").c_str());
        if (quit) continue;
        std::string middle = "|";  // the lines between the command line and the completion text
        for (size_t i = 1; i + 1 < pane.size(); ++i) middle += pane[i] + "|";
        EXPECT_NE(std::string::npos, middle.find(c.shown)) << c.target << ": " << middle.substr(0, 300);
        EXPECT_TRUE(!c.lines || c.lines == pane.size()) << c.target << ": " << pane.size() << " lines";
        EXPECT_TRUE(!pane.empty() && EndsWith(pane.back(), c.end)) << c.target;
    }
}

// 中断 in a 20 MB flood: all received goes into the pane at once, and the run ends without waiting for the display.
TEST_F(RunMakeTest, AbortDuringAFloodEndsPromptlyWithAllReceived) {
    Target("flood20");  // numbered 100-byte lines
    std::string states;
    std::vector<std::string> lines;
    EXPECT_EQ(Closed, Run([&](DrivenRun& r) {
        auto on = [&](HWND control) { return IsWindowEnabled(control) ? "1" : "0"; };
        WaitFor([&] { return r.Status() == "1 秒"; }, 10000);
        HWND button = GetDlgItem(r.dialog, IDCANCEL);
        states = Text(button) + on(button) + on(GetDlgItem(r.dialog, IDC_EDITORJUMP)) + on(GetDlgItem(r.dialog, IDC_RECOMPILE)) + on(r.pane);
        SendMessageA(r.dialog, WM_COMMAND, IDCANCEL, 0);
        states += "|" + r.Status() + on(button);
        ASSERT_TRUE(r.Finished(60000));  // a hang guard only: the benchmark reports how long it takes
        states += "|" + Text(button) + on(button);
        lines = PaneLines(r.pane);
        r.Click(IDCANCEL);
    }));
    EXPECT_EQ("中断1000|中断の処理中0|閉じる1", states);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(EndsWith(lines.back(), " 秒でMAKEが -1 のエラーで終了しました.")) << lines.back();
    char expected[101];
    for (size_t i = 1; i + 1 < lines.size(); ++i) {  // numbered from 1, the last perhaps cut short
        snprintf(expected, sizeof expected, "%08ld %-89s", (long)i, "block line");
        ASSERT_TRUE(lines[i] == expected || (i + 2 == lines.size() && !std::string(expected).compare(0, lines[i].size(), lines[i]))) << i << ": " << lines[i];
    }
}

// A complete line is on the screen while the child is silent after an unfinished one.
TEST_F(RunMakeTest, ACompleteLineIsPaintedWhileTheChildIsSilent) {
    Target("progress");
    bool painted = false;
    EXPECT_EQ(Closed, Run([&](DrivenRun& r) {
        WaitFor([&] { return SendMessageA(r.pane, EM_GETLINECOUNT, 0, 0) >= 3; }, 15000);
        POINTL at = {};
        SendMessageA(r.pane, EM_POSFROMCHAR, (WPARAM)&at, SendMessageA(r.pane, EM_LINEINDEX, 1, 0));
        HDC dc = GetDC(r.pane);
        painted = WaitFor([&] {  // pixels of the line that differ from its first
            int ink = 0;
            for (int x = 0; x < 2400; ++x) ink += GetPixel(dc, x % 200, at.y + x / 200) != GetPixel(dc, 0, at.y);
            return ink > 10;
        }, 2000) && !EndsWith(r.Status(), "MAKE終了");
        ReleaseDC(r.pane, dc);
        r.Finished();
        r.Click(IDCANCEL);
    }));
    EXPECT_TRUE(painted) << "the first line was not painted while the child slept";
}

// Display held, no pane: the backlog stops at its bound, the child waits; once resumed the output is read and dropped.
TEST_F(RunMakeTest, WithTheDisplayHeldTheBacklogStaysBounded) {
    HINSTANCE richEdit = GetModuleHandleA("riched20.dll");
    WNDCLASSEXA paneClass = {};
    paneClass.cbSize = sizeof paneClass;
    // The last run's pane goes once the thread takes messages; till then the class cannot go.
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
    ASSERT_TRUE(GetClassInfoExA(richEdit, "RichEdit20A", &paneClass) && UnregisterClassA("RichEdit20A", richEdit));
    auto WorkingSet = [] {
        PROCESS_MEMORY_COUNTERS counters = {};
        return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters), (long long)counters.WorkingSetSize;
    };
    const long long MiB = 1 << 20, bound = OUTPUT_BACKLOG_MAX, before = WorkingSet();
    long long reached = 0, later = 0;
    std::string states;
    Target("huge");  // 200 MB in large writes
    EXPECT_EQ(Closed, Run([&](DrivenRun& r) {
        InterlockedExchange(&runDisplayHeld, 1);
        // The working set is no counter: it can shrink between two readings.
        WaitFor([&] { return (reached = WorkingSet() - before) >= bound - 8 * MiB; }, 60000);
        Sleep(2000);
        later = WorkingSet() - before;
        states = (r.pane ? "a pane, " : "") + std::string(EndsWith(r.Status(), "MAKE終了") ? "ended while held, " : "");
        InterlockedExchange(&runDisplayHeld, 0);
        states += r.Finished(120000) ? "ended" : "";
        r.Click(IDCANCEL);
    }));
    InterlockedExchange(&runDisplayHeld, 0);
    paneClass.lpszClassName = "RichEdit20A";
    EXPECT_TRUE(RegisterClassExA(&paneClass));
    EXPECT_EQ("ended", states) << "the child should wait while the backlog is full, and the run go on once the display resumes";
    EXPECT_GE(reached, bound - 8 * MiB) << "the backlog never reached its bound";
    EXPECT_LE(later, std::min(bound + 48 * MiB, reached + 16 * MiB)) << "the backlog grew past its bound";
}

}  // namespace
