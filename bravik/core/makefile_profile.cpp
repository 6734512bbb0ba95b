#include "bravik/core/makefile_profile.h"

#include <stdint.h>
#include <string.h>

#include "bravik/core/cp932.h"

const char* const DefaultVariantLabels[2] = {
    "\x83\x8a\x83\x8a\x81\x5b\x83\x58\x94\xc5\x82\xcc\x83\x52\x83\x93\x83\x70\x83\x43\x83\x8b",  // リリース版のコンパイル
    "\x83\x66\x83\x6f\x83\x62\x83\x4f\x94\xc5\x82\xcc\x83\x52\x83\x93\x83\x70\x83\x43\x83\x8b",  // デバッグ版のコンパイル
};
const char* const DefaultVariantMacros[2] = {"nodebug=1", ""};

static const char* SkipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

// Optional sign and decimal digits from the start; anything else counts as 0.
// Accumulated in 64 bits and saturated to the 32-bit range, so that a long
// (32 bits on Windows, 64 natively) cannot make the builds disagree.
static int32_t ParseNumber(const char* p) {
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > (int64_t)INT32_MAX + 1) value = (int64_t)INT32_MAX + 1;
    }
    if (negative) value = -value;
    return value > INT32_MAX ? INT32_MAX : (int32_t)value;
}

// A piece of a long line that stops after a lead byte holds half a character;
// its partner starts the next piece.
static void DropHalfCharacter(char* line) {
    for (char* p = line; *p; p = (char*)cp932::Next(p))
        if (cp932::IsLeadByte((unsigned char)*p) && p[1] == '\0') *p = '\0';
}

static void SetFlag(SettingsRecord& s, uint8_t bit, bool on) {
    if (on)
        s.flags |= bit;
    else
        s.flags &= (uint8_t)~bit;
}

void PrepareMakefileName(const char* name, char* out, size_t size) {
    if (name[0] != '"') {
        cp932::CopyCut(out, size, name);
        return;
    }
    size_t len = cp932::CopyCut(out, size, name + 1);
    // A closing quote is a single byte, never the trail of a kanji, only when the
    // character walk lands on it.
    const char* last = nullptr;
    for (const char* p = out; *p; p = cp932::Next(p)) last = p;
    if (last && *last == '"' && (size_t)(last - out) == len - 1) out[len - 1] = '\0';
}

bool ParseVariantLine(const char* line, char* macros, char* label) {
    if (strncmp(line, "#Bravik", 7) != 0) return false;
    const char* p = SkipBlanks(line + 7);
    if (*p != '"') return false;
    ++p;
    const char* close = cp932::FindChar(p, '"');
    if (!close) return false;
    cp932::CopyCutN(macros, PROFILE_LINE_SIZE, p, (size_t)(close - p));
    p = SkipBlanks(close + 1);
    if (!*p) return false;
    cp932::CopyCut(label, PROFILE_LINE_SIZE, p);
    return true;
}

enum DirectiveKind { DIR_EXE, DIR_OPT, DIR_ENV, DIR_SENV, DIR_EDIT, DIR_EOPT, DIR_KIND, DIR_CLOSE, DIR_MULTI, DIR_ERRMSG, DIR_CUR };

static const struct {
    const char* name;
    DirectiveKind kind;
} Directives[] = {
    {"#BvExe", DIR_EXE},     {"#BvOpt", DIR_OPT},     {"#BvEnv", DIR_ENV},   {"#BvSenv", DIR_SENV},
    {"#BvEdit", DIR_EDIT},   {"#BvEopt", DIR_EOPT},   {"#BvKind", DIR_KIND}, {"#BvClose", DIR_CLOSE},
    {"#BvMulti", DIR_MULTI}, {"#BvErrmsg", DIR_ERRMSG}, {"#BvCur", DIR_CUR},
};

