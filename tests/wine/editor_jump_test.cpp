// The editor jump against real peers: a RichEdit20A pane filled with make
// output and the test editor tools/fakehidemaru (Hidemaru's jump protocol,
// with a record of what it was asked). Wine's notepad as the editor, and a
// second jump finding its window, are checked by tests/e2e/release_screenshots.sh.
#include <windows.h>
#include <richedit.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "bravik/core/editor_jump.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/editor_jump.h"
#include "bravik/ui/main_window.h"

namespace {

std::string FakeEditorPath() {
    char path[MAX_PATH];
    std::string program(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return program.substr(0, program.rfind('\\')) + "\\tools\\fakehidemaru\\fakehidemaru.exe";
}

bool FakeEditorRunning() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    BOOL more = Process32First(snapshot, &entry);
    while (more && lstrcmpiA(entry.szExeFile, "fakehidemaru.exe") != 0) more = Process32Next(snapshot, &entry);
    CloseHandle(snapshot);
    return more != FALSE;
}

// The visible window of the running test editor: the test's own search, not the one under test.
HWND EditorWindow() {
    HWND editor = nullptr;
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < 10000; Sleep(20))
        if ((editor = FindWindowA("FakeHidemaru", nullptr)) && IsWindowVisible(editor)) return editor;
    return nullptr;
}

HWND TopWindow(const char* title, DWORD style, HWND owner) {
    return CreateWindowA("STATIC", title, style | WS_VISIBLE, 0, 0, 500, 300, owner, nullptr, nullptr, nullptr);
}

class EditorJumpTest : public ::testing::Test {
protected:
    // One run dialog stand-in for the suite: Wine takes two seconds to
    // destroy a visible top-level window on a display without a manager.
    static void SetUpTestSuite() {
        LoadLibraryA("RICHED20.DLL");
        host = TopWindow("run dialog stand-in", WS_OVERLAPPEDWINDOW, nullptr);
        pane = NewPane(WS_VSCROLL);
        SendMessageA(pane, EM_EXLIMITTEXT, 0, 1 << 24);
    }
    static void TearDownTestSuite() { DestroyWindow(host); }
    static HWND NewPane(DWORD style) {
        return CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | style, 0, 0,
                               480, 260, host, nullptr, nullptr, nullptr);
    }

    void SetUp() override {
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(FakeEditorPath().c_str())) << FakeEditorPath();
        savedState = AppState;
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        static int serial;
        dir = std::string(temp) + "bvjump" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
        for (const char* d : {"", "\\src", "\\other"}) CreateDirectoryA((dir + d).c_str(), nullptr);
        std::ofstream(MainSource().c_str(), std::ios::binary) << "int main(void)\n{\n    return x;\n}\n";
        std::ofstream((dir + "\\app.mak").c_str(), std::ios::binary) << "#Bravik \"\" all\nall:\n\tcl src\\main.c\n";
        result = dir + "\\result.txt";
        SetEnvironmentVariableA("FAKEHIDEMARU_RESULT", result.c_str());
        strcpy(AppState.makefilePath, (dir + "\\app.mak").c_str());
        memset(&AppState.settings, 0, sizeof AppState.settings);
        strcpy(AppState.settings.editorExe, ("\"" + FakeEditorPath() + "\"").c_str());
        AppState.settings.editorKind = EDITOR_HIDEMARU;
        SetWindowTextA(pane, "");
    }

    void TearDown() override {
        EndStartedEditors();
        for (const char* name : {"FAKEHIDEMARU_RESULT", "FAKEHIDEMARU_NODIALOG", "FAKEHIDEMARU_DELAY_MS"})
            SetEnvironmentVariableA(name, nullptr);
        SetCurrentDirectoryA(savedDirectory);
        AppState = savedState;
        for (const char* f : {"\\src\\main.c", "\\app.mak"}) DeleteFileA((dir + f).c_str());
        for (const char* d : {"\\src", "\\other", ""}) RemoveDirectoryA((dir + d).c_str());
    }

    // Ends every test editor that wrote to the record, and forgets the record.
    void EndStartedEditors() {
        for (const std::string& r : Records()) {
            HANDLE process = r.compare(0, 4, "pid ") ? nullptr
                             : OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, strtoul(r.c_str() + 4, nullptr, 10));
            if (!process) continue;
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
        DeleteFileA(result.c_str());
    }

    void FillPane(const std::vector<std::string>& lines, HWND target) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        filled = lines;
        SetWindowTextA(target, "");
        SendMessageA(target, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
    }

    // Where a double-click on output line n of the last FillPane leaves the
    // caret; the pane keeps one break character per line.
    LRESULT PositionInLine(size_t n) const {
        LRESULT at = 0;
        for (size_t i = 0; i < n; ++i) at += MultiByteToWideChar(CP_ACP, 0, filled[i].c_str(), -1, nullptr, 0);
        return at + (filled[n].size() < 2 ? filled[n].size() : 2);
    }

    void PutCaretOnLine(size_t n, HWND target = pane) {
        SendMessageA(target, EM_SETSEL, PositionInLine(n), PositionInLine(n));
    }

    void JumpFromLine(const std::string& line) {
        FillPane({"make -f app.mak", line, "NMAKE : fatal error U1077: return code '0x2'"}, pane);
        PutCaretOnLine(1);
        EditorJump(pane);
    }

    std::vector<std::string> Records() const {
        std::vector<std::string> lines;
        std::ifstream file(result.c_str(), std::ios::binary);
        for (std::string line; std::getline(file, line);)
            if (!line.empty() && line.back() == '\r') lines.push_back(line.substr(0, line.size() - 1));
        return lines;
    }

    int CountRecords(const std::string& record) const {
        std::vector<std::string> records = Records();
        return (int)std::count(records.begin(), records.end(), record);
    }

    std::string RecordAfter(const std::string& prefix) const {
        for (const std::string& r : Records())
            if (r.compare(0, prefix.size(), prefix) == 0) return r.substr(prefix.size());
        return "<none>";
    }

    // Once the editor has handled a message posted after the jump, anything
    // the jump posted before has been handled too.
    void SettleEditor() {
        ASSERT_TRUE(PostMessageA(EditorWindow(), WM_APP, 0, 0));
        for (DWORD begun = GetTickCount(); GetTickCount() - begun < 10000 && !CountRecords("mark"); Sleep(20)) {}
        ASSERT_EQ(1, CountRecords("mark"));
    }

    // An editor the user opened earlier on src\main.c.
    HWND OpenEditorByHand(UINT show) {
        WinExec(("\"" + FakeEditorPath() + "\" " + MainSource()).c_str(), show);
        return EditorWindow();
    }

    std::string MainSource() const { return dir + "\\src\\main.c"; }

    AppStateBlock savedState;
    char savedDirectory[MAX_PATH];
    std::string dir, result;
    std::vector<std::string> filled;
    static HWND host, pane;
};

