// The editor jump from a RichEdit20A pane into tools/bvrecord playing the Hidemaru editor (its jump protocol,
// with a record of what it was asked). Notepad as the editor is checked by tests/e2e/release.sh.
#include "bravik/ui/editor_jump.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "bravik/core/editor_jump.h"
#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

namespace {

const std::string FakeEditor = ProgramDirectory() + "tools\\bvrecord\\bvrecord.exe";

HWND EditorWindow() {  // the test's own search, not the one under test
    HWND editor = nullptr;
    WaitFor([&] { return (editor = FindWindowA("FakeHidemaru", nullptr)) && IsWindowVisible(editor); }, 10000);
    return editor;
}

HWND TopWindow(const char* title, DWORD style, HWND owner) {
    return CreateWindowA("STATIC", title, style | WS_VISIBLE, 0, 0, 500, 300, owner, nullptr, nullptr, nullptr);
}

DWORD WINAPI HangingDialog(void* release) {
    HWND window = CreateWindowA("#32770", "hung", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    WaitForSingleObject((HANDLE)release, INFINITE);
    DestroyWindow(window);
    return 0;
}

class EditorJumpTest : public ::testing::Test {
  protected:
    // One run dialog stand-in: Wine takes two seconds to destroy a visible top-level window without a manager.
    static void SetUpTestSuite() {
        LoadLibraryA("RICHED20.DLL");
        host = TopWindow("run dialog stand-in", WS_OVERLAPPEDWINDOW, nullptr);
        pane = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 0, 480, 260, host, nullptr, nullptr, nullptr);
        SendMessageA(pane, EM_EXLIMITTEXT, 0, 1 << 24);
    }
    static void TearDownTestSuite() { DestroyWindow(host); }
    void SetUp() override {
        for (const char* d : {"", "\\src", "\\other"}) CreateDirectoryA((dir + d).c_str(), nullptr);
        WriteFileText(main, "int main(void)\n{\n    return x;\n}\n");
        WriteFileText(dir + "\\app.mak", "#Bravik \"\" all\nall:\n\tcl src\\main.c\n");
        SetEnvironmentVariableA("BVRECORD_LOG", (dir + "\\result.txt").c_str());
        SetEnvironmentVariableA("BVRECORD_HIDEMARU", "1");
        memset(&AppState, 0, sizeof AppState);
        strcpy(AppState.resourceName, "Bravik");
        strcpy(AppState.makefilePath, (dir + "\\app.mak").c_str());
        strcpy(AppState.settings.editorExe, ("\"" + FakeEditor + "\"").c_str());
        AppState.settings.editorKind = EDITOR_HIDEMARU;
    }
    void TearDown() override {
        EndStartedEditors();
        SetCurrentDirectoryA(ProgramDirectory().c_str());
        for (const char* f : {"\\src\\main.c", "\\app.mak"}) DeleteFileA((dir + f).c_str());
        for (const char* d : {"\\src", "\\other", ""}) RemoveDirectoryA((dir + d).c_str());
    }
    void EndStartedEditors() {
        std::string records = "\n" + ReadFileText(dir + "\\result.txt");
        for (size_t at = 0; (at = records.find("\npid ", at)) != std::string::npos; ++at)
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, atoi(&records[at + 5])))
                TerminateProcess(process, 0), WaitForSingleObject(process, 5000), CloseHandle(process);
        DeleteFileA((dir + "\\result.txt").c_str());
    }
    // Fills the pane with lines, the caret two characters into line n; the pane keeps one break character per line.
    void FillPane(const std::vector<std::string>& lines, size_t n) {
        std::string text;
        LRESULT at = std::min<size_t>(lines[n].size(), 2);
        for (size_t i = 0; i < lines.size(); ++i) text += lines[i] + "\r\n", at += i < n ? MultiByteToWideChar(CP_ACP, 0, lines[i].c_str(), -1, nullptr, 0) : 0;
        SetWindowTextA(pane, "");
        SendMessageA(pane, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
        SendMessageA(pane, EM_SETSEL, at, at);
    }
    void JumpFromLine(const std::string& line) {
        FillPane({"make -f app.mak", line, "NMAKE : fatal error U1077: return code '0x2'"}, 1);
        EditorJump(pane);
    }
    // What the editors were asked, "open ...|cwd ...|...|": their records but the command lines and the process ids.
    std::string Transcript() const {
        std::string records = ReadFileText(dir + "\\result.txt"), asked;
        for (size_t at = 0, end; (end = records.find("\r\n", at)) != std::string::npos; at = end + 2)
            if (records[at] != '"' && records.compare(at, 4, "pid ")) asked += records.substr(at, end - at) + "|";
        return asked;
    }
    const std::string dir = TempDirectory() + "bvjump" + std::to_string(GetCurrentProcessId()), main = dir + "\\src\\main.c";
    inline static HWND host, pane;
};

