#include "bravik/core/main.h"

#include <stdio.h>
#include <string.h>

#include "bravik/core/cp932.h"

CommandRoute RouteCommand(unsigned id) {
    id &= 0xFFFF;
    if (id >= 200 && id <= 300) return ROUTE_VARIANT;
    if (id == 3002) return ROUTE_LIST_NOTIFY;
    if (id >= 101 && id <= 109) return ROUTE_COMMAND;
    return ROUTE_DEFAULT;
}

bool AcceptsDroppedFile(const char* path) {
    return path && strlen(path) > 5 && cp932::FindText(path, ".mak") != nullptr;
}

static const char HelpFileName[] = "Bravik.hlp";
static const char HelpPageName[] = "Bravik.html";

void HelpFilePath(const char* exePath, char* out, size_t size) {
    const size_t tail = 10;  // strlen("BRAVIK.EXE")
    size_t len = strlen(exePath);
    const char* last = exePath + (len >= tail ? len - tail : 0);
    // The tail must begin a character: the second byte of a kanji can be a 'B'.
    if (len >= tail && cp932::IsCharStart(exePath, last) && cp932::EqualNoCase(last, "BRAVIK.EXE")) {
        char path[PATH_SIZE];
        cp932::CopyCutN(path, sizeof path, exePath, len - tail);
        cp932::AppendCut(path, sizeof path, HelpFileName);
        cp932::CopyCut(out, size, path);
    } else {
        cp932::CopyCut(out, size, HelpFileName);
    }
}

void HelpPagePath(const char* exePath, char* out, size_t size) {
    const char* slash = cp932::FindLastChar(exePath, '\\');
    const char* altSlash = cp932::FindLastChar(exePath, '/');
    if (altSlash && (!slash || altSlash > slash)) slash = altSlash;
    char path[PATH_SIZE] = "";
    if (slash) cp932::CopyCutN(path, sizeof path, exePath, (size_t)(slash - exePath) + 1);
    cp932::AppendCut(path, sizeof path, HelpPageName);
    cp932::CopyCut(out, size, path);
}

bool ComposeEditCommand(const char* editorExe, const char* makefilePath, char* out, size_t size) {
    if (size) out[0] = '\0';
    if (!editorExe[0] || !makefilePath[0]) return false;
    // A blank is below every trail byte, so the byte-wise look is safe; the
    // editor would take "C:\My Projects\app.mak" as two files.
    const char* quote = strchr(makefilePath, ' ') ? "\"" : "";
    size_t need = strlen(editorExe) + 1 + strlen(makefilePath) + 2 * strlen(quote) + 1;
    if (need > size) return false;
    snprintf(out, size, "%s %s%s%s", editorExe, quote, makefilePath, quote);
    return true;
}

ListPlacement PlaceVariantList(int clientWidth, int clientHeight, int toolbarHeight, int statusHeight) {
    ListPlacement p;
    p.x = 0;
    p.y = toolbarHeight + 2;
    p.width = clientWidth;
    p.height = clientHeight - statusHeight - toolbarHeight - 2;
    return p;
}

int RunVariantUntilDone(VariantRunner& runner, int index, bool* repeated) {
    int outcome = runner.RunVariant(index);
    bool again = false;
    while (outcome == RUN_RECOMPILE) {
        again = true;
        outcome = runner.RunVariant(index);
    }
    if (repeated) *repeated = again;
    return outcome;
}

int RunVariantBatch(VariantRunner& runner, SettingsRecord& settings, const int* indices, int count) {
    uint32_t saved = GetKindFlagsWord(settings);
    settings.flags |= FLAG_CLOSE_ON_SUCCESS;
    int outcome = RUN_CLOSED;
    bool repeated = false;
    for (int i = 0; i < count; ++i) {
        bool again = false;
        outcome = RunVariantUntilDone(runner, indices[i], &again);
        if (again) repeated = true;
        // The end button stops the batch even when its dialog had closed itself once.
        if (outcome == RUN_QUIT_PROGRAM) break;
        if (!runner.LastRunClosedItself() || repeated) break;
    }
    SetKindFlagsWord(settings, saved);
    return outcome;
}

AfterRunAction DecideAfterRun(int outcome, bool runAtStart) {
    AfterRunAction action = {false, false};
    if (outcome == RUN_QUIT_PROGRAM) action.postClose = true;
    if (runAtStart) {
        if (outcome == RUN_CLOSED)
            action.postClose = true;
        else
            action.showWindow = true;
    }
    return action;
}
