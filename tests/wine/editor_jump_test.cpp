// The editor jump against real peers: a RichEdit20A pane filled with make
// output, the test editor tools/fakehidemaru (Hidemaru's jump protocol, with
// a record of what it was asked) and Wine's notepad for other editors.
#include <windows.h>
#include <richedit.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "bravik/core/editor_jump_logic.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/editor_jump.h"

namespace {

const DWORD WAIT_LIMIT_MS = 10000;

std::string ModuleDirectory() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string FakeEditorPath() {
    return ModuleDirectory() + "\\tools\\fakehidemaru\\fakehidemaru.exe";
}

void WriteTextFile(const std::string& path, const char* text) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f) << path;
    fputs(text, f);
    fclose(f);
}

std::string ReadTextFile(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (int c; (c = fgetc(f)) != EOF;) text += (char)c;
        fclose(f);
    }
    return text;
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
    std::string a = text, b = part;
    CharUpperBuffA(&a[0], (DWORD)a.size());
    CharUpperBuffA(&b[0], (DWORD)b.size());
    return a.find(b) != std::string::npos;
}

std::vector<DWORD> ProcessesNamed(const char* exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exeName) == 0) ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

void EndProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

struct WindowQuery {
    DWORD pid;           // 0: any process but ours
    const char* title;   // substring, case ignored
    HWND found;
};

BOOL CALLBACK MatchQuery(HWND window, LPARAM lParam) {
    WindowQuery* q = (WindowQuery*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (q->pid ? pid != q->pid : pid == GetCurrentProcessId()) return TRUE;
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (!ContainsNoCase(title, q->title)) return TRUE;
    q->found = window;
    return FALSE;
}

// The test's own search, independent of the one under test.
HWND WaitForWindow(DWORD pid, const char* title) {
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < WAIT_LIMIT_MS; Sleep(20)) {
        WindowQuery q = {pid, title, nullptr};
        EnumWindows(MatchQuery, (LPARAM)&q);
        if (q.found) return q.found;
    }
    return nullptr;
}

BOOL CALLBACK FindOwnedVisible(HWND window, LPARAM lParam) {
    HWND* owner = (HWND*)lParam;
    if (GetWindow(window, GW_OWNER) == owner[0] && IsWindowVisible(window)) {
        owner[1] = window;
        return FALSE;
    }
    return TRUE;
}

class EditorJumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(FakeEditorPath().c_str()))
            << "the test editor is built with the tests: " << FakeEditorPath();
        savedState = AppState;
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);

        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        static int serial;
        dir = std::string(temp) + "bvjump" + std::to_string(GetCurrentProcessId()) + "_" +
              std::to_string(++serial);
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA((dir + "\\src").c_str(), nullptr);
        CreateDirectoryA((dir + "\\other").c_str(), nullptr);
        WriteTextFile(dir + "\\src\\main.c", "int main(void)\n{\n    return x;\n}\n");
        WriteTextFile(dir + "\\app.mak", "#Bravik \"\" all\nall:\n\tcl src\\main.c\n");
        result = dir + "\\result.txt";
        SetEnvironmentVariableA("FAKEHIDEMARU_RESULT", result.c_str());

        strcpy(AppState.makefilePath, (dir + "\\app.mak").c_str());
        memset(&AppState.settings, 0, sizeof AppState.settings);
        strcpy(AppState.settings.editorExe, ("\"" + FakeEditorPath() + "\"").c_str());
        AppState.settings.editorKind = EDITOR_HIDEMARU;

        ASSERT_TRUE(host && pane);
        SetWindowTextA(pane, "");
    }

    // One run dialog stand-in for the suite: Wine takes two seconds to
    // destroy a visible top-level window on a display without a manager.
    static void SetUpTestSuite() {
        LoadLibraryA("RICHED20.DLL");
        host = CreateWindowExA(0, "STATIC", "run dialog stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 500, 300, nullptr, nullptr, nullptr, nullptr);
        pane = CreateWindowExA(0, "RichEdit20A", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0,
                               0, 480, 260, host, (HMENU)1, nullptr, nullptr);
        SendMessageA(pane, EM_EXLIMITTEXT, 0, 1 << 24);
    }

    static void TearDownTestSuite() {
        DestroyWindow(host);
        host = pane = nullptr;
    }

    void TearDown() override {
        EndStartedProcesses();
        for (DWORD pid : extraProcesses) EndProcess(pid);
        if (bravikWindow) DestroyWindow(bravikWindow);
        if (ownedWindow) DestroyWindow(ownedWindow);
        SetEnvironmentVariableA("FAKEHIDEMARU_RESULT", nullptr);
        SetEnvironmentVariableA("FAKEHIDEMARU_NODIALOG", nullptr);
        SetEnvironmentVariableA("FAKEHIDEMARU_DELAY_MS", nullptr);
        SetCurrentDirectoryA(savedDirectory);
        AppState = savedState;
        for (const char* f : {"\\src\\main.c", "\\app.mak", "\\result.txt"})
            DeleteFileA((dir + f).c_str());
        for (const char* d : {"\\src", "\\other", ""}) RemoveDirectoryA((dir + d).c_str());
    }

    // Ends every test editor that wrote to the record, and forgets the record.
    void EndStartedProcesses() {
        for (const std::string& r : Records())
            if (r.compare(0, 4, "pid ") == 0) EndProcess(strtoul(r.c_str() + 4, nullptr, 10));
        DeleteFileA(result.c_str());
    }

    void FillPane(const std::vector<std::string>& lines, HWND target = nullptr) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        filled = lines;
        target = target ? target : pane;
        SetWindowTextA(target, "");
        SendMessageA(target, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
    }

    // Character position inside output line n of the last FillPane, where a
    // double-click leaves the caret; the pane keeps one break character per line.
    LRESULT PositionInLine(size_t n) const {
        LRESULT at = 0;
        for (size_t i = 0; i < n; ++i)
            at += MultiByteToWideChar(CP_ACP, 0, filled[i].c_str(), -1, nullptr, 0);
        return at + (filled[n].size() < 2 ? filled[n].size() : 2);
    }

    void PutCaretOnLine(size_t n, HWND target = nullptr) {
        LRESULT caret = PositionInLine(n);
        SendMessageA(target ? target : pane, EM_SETSEL, caret, caret);
    }

    void JumpFromLine(const std::string& line) {
        FillPane({"make -f app.mak", line, "NMAKE : fatal error U1077: return code '0x2'"});
        PutCaretOnLine(1);
        EditorJump(pane);
    }

    std::vector<std::string> Records() const {
        std::vector<std::string> lines;
        std::string text = ReadTextFile(result);
        for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }

    int CountRecords(const std::string& record) const {
        int n = 0;
        for (const std::string& r : Records()) n += r == record;
        return n;
    }

    std::string RecordAfter(const std::string& prefix) const {
        for (const std::string& r : Records())
            if (r.compare(0, prefix.size(), prefix) == 0) return r.substr(prefix.size());
        return "<none>";
    }

    bool WaitForRecord(const std::string& record) const {
        for (DWORD begun = GetTickCount(); GetTickCount() - begun < WAIT_LIMIT_MS; Sleep(20))
            if (CountRecords(record) > 0) return true;
        return false;
    }

    // Once the editor has handled a message posted after the jump, anything
    // the jump posted before has been handled too.
    void SettleEditor(HWND editor) {
        ASSERT_TRUE(PostMessageA(editor, WM_APP, 0, 0));
        ASSERT_TRUE(WaitForRecord("mark"));
    }

    HWND EditorWindow() const {
        DWORD pid = strtoul(RecordAfter("pid ").c_str(), nullptr, 10);
        return pid ? WaitForWindow(pid, "main.c") : nullptr;
    }

    // An editor the user opened earlier on src\main.c.
    HWND OpenEditorByHand(int show) {
        std::string command = "\"" + FakeEditorPath() + "\" " + dir + "\\src\\main.c";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = (WORD)show;
        PROCESS_INFORMATION process;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return nullptr;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return WaitForWindow(process.dwProcessId, "main.c");
    }

    std::string MainSource() const { return dir + "\\src\\main.c"; }

    AppStateBlock savedState;
    char savedDirectory[MAX_PATH];
    std::string dir, result;
    static HWND host, pane;
    HWND bravikWindow = nullptr, ownedWindow = nullptr;
    std::vector<DWORD> extraProcesses;
    std::vector<std::string> filled;
};

HWND EditorJumpTest::host;
HWND EditorJumpTest::pane;

TEST_F(EditorJumpTest, CaretLineIsTheWholeOutputLine) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back(std::string(70, (char)('a' + i % 26)));
    std::string wrapped = "C:\\" + std::string(120, 'w') + "\\src\\main.c(12) : error C2065: " +
                          std::string(100, 'x');
    lines.push_back("src\\main.c(12) : error C2065");
    lines.push_back(wrapped);
    lines.push_back("after");
    FillPane(lines);
    LRESULT wrappedStart = SendMessageA(pane, EM_LINEFROMCHAR, PositionInLine(1001), 0);
    ASSERT_GT(SendMessageA(pane, EM_LINEFROMCHAR, PositionInLine(1002), 0), wrappedStart + 2)
        << "the pane does not wrap";

    // Beyond character 65535, where the packed EM_GETSEL result stops.
    char line[JUMP_LINE_SIZE];
    PutCaretOnLine(1000);
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
}