HWND EditorJumpTest::host;
HWND EditorJumpTest::pane;

TEST_F(EditorJumpTest, CaretLineIsTheWholeOutputLineCutBetweenCharacters) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back(std::string(70, (char)('a' + i % 26)));
    std::string wrapped = "C:\\" + std::string(120, 'w') + "\\src\\main.c(12) : error C2065: " + std::string(100, 'x');
    lines.insert(lines.end(), {"src\\main.c(12) : error C2065", wrapped, "after"});
    FillPane(lines, pane);
    LRESULT wrappedStart = SendMessageA(pane, EM_LINEFROMCHAR, PositionInLine(1001), 0);
    ASSERT_GT(SendMessageA(pane, EM_LINEFROMCHAR, PositionInLine(1002), 0), wrappedStart + 2) << "no wrapping";
    char line[1024];
    PutCaretOnLine(1000);  // beyond character 65535, where the packed EM_GETSEL result stops
    EXPECT_EQ((int)lines[1000].size(), ReadCaretLine(pane, line));
    EXPECT_EQ(lines[1000], line);
    // The caret on the second and on the last screen line of a wrapped line.
    for (LRESULT screenLine : {wrappedStart + 1, wrappedStart + 2}) {
        LRESULT caret = SendMessageA(pane, EM_LINEINDEX, screenLine, 0) + 1;
        SendMessageA(pane, EM_SETSEL, caret, caret);
        EXPECT_EQ((int)wrapped.size(), ReadCaretLine(pane, line)) << screenLine;
        EXPECT_EQ(wrapped, line);
    }
    PutCaretOnLine(1002);
    ReadCaretLine(pane, line);
    EXPECT_STREQ("after", line);
    std::string kanji;
    for (int i = 0; i < 600; ++i) kanji += "表";
    HWND unwrapped = NewPane(WS_HSCROLL | ES_AUTOHSCROLL);
    for (HWND target : {pane, unwrapped}) {
        FillPane({"make", kanji, "x"}, target);
        PutCaretOnLine(1, target);
        memset(line, 0x7F, sizeof line);
        int length = ReadCaretLine(target, line);
        EXPECT_EQ(510, length);
        EXPECT_EQ(0, kanji.compare(0, length, line, length));
        for (size_t i = JUMP_LINE_SIZE; i < sizeof line; ++i) EXPECT_EQ(0x7F, line[i]) << "written at " << i;
    }
    DestroyWindow(unwrapped);
}

