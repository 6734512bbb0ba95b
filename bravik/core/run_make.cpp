#include "bravik/core/run_make.h"

#include <string.h>

#include "bravik/core/cp932.h"

const char* MakefileTitle(const char* makefilePath) {
    const char* title = makefilePath;
    for (const char* p = makefilePath; *p; p = cp932::Next(p))
        if (*p == '\\' || *p == '/' || *p == ':') title = p + 1;
    return title;
}

const char* MakefileOperand(const char* makefilePath, const char* currentDir) {
    return currentDir[0] ? makefilePath : MakefileTitle(makefilePath);
}

static bool HasBlank(const char* text) { return cp932::FindChar(text, ' ') || cp932::FindChar(text, '\t'); }

// A path with a blank would reach make as two arguments.
static bool NeedsQuotes(const char* operand) { return HasBlank(operand); }

void MakeWorkingDirectory(const char* makefileDir, const char* currentDir, char* out, size_t size) {
    cp932::CopyCut(out, size, currentDir[0] ? currentDir : makefileDir);
    // "C:" alone is the drive's current directory, wherever that is; a
    // makefile in the drive's root runs in the root.
    if (!currentDir[0] && out[0] && out[1] == ':' && !out[2]) cp932::AppendCut(out, size, "\\");
}

int ExpandMakeOptions(const char* options, const char* operand, char* out, size_t size) {
    size_t length = 0;
    bool operandPlaced = false;
    // A cut command line would run make on something else than the user
    // asked for, so a text that does not fit is refused rather than shortened.
    auto put = [&](const char* text, size_t n) {
        if (length + n >= size) return false;
        memcpy(out + length, text, n);
        length += n;
        return true;
    };
    for (const char* p = options; *p;) {
        const char* next = cp932::Next(p);
        bool fits;
        if (p[0] == '%' && p[1] == 's' && !operandPlaced) {
            // Options that quote "%s" themselves get the operand bare.
            bool quote = NeedsQuotes(operand) && !(p > options && p[-1] == '"' && p[2] == '"');
            fits = (!quote || put("\"", 1)) && put(operand, strlen(operand)) && (!quote || put("\"", 1));
            operandPlaced = true;
            next = p + 2;
        } else if (p[0] == '%' && p[1] == '%') {
            fits = put("%", 1);
            next = p + 2;
        } else {
            fits = put(p, (size_t)(next - p));
        }
        if (!fits) {
            if (size) out[0] = '\0';
            return 0;
        }
        p = next;
    }
    out[length] = '\0';
    return 1;
}

int ComposeMakeCommand(const char* makeExe, const char* makeOptions, const char* operand, const char* macros,
                       char* out) {
    out[0] = '\0';
    const char* parts[8];
    int count = 0;
    char expanded[MAKE_OPTIONS_SIZE];
    const char* quote = NeedsQuotes(operand) ? "\"" : "";
    parts[count++] = makeExe;
    if (!makeOptions[0]) {
        parts[count++] = " /f ";
        parts[count++] = quote;
        parts[count++] = operand;
        parts[count++] = quote;
    } else if (cp932::FindText(makeOptions, "%s")) {
        if (!ExpandMakeOptions(makeOptions, operand, expanded, sizeof expanded)) return MAKE_OPTIONS_TOO_LONG;
        parts[count++] = " ";
        parts[count++] = expanded;
    } else {
        parts[count++] = " ";
        parts[count++] = makeOptions;
        parts[count++] = " /f ";
        parts[count++] = quote;
        parts[count++] = operand;
        parts[count++] = quote;
    }
    size_t total = 0;
    for (int i = 0; i < count; ++i) total += strlen(parts[i]);
    size_t macroLength = macros ? strlen(macros) : 0;
    if (macroLength) total += 1 + macroLength;
    if (total >= MAKE_COMMAND_SIZE) return MAKE_COMMAND_TOO_LONG;

    for (int i = 0; i < count; ++i) strcat(out, parts[i]);
    if (macroLength) {
        strcat(out, " ");
        strcat(out, macros);
    }
    return MAKE_COMMAND_OK;
}
