// Layout of the uninstall script that an installer appends to UnInstal.exe,
// and the bounded walk that decides whether a block holds a usable script.
// The interpreter walks records with the unbounded NthString, so every block
// it sees must first have passed CheckScript.
#pragma once
#include <stddef.h>
#include <stdint.h>

const uint32_t SCRIPT_OFFSET = 0xC000;    ///< file offset of the script; the image is padded to it
const uint32_t SCRIPT_HEADER_SIZE = 276;
const uint32_t SCRIPT_MAX_DATA_LENGTH = 120000;   ///< dataLength must stay below this
const size_t UNINSTAL_PATH_SIZE = 260;             ///< every path buffer: 259 bytes and the NUL
const int DEFERRED_MAX = 300;             ///< shortcut and menu folder records one script may hold
const size_t TITLE_SIZE = 80;             ///< caption buffer for the script title
const int SCRIPT_HEADER_STRINGS = 4;             ///< productKey, title, message, default directory

/// The 276 bytes at SCRIPT_OFFSET; integers little-endian as on every target.
struct ScriptHeader {
    uint32_t uninstallFlags;
    uint32_t wordAt4;      // 3 in shipped scripts; not read
    uint32_t scriptEnd;    // SCRIPT_OFFSET + dataLength in shipped scripts; not read
    uint32_t dataLength;   // bytes of script data after the header
    char installDir[UNINSTAL_PATH_SIZE];
};
static_assert(sizeof(ScriptHeader) == SCRIPT_HEADER_SIZE, "script header is 276 bytes");
static_assert(offsetof(ScriptHeader, uninstallFlags) == 0, "uninstallFlags at 0");
static_assert(offsetof(ScriptHeader, wordAt4) == 4, "word at 4");
static_assert(offsetof(ScriptHeader, scriptEnd) == 8, "word at 8");
static_assert(offsetof(ScriptHeader, dataLength) == 12, "dataLength at 12");
static_assert(offsetof(ScriptHeader, installDir) == 16, "installDir at 16");

/// Bits of uninstallFlags: which check boxes of the dialog start disabled or ticked.
enum UninstallFlag : uint32_t {
    DISABLE_ASSOCIATIONS = 0x02,
    DISABLE_SHORTCUTS = 0x04,
    DISABLE_ADD_REMOVE = 0x08,
    TICK_ASSOCIATIONS = 0x20,
    TICK_SHORTCUTS = 0x40,
    TICK_ADD_REMOVE = 0x80,
};

/// Bits of the interpreter's gate mask, one per check box.
enum GateBit : unsigned {
    GATE_ASSOCIATIONS = 0x01,
    GATE_SHORTCUTS = 0x02,
    GATE_ADD_REMOVE = 0x04,
};

enum RecordType : unsigned char {
    RECORD_END = 0,
    RECORD_ASSOCIATION = 2,
    RECORD_MENU_FOLDER = 3,
    RECORD_SHORTCUT = 4,
    RECORD_ADD_REMOVE = 5,
    RECORD_DIRECTORY = 6,
    RECORD_FILE = 7,
};

/// Shape of one record type: fixed bytes after the type byte, then strings.
struct RecordLayout {
    unsigned char type;
    unsigned char fixedBytes;
    unsigned char stringCount;
    unsigned char gate;  ///< GateBit that must be set for the record to act; 0 = always
};

/// The layout of a record type, or nullptr for the end record and unknown types.
const RecordLayout* FindRecordLayout(unsigned char type);

/// Position just after the n-th NUL from text on (text itself for n = 0);
/// nullptr for a null text. Unbounded: only for checked scripts.
const char* NthString(const char* text, int n);
/// As NthString, but nullptr when a NUL is missing before end.
const char* NthStringIn(const char* text, const char* end, int n);
/// First string of a record (after its type byte and fixed bytes).
const char* RecordStrings(const char* record, const RecordLayout* layout);

enum ScriptFault {
    SCRIPT_SOUND = 0,
    SCRIPT_HEADER_SHORT,       ///< fewer than 276 bytes
    SCRIPT_DATA_TOO_LONG,       ///< dataLength of 120000 or more
    SCRIPT_DATA_SHORT,         ///< fewer data bytes than dataLength
    SCRIPT_INSTALL_DIR_OPEN,    ///< installDir has no NUL in its 260 bytes
    SCRIPT_HEADER_STRINGS_OPEN, ///< a header string runs off the data
    SCRIPT_RECORD_OPEN,        ///< a record's bytes or strings run off the data
    SCRIPT_NO_END_RECORD,       ///< the records fill the data without an end record
    SCRIPT_TOO_MANY_DEFERRED,   ///< more than DEFERRED_MAX shortcut and folder records
};

/// Checks a script block (header and data, length bytes available) so that a
/// walk over its header strings and records never leaves it. The walk stops
/// at the end record or at an unknown type byte (which the interpreter
/// rejects when it reaches it).
ScriptFault CheckScript(const char* block, size_t length);
/// A short English description of a fault, for tools.
const char* DescribeScriptFault(ScriptFault fault);
