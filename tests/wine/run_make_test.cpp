// Make runs inside the test process: RunMake on a hidden main window of the
// test's own, with GNU make and the chatter program as the child, while a
// second thread watches the run dialog, reads its pane and presses its buttons.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "bravik/core/output_queue.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/run_dialog.h"
#include "bravik/ui/run_make.h"

namespace {

enum Format { NORMAL, HIGHLIGHT, MIXED };
struct PaneLine {
    std::string text;
    Format format;
};

std::string ProgramDirectory() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string s = exe;
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string GnuMake() {
    if (GetFileAttributesA("C:\\GnuMake\\make.exe") != INVALID_FILE_ATTRIBUTES) return "C:\\GnuMake\\make.exe";
    std::string path = "Z:";
    const char* unix = getenv("GNUMAKE");
    for (const char* p = unix ? unix : "/work/main/.cache/gnumake/make.exe"; *p; ++p) path += *p == '/' ? '\\' : *p;
    return path;
}

const std::string Chatter = ProgramDirectory() + "tools\\chatter\\chatter.exe";

void Write(const std::string& path, const std::string& text) {
    if (FILE* f = fopen(path.c_str(), "wb")) fwrite(text.data(), 1, text.size(), f), fclose(f);
}

std::string Read(const std::string& path) {
    std::string text;
    char buffer[4096];
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        fclose(f);
    }
    return text;
}

