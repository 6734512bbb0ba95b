#include "uninstal/core/script_format.h"

#include <string.h>

static const RecordLayout RecordLayouts[] = {
    {RECORD_ASSOCIATION, 0, 7, GATE_ASSOCIATIONS},
    {RECORD_MENU_FOLDER, 1, 1, GATE_SHORTCUTS},
    {RECORD_SHORTCUT, 2, 5, GATE_SHORTCUTS},
    {RECORD_ADD_REMOVE, 0, 2, GATE_ADD_REMOVE},
    {RECORD_DIRECTORY, 0, 1, 0},
    {RECORD_FILE, 0, 1, 0},
};

const RecordLayout* FindRecordLayout(unsigned char type) {
    for (const RecordLayout& layout : RecordLayouts)
        if (layout.type == type) return &layout;
    return nullptr;
}

const char* NthString(const char* text, int n) {
    if (!text) return nullptr;
    for (; n > 0; --n) text += strlen(text) + 1;
    return text;
}

const char* NthStringIn(const char* text, const char* end, int n) {
    if (!text) return nullptr;
    for (; n > 0; --n) {
        if (text >= end) return nullptr;
        const char* nul = (const char*)memchr(text, 0, (size_t)(end - text));
        if (!nul) return nullptr;
        text = nul + 1;
    }
    return text;
}

const char* RecordStrings(const char* record, const RecordLayout* layout) {
    return record + 1 + layout->fixedBytes;
}

ScriptFault CheckScript(const char* block, size_t length) {
    if (!block || length < SCRIPT_HEADER_SIZE) return SCRIPT_HEADER_SHORT;
    ScriptHeader header;
    memcpy(&header, block, sizeof header);
    if (header.dataLength >= SCRIPT_MAX_DATA_LENGTH) return SCRIPT_DATA_TOO_LONG;
    if (length - SCRIPT_HEADER_SIZE < header.dataLength) return SCRIPT_DATA_SHORT;
    if (!memchr(header.installDir, 0, sizeof header.installDir)) return SCRIPT_INSTALL_DIR_OPEN;

    const char* data = block + SCRIPT_HEADER_SIZE;
    const char* end = data + header.dataLength;
    const char* record = NthStringIn(data, end, SCRIPT_HEADER_STRINGS);
    if (!record) return SCRIPT_HEADER_STRINGS_OPEN;
    int deferred = 0;
    for (;;) {
        if (record >= end) return SCRIPT_NO_END_RECORD;
        unsigned char type = (unsigned char)*record;
        if (type == RECORD_END) return SCRIPT_SOUND;
        const RecordLayout* layout = FindRecordLayout(type);
        if (!layout) return SCRIPT_SOUND;
        if ((size_t)(end - record) < 1u + layout->fixedBytes) return SCRIPT_RECORD_OPEN;
        record = NthStringIn(RecordStrings(record, layout), end, layout->stringCount);
        if (!record) return SCRIPT_RECORD_OPEN;
        if ((type == RECORD_MENU_FOLDER || type == RECORD_SHORTCUT) && ++deferred > DEFERRED_MAX)
            return SCRIPT_TOO_MANY_DEFERRED;
    }
}

const char* DescribeScriptFault(ScriptFault fault) {
    switch (fault) {
    case SCRIPT_SOUND: return "sound";
    case SCRIPT_HEADER_SHORT: return "the header is shorter than 276 bytes";
    case SCRIPT_DATA_TOO_LONG: return "dataLength is 120000 or more";
    case SCRIPT_DATA_SHORT: return "the data is shorter than dataLength";
    case SCRIPT_INSTALL_DIR_OPEN: return "installDir has no terminating NUL";
    case SCRIPT_HEADER_STRINGS_OPEN: return "a header string runs off the end of the data";
    case SCRIPT_RECORD_OPEN: return "a record runs off the end of the data";
    case SCRIPT_NO_END_RECORD: return "the data holds no end record";
    case SCRIPT_TOO_MANY_DEFERRED: return "more than 300 shortcut and menu folder records";
    }
    return "unknown fault";
}
