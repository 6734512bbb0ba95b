// The persisted configuration record and the stored main-window position.
// Both are stored byte for byte in the registry, so their layout is fixed.
#pragma once
#include <stddef.h>
#include <stdint.h>

/// Bytes of every path buffer, NUL included: the platform's MAX_PATH, and the
/// size of the stored record's path fields.
const size_t PATH_SIZE = 260;

enum : uint8_t {
    FLAG_CLOSE_ON_SUCCESS = 0x01,
    FLAG_USE_SYSTEM_ENV = 0x02,
    FLAG_MULTI_SELECT = 0x04,
    FLAG_HIGHLIGHT_ERRORS = 0x10,
    FLAG_HIGHLIGHT_JUMPABLE = 0x20,
};

enum { EDITOR_UNSUPPORTED = 0, EDITOR_HIDEMARU = 1 };

const uint32_t SETTINGS_FORMAT_TAG = 151;
const int32_t POSITION_DEFAULT_XY = (int32_t)0x80000000;  // CW_USEDEFAULT

struct SettingsRecord {
    uint32_t formatTag;
    char makeExe[PATH_SIZE];
    char makeOptions[PATH_SIZE];
    char environment[2080];
    char editorExe[PATH_SIZE];
    char editorOptions[PATH_SIZE];
    uint8_t editorKind;
    uint8_t flags;
    uint16_t reservedWord;  // upper half of the word at 3124; 0 in normal use
    int32_t toolbarStyle;
    int32_t jumpKey;
    int32_t lastVariant;
    int32_t statusBarShown;
    char currentDir[PATH_SIZE];
};

static_assert(sizeof(SettingsRecord) == 3404, "stored record is 3404 bytes");
static_assert(offsetof(SettingsRecord, formatTag) == 0, "layout");
static_assert(offsetof(SettingsRecord, makeExe) == 4, "layout");
static_assert(offsetof(SettingsRecord, makeOptions) == 264, "layout");
static_assert(offsetof(SettingsRecord, environment) == 524, "layout");
static_assert(offsetof(SettingsRecord, editorExe) == 2604, "layout");
static_assert(offsetof(SettingsRecord, editorOptions) == 2864, "layout");
static_assert(offsetof(SettingsRecord, editorKind) == 3124, "layout");
static_assert(offsetof(SettingsRecord, flags) == 3125, "layout");
static_assert(offsetof(SettingsRecord, reservedWord) == 3126, "layout");
static_assert(offsetof(SettingsRecord, toolbarStyle) == 3128, "layout");
static_assert(offsetof(SettingsRecord, jumpKey) == 3132, "layout");
static_assert(offsetof(SettingsRecord, lastVariant) == 3136, "layout");
static_assert(offsetof(SettingsRecord, statusBarShown) == 3140, "layout");
static_assert(offsetof(SettingsRecord, currentDir) == 3144, "layout");

/// Size of the record as stored before the working directory was added.
const size_t SETTINGS_SHORT_SIZE = offsetof(SettingsRecord, currentDir);

struct WindowPosition {
    int32_t x, y, width, height;
};
static_assert(sizeof(WindowPosition) == 16, "stored position is 16 bytes");

/// The little-endian word at 3124: editorKind in bits 0..7, flags in 8..15.
uint32_t GetKindFlagsWord(const SettingsRecord& s);
void SetKindFlagsWord(SettingsRecord& s, uint32_t word);

struct JumpKey {
    const char* name;  // nullptr for the function keys
    int32_t virtualKey;
};
const int JUMP_KEY_COUNT = 22;
extern const JumpKey JumpKeyTable[JUMP_KEY_COUNT];
/// Virtual-key code of a stored jumpKey, or 0 when the index lies outside
/// the jump-key table (a damaged record, a combo box without selection).
int JumpKeyVirtualCode(int32_t jumpKey);
/// The label shown in the settings dialog: "[Enter]" .. "[F12]" (40 bytes is enough).
void JumpKeyLabel(int32_t index, char* out, size_t size);

void DefaultSettings(SettingsRecord& s);
void DefaultPosition(WindowPosition& p);

/// Turns the outcome of reading the stored "Value" into the record in memory.
/// `record` already holds the bytes read (zero beyond them); queryOk is false
/// when the key or value was missing or longer than the record.
void ApplyLoadedSettings(SettingsRecord& record, bool queryOk, size_t bytesRead);

/// The position to store at close, in screen coordinates as CreateWindow takes
/// them: the normal-position rectangle (relative to the work area, whose
/// origin on the screen is workLeft, workTop) as x, y, width, height, with x
/// taken from the current window rectangle unless the window is minimised.
WindowPosition PositionToStore(int normalLeft, int normalTop, int normalRight, int normalBottom, int workLeft,
                               int workTop, bool minimised, int windowLeft);

// What the settings dialog writes back from its combo boxes and
// check boxes. A combo box with nothing selected reports -1.
struct SettingsDialogChoices {
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
void ApplySettingsDialogChoices(SettingsRecord& settings, const SettingsDialogChoices& choices);