// Bravik and make run elsewhere (currentDir): names are still completed against
// the makefile's directory, and the editor starts there.
TEST_F(EditorJumpTest, NewEditorOpensNamedFileAtLine) {
    strcpy(AppState.settings.currentDir, (dir + "\\other").c_str());
    SetCurrentDirectoryA((dir + "\\other").c_str());
    const struct { std::string line; const char* jump; } cases[] = {
        {"src\\main.c(12) : error C2065: 'x' : undeclared identifier", "12"},
        {"src/main.c:12: error: 'x' undeclared", "12"},
        {dir + "\\src\\main.c(7) : warning C4101: 'i' : unreferenced local variable", "7"},
        {"src\\main.c", "<none>"},
        {dir.substr(2) + "\\src\\main.c(5) : error C2065", "5"},  // leading '\': the current drive
    };
    for (const auto& c : cases) {
        JumpFromLine(c.line);
        EXPECT_EQ(1, CountRecords("open " + MainSource())) << c.line;
        EXPECT_EQ(0, lstrcmpiA(RecordAfter("cwd ").c_str(), dir.c_str())) << RecordAfter("cwd ");
        EXPECT_EQ("<none>", RecordAfter("cmdline-line ")) << c.line;
        SettleEditor();
        EXPECT_EQ(c.jump, RecordAfter("jump ")) << c.line;
        EndStartedEditors();
    }
}

TEST_F(EditorJumpTest, LinesThatNameNoExistingFileStartNothing) {
    for (const char* line : {"Compiling...", "missing.c(3) : error C1083", "", "src", "LINK : fatal error L1104"}) {
        JumpFromLine(line);
        EXPECT_FALSE(FakeEditorRunning()) << line;
        EndStartedEditors();
    }
}

// With "%d" in the options too: only the jump dialog can move an open editor.
TEST_F(EditorJumpTest, OpenEditorIsActivatedOrRestoredAndDriven) {
    strcpy(AppState.settings.editorOptions, "/j%d");
    for (int show : {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE}) {
        HWND editor = OpenEditorByHand(show);
        ASSERT_TRUE(editor);
        ASSERT_EQ(show == SW_SHOWMINNOACTIVE, IsIconic(editor) != FALSE);
        SetForegroundWindow(host);
        JumpFromLine("src\\main.c(12) : error C2065");
        EXPECT_EQ(1, CountRecords("open " + MainSource())) << "a second editor was started";
        EXPECT_FALSE(IsIconic(editor));
        if (show == SW_SHOWNORMAL) { EXPECT_EQ(editor, GetForegroundWindow()); }
        EXPECT_EQ("12", RecordAfter("jump ")) << show;
        EndStartedEditors();
    }
}

// A started editor and line 12: what the editor is asked, setting by setting.
TEST_F(EditorJumpTest, LineOnTheCommandLineOrThroughTheJumpDialog) {
    const struct {
        const char *options, *variable, *value;  // variable: of the test editor
        int kind;
        const char* cmdline;  // then what the editor recorded
        int dialogs, ignored;
        const char* jump;
    } cases[] = {
        {"", "FAKEHIDEMARU_DELAY_MS", "1500", EDITOR_HIDEMARU, "<none>", 1, 0, "12"},  // idle before its window
        {"/j%d", nullptr, nullptr, EDITOR_HIDEMARU, "12", 0, 0, "<none>"},
        {"", nullptr, nullptr, EDITOR_UNSUPPORTED, "<none>", 0, 0, "<none>"},
        {"", "FAKEHIDEMARU_NODIALOG", "1", EDITOR_HIDEMARU, "<none>", 0, 1, "<none>"},
    };
    for (const auto& c : cases) {
        strcpy(AppState.settings.editorOptions, c.options);
        AppState.settings.editorKind = c.kind;
        if (c.variable) SetEnvironmentVariableA(c.variable, c.value);
        SCOPED_TRACE(std::string(c.options) + " kind " + std::to_string(c.kind) + " " + (c.variable ? c.variable : ""));
        JumpFromLine("src\\main.c(12) : error C2065");
        SettleEditor();
        EXPECT_EQ(1, CountRecords("open " + MainSource()));
        EXPECT_EQ(c.cmdline, RecordAfter("cmdline-line "));
        EXPECT_EQ(c.dialogs, CountRecords("dialog"));
        EXPECT_EQ(c.ignored, CountRecords("ignored"));
        EXPECT_EQ(c.jump, RecordAfter("jump "));
        if (c.variable) SetEnvironmentVariableA(c.variable, nullptr);
        EndStartedEditors();
    }
}

