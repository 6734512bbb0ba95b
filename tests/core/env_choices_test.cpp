#include "bravik/core/env_choices.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

SettingsRecord Stored() {
    SettingsRecord s;
    DefaultSettings(s);
    s.editorKind = EDITOR_HIDEMARU;
    s.flags = FLAG_CLOSE_ON_SUCCESS | FLAG_MULTI_SELECT | 0x08;
    s.reservedWord = 0xBEEF;
    s.toolbarStyle = 3;
    s.jumpKey = 15;
    return s;
}

EnvDialogChoices Nothing() {
    EnvDialogChoices c;
    memset(&c, 0, sizeof c);
    return c;
}

}  // namespace

TEST(EnvChoices, CheckBoxesRebuildTheFlagsFromScratch) {
    struct Case {
        bool sys, close, multi, errors, jump;
        uint8_t flags;
    } cases[] = {
        {false, false, false, false, false, 0},
        {true, false, false, false, false, FLAG_USE_SYSTEM_ENV},
        {false, true, false, false, false, FLAG_CLOSE_ON_SUCCESS},
        {false, false, true, false, false, FLAG_MULTI_SELECT},
        {false, false, false, true, false, FLAG_HIGHLIGHT_ERRORS},
        {false, false, false, false, true, FLAG_HIGHLIGHT_JUMPABLE},
        {true, true, true, true, true, 0x37},
    };
    for (const Case& c : cases) {
        SettingsRecord s = Stored();
        EnvDialogChoices ch = Nothing();
        ch.editorKind = 1;
        ch.toolbarStyle = 0;
        ch.jumpKey = 0;
        ch.useSystemEnv = c.sys;
        ch.closeOnSuccess = c.close;
        ch.multiSelect = c.multi;
        ch.highlightErrors = c.errors;
        ch.highlightJumpable = c.jump;
        ApplyEnvDialogChoices(s, ch);
        EXPECT_EQ(c.flags, s.flags);
        EXPECT_EQ(1, s.editorKind);
        // The whole word is written: the meaningless bit 0x08 and the upper half go.
        EXPECT_EQ(0, s.reservedWord);
    }
}

TEST(EnvChoices, SelectionsAreWrittenAsChosen) {
    SettingsRecord s = Stored();
    EnvDialogChoices ch = Nothing();
    ch.editorKind = 0;
    ch.toolbarStyle = 1;
    ch.jumpKey = 21;
    ApplyEnvDialogChoices(s, ch);
    EXPECT_EQ(0u, GetKindFlagsWord(s));
    EXPECT_EQ(1, s.toolbarStyle);
    EXPECT_EQ(21, s.jumpKey);
}

TEST(EnvChoices, NoEditorKindSelectedNeverSetsEveryFlag) {
    SettingsRecord s = Stored();
    EnvDialogChoices ch = Nothing();
    ch.editorKind = -1;
    ch.toolbarStyle = 2;
    ch.jumpKey = 3;
    ch.highlightErrors = true;
    ApplyEnvDialogChoices(s, ch);
    EXPECT_EQ((uint32_t)FLAG_HIGHLIGHT_ERRORS << 8, GetKindFlagsWord(s));
    EXPECT_EQ(EDITOR_UNSUPPORTED, s.editorKind);
}

TEST(EnvChoices, NoStyleOrKeySelectedKeepsTheStoredValues) {
    // Four styles stored, but an old common-controls library offers only two:
    // the box shows no selection and the stored style must survive OK.
    SettingsRecord s = Stored();
    EnvDialogChoices ch = Nothing();
    ch.editorKind = 1;
    ch.toolbarStyle = -1;
    ch.jumpKey = -1;
    ApplyEnvDialogChoices(s, ch);
    EXPECT_EQ(3, s.toolbarStyle);
    EXPECT_EQ(15, s.jumpKey);
}
