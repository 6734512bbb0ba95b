#include "bravik/core/settings.h"

#include <stdio.h>
#include <string.h>

const JumpKey JumpKeyTable[JUMP_KEY_COUNT] = {
    {"Enter", 13}, {"Space", 32},  {"Tab", 9},       {"Esc", 27},        {"Insert", 45},
    {"Delete", 46}, {"Home", 36},  {"End", 35},      {"PageUp", 33},     {"PageDown", 34},
    {nullptr, 112}, {nullptr, 113}, {nullptr, 114},  {nullptr, 115},     {nullptr, 116},
    {nullptr, 117}, {nullptr, 118}, {nullptr, 119},  {nullptr, 120},     {nullptr, 121},
    {nullptr, 122}, {nullptr, 123},
};

uint32_t GetKindFlagsWord(const SettingsRecord& s) {
    return (uint32_t)s.editorKind | ((uint32_t)s.flags << 8) | ((uint32_t)s.reservedWord << 16);
}

void SetKindFlagsWord(SettingsRecord& s, uint32_t word) {
    s.editorKind = (uint8_t)(word & 0xFF);
    s.flags = (uint8_t)((word >> 8) & 0xFF);
    s.reservedWord = (uint16_t)(word >> 16);
}

int JumpKeyVirtualCode(int32_t jumpKey) {
    if (jumpKey < 0 || jumpKey >= JUMP_KEY_COUNT) return 0;
    return JumpKeyTable[jumpKey].virtualKey;
}

void JumpKeyLabel(int32_t index, char* out, size_t size) {
    if (index < 0 || index >= JUMP_KEY_COUNT) index = 0;
    if (JumpKeyTable[index].name)
        snprintf(out, size, "[%s]", JumpKeyTable[index].name);
    else
        snprintf(out, size, "[F%d]", index - 9);
}

void DefaultSettings(SettingsRecord& s) {
    memset(&s, 0, sizeof s);
    s.formatTag = SETTINGS_FORMAT_TAG;
    s.statusBarShown = 1;
}

void DefaultPosition(WindowPosition& p) {
    p.x = POSITION_DEFAULT_XY;
    p.y = POSITION_DEFAULT_XY;
    p.width = 320;
    p.height = 280;
}

void ApplyLoadedSettings(SettingsRecord& record, bool queryOk, size_t bytesRead) {
    if (!queryOk) {
        DefaultSettings(record);
    } else if (bytesRead != sizeof(SettingsRecord)) {
        // An older, shorter record: keep what it holds; it never had a working directory.
        record.formatTag = SETTINGS_FORMAT_TAG;
        memset(record.currentDir, 0, sizeof record.currentDir);
    }
}

WindowPosition PositionToStore(int normalLeft, int normalTop, int normalRight, int normalBottom, int workLeft,
                               int workTop, bool minimised, int windowLeft) {
    WindowPosition p;
    p.x = normalLeft + workLeft;
    p.y = normalTop + workTop;
    p.width = normalRight - normalLeft;
    p.height = normalBottom - normalTop;
    // A maximised window keeps its normal size, but its left edge is where it
    // really is now (so a window maximised on a second monitor reopens there).
    if (!minimised && windowLeft != p.x) p.x = windowLeft;
    return p;
}

void ApplySettingsDialogChoices(SettingsRecord& settings, const SettingsDialogChoices& choices) {
    // A missing selection must not become the word 0xFFFFFFFF: that would turn
    // on every flag while the check boxes showed them off.
    uint32_t kind = choices.editorKind < 0 ? 0u : (uint32_t)choices.editorKind;
    SetKindFlagsWord(settings, kind);
    if (choices.toolbarStyle >= 0) settings.toolbarStyle = choices.toolbarStyle;
    if (choices.jumpKey >= 0) settings.jumpKey = choices.jumpKey;
    if (choices.useSystemEnv) settings.flags |= FLAG_USE_SYSTEM_ENV;
    if (choices.closeOnSuccess) settings.flags |= FLAG_CLOSE_ON_SUCCESS;
    if (choices.multiSelect) settings.flags |= FLAG_MULTI_SELECT;
    if (choices.highlightErrors) settings.flags |= FLAG_HIGHLIGHT_ERRORS;
    if (choices.highlightJumpable) settings.flags |= FLAG_HIGHLIGHT_JUMPABLE;
}