// Past character 65535 (the packed EM_GETSEL), on a wrapped line's last screen line, cut between characters.
TEST_F(EditorJumpTest, CaretLineIsTheWholeOutputLineCutBetweenCharacters) {
    std::vector<std::string> lines(1000, std::string(70, 'a'));
    std::string wrapped = "C:\\" + std::string(120, 'w') + "\\src\\main.c(12) : error C2065: " + std::string(100, 'x'), kanji;
    kanji = Repeat("表", 600);
    lines.insert(lines.end(), {wrapped, "after", kanji});
    char line[1024];
    for (size_t n : {1000, 1002}) {
        FillPane(lines, n);
        if (n == 1000) {  // the caret onto the wrapped line's last screen line
            CHARRANGE caret;
            SendMessageA(pane, EM_EXGETSEL, 0, (LPARAM)&caret);
            LRESULT at = SendMessageA(pane, EM_LINEINDEX, SendMessageA(pane, EM_EXLINEFROMCHAR, 0, caret.cpMin) + 2, 0) + 1;
            SendMessageA(pane, EM_SETSEL, at, at);
        }
        memset(line, 0x7F, sizeof line);
        EXPECT_EQ(n == 1000 ? wrapped : kanji.substr(0, 510), std::string(line, ReadCaretLine(pane, line)));
        EXPECT_EQ(std::string(sizeof line - JUMP_LINE_SIZE, 0x7F), std::string(line + JUMP_LINE_SIZE, sizeof line - JUMP_LINE_SIZE));
    }
}

// Bravik runs elsewhere while a dialog hangs: the editor starts in the makefile's directory, never takes Bravik's
// windows for itself, and an editor opened earlier (shown or minimised) is brought up and driven by the dialog.
TEST_F(EditorJumpTest, WhatTheEditorIsAskedSettingBySetting) {
    const std::string error = "src\\main.c(12) : error C2065";
    // Which diagnostics name a file and whether the line is passed are the native tests': here each way through the jump.
    const struct { std::string line; const char *options, *variable; int kind, earlier; const char* asked; } cases[] = {
        {error, "", "BVRECORD_DELAY_MS", EDITOR_HIDEMARU, 0, "dialog|jump 12|"},  // idle before its window
        {error, "/j%d", nullptr, EDITOR_HIDEMARU, 0, "cmdline-line 12|"}, {error, "", nullptr, EDITOR_UNSUPPORTED, 0, ""},
        {error, "", "BVRECORD_NODIALOG", EDITOR_HIDEMARU, 0, "ignored|"},
        {error, "/j%d", nullptr, EDITOR_HIDEMARU, SW_SHOWNORMAL, "dialog|jump 12|"},  // the line once more, by the dialog
        {error, "/j%d", nullptr, EDITOR_HIDEMARU, SW_SHOWMINNOACTIVE, "dialog|jump 12|"},
        {"missing.c(3) : error C1083", "", nullptr, EDITOR_HIDEMARU, 0, nullptr},  // no such file: no editor
    };
    strcpy(AppState.settings.currentDir, (dir + "\\other").c_str());
    SetCurrentDirectoryA((dir + "\\other").c_str());
    HWND windows[] = {TopWindow("app.mak - Bravik", WS_OVERLAPPEDWINDOW, nullptr), TopWindow("main.c - preview", WS_POPUP | WS_CAPTION, host),
                      TopWindow("main.c - run", WS_CAPTION, host)};  // like the run dialog: GetParent is NULL
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr), thread = CreateThread(nullptr, 0, HangingDialog, release, 0, nullptr);
    ASSERT_TRUE(WaitFor([] { return FindWindowA("#32770", "hung") != nullptr; }, 5000));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + " " + c.options + " kind " + std::to_string(c.kind) + " " + (c.variable ? c.variable : "") + " " + std::to_string(c.earlier));
        strcpy(AppState.settings.editorOptions, c.options);
        AppState.settings.editorKind = c.kind;
        if (c.variable) SetEnvironmentVariableA(c.variable, strcmp(c.variable, "BVRECORD_NODIALOG") ? "1500" : "1");
        HWND earlier = c.earlier ? (WinExec(("\"" + FakeEditor + "\" " + main).c_str(), c.earlier), EditorWindow()) : nullptr;
        if (earlier) SetForegroundWindow(host);
        ASSERT_EQ(c.earlier == SW_SHOWMINNOACTIVE, earlier && IsIconic(earlier));
        DWORD begun = GetTickCount();
        JumpFromLine(c.line);
        EXPECT_LT(GetTickCount() - begun, 20000u) << "the dialog search waited on the hung window";
        if (!c.asked) {
            EXPECT_FALSE(FindWindowA("FakeHidemaru", nullptr)) << "an editor was started";
        } else {  // one editor, opened on the file in its directory, asked just that
            ASSERT_TRUE(PostMessageA(EditorWindow(), WM_APP, 0, 0));  // handled after all the jump posted
            WaitFor([&] { return EndsWith(Transcript(), "mark|"); }, 10000);
            EXPECT_EQ("open " + main + "|cwd " + (earlier ? dir + "\\other" : dir) + "|" + c.asked + "mark|", Transcript());
        }
        EXPECT_TRUE(!earlier || (!IsIconic(earlier) && (c.earlier != SW_SHOWNORMAL || GetForegroundWindow() == earlier)));
        if (c.variable) SetEnvironmentVariableA(c.variable, nullptr);
        EndStartedEditors();
    }
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    for (HWND w : windows) DestroyWindow(w);
}

}  // namespace