// A text file as GNU make writes it, with CR LF line ends.
std::string ReadLines(const std::string& path) {
    std::string text = Read(path);
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

std::string Text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::wstring PaneText(HWND pane) {
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT n = SendMessageW(pane, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    std::wstring wide((size_t)n + 1, L'\0');
    GETTEXTEX get = {(DWORD)((n + 1) * sizeof(WCHAR)), GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageW(pane, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)&wide[0]);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// Lines of the pane's text (ASCII only), without formats: for large outputs.
std::vector<std::string> PaneLines(HWND pane) {
    std::wstring wide = PaneText(pane);
    std::vector<std::string> lines;
    for (size_t start = 0; start <= wide.size();) {
        size_t end = wide.find(L'\r', start);
        if (end == std::wstring::npos) end = wide.size();
        std::string line((end - start) * 2, '\0');
        line.resize(WideCharToMultiByte(932, 0, wide.data() + start, (int)(end - start), &line[0], (int)line.size(),
                                        nullptr, nullptr));
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Pixels of a pane line that differ from the line's first pixel, read from
// what the window shows without asking the pane to paint.
int InkOnLine(HWND pane, int line) {
    POINTL at = {}, below = {};
    SendMessageA(pane, EM_POSFROMCHAR, (WPARAM)&at, SendMessageA(pane, EM_LINEINDEX, line, 0));
    SendMessageA(pane, EM_POSFROMCHAR, (WPARAM)&below, SendMessageA(pane, EM_LINEINDEX, line + 1, 0));
    RECT client;
    GetClientRect(pane, &client);
    int width = client.right, height = below.y > at.y ? below.y - at.y : 12;
    HDC dc = GetDC(pane), memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, dc, 0, at.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels((size_t)width * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(pane, dc);
    int ink = 0;
    for (DWORD p : pixels) ink += p != pixels[0];
    return ink;
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

// Whether the numbered lines of chatter's `blocks` follow one another from 1,
// the last of them perhaps cut short; the count of whole lines in `whole`.
bool BlockLinesInOrder(const std::vector<std::string>& lines, size_t from, size_t to, long* whole) {
    *whole = 0;
    char expected[101];
    for (size_t i = from; i < to; ++i) {
        snprintf(expected, sizeof expected, "%08ld %-89s", *whole + 1, "block line");
        if (lines[i] == expected) {
            ++*whole;
            continue;
        }
        return i + 1 == to && std::string(expected).compare(0, lines[i].size(), lines[i]) == 0;
    }
    return true;
}

std::vector<PaneLine> ReadPane(HWND pane) {
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);  // or every selection scrolls and repaints
    std::wstring wide = PaneText(pane);
    std::vector<PaneLine> lines;
    for (size_t start = 0; start < wide.size();) {
        size_t end = wide.find(L'\r', start);
        if (end == std::wstring::npos) end = wide.size();
        char text[4096] = "";
        WideCharToMultiByte(932, 0, wide.data() + start, (int)(end - start), text, sizeof text - 1, nullptr, nullptr);
        CHARRANGE range = {(LONG)start, (LONG)end};
        SendMessageA(pane, EM_EXSETSEL, 0, (LPARAM)&range);
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        SendMessageA(pane, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        Format kind = MIXED;
        if ((format.dwMask & (CFM_BOLD | CFM_COLOR)) == (CFM_BOLD | CFM_COLOR)) {
            if ((format.dwEffects & CFE_BOLD) && !(format.dwEffects & CFE_AUTOCOLOR) && format.crTextColor == RGB(255, 0, 0))
                kind = HIGHLIGHT;
            else if (!(format.dwEffects & CFE_BOLD) && (format.dwEffects & CFE_AUTOCOLOR))
                kind = NORMAL;
        }
        lines.push_back({text, end > start ? kind : NORMAL});
        start = end + 1;
    }
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    return lines;
}

struct DrivenRun {
    HWND dialog = nullptr;
    HWND pane = nullptr;
    std::string message;  // text of a message box instead of a dialog
    bool stopIcon = false;
    std::function<void(DrivenRun&)> script;

    std::string Status() const { return Text(GetDlgItem(dialog, IDC_RUNSTATUS)); }
    bool Finished(DWORD timeoutMs = 30000) const {
        return WaitFor([&] { return Status().find("MAKE終了") != std::string::npos; }, timeoutMs);
    }
    void Click(int id) const { PostMessageA(dialog, WM_COMMAND, id, 0); }
    bool Gone(DWORD timeoutMs = 5000) const { return WaitFor([&] { return !IsWindow(dialog); }, timeoutMs); }
};

DWORD uiThread;

BOOL CALLBACK FindModal(HWND window, LPARAM param) {
    char cls[32];
    GetClassNameA(window, cls, sizeof cls);
    if (!IsWindowVisible(window) || strcmp(cls, "#32770") != 0) return TRUE;
    if (!GetDlgItem(window, IDC_RUNSTATUS) && Text(window) != "Bravik") return TRUE;
    *(HWND*)param = window;
    return FALSE;
}

DWORD WINAPI Drive(void* param) {
    DrivenRun& run = *(DrivenRun*)param;
    HWND modal = nullptr;
    WaitFor([&] { return !EnumThreadWindows(uiThread, FindModal, (LPARAM)&modal) && modal; }, 20000);
    if (!modal) return 0;
    if (!GetDlgItem(modal, IDC_RUNSTATUS)) {
        run.message = Text(GetDlgItem(modal, 0xFFFF));
        run.stopIcon = SendMessageA(GetDlgItem(modal, 0x0440), STM_GETICON, 0, 0) != 0;
        PostMessageA(modal, WM_COMMAND, IDOK, 0);
        return 0;
    }
    run.dialog = modal;
    run.pane = FindWindowExA(modal, nullptr, "RichEdit20A", nullptr);
    if (run.script) run.script(run);
    // A script that did not end the dialog (a failed wait) must not hang the test.
    if (!run.Gone(3000)) run.Click(IDC_QUITBRAVIK);
    return 0;
}

int RunDriven(DrivenRun& run, int variant = -1) {
    HANDLE driver = CreateThread(nullptr, 0, Drive, &run, 0, nullptr);
    int outcome = RunMake(AppState.mainWindow, variant);
    WaitForSingleObject(driver, 60000);
    CloseHandle(driver);
    return outcome;
}

std::string NumberBefore(const std::string& text, const char* what) {
    size_t at = text.find(what);
    return at == std::string::npos ? "?" : text.substr(0, at);
}

struct Recorded {
    const char* line;
    bool error;
    bool jumpable;
};
const Recorded recorded[] = {
    {"Microsoft (R) Program Maintenance Utility Version 1.50", false, false},
    {"        cl /c /W3 main.c", false, false},
    {"main.c(12) : error C2065: 'x' : undeclared identifier", true, true},
    {"src\\util.cpp(145) : warning C4101: 'i' : unreferenced local variable", true, true},
    {"main.c(40) : see declaration of 'x'", false, true},
    {"LINK : fatal error LNK1104: cannot open file 'x.lib'", true, false},
    {"Borland C++ 5.5.1 for Win32 Copyright (c) 1993, 2000 Borland", false, false},
    {"Error E2451 main.c 12: Undefined symbol 'x' in function main", true, true},
    {"Warning W8060 ..\\src\\io.c 230: Possibly incorrect assignment in function f", true, true},
    {"gcc -c -Wall src/lib/io.c", false, false},
    {"src/lib/io.c:7: warning: implicit declaration of function 'f'", true, true},
    {"main.c:12: error: 'x' undeclared (first use in this function)", true, true},
    {"リンク中にエラーが発生しました。", true, false},
    {"ｺﾝﾊﾟｲﾙ中: main.c", false, false},
    {"main.c(8) : 型が一致しません。", false, true},
    {"ソース表示.c(3) : 記述に誤りがあります。", true, true},
};

const char* const Makefile =
    "recorded:\n"
    "\t@$(CH) print out.txt crlf print out.txt lf print out.txt cr err \"on stderr\" text \"no line end\"\n"
    "fail:\n"
    "\t@$(CH) line compiling exit 2\n"
    "clean:\n"
    "\t@$(CH) line \"all done\"\n"
    "warned:\n"
    "\t@$(CH) line \"1 warning\"\n"
    "forever:\n"
    "\t@$(CH) pid forever.pid line started sleep -1\n"
    "tail:\n"
    "\t@$(CH) sleep 1300 long 3000 60\n"
    "stdin:\n"
    "\t@$(CH) stdin\n"
    "flood:\n"
    "\t@$(CH) lines 30000 0\n"
    "big:\n"
    "\t@$(CH) long 20000 520\n"
    "progress:\n"
    "\t@$(CH) line \"gcc -c a.c\" text Linking... sleep 3000\n"
    "flood20:\n"
    "\t@$(CH) blocks 200000 100\n"
    "huge:\n"
    "\t@$(CH) blocks 200 1000000\n"
    "grandchild:\n"
    "\t@$(CH) spawn \"pid grand.pid lines 100000000 0\" line \"make is done\"\n"
    "jump:\n"
    "\t@$(CH) line \"main.c(12) : error C2065\" line \"sub\\b.c(7) : warning C4101\" line other\n";

class RunMakeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadLibraryA("RICHED20.DLL");
        uiThread = GetCurrentThreadId();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RunMakeTestMain";
        RegisterClassA(&wc);
    }

    void SetUp() override {
        saved = AppState;
        memset(&AppState, 0, sizeof AppState);
        AppState.instance = GetModuleHandleA(nullptr);
        strcpy(AppState.resourceName, "Bravik");
        AppState.mainWindow = CreateWindowExA(0, "RunMakeTestMain", "test - Bravik", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                              nullptr, nullptr, AppState.instance, nullptr);
        AppState.variantListBox = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_NOTIFY, 0, 0, 100, 100,
                                                  AppState.mainWindow, nullptr, AppState.instance, nullptr);
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir = std::string(temp) + "bravik run " + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA((dir + "sub").c_str(), nullptr);
        Write(dir + "run.mak", "CH = " + Chatter + "\n" + Makefile);
        Write(dir + "main.c", "int main;\n");
        Write(dir + "sub\\b.c", "int b;\n");
        strcpy(AppState.makefilePath, (dir + "run.mak").c_str());
        strcpy(AppState.settings.makeExe, GnuMake().c_str());
        strcpy(AppState.settings.makeOptions, "-f %s");
    }

    void TearDown() override {
        for (char*& macros : AppState.variantMacros) free(macros);
        DestroyWindow(AppState.mainWindow);
        AppState = saved;
        const char* files[] = {"run.mak", "main.c", "sub\\b.c", "out.txt", "forever.pid", "flood.pid", "grand.pid"};
        for (const char* f : files) DeleteFileA((dir + f).c_str());
        RemoveDirectoryA((dir + "sub").c_str());
        RemoveDirectoryA(dir.c_str());
    }

    void Variant(const char* label, const char* macros) {
        SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM)label);
        SendMessageA(AppState.variantListBox, LB_SETCURSEL, 0, 0);
        AppState.variantMacros[0] = strdup(macros);
    }

    void Target(const char* macros) {
        free(AppState.variantMacros[0]);
        AppState.variantMacros[0] = strdup(macros);
    }

    // `extra` looks at the finished dialog before the pane is read and `endWith` pressed.
    struct Ended {
        int outcome = -9;
        std::string title, status, seconds;
        std::vector<PaneLine> pane;
    };
    Ended RunToEnd(int variant = 0, const std::function<void(DrivenRun&)>& extra = nullptr, int endWith = IDCANCEL,
                   DWORD timeoutMs = 30000) {
        Ended e;
        DrivenRun run;
        run.script = [&](DrivenRun& r) {
            e.title = Text(r.dialog);
            if (!r.Finished(timeoutMs)) return;
            e.status = r.Status();
            e.seconds = NumberBefore(e.status, " 秒でMAKE終了");
            if (extra) extra(r);
            if (r.pane) e.pane = ReadPane(r.pane);
            r.Click(endWith);
        };
        e.outcome = RunDriven(run, variant);
        return e;
    }

    void KillByPidFile(const char* name) {
        DWORD pid = strtoul(Read(dir + name).c_str(), nullptr, 10);
        HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
        if (!process) return;
        TerminateProcess(process, 9);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }

    AppStateBlock saved;
    std::string dir;
};

TEST_F(RunMakeTest, RecordedOutputIsShownWholeAndHighlightedByTheFlags) {
    std::string out;
    for (const Recorded& r : recorded) out += std::string(r.line) + "\n";
    Write(dir + "out.txt", out);
    Variant("MSVC・BCC・GCC", "recorded");
    const size_t count = sizeof recorded / sizeof recorded[0];
    for (int flags : {FLAG_HIGHLIGHT_ERRORS | FLAG_HIGHLIGHT_JUMPABLE, (int)FLAG_HIGHLIGHT_ERRORS,
                      (int)FLAG_HIGHLIGHT_JUMPABLE}) {
        AppState.settings.flags = (uint8_t)flags;
        LRESULT limit = 0;
        LONG style = 0;
        CHARFORMATA defaults = {};
        defaults.cbSize = sizeof defaults;
        Ended e = RunToEnd(0, [&](DrivenRun& r) {
            limit = SendMessageA(r.pane, EM_GETLIMITTEXT, 0, 0);
            style = GetWindowLongA(r.pane, GWL_STYLE);
            SendMessageA(r.pane, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&defaults);
        }, IDC_RECOMPILE);
        EXPECT_EQ(Recompile, e.outcome);
        EXPECT_EQ("MAKEの実行 - [MSVC・BCC・GCC]", e.title);
        EXPECT_EQ(OUTPUT_PANE_LIMIT, limit);
        EXPECT_EQ(0x56200144, style);
        EXPECT_STREQ("ＭＳ Ｐゴシック", defaults.szFaceName);
        EXPECT_EQ(180, defaults.yHeight);
        ASSERT_EQ(1 + 3 * count + 3, e.pane.size());
        EXPECT_EQ(GnuMake() + " -f run.mak recorded", e.pane[0].text);
        EXPECT_EQ(NORMAL, e.pane[0].format);
        for (size_t copy = 0; copy < 3; ++copy) {  // CR LF, then LF alone, then CR alone
            for (size_t i = 0; i < count; ++i) {
                const PaneLine& line = e.pane[1 + copy * count + i];
                bool on = ((flags & FLAG_HIGHLIGHT_ERRORS) && recorded[i].error) ||
                          ((flags & FLAG_HIGHLIGHT_JUMPABLE) && recorded[i].jumpable);
                EXPECT_EQ(recorded[i].line, line.text) << copy;
                EXPECT_EQ(on ? HIGHLIGHT : NORMAL, line.format) << recorded[i].line << " copy " << copy;
            }
        }
        EXPECT_EQ("on stderr", e.pane[1 + 3 * count].text);
        // The last line without its end is shown as it is, and the completion message on a line of its own.
        EXPECT_EQ("no line end", e.pane[e.pane.size() - 2].text);
        EXPECT_EQ(e.seconds + " 秒でMAKEが正常に終了しました.", e.pane.back().text);
        EXPECT_EQ(NORMAL, e.pane.back().format);
    }
}

TEST_F(RunMakeTest, ExitCodeTwoEndsInBoldRedWithTheSecondsOfTheStatus) {
    Variant("fail", "fail");
    std::string button;
    bool enabled = false, canUndo = true;
    Ended e = RunToEnd(0, [&](DrivenRun& r) {
        canUndo = SendMessageA(r.pane, EM_CANUNDO, 0, 0) != 0;
        button = Text(GetDlgItem(r.dialog, IDCANCEL));
        enabled = IsWindowEnabled(GetDlgItem(r.dialog, IDC_EDITORJUMP)) && IsWindowEnabled(GetDlgItem(r.dialog, IDC_RECOMPILE));
    });
    EXPECT_EQ(Closed, e.outcome);
    EXPECT_EQ("閉じる", button);
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(canUndo) << "the output is not undoable";
    ASSERT_EQ(4u, e.pane.size());
    EXPECT_EQ("compiling", e.pane[1].text);
    EXPECT_NE(std::string::npos, e.pane[2].text.find("Error 2")) << e.pane[2].text;
    EXPECT_NE("0", e.seconds);
    EXPECT_EQ(e.seconds + " 秒でMAKEが 2 のエラーで終了しました.", e.pane[3].text);
    EXPECT_EQ(HIGHLIGHT, e.pane[3].format);
}

TEST_F(RunMakeTest, CloseOnSuccessOnlyForACleanOutput) {
    AppState.settings.flags = FLAG_CLOSE_ON_SUCCESS;
    struct {
        const char* target;
        bool closes;
    } cases[] = {{"clean", true}, {"warned", false}};
    for (const auto& c : cases) {
        Target(c.target);
        bool closedItself = false;
        DrivenRun run;
        run.script = [&](DrivenRun& r) {
            closedItself = r.Gone(8000);
            if (!closedItself) r.Click(IDCANCEL);
        };
        EXPECT_EQ(Closed, RunDriven(run, 0)) << c.target;
        EXPECT_EQ(c.closes, closedItself) << c.target;
        EXPECT_EQ(c.closes ? 1 : 0, runAutoClosed) << c.target;
    }
}

TEST_F(RunMakeTest, AbortEndsTheChildWithMinusOne) {
    Variant("forever", "forever");
    std::string running, aborting, status;
    bool enabledWhileRunning = true, disabledAfterClick = false, enabledAtEnd = false;
    std::vector<PaneLine> pane;
    DrivenRun run;
    run.script = [&](DrivenRun& r) {
        WaitFor([&] { return r.Status() == "1 秒"; }, 10000);
        running = Text(GetDlgItem(r.dialog, IDCANCEL));
        enabledWhileRunning = IsWindowEnabled(GetDlgItem(r.dialog, IDC_EDITORJUMP)) ||
                              IsWindowEnabled(GetDlgItem(r.dialog, IDC_RECOMPILE)) || IsWindowEnabled(r.pane);
        SendMessageA(r.dialog, WM_COMMAND, IDCANCEL, 0);
        aborting = r.Status();
        disabledAfterClick = !IsWindowEnabled(GetDlgItem(r.dialog, IDCANCEL));
        ASSERT_TRUE(r.Finished());
        status = r.Status();
        enabledAtEnd = IsWindowEnabled(GetDlgItem(r.dialog, IDCANCEL)) &&
                       Text(GetDlgItem(r.dialog, IDCANCEL)) == "閉じる";
        pane = ReadPane(r.pane);
        r.Click(IDCANCEL);
    };
    EXPECT_EQ(Closed, RunDriven(run, 0));
    KillByPidFile("forever.pid");  // only make itself is stopped by an abort
    EXPECT_EQ("中断", running);
    EXPECT_FALSE(enabledWhileRunning);
    EXPECT_EQ("中断の処理中", aborting);
    EXPECT_TRUE(disabledAfterClick);
    EXPECT_TRUE(enabledAtEnd);
    ASSERT_FALSE(pane.empty());
    EXPECT_EQ(NumberBefore(status, " 秒でMAKE終了") + " 秒でMAKEが -1 のエラーで終了しました.", pane.back().text);
    EXPECT_EQ(HIGHLIGHT, pane.back().format);
}

// 中断 in the middle of a flood: everything received so far goes into the
// pane at once, and the run ends without waiting for the display.
TEST_F(RunMakeTest, AbortDuringAFloodEndsPromptlyWithAllReceived) {
    Variant("flood", "flood20");  // 20 MB, a line per write
    bool closeEnabled = false;
    std::vector<std::string> lines;
    std::string status;
    DrivenRun run;
    run.script = [&](DrivenRun& r) {
        WaitFor([&] { return r.Status() == "1 秒"; }, 10000);
        SendMessageA(r.dialog, WM_COMMAND, IDCANCEL, 0);
        // A hang guard only: the benchmark reports how long it takes.
        ASSERT_TRUE(r.Finished(60000));
        status = r.Status();
        closeEnabled = IsWindowEnabled(GetDlgItem(r.dialog, IDCANCEL)) && Text(GetDlgItem(r.dialog, IDCANCEL)) == "閉じる";
        lines = PaneLines(r.pane);
        r.Click(IDCANCEL);
    };
    EXPECT_EQ(Closed, RunDriven(run, 0));
    EXPECT_TRUE(closeEnabled);
    ASSERT_GE(lines.size(), 3u);
    if (lines.back().empty()) lines.pop_back();
    EXPECT_EQ(NumberBefore(status, " 秒でMAKE終了") + " 秒でMAKEが -1 のエラーで終了しました.", lines.back());
    long whole = 0;
    EXPECT_TRUE(BlockLinesInOrder(lines, 1, lines.size() - 1, &whole)) << "a line is missing after line " << whole;
    EXPECT_GT(whole, 0);
}

// The run dialog must neither lose output nor wait for ever on a child.
TEST_F(RunMakeTest, NothingLostNothingHung) {
    Target("tail");  // 3000 lines written in a burst just before the exit
    Ended e = RunToEnd();
    ASSERT_EQ(1 + 3000 + 1u, e.pane.size());
    EXPECT_EQ(0u, e.pane[3000].text.find("00003000 "));

    // make has ended while a process it started still writes into the pipe.
    Target("grandchild");
    e = RunToEnd(0, nullptr, IDCANCEL, 30000);
    KillByPidFile("grand.pid");
    ASSERT_GE(e.pane.size(), 3u);
    bool parentLine = false;
    for (const PaneLine& line : e.pane) parentLine |= line.text == "make is done";
    EXPECT_TRUE(parentLine);
    EXPECT_EQ(e.seconds + " 秒でMAKEが正常に終了しました.", e.pane.back().text);

    Target("stdin");  // reads its standard input to the end
    e = RunToEnd(0, nullptr, IDCANCEL, 10000);
    ASSERT_EQ(3u, e.pane.size());
    EXPECT_EQ("stdin 0 bytes", e.pane[1].text);

    Target("big");  // 10 MB
    LRESULT characters = 0;
    e = RunToEnd(0, [&](DrivenRun& r) {
        GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
        characters = SendMessageW(r.pane, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    }, IDCANCEL, 180000);
    EXPECT_GE(characters, 20000 * 519);  // a "\r\n" is one character in the pane
    ASSERT_EQ(1 + 20000 + 1u, e.pane.size());
    EXPECT_EQ(0u, e.pane[20000].text.find("00020000 "));
    EXPECT_EQ(518u, e.pane[20000].text.size());
}

TEST_F(RunMakeTest, ExitCode259EndsTheRun) {
    strcpy(AppState.settings.makeExe, Chatter.c_str());
    strcpy(AppState.settings.makeOptions, "line %s exit 259");
    Ended e = RunToEnd(-1, nullptr, IDCANCEL, 10000);
    EXPECT_EQ("ＭＡＫＥの実行", e.title) << "no variant selected: the template's title";
    ASSERT_EQ(3u, e.pane.size());
    EXPECT_EQ("run.mak", e.pane[1].text);
    EXPECT_EQ(e.seconds + " 秒でMAKEが 259 のエラーで終了しました.", e.pane[2].text);
}

TEST_F(RunMakeTest, WithoutAPaneTheOutputIsReadAndDropped) {
    HINSTANCE richEdit = GetModuleHandleA("riched20.dll");
    WNDCLASSEXA paneClass = {};
    paneClass.cbSize = sizeof paneClass;
    ASSERT_TRUE(GetClassInfoExA(richEdit, "RichEdit20A", &paneClass));
    ASSERT_TRUE(UnregisterClassA("RichEdit20A", richEdit));
    Target("flood");  // more than the pipe holds
    bool paneMissing = false;
    Ended e = RunToEnd(0, [&](DrivenRun& r) { paneMissing = r.pane == nullptr; }, IDCANCEL, 60000);
    EXPECT_TRUE(paneMissing);
    EXPECT_EQ(e.seconds + " 秒でMAKE終了", e.status);

    // The display held back (and the pane missing, so that what is shown
    // costs nothing): the reader stops at the backlog's bound, the child
    // waits on the full pipe, and the run goes on once the display resumes.
    Target("huge");  // 200 MB in large writes
    const long long MiB = 1 << 20, before = (long long)WorkingSet();
    long long reached = 0, later = 0;
    bool endedWhileHeld = true;
    DrivenRun run;
    run.script = [&](DrivenRun& r) {
        InterlockedExchange(&runDisplayHeld, 1);
        WaitFor([&] { return (long long)WorkingSet() - before >= (long long)OUTPUT_BACKLOG_MAX - 8 * MiB; }, 60000);
        reached = (long long)WorkingSet() - before;
        Sleep(2000);
        later = (long long)WorkingSet() - before;
        endedWhileHeld = r.Status().find("MAKE終了") != std::string::npos;
        InterlockedExchange(&runDisplayHeld, 0);
        if (r.Finished(120000)) e.status = r.Status();
        r.Click(IDCANCEL);
    };
    e.status.clear();
    EXPECT_EQ(Closed, RunDriven(run, 0));
    InterlockedExchange(&runDisplayHeld, 0);
    paneClass.lpszClassName = "RichEdit20A";
    EXPECT_TRUE(RegisterClassExA(&paneClass));
    EXPECT_GE(reached, (long long)OUTPUT_BACKLOG_MAX - 8 * MiB) << "the backlog never reached its bound";
    EXPECT_LE(later, (long long)OUTPUT_BACKLOG_MAX + 48 * MiB) << "the backlog grew past its bound";
    EXPECT_LE(later, reached + 16 * MiB) << "memory kept growing while the display was held";
    EXPECT_FALSE(endedWhileHeld) << "the child should wait while the backlog is full";
    EXPECT_NE(std::string::npos, e.status.find(" 秒でMAKE終了")) << "the run goes on once the display resumes";
}

// A complete line is on the screen while the child is silent after an
// unfinished one, not only once more output or the end comes.
TEST_F(RunMakeTest, ACompleteLineIsPaintedWhileTheChildIsSilent) {
    Variant("progress", "progress");
    bool received = false, painted = false, runningWhenPainted = false;
    DrivenRun run;
    run.script = [&](DrivenRun& r) {
        received = WaitFor([&] { return SendMessageA(r.pane, EM_GETLINECOUNT, 0, 0) >= 3; }, 15000);
        painted = WaitFor([&] {
            runningWhenPainted = r.Status().find("MAKE終了") == std::string::npos;
            return InkOnLine(r.pane, 1) > 20;
        }, 2000);
        r.Finished();
        r.Click(IDCANCEL);
    };
    EXPECT_EQ(Closed, RunDriven(run, 0));
    EXPECT_TRUE(received);
    EXPECT_TRUE(painted) << "the first line was not painted while the child slept";
    EXPECT_TRUE(runningWhenPainted) << "painted only when the run had ended";
}

TEST_F(RunMakeTest, QuitLeavesTheChildAndItEndsOnTheBrokenPipe) {
    strcpy(AppState.settings.makeExe, Chatter.c_str());
    strcpy(AppState.settings.makeOptions, "line %s pid flood.pid lines 100000000 0");
    std::string long300(300, 'L');
    Variant(long300.c_str(), "");
    std::string title;
    DrivenRun run;
    run.script = [&](DrivenRun& r) {
        title = Text(r.dialog);
        WaitFor([&] { return r.Status() == "1 秒"; }, 10000);
        r.Click(IDC_QUITBRAVIK);
    };
    EXPECT_EQ(QuitProgram, RunDriven(run, 0));
    EXPECT_EQ(255u, title.size());
    EXPECT_EQ("]", title.substr(254));
    DWORD pid = strtoul(Read(dir + "flood.pid").c_str(), nullptr, 10);
    HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 10000)) << "the child still writes into a pipe nobody reads";
    TerminateProcess(child, 9);
    CloseHandle(child);
}

TEST_F(RunMakeTest, CommandLineWorkingDirectoryAndMacros) {
    strcpy(AppState.settings.makeExe, Chatter.c_str());
    strcpy(AppState.settings.makeOptions, "cwd line %s");
    std::string makefile = dir + "run.mak", here = dir.substr(0, dir.size() - 1);
    char own[MAX_PATH];
    GetCurrentDirectoryA(sizeof own, own);
    struct {
        std::string makefile;
        const char* currentDir;
        int variant;
        const char* macros;
        std::string operand, cwd, tail;
    } cases[] = {
        {makefile, "", 0, "line nodebug=1", "run.mak", here, " line nodebug=1"},
        {makefile, "C:\\windows", 0, "", makefile, "C:\\windows", ""},
        {makefile, "", 100, "", "run.mak", here, ""},
        // A makefile named without a directory: the child runs where Bravik does.
        {"run.mak", "", -1, "", "run.mak", own, ""},
    };
    for (const auto& c : cases) {
        strcpy(AppState.makefilePath, c.makefile.c_str());
        strcpy(AppState.settings.currentDir, c.currentDir);
        Target(c.macros);
        Ended e = RunToEnd(c.variant, nullptr, IDCANCEL, 10000);
        ASSERT_GE(e.pane.size(), 4u) << c.makefile;
        // A full path with a blank is quoted, so it reaches the child as one argument.
        std::string quoted = c.operand.find(' ') != std::string::npos ? "\"" + c.operand + "\"" : c.operand;
        EXPECT_EQ(Chatter + " cwd line " + quoted + c.tail, e.pane[0].text);
        EXPECT_EQ(c.cwd, e.pane[1].text);
        EXPECT_EQ(c.operand, e.pane[2].text);
    }
}

// GNU make itself: a makefile path with a blank in both forms of the command
// line, and a makefile in the root of a drive, run from elsewhere on that drive.
TEST_F(RunMakeTest, GnuMakeGetsPathsWithBlanksWholeAndRunsInTheDriveRoot) {
    std::string makefile = dir + "run.mak", sub = dir + "sub";
    // The "/f" form gives GNU make two goals; the makefile of the working directory knows "/f".
    Write(sub + "\\makefile", "/f: ; @" + Chatter + " line \"goal /f\"\n");
    char rootName[32];
    snprintf(rootName, sizeof rootName, "C:\\bvroot%lu.mak", GetCurrentProcessId());
    Write(rootName, "all: ; @" + Chatter + " cwd\n");
    char own[MAX_PATH];
    GetCurrentDirectoryA(sizeof own, own);
    SetCurrentDirectoryA(sub.c_str());  // so "C:" alone would be this directory
    struct {
        std::string makefile, options, currentDir;
        std::vector<std::string> lines;  // the pane after the command line
    } cases[] = {
        {makefile, "-f %s", sub, {sub}},  // recorded: the cwd
        {makefile, "", sub, {"goal /f", "make: Nothing to be done for '" + makefile + "'."}},
        {rootName, "-f %s", "", {"C:\\"}},
    };
    Write(dir + "out.txt", "");
    Write(makefile, "all:\n\t@" + Chatter + " cwd\n");
    for (const auto& c : cases) {
        strcpy(AppState.makefilePath, c.makefile.c_str());
        strcpy(AppState.settings.makeOptions, c.options.c_str());
        strcpy(AppState.settings.currentDir, c.currentDir.c_str());
        Target("");
        Ended e = RunToEnd(0, nullptr, IDCANCEL, 20000);
        SCOPED_TRACE(c.makefile + " " + c.options);
        ASSERT_GE(e.pane.size(), c.lines.size() + 1);
        for (size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(c.lines[i], e.pane[1 + i].text);
        EXPECT_NE(std::string::npos, e.pane.back().text.find("正常に終了")) << e.pane.back().text;
    }
    SetCurrentDirectoryA(own);
    DeleteFileA(rootName);
    DeleteFileA((sub + "\\makefile").c_str());
}

// Variables that reach GNU make, as its own $(file) writes them: the README's
// PATH line with a long PATH, 100 variables of Bravik's environment and 30 lines.
TEST_F(RunMakeTest, GnuMakeGetsEveryVariableWhole) {
    char saved[32768];
    DWORD savedLength = GetEnvironmentVariableA("PATH", saved, sizeof saved);
    std::string path(saved, savedLength);
    while (path.size() < 4000) path += ";C:\\bravik\\tools\\bin" + std::to_string(path.size());
    SetEnvironmentVariableA("PATH", path.c_str());
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        char name[16], value[32];
        snprintf(name, sizeof name, "BVS%03d", i);
        snprintf(value, sizeof value, "system%d", i);
        SetEnvironmentVariableA(name, value);
        expected += std::string(name) + "=" + value + "\n";
    }
    std::string lines;
    for (int i = 0; i < 30; ++i) lines += "BVT" + std::to_string(10 + i) + "=line" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 30; ++i) expected += "BVT" + std::to_string(10 + i) + "=line" + std::to_string(i) + "\n";
    Write(dir + "env.mak",
          "all:\n"
          "\t$(file >path.txt,$(PATH))\n"
          "\t$(file >vars.txt,$(foreach v,$(sort $(filter BV%,$(.VARIABLES))),$(v)=$($(v))))\n"
          "\t$(file >late.txt,$(sort $(filter TEMP TMP windir,$(.VARIABLES))))\n"
          "\t@" + Chatter + " line done\n");
    strcpy(AppState.makefilePath, (dir + "env.mak").c_str());
    AppState.settings.flags = FLAG_USE_SYSTEM_ENV;
    snprintf(AppState.settings.environment, sizeof AppState.settings.environment, "PATH=%%PATH%%;C:\\MinGW\\bin\r\n%s",
             lines.c_str());
    Target("");
    Ended e = RunToEnd(0, nullptr, IDCANCEL, 20000);
    ASSERT_FALSE(e.pane.empty());
    EXPECT_NE(std::string::npos, e.pane.back().text.find("正常に終了")) << e.pane.back().text;
    EXPECT_EQ(path + ";C:\\MinGW\\bin\n", ReadLines(dir + "path.txt"));
    std::string vars = ReadLines(dir + "vars.txt");
    for (char& c : vars) if (c == ' ') c = '\n';
    EXPECT_EQ(expected, vars);
    EXPECT_EQ("TEMP TMP windir\n", ReadLines(dir + "late.txt"));

    // A stored text that fills its 2080 bytes without a NUL is read to its end, not beyond.
    memset(AppState.settings.environment, 'x', sizeof AppState.settings.environment);
    memcpy(AppState.settings.environment, "BVZ=", 4);
    strcpy(AppState.settings.editorExe, "\r\nBVLEAK=1");
    AppState.settings.flags = 0;
    e = RunToEnd(0, nullptr, IDCANCEL, 20000);
    EXPECT_EQ("BVZ=" + std::string(2076, 'x') + "\n", ReadLines(dir + "vars.txt"));

    SetEnvironmentVariableA("PATH", path.substr(0, savedLength).c_str());
    for (int i = 0; i < 100; ++i) {
        char name[16];
        snprintf(name, sizeof name, "BVS%03d", i);
        SetEnvironmentVariableA(name, nullptr);
    }
    for (const char* f : {"env.mak", "path.txt", "vars.txt", "late.txt"}) DeleteFileA((dir + f).c_str());
}
TEST_F(RunMakeTest, MessagesInsteadOfARun) {
    const std::string tooLong = "x=" + std::string(779 - 20, '0');  // "nmake /f build.mak " is 19 bytes
    struct {
        const char* makefile;
        const char* exe;
        const char* options;
        const char* macros;
        const char* message;
        bool stopIcon;
    } cases[] = {
        {"C:\\src\\build.mak", "nmake", "-nologo", "", "nmake -nologo /f build.mak が実行できません。", true},
        {"C:\\src\\build.mak", "nmake", "-f %s -k", "", "nmake -f build.mak -k が実行できません。", true},
        {"C:\\src\\build.mak", "", "", "", " /f build.mak が実行できません。", true},
        {"", "nmake", "", "",
         "ＭＡＫＥファイルが指定されていません。または間違っています。\n「ファイル/開く」コマンドを実行してください。", false},
        {"C:\\src\\", "nmake", "", "",
         "ＭＡＫＥファイルが指定されていません。または間違っています。\n「ファイル/開く」コマンドを実行してください。", false},
        {"C:\\src\\build.mak", "nmake", "", tooLong.c_str(),
         "ＭＡＫＥのコマンドラインが779バイトを超えるため実行できません。", true},
    };
    for (const auto& c : cases) {
        strcpy(AppState.makefilePath, c.makefile);
        strcpy(AppState.settings.makeExe, c.exe);
        strcpy(AppState.settings.makeOptions, c.options);
        Target(c.macros);
        runAutoClosed = 7;
        DrivenRun run;
        EXPECT_EQ(Failed, RunDriven(run, 0)) << c.message;
        EXPECT_EQ(c.message, run.message);
        EXPECT_EQ(c.stopIcon, run.stopIcon) << c.message;
        EXPECT_EQ(nullptr, run.dialog);
        EXPECT_EQ(7, runAutoClosed) << "a failed run leaves the flag alone";
    }
}