TEST_F(EditorJumpTest, BravikAndOwnedWindowsAreNeverTakenForTheEditor) {
    HWND bravik = TopWindow("app.mak - Bravik", WS_OVERLAPPEDWINDOW, nullptr);
    HWND owned = TopWindow("main.c - preview", WS_POPUP | WS_CAPTION, host);
    HWND ownedNoPopup = TopWindow("main.c - run", WS_CAPTION, host);  // like the run dialog: GetParent is NULL
    ASSERT_TRUE(bravik && owned && ownedNoPopup);
    ASSERT_EQ(nullptr, GetParent(ownedNoPopup));
    JumpFromLine("app.mak:3: *** missing separator.  Stop.");
    EXPECT_EQ(1, CountRecords("open " + dir + "\\app.mak"));
    EXPECT_EQ("3", RecordAfter("jump "));
    EndStartedEditors();
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_EQ("12", RecordAfter("jump "));
    DestroyWindow(bravik);
    DestroyWindow(owned);
    DestroyWindow(ownedNoPopup);
}

// A visible standard dialog whose thread has stopped answering, on a thread of its own.
DWORD WINAPI HangingDialog(void* release) {
    HWND window = CreateWindowA("#32770", "hung", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    WaitForSingleObject((HANDLE)release, INFINITE);
    DestroyWindow(window);
    return 0;
}

// Each search for the jump dialog asks a dialog for its title; one that does not
// answer costs little, and the search ends after about a second and a half.
TEST_F(EditorJumpTest, AHungWindowHoldsTheJumpDialogSearchBriefly) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, HangingDialog, release, 0, nullptr);
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < 5000 && !FindWindowA("#32770", "hung"); Sleep(20)) {}
    ASSERT_TRUE(FindWindowA("#32770", "hung"));
    for (const char* noDialog : {"1", (const char*)nullptr}) {
        SetEnvironmentVariableA("FAKEHIDEMARU_NODIALOG", noDialog);
        DWORD begun = GetTickCount();
        JumpFromLine("src\\main.c(12) : error C2065");
        DWORD took = GetTickCount() - begun;
        SettleEditor();
        EXPECT_LT(took, 10000u) << "the dialog search waited on the hung window";
        EXPECT_EQ(noDialog ? "<none>" : "12", RecordAfter("jump "));
        EndStartedEditors();
    }
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(release);
}

// Closes the first message box of this thread, noting its text.
std::string seenBox;
BOOL CALLBACK CloseBox(HWND box, LPARAM) {
    char cls[32], text[256];
    GetClassNameA(box, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(box)) return TRUE;
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seenBox = text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return FALSE;
}
void CALLBACK CloseBoxTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0); }

// 511 bytes are the most a command line holds: a longer one is refused, never cut.
TEST_F(EditorJumpTest, AnOverlongEditorCommandLineIsRefused) {
    std::string program = FakeEditorPath(), exePadding, namePadding;  // ".\" segments lengthen both paths
    while (exePadding.size() + program.size() < 248) exePadding += ".\\";
    for (int i = 0; i < 90; ++i) namePadding += ".\\";
    size_t slash = program.rfind('\\');
    std::string exe = "\"" + program.substr(0, slash + 1) + exePadding + program.substr(slash + 1) + "\"";
    std::string name = "src\\" + namePadding + "main.c";
    strcpy(AppState.settings.editorExe, exe.c_str());
    for (size_t length : {(size_t)511, (size_t)512}) {
        std::string options = "/" + std::string(length - exe.size() - name.size() - 3, 'o');
        ASSERT_LT(options.size(), 80u);
        strcpy(AppState.settings.editorOptions, options.c_str());
        seenBox.clear();
        UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseBoxTimer);
        JumpFromLine(name + "(12) : error C2065");
        KillTimer(nullptr, timer);
        if (length == 511) {
            for (DWORD begun = GetTickCount(); GetTickCount() - begun < 10000 && !CountRecords("open " + MainSource());)
                Sleep(20);
            EXPECT_EQ(1, CountRecords("open " + MainSource()));
            EXPECT_EQ("", seenBox);
        } else {
            EXPECT_EQ("エディタのコマンドラインが511バイトを超えるため実行できません。", seenBox);
            EXPECT_FALSE(FakeEditorRunning());
        }
        EndStartedEditors();
    }
}

