// What the environment settings dialog writes back from its combo boxes and
// check boxes. A combo box with nothing selected reports -1.
#pragma once

#include "bravik/core/settings_record.h"

struct EnvDialogChoices {
    int editorKind;    // selection of the editor-kind box, -1 for none
    int toolbarStyle;  // selection of the toolbar-style box, -1 for none
    int jumpKey;       // selection of the jump-key box, -1 for none
    bool useSystemEnv;
    bool closeOnSuccess;
    bool multiSelect;
    bool highlightErrors;
    bool highlightJumpable;
};

/// Writes the choices into the record: the word of editorKind and flags is
/// rebuilt from the editor kind (0 when none is selected) and the check boxes;
/// toolbarStyle and jumpKey keep their values when nothing is selected.
void ApplyEnvDialogChoices(SettingsRecord& settings, const EnvDialogChoices& choices);
