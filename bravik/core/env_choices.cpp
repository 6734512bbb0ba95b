#include "bravik/core/env_choices.h"

void ApplyEnvDialogChoices(SettingsRecord& settings, const EnvDialogChoices& choices) {
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
