// The editor jump from a RichEdit20A pane into tools/fakehidemaru (Hidemaru's jump protocol, with a record
// of what it was asked). Notepad as the editor is checked by tests/e2e/release.sh.
#include "bravik/ui/editor_jump.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "bravik/core/editor_jump.h"
#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

namespace {

const std::string FakeEditor = ProgramDirectory() + "tools\\fakehidemaru\\fakehidemaru.exe";

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
        SetEnvironmentVariableA("FAKEHIDEMARU_RESULT", (dir + "\\result.txt").c_str());
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
        for (size_t at = 0; (at = Records().find("\npid ", at)) != std::string::npos; ++at)
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, atoi(&Records()[at + 5])))
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
    std::string Records() const { return "\n" + ReadFileText(dir + "\\result.txt"); }  // the editor's record, CR LF lines
    int Count(const std::string& record) const {
        int n = 0;
        for (size_t at = 0; (at = Records().find("\n" + record + "\r\n", at)) != std::string::npos; ++at) ++n;
        return n;
    }
    std::string After(const std::string& prefix) const {
        std::string records = Records();
        size_t at = records.find("\n" + prefix);
        return at == std::string::npos ? "<none>" : records.substr(at + 1 + prefix.size(), records.find('\r', at) - at - 1 - prefix.size());
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
    const std::string error = "src\\main.c(12) : error C2065", opened = "open " + main;
    const struct { std::string line; const char *options, *variable; int kind, earlier; std::string open, cmdline; int dialogs, ignored; const char* jump; } cases[] = {
        {error, "", "FAKEHIDEMARU_DELAY_MS", EDITOR_HIDEMARU, 0, opened, "<none>", 1, 0, "12"},  // idle before its window
        {error, "/j%d", nullptr, EDITOR_HIDEMARU, 0, opened, "12", 0, 0, "<none>"},
        {error, "", nullptr, EDITOR_UNSUPPORTED, 0, opened, "<none>", 0, 0, "<none>"},
        {error, "", "FAKEHIDEMARU_NODIALOG", EDITOR_HIDEMARU, 0, opened, "<none>", 0, 1, "<none>"},
        {"src\\main.c", "", nullptr, EDITOR_HIDEMARU, 0, opened, "<none>", 0, 0, "<none>"},
        {error, "/j%d", nullptr, EDITOR_HIDEMARU, SW_SHOWNORMAL, opened, "<none>", 1, 0, "12"},
        {error, "/j%d", nullptr, EDITOR_HIDEMARU, SW_SHOWMINNOACTIVE, opened, "<none>", 1, 0, "12"},
        {"app.mak:3: *** missing separator.  Stop.", "", nullptr, EDITOR_HIDEMARU, 0, "open " + dir + "\\app.mak", "<none>", 1, 0, "3"},
        {"missing.c(3) : error C1083", "", nullptr, EDITOR_HIDEMARU, 0, "", "", 0, 0, ""}, {"LINK : fatal error L1104", "", nullptr, 1, 0, "", "", 0, 0, ""},
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
        if (c.variable) SetEnvironmentVariableA(c.variable, strcmp(c.variable, "FAKEHIDEMARU_NODIALOG") ? "1500" : "1");
        HWND earlier = c.earlier ? (WinExec(("\"" + FakeEditor + "\" " + main).c_str(), c.earlier), EditorWindow()) : nullptr;
        if (earlier) SetForegroundWindow(host);
        ASSERT_EQ(c.earlier == SW_SHOWMINNOACTIVE, earlier && IsIconic(earlier));
        DWORD begun = GetTickCount();
        JumpFromLine(c.line);
        EXPECT_LT(GetTickCount() - begun, 20000u) << "the dialog search waited on the hung window";
        if (c.open.empty()) {
            EXPECT_FALSE(FindWindowA("FakeHidemaru", nullptr)) << "an editor was started";
        } else {
            ASSERT_TRUE(PostMessageA(EditorWindow(), WM_APP, 0, 0));  // handled after all the jump posted
            ASSERT_TRUE(WaitFor([&] { return Count("mark") == 1; }, 10000));
            EXPECT_EQ(1, Count(c.open)) << "no editor, or a second one";
            EXPECT_EQ(0, lstrcmpiA(After("cwd ").c_str(), (earlier ? dir + "\\other" : dir).c_str())) << After("cwd ");
            EXPECT_EQ(std::make_tuple(c.cmdline, c.dialogs, c.ignored, std::string(c.jump)),
                      std::make_tuple(After("cmdline-line "), Count("dialog"), Count("ignored"), After("jump ")));
        }
        EXPECT_TRUE(!earlier || (!IsIconic(earlier) && (c.earlier != SW_SHOWNORMAL || GetForegroundWindow() == earlier)));
        if (c.variable) SetEnvironmentVariableA(c.variable, nullptr);
        EndStartedEditors();
    }
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    for (HWND w : windows) DestroyWindow(w);
}

// 511 bytes are the most a command line holds: a longer one is refused, never cut.
TEST_F(EditorJumpTest, AnOverlongEditorCommandLineIsRefused) {
    size_t slash = FakeEditor.rfind('\\');  // ".\" segments lengthen both paths
    std::string exe = "\"" + FakeEditor.substr(0, slash + 1) + Repeat(".\\", (249 - FakeEditor.size()) / 2) + FakeEditor.substr(slash + 1) + "\"";
    std::string name = "src\\" + Repeat(".\\", 90) + "main.c";
    strcpy(AppState.settings.editorExe, exe.c_str());
    for (size_t length : {511, 512}) {
        strcpy(AppState.settings.editorOptions, ("/" + std::string(length - exe.size() - name.size() - 3, 'o')).c_str());
        const std::string& seen = ShowingBoxes([&] { JumpFromLine(name + "(12) : error C2065"); });
        EXPECT_EQ(length == 511 ? "" : "Bravik|icon|エディタのコマンドラインが511バイトを超えるため実行できません。\n", seen);
        EXPECT_EQ(length == 511, WaitFor([&] { return Count("open " + main) == 1; }, length == 511 ? 10000 : 500));
        EndStartedEditors();
    }
}

}  // namespace