bool ApplyDirective(const char* line, SettingsRecord& s, char* envText, size_t envSize) {
    for (const auto& d : Directives) {
        size_t n = strlen(d.name);
        if (strncmp(line, d.name, n) != 0) continue;
        const char* value = SkipBlanks(line + n);
        int32_t number = ParseNumber(value);
        switch (d.kind) {
        case DIR_EXE: cp932::CopyCut(s.makeExe, sizeof s.makeExe, value); break;
        case DIR_OPT: cp932::CopyCut(s.makeOptions, sizeof s.makeOptions, value); break;
        case DIR_EDIT: cp932::CopyCut(s.editorExe, sizeof s.editorExe, value); break;
        case DIR_EOPT: cp932::CopyCut(s.editorOptions, sizeof s.editorOptions, value); break;
        case DIR_CUR: cp932::CopyCut(s.currentDir, sizeof s.currentDir, value); break;
        case DIR_ENV: {
            // A line that does not fit whole is left out rather than stored cut,
            // so a half variable never reaches the make child.
            size_t used = strlen(envText), add = strlen(value);
            if (used + add + 2 < envSize) {
                memcpy(envText + used, value, add);
                memcpy(envText + used + add, "\r\n", 3);
            }
            break;
        }
        case DIR_SENV:
            if (number == 0 || number == 1) SetFlag(s, FLAG_USE_SYSTEM_ENV, number == 1);
            break;
        case DIR_KIND: {
            // The number lands in the whole word that also holds the flags.
            s.editorKind = 0;
            SetKindFlagsWord(s, GetKindFlagsWord(s) | (uint32_t)number);
            break;
        }
        case DIR_CLOSE:
            if (number == 0 || number == 1) SetFlag(s, FLAG_CLOSE_ON_SUCCESS, number == 1);
            break;
        case DIR_MULTI:
            if (number == 0) SetFlag(s, FLAG_MULTI_SELECT, false);
            if (number == 1) s.flags |= FLAG_MULTI_SELECT | FLAG_CLOSE_ON_SUCCESS;
            break;
        case DIR_ERRMSG:
            if (*value >= '0' && *value <= '3') {
                int bits = *value - '0';
                SetFlag(s, FLAG_HIGHLIGHT_ERRORS, bits & 1);
                SetFlag(s, FLAG_HIGHLIGHT_JUMPABLE, bits & 2);
            }
            break;
        }
        return true;
    }
    return false;
}

int ReadMakefileProfile(FILE* f, SettingsRecord& s, VariantSink& sink) {
    char line[PROFILE_LINE_SIZE], macros[PROFILE_LINE_SIZE], label[PROFILE_LINE_SIZE];
    char envText[sizeof s.environment] = "";
    int result = 1, count = 0;

    while (fgets(line, (int)PROFILE_LINE_SIZE - 1, f)) {
        line[strcspn(line, "\r\n")] = '\0';
        DropHalfCharacter(line);
        if (strncmp(line, "#Bravik", 7) == 0) {
            if (count >= PROFILE_MAX_VARIANTS || !ParseVariantLine(line, macros, label)) continue;
            if (!sink.AddVariant(count, label, macros)) {
                result = 0;
                break;
            }
            ++count;
            continue;
        }
        ApplyDirective(line, s, envText, sizeof envText);
    }

    if (envText[0] || (s.flags & FLAG_USE_SYSTEM_ENV)) memcpy(s.environment, envText, sizeof envText);
    if (count == 0) {
        // A failed copy of a default's macros leaves that variant without them, silently.
        sink.AddVariant(0, DefaultVariantLabels[0], DefaultVariantMacros[0]);
        sink.AddVariant(1, DefaultVariantLabels[1], DefaultVariantMacros[1]);
    }
    return result;
}

int DirectoryOfMakefile(const char* makefilePath, const char* subPath, char* out, size_t size) {
    cp932::CopyCut(out, size, makefilePath);
    const char* sep = nullptr;
    for (const char* p = out; *p; p = cp932::Next(p))
        if (*p == '\\' || *p == '/' || *p == ':') sep = p;
    const char* title = sep ? sep + 1 : out;
    if (!*title) return 1;
    // C:\src\app.mak -> C:\src ; C:\app.mak -> C: ; app.mak -> ""
    size_t cut = (size_t)(title - out);
    if (cut > 0 && (out[cut - 1] == '\\' || out[cut - 1] == '/')) --cut;
    out[cut] = '\0';
    if (subPath && *subPath) {
        cp932::AppendCut(out, size, "\\");
        cp932::AppendCut(out, size, subPath);
    }
    return 0;
}