TEST_F(EditorJumpTest, LongCaretLineIsCutBetweenCharacters) {
    std::string kanji;
    for (int i = 0; i < 600; ++i) kanji += "表";
    HWND unwrapped = CreateWindowExA(0, "RichEdit20A", "",
                                     WS_CHILD | WS_VISIBLE | WS_HSCROLL | ES_AUTOHSCROLL |
                                         ES_MULTILINE | ES_READONLY,
                                     0, 0, 480, 260, host, (HMENU)2, nullptr, nullptr);
    ASSERT_TRUE(unwrapped);
    for (HWND target : {pane, unwrapped}) {
        FillPane({"make", kanji, "x"}, target);
        PutCaretOnLine(1, target);
        char line[1024];
        memset(line, 0x7F, sizeof line);
        int length = ReadCaretLine(target, line);
        EXPECT_EQ(510, length);
        EXPECT_EQ(0, kanji.compare(0, length, line, length));
        for (size_t i = JUMP_LINE_SIZE; i < sizeof line; ++i)
            EXPECT_EQ(0x7F, line[i]) << "written at " << i;
    }
    DestroyWindow(unwrapped);
}

struct JumpCase {
    const char* line;  // "%s" stands for the makefile directory
    int jumpLine;      // 0: the editor must get no jump
};

