// Layout of the uninstall script that an installer appends to UnInstal.exe,
// and the bounded walk that decides whether a block holds a usable script.
// The interpreter walks records with the unbounded NthString, so every block
// it sees must first have passed CheckScript.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace uninstal {

const uint32_t kScriptOffset = 0xC000;    ///< file offset of the script; the image is padded to it
const uint32_t kHeaderSize = 276;
const uint32_t kMaxDataLength = 120000;   ///< dataLength must stay below this
const size_t kPathSize = 260;             ///< every path buffer: 259 bytes and the NUL
const int kDeferredMax = 300;             ///< shortcut and menu folder records one script may hold
const size_t kTitleSize = 80;             ///< caption buffer for the script title
const int kHeaderStrings = 4;             ///< productKey, title, message, default directory

/// The 276 bytes at kScriptOffset; integers little-endian as on every target.
struct ScriptHeader {
    uint32_t uninstallFlags;
    uint32_t wordAt4;      // 3 in shipped scripts; not read
    uint32_t scriptEnd;    // kScriptOffset + dataLength in shipped scripts; not read
    uint32_t dataLength;   // bytes of script data after the header
    char installDir[kPathSize];
};
static_assert(sizeof(ScriptHeader) == kHeaderSize, "script header is 276 bytes");
static_assert(offsetof(ScriptHeader, uninstallFlags) == 0, "uninstallFlags at 0");
static_assert(offsetof(ScriptHeader, wordAt4) == 4, "word at 4");
static_assert(offsetof(ScriptHeader, scriptEnd) == 8, "word at 8");
static_assert(offsetof(ScriptHeader, dataLength) == 12, "dataLength at 12");
static_assert(offsetof(ScriptHeader, installDir) == 16, "installDir at 16");

/// Bits of uninstallFlags: which check boxes of the dialog start disabled or ticked.
enum UninstallFlag : uint32_t {
    kDisableAssociations = 0x02,
    kDisableShortcuts = 0x04,
    kDisableAddRemove = 0x08,
    kTickAssociations = 0x20,
    kTickShortcuts = 0x40,
    kTickAddRemove = 0x80,
};

/// Bits of the interpreter's gate mask, one per check box.
enum GateBit : unsigned {
    kGateAssociations = 0x01,
    kGateShortcuts = 0x02,
    kGateAddRemove = 0x04,
};

enum RecordType : unsigned char {
    kRecordEnd = 0,
    kRecordAssociation = 2,
    kRecordMenuFolder = 3,
    kRecordShortcut = 4,
    kRecordAddRemove = 5,
    kRecordDirectory = 6,
    kRecordFile = 7,
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
    kScriptSound = 0,
    kScriptHeaderShort,       ///< fewer than 276 bytes
    kScriptDataTooLong,       ///< dataLength of 120000 or more
    kScriptDataShort,         ///< fewer data bytes than dataLength
    kScriptInstallDirOpen,    ///< installDir has no NUL in its 260 bytes
    kScriptHeaderStringsOpen, ///< a header string runs off the data
    kScriptRecordOpen,        ///< a record's bytes or strings run off the data
    kScriptNoEndRecord,       ///< the records fill the data without an end record
    kScriptTooManyDeferred,   ///< more than kDeferredMax shortcut and folder records
};

/// Checks a script block (header and data, length bytes available) so that a
/// walk over its header strings and records never leaves it. The walk stops
/// at the end record or at an unknown type byte (which the interpreter
/// rejects when it reaches it).
ScriptFault CheckScript(const char* block, size_t length);
/// A short English description of a fault, for tools.
const char* DescribeScriptFault(ScriptFault fault);

}  // namespace uninstal