TEST(RunDialog, JumpKeyOutsideTheTableIsNoKey) {
    struct {
        int32_t jumpKey;
        int code;
    } cases[] = {{0, VK_RETURN}, {1, VK_SPACE}, {2, VK_TAB}, {12, VK_F3}, {21, VK_F12},
                 {-1, 0},        {22, 0},        {1000, 0},  {INT32_MIN, 0}};
    for (const auto& c : cases) EXPECT_EQ(c.code, JumpKeyVirtualCode(c.jumpKey)) << c.jumpKey;
}

TEST_F(RunMakeTest, EditorJumpFromTheButtonTheJumpKeyAndADoubleClick) {
    Variant("jump", "jump");
    strcpy(AppState.settings.editorExe, Chatter.c_str());
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string jumpFile = temp + std::string("bravik_jump.txt");  // no blank: the options are not quoted
    strcpy(AppState.settings.editorOptions, ("args " + jumpFile + " %d").c_str());
    auto jumped = [&] {
        std::string seen;
        WaitFor([&] { return !(seen = Read(jumpFile)).empty(); }, 5000);
        DeleteFileA(jumpFile.c_str());
        return seen;
    };
    struct {
        int32_t jumpKey;
        std::string byButton, byKey, byDoubleClick, paneAfterKey;
        LONG caret = -1, clicked = -2;
        RECT paneRect = {}, client = {}, button = {}, counts = {};
    } seen[2];
    seen[0].jumpKey = 1;   // Space
    seen[1].jumpKey = -1;  // a damaged record: no jump key at all
    for (auto& s : seen) {
        AppState.settings.jumpKey = s.jumpKey;
        RunToEnd(0, [&](DrivenRun& r) {
            LONG line1 = (LONG)SendMessageA(r.pane, EM_LINEINDEX, 1, 0);
            CHARRANGE caret = {line1 + 3, line1 + 3};
            SendMessageA(r.pane, EM_EXSETSEL, 0, (LPARAM)&caret);
            SendMessageA(r.dialog, WM_COMMAND, IDC_EDITORJUMP, 0);
            s.byButton = jumped();
            PostMessageA(r.pane, WM_KEYDOWN, VK_SPACE, 0x00390001);
            PostMessageA(r.pane, WM_CHAR, ' ', 0x00390001);
            PostMessageA(r.pane, WM_KEYUP, VK_SPACE, 0xC0390001);
            SendMessageA(r.pane, WM_NULL, 0, 0);
            s.byKey = s.jumpKey >= 0 ? jumped() : "";
            s.paneAfterKey = ReadPane(r.pane)[1].text;
            LONG line2 = (LONG)SendMessageA(r.pane, EM_LINEINDEX, 2, 0);
            POINTL at;
            SendMessageA(r.pane, EM_POSFROMCHAR, (WPARAM)&at, line2 + 5);
            s.clicked = line2 + 5;
            PostMessageA(r.pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x + 1, at.y + 2));
            s.byDoubleClick = jumped();
            CHARRANGE now;
            SendMessageA(r.pane, EM_EXGETSEL, 0, (LPARAM)&now);
            s.caret = now.cpMin == now.cpMax ? now.cpMin : -3;
            SetWindowPos(r.dialog, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
            GetWindowRect(r.pane, &s.paneRect);
            MapWindowPoints(nullptr, r.dialog, (POINT*)&s.paneRect, 2);
            GetClientRect(r.dialog, &s.client);
            GetWindowRect(GetDlgItem(r.dialog, IDC_EDITORJUMP), &s.button);
            MapWindowPoints(nullptr, r.dialog, (POINT*)&s.button, 2);
            GetWindowRect(GetDlgItem(r.dialog, IDC_RUNCOUNTS), &s.counts);
            MapWindowPoints(nullptr, r.dialog, (POINT*)&s.counts, 2);
        });
        EXPECT_EQ("12 main.c", s.byButton) << s.jumpKey;
        EXPECT_EQ("7 sub\\b.c", s.byDoubleClick) << s.jumpKey;
        EXPECT_EQ(s.clicked, s.caret) << "the caret goes where the double-click was";
        EXPECT_EQ(s.button.bottom + 4, s.paneRect.top) << "the pane follows the resized dialog";
        EXPECT_EQ(0, s.paneRect.left);
        EXPECT_EQ(s.client.right, s.paneRect.right);
        EXPECT_LE(s.paneRect.bottom, s.counts.top) << "the counts line is under the pane";
        EXPECT_GT(s.counts.bottom, s.counts.top);
        EXPECT_LE(s.counts.bottom, s.client.bottom);
        EXPECT_GT(s.paneRect.bottom, s.client.bottom - 40);
    }
    EXPECT_EQ("12 main.c", seen[0].byKey);
    EXPECT_EQ("main.c(12) : error C2065", seen[0].paneAfterKey) << "the jump key types nothing";
    EXPECT_NE("main.c(12) : error C2065", seen[1].paneAfterKey) << "without a jump key, Space is typed";
}

}  // namespace