TEST_F(EditorJumpTest, NewEditorOpensNamedFileAtLine) {
    std::string noDrive = dir.substr(2);
    static const JumpCase cases[] = {
        {"src\\main.c(12) : error C2065: 'x' : undeclared identifier", 12},
        {"src/main.c:12: error: 'x' undeclared", 12},
        {"%s\\src\\main.c(7) : warning C4101: 'i' : unreferenced local variable", 7},
        {"src\\main.c", 0},
    };
    for (const JumpCase& c : cases) {
        std::string line = c.line;
        size_t at = line.find("%s");
        if (at != std::string::npos) line.replace(at, 2, dir);
        JumpFromLine(line);
        EXPECT_EQ(1, CountRecords("open " + MainSource())) << line;
        EXPECT_EQ("1", RecordAfter("exists ")) << line;
        EXPECT_EQ("<none>", RecordAfter("cmdline-line ")) << line;
        HWND editor = EditorWindow();
        ASSERT_TRUE(editor) << line;
        SettleEditor(editor);
        EXPECT_EQ(c.jumpLine ? std::to_string(c.jumpLine) : "<none>", RecordAfter("jump "))
            << line;
        EndStartedProcesses();
    }
    // A name with a leading '\' is taken on the current drive, not joined.
    SetCurrentDirectoryA(dir.c_str());
    JumpFromLine(noDrive + "\\src\\main.c(5) : error C2065");
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_EQ("5", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, LinesThatNameNoExistingFileStartNothing) {
    static const char* const lines[] = {
        "Compiling...", "missing.c(3) : error C1083", "", "src", "LINK : fatal error L1104",
    };
    for (const char* line : lines) {
        JumpFromLine(line);
        EXPECT_TRUE(ProcessesNamed("fakehidemaru.exe").empty()) << line;
        EndStartedProcesses();
    }
}

TEST_F(EditorJumpTest, EditorStartsInMakefileDirectoryWhateverCurrentDir) {
    strcpy(AppState.settings.currentDir, (dir + "\\other").c_str());
    SetCurrentDirectoryA((dir + "\\other").c_str());
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_TRUE(ContainsNoCase(RecordAfter("cwd "), dir));
    EXPECT_FALSE(ContainsNoCase(RecordAfter("cwd "), "other"));
    EXPECT_EQ("12", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, SlowEditorWindowIsWaitedFor) {
    SetEnvironmentVariableA("FAKEHIDEMARU_DELAY_MS", "1500");
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ("12", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, OpenEditorIsActivatedAndDriven) {
    HWND editor = OpenEditorByHand(SW_SHOWNORMAL);
    ASSERT_TRUE(editor);
    SetForegroundWindow(host);
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ(1, CountRecords("open " + MainSource())) << "a second editor was started";
    EXPECT_EQ(editor, GetForegroundWindow());
    EXPECT_EQ("12", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, MinimisedEditorIsRestoredAndDriven) {
    HWND editor = OpenEditorByHand(SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(editor);
    ASSERT_TRUE(IsIconic(editor));
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_FALSE(IsIconic(editor));
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_EQ("12", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, LineOnCommandLineWhenStartedDialogWhenOpen) {
    strcpy(AppState.settings.editorOptions, "/j%d");
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ("12", RecordAfter("cmdline-line "));
    HWND editor = EditorWindow();
    ASSERT_TRUE(editor);
    SettleEditor(editor);
    EXPECT_EQ(0, CountRecords("dialog"));
    EXPECT_EQ("<none>", RecordAfter("jump "));

    // The same editor, now open on the file: only the dialog can move it.
    FillPane({"src\\main.c(30) : error C2065"});
    PutCaretOnLine(0);
    EditorJump(pane);
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_EQ("30", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, UnsupportedKindGetsNoJumpDialog) {
    AppState.settings.editorKind = EDITOR_UNSUPPORTED;
    JumpFromLine("src\\main.c(12) : error C2065");
    HWND editor = EditorWindow();
    ASSERT_TRUE(editor);
    SettleEditor(editor);
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_EQ(0, CountRecords("dialog"));
}

TEST_F(EditorJumpTest, MissingJumpDialogEndsTheJump) {
    SetEnvironmentVariableA("FAKEHIDEMARU_NODIALOG", "1");
    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ(1, CountRecords("ignored"));
    EXPECT_EQ("<none>", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, BravikAndOwnedWindowsAreNeverTakenForTheEditor) {
    bravikWindow = CreateWindowExA(0, "STATIC", "app.mak - Bravik", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ownedWindow = CreateWindowExA(0, "STATIC", "main.c - preview", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                  0, 0, 300, 200, host, nullptr, nullptr, nullptr);
    ASSERT_TRUE(bravikWindow && ownedWindow);
    JumpFromLine("app.mak:3: *** missing separator.  Stop.");
    EXPECT_EQ(1, CountRecords("open " + dir + "\\app.mak"));
    EXPECT_EQ("3", RecordAfter("jump "));
    EndStartedProcesses();

    JumpFromLine("src\\main.c(12) : error C2065");
    EXPECT_EQ(1, CountRecords("open " + MainSource()));
    EXPECT_EQ("12", RecordAfter("jump "));
}

TEST_F(EditorJumpTest, NotepadOpensFileForEditorOfUnsupportedKind) {
    strcpy(AppState.settings.editorExe, "notepad.exe");
    AppState.settings.editorKind = EDITOR_UNSUPPORTED;
    JumpFromLine("src\\main.c(12) : error C2065: 'x' : undeclared identifier");
    HWND notepad = WaitForWindow(0, "main.c");
    ASSERT_TRUE(notepad);
    DWORD pid = 0;
    GetWindowThreadProcessId(notepad, &pid);
    extraProcesses.push_back(pid);
    HWND owned[2] = {notepad, nullptr};
    EnumWindows(FindOwnedVisible, (LPARAM)owned);
    EXPECT_FALSE(owned[1]) << "a dialog of the editor was opened";

    // A second jump finds that window instead of starting another notepad.
    size_t notepads = ProcessesNamed("notepad.exe").size();
    JumpFromLine("src\\main.c(20) : error C2065");
    EXPECT_EQ(notepads, ProcessesNamed("notepad.exe").size());
    EXPECT_EQ(notepad, GetForegroundWindow());
}

// A file type of the test's own, opened by the test editor, so that the
// shell's "open" can be followed without touching the prefix's real types.
const char* const TEST_EXTENSION = ".bvjump";
const char* const TEST_CLASS = "BravikJumpTest";

void SetDefaultValue(const char* keyPath, const std::string& value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
}

void RemoveTestFileType() {
    for (const char* key : {"BravikJumpTest\\shell\\open\\command", "BravikJumpTest\\shell\\open",
                            "BravikJumpTest\\shell", TEST_CLASS, TEST_EXTENSION})
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
}

TEST_F(EditorJumpTest, ShellOpensFileWithoutEditor) {
    SetDefaultValue(TEST_EXTENSION, TEST_CLASS);
    SetDefaultValue("BravikJumpTest\\shell\\open\\command",
                    "\"" + FakeEditorPath() + "\" \"%1\"");
    std::string notes = dir + "\\src\\notes" + TEST_EXTENSION;
    WriteTextFile(notes, "notes\n");
    AppState.settings.editorExe[0] = '\0';
    // The name is relative to the makefile, not to where Bravik runs.
    SetCurrentDirectoryA((dir + "\\other").c_str());

    JumpFromLine(std::string("src\\notes") + TEST_EXTENSION);
    bool opened = WaitForRecord("open " + notes);
    RemoveTestFileType();
    DeleteFileA(notes.c_str());
    EXPECT_TRUE(opened) << "the shell did not open " << notes;
}

}  // namespace
