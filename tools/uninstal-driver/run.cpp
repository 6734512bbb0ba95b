// Drives UnInstal.exe through its dialog from another process, the way a
// user would: read the texts, click the check boxes, press OK or Cancel,
// answer the folder browser and the message box, wait for the end.
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "driver.h"

namespace {

const int kBoxes[] = {304, 305, 308};
const DWORD kStepMs = 50;

struct RunOptions {
    const char* exe = nullptr;
    const char* boxes = nullptr;  // per box '1' tick, '0' clear, '-' leave
    const char* press = "ok";
    const char* browser = "cancel";  // "cancel", "ok" or "pick:NAME"
    DWORD holdMs = 0;
    DWORD timeoutMs = 20000;
    const char* shots = nullptr;  // path prefix of the screenshots, or none
};

// Saves what the screen shows of a window as a 24-bit BMP.
void SaveShot(HWND window, const RunOptions& options, const char* what) {
    if (!options.shots) return;
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::vector<char> pixels((size_t)((width * 3 + 3) & ~3) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), (BITMAPINFO*)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    BITMAPFILEHEADER head = {};
    head.bfType = 0x4D42;
    head.bfOffBits = sizeof head + sizeof info;
    head.bfSize = head.bfOffBits + (DWORD)pixels.size();
    std::string path = std::string(options.shots) + "-" + what + ".bmp";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, &head, sizeof head, &written, NULL);
    WriteFile(file, &info, sizeof info, &written, NULL);
    WriteFile(file, pixels.data(), (DWORD)pixels.size(), &written, NULL);
    CloseHandle(file);
}

std::string Text(HWND window) {
    wchar_t text[2048] = L"";
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        &result);
    return Utf8(text);
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string OneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

struct Search {
    DWORD processId;
    std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam) {
    Search* search = (Search*)lParam;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->processId && IsWindowVisible(window) && ClassOf(window) == "#32770")
        search->dialogs.push_back(window);
    return TRUE;
}

std::vector<HWND> Dialogs(DWORD processId) {
    Search search = {processId, {}};
    EnumWindows(CollectDialog, (LPARAM)&search);
    return search.dialogs;
}

struct Children {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam) {
    ((Children*)lParam)->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    Children children;
    EnumChildWindows(parent, CollectChild, (LPARAM)&children);
    return children.windows;
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void DescribeDialog(HWND dialog) {
    Say("title: " + Text(dialog));
    Say("message: " + OneLine(Text(GetDlgItem(dialog, 300))));
    for (int id : kBoxes) {
        HWND box = GetDlgItem(dialog, id);
        bool checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        Say("box " + std::to_string(id) + (checked ? " ticked" : " clear") +
            (IsWindowEnabled(box) ? " enabled" : " disabled") + " " + Text(box));
    }
    Say("button ok: " + Text(GetDlgItem(dialog, IDOK)));
    Say("button cancel: " + Text(GetDlgItem(dialog, IDCANCEL)));
}

void SetBoxes(HWND dialog, const char* boxes) {
    for (int i = 0; i < 3 && boxes[i]; ++i) {
        if (boxes[i] == '-') continue;
        HWND box = GetDlgItem(dialog, kBoxes[i]);
        bool want = boxes[i] == '1';
        bool checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (want == checked) continue;
        if (!IsWindowEnabled(box)) {
            Say("box " + std::to_string(kBoxes[i]) + " is disabled: left as it is");
            continue;
        }
        SendMessageA(box, BM_CLICK, 0, 0);
        checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (want != checked) Say("box " + std::to_string(kBoxes[i]) + " did not change");
    }
}

// Answers a dialog that is not the uninstall dialog: the folder browser
// (it holds a tree view) or the message box.
void Answer(HWND window, const RunOptions& options) {
    HWND tree = NULL;
    std::vector<std::string> texts;
    for (HWND child : ChildrenOf(window)) {
        std::string kind = ClassOf(child);
        if (kind == "SysTreeView32") tree = child;
        if (kind == "Static") {
            std::string text = Text(child);
            if (!text.empty()) texts.push_back(OneLine(text));
        }
    }
    if (tree) {
        SaveShot(window, options, "browser");
        Say("browser: " + Text(window));
        for (const std::string& text : texts) Say("browser text: " + text);
        // "pick:NAME" types the name into the tree, whose incremental search
        // selects the folder of that name, then confirms.
        if (strncmp(options.browser, "pick:", 5) == 0) {
            for (const char* p = options.browser + 5; *p; ++p) PostMessageA(tree, WM_CHAR, (WPARAM)(unsigned char)*p, 1);
            Sleep(500);
        }
        Press(window, strcmp(options.browser, "cancel") == 0 ? IDCANCEL : IDOK);
        return;
    }
    SaveShot(window, options, "msgbox");
    Say("msgbox title: " + Text(window));
    for (const std::string& text : texts) Say("msgbox text: " + text);
    Press(window, IDOK);
}

bool ParseRunOptions(int argc, char** argv, RunOptions* options) {
    if (argc < 3) return false;
    options->exe = argv[2];
    for (int i = 3; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--boxes") == 0)
            options->boxes = argv[i + 1];
        else if (strcmp(argv[i], "--press") == 0)
            options->press = argv[i + 1];
        else if (strcmp(argv[i], "--browser") == 0)
            options->browser = argv[i + 1];
        else if (strcmp(argv[i], "--hold-ms") == 0)
            options->holdMs = (DWORD)atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--shots") == 0)
            options->shots = argv[i + 1];
        else
            return false;
    }
    return (argc - 3) % 2 == 0;
}

}  // namespace