// A file type of the test's own, opened by the test editor, so that the
// shell's "open" can be followed without touching the prefix's real types.
TEST_F(EditorJumpTest, ShellOpensFileWithoutEditor) {
    std::string command = "\"" + FakeEditorPath() + "\" \"%1\"", notes = dir + "\\src\\notes.bvjump";
    SHSetValueA(HKEY_CLASSES_ROOT, ".bvjump", nullptr, REG_SZ, "BravikJumpTest", 15);
    SHSetValueA(HKEY_CLASSES_ROOT, "BravikJumpTest\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                (DWORD)command.size() + 1);
    std::ofstream(notes.c_str(), std::ios::binary) << "notes\n";
    AppState.settings.editorExe[0] = '\0';
    SetCurrentDirectoryA((dir + "\\other").c_str());  // the name is relative to the makefile, not to Bravik
    JumpFromLine("src\\notes.bvjump");
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < 10000 && !CountRecords("open " + notes); Sleep(20)) {}
    EXPECT_GT(CountRecords("open " + notes), 0) << "the shell did not open " << notes;
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "BravikJumpTest");
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".bvjump");
    DeleteFileA(notes.c_str());
}

// A visible window of another process whose title holds the text, or nullptr.
struct TitleSearch {
    const char* text;
    HWND found;
};
BOOL CALLBACK OtherProcessTitle(HWND window, LPARAM param) {
    TitleSearch& s = *(TitleSearch*)param;
    char title[256] = "";
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    GetWindowTextA(window, title, sizeof title);
    if (pid == GetCurrentProcessId() || !IsWindowVisible(window) || !strstr(title, s.text)) return TRUE;
    s.found = window;
    return FALSE;
}
HWND OtherProcessWindow(const char* text) {
    TitleSearch search = {text, nullptr};
    EnumWindows(OtherProcessTitle, (LPARAM)&search);
    return search.found;
}

// Windows keeps the usual ".txt" command as REG_EXPAND_SZ with %SystemRoot%:
// without an editor, 編集 and the jump open notepad through it.
TEST_F(EditorJumpTest, ExpandableTextAssociationOpensNotepad) {
    char savedClass[256] = "";
    LONG savedSize = sizeof savedClass;
    bool hadClass = RegQueryValueA(HKEY_CLASSES_ROOT, ".txt", savedClass, &savedSize) == ERROR_SUCCESS;
    const char command[] = "%SystemRoot%\\system32\\NOTEPAD.EXE %1";
    SHSetValueA(HKEY_CLASSES_ROOT, ".txt", nullptr, REG_SZ, "BravikTest.txtfile", 19);
    SHSetValueA(HKEY_CLASSES_ROOT, "BravikTest.txtfile\\shell\\open\\command", nullptr, REG_EXPAND_SZ, command,
                sizeof command);
    std::string notes = dir + "\\src\\bvnotes.txt";
    std::ofstream(notes.c_str(), std::ios::binary) << "notes\n";
    AppState.settings.editorExe[0] = '\0';

    EXPECT_EQ(1, EditMakefile());
    JumpFromLine("src\\bvnotes.txt");
    for (const char* title : {"app.mak", "bvnotes.txt"}) {
        HWND notepad = nullptr;
        for (DWORD begun = GetTickCount(); GetTickCount() - begun < 10000 && !(notepad = OtherProcessWindow(title));)
            Sleep(50);
        EXPECT_TRUE(notepad) << "no notepad on " << title;
        DWORD pid = 0;
        if (notepad) GetWindowThreadProcessId(notepad, &pid);
        if (HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    if (hadClass)
        SHSetValueA(HKEY_CLASSES_ROOT, ".txt", nullptr, REG_SZ, savedClass, (DWORD)strlen(savedClass) + 1);
    else
        SHDeleteKeyA(HKEY_CLASSES_ROOT, ".txt");
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "BravikTest.txtfile");
    DeleteFileA(notes.c_str());
}

}  // namespace
