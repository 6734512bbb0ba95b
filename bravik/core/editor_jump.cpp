#include "bravik/core/editor_jump.h"

#include <stdio.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/settings.h"

const char* const HidemaruJumpDialogKey =
    "\x01"
    "\x8e\x77\x92\xe8\x8d\x73\x82\xd6\x82\xcc\x88\xda\x93\xae" /* 指定行への移動 */;
const char* const BravikTitleMark = " - BRAVIK";

void FinishCaretLine(char* text) {
    for (char* p = text; *p; p = (char*)cp932::Next(p)) {
        if (*p == '\r' || *p == '\n') {
            *p = '\0';
            return;
        }
        if (cp932::IsLeadByte((unsigned char)*p) && p[1] == '\0') {
            *p = '\0';
            return;
        }
    }
}

bool IsRootedName(const char* name) {
    // A lead byte is never followed by ':' (0x3A is no trail byte), so the
    // second byte tells a drive letter apart without walking characters.
    return name[0] == '\\' || (name[0] != '\0' && name[1] == ':');
}

int CompleteJumpPath(char* out, size_t size, const char* makefileDir, const char* name) {
    if (size == 0) return 0;
    out[0] = '\0';
    // A makefile opened by a bare name lives in the current directory, where
    // the make child ran: its output names files relative to there, not to
    // the root of the drive.
    if (IsRootedName(name) || makefileDir[0] == '\0') {
        if (strlen(name) >= size) return 0;
        strcpy(out, name);
        return 1;
    }
    size_t dirLen = strlen(makefileDir), nameLen = strlen(name);
    if (dirLen + 1 + nameLen >= size) return 0;
    memcpy(out, makefileDir, dirLen);
    out[dirLen] = '\\';
    memcpy(out + dirLen + 1, name, nameLen + 1);
    return 1;
}

void EditorStartDirectory(char* out, size_t size, const char* makefileDir) {
    cp932::CopyCut(out, size, makefileDir);
    // "C:" is the drive's current directory, which need not be where the
    // makefile is; the root is what the path completion meant.
    if (out[0] != '\0' && out[1] == ':' && out[2] == '\0') cp932::AppendCut(out, size, "\\");
}

bool FormatEditorOptions(char* out, size_t size, const char* options, int line) {
    const char* conversion = cp932::FindText(options, "%d");
    if (!conversion) {
        cp932::CopyCut(out, size, options);
        return false;
    }
    // The options are the user's text, never a format string: only this one
    // "%d" is replaced, so a stray "%s" cannot read what is not there.
    char number[16];
    snprintf(number, sizeof number, "%d", line);
    cp932::CopyCutN(out, size, options, (size_t)(conversion - options));
    cp932::AppendCut(out, size, number);
    cp932::AppendCut(out, size, conversion + 2);
    return true;
}

static bool HasBlank(const char* text) {
    return cp932::FindChar(text, ' ') || cp932::FindChar(text, '\t');
}

int ComposeEditorCommand(char* out, size_t size, const char* editorExe, const char* editorOptions, int line,
                         const char* fileName, bool* lineAlreadyPassed) {
    *lineAlreadyPassed = false;
    if (size == 0) return 0;
    out[0] = '\0';
    const char* parts[7];
    int count = 0;
    char options[JUMP_OPTIONS_SIZE];
    if (editorExe[0] != '\0') {
        parts[count++] = editorExe;
        if (editorOptions[0] != '\0') {
            *lineAlreadyPassed = FormatEditorOptions(options, sizeof options, editorOptions, line);
            parts[count++] = " ";
            parts[count++] = options;
        }
        parts[count++] = " ";
    }
    // Unquoted, "C:\Program Files\a.c" would reach the editor as two names.
    const char* quote = HasBlank(fileName) ? "\"" : "";
    parts[count++] = quote;
    parts[count++] = fileName;
    parts[count++] = quote;
    size_t total = 0;
    for (int i = 0; i < count; ++i) total += strlen(parts[i]);
    if (total >= size) return 0;
    for (int i = 0; i < count; ++i) strcat(out, parts[i]);
    return 1;
}

bool KeyNeedsFileTitle(const char* name) {
    return cp932::FindChar(name, '\\') != nullptr;
}

void PrepareSearchKey(char* out, size_t size, const char* key) {
    cp932::CopyCut(out, size, key);
    cp932::UpperAscii(out);
}

bool TitleMatchesKey(const char* title, const char* preparedKey, bool hasParentOrOwner,
                     bool visible) {
    if (preparedKey[0] == EXACT_KEY_MARK) return cp932::EqualNoCase(title, preparedKey + 1);
    // An empty key is contained in every title and would pick a random window.
    if (preparedKey[0] == '\0' || hasParentOrOwner || !visible) return false;
    char upper[JUMP_TITLE_SIZE];
    PrepareSearchKey(upper, sizeof upper, title);
    if (cp932::FindText(upper, BravikTitleMark)) return false;
    return cp932::FindText(upper, preparedKey) != nullptr;
}

bool ShouldPositionLine(bool windowKnown, int line, bool lineAlreadyPassed, int editorKind) {
    return windowKnown && line > 0 && !lineAlreadyPassed && editorKind == EDITOR_HIDEMARU;
}