int RunCommand(int argc, char** argv) {
    RunOptions options;
    if (!ParseRunOptions(argc, argv, &options)) return 2;
    // The uninstaller runs in its own folder, as when started from there: its
    // batch then lands in the root of that drive.
    std::string directory = options.exe;
    directory.resize(directory.rfind('\\'));
    std::string commandLine = "\"" + std::string(options.exe) + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // Detached, as when started from the shell: the batch it starts must not
    // write into this program's console.
    if (!CreateProcessA(options.exe, &commandLine[0], NULL, NULL, FALSE, DETACHED_PROCESS, NULL, directory.c_str(), &startup,
                        &process)) {
        Say("start failed " + std::to_string(GetLastError()));
        return 1;
    }
    CloseHandle(process.hThread);

    HWND dialog = NULL;
    for (DWORD waited = 0; !dialog && waited < options.timeoutMs; waited += kStepMs) {
        for (HWND window : Dialogs(process.dwProcessId))
            if (GetDlgItem(window, 304)) dialog = window;
        if (!dialog) Sleep(kStepMs);
    }
    int result = 1;
    if (!dialog) {
        Say("no dialog");
    } else {
        DescribeDialog(dialog);
        if (options.boxes) SetBoxes(dialog, options.boxes);
        if (options.holdMs) Sleep(options.holdMs);
        SaveShot(dialog, options, "dialog");
        Press(dialog, strcmp(options.press, "cancel") == 0 ? IDCANCEL : IDOK);
        std::set<HWND> answered;
        for (DWORD waited = 0; waited < options.timeoutMs; waited += kStepMs) {
            if (WaitForSingleObject(process.hProcess, kStepMs) == WAIT_OBJECT_0) {
                result = 0;
                break;
            }
            for (HWND window : Dialogs(process.dwProcessId)) {
                if (window == dialog || answered.count(window)) continue;
                Sleep(200);  // let the box finish painting its texts
                Answer(window, options);
                answered.insert(window);
            }
        }
    }
    if (result != 0) {
        Say("timeout: uninstaller ended by force");
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        Say("exit " + std::to_string(code));
    }
    CloseHandle(process.hProcess);
    return result;
}
