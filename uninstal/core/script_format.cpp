#include "uninstal/core/script_format.h"

#include <string.h>

namespace uninstal {

static const RecordLayout kRecordLayouts[] = {
    {kRecordAssociation, 0, 7, kGateAssociations},
    {kRecordMenuFolder, 1, 1, kGateShortcuts},
    {kRecordShortcut, 2, 5, kGateShortcuts},
    {kRecordAddRemove, 0, 2, kGateAddRemove},
    {kRecordDirectory, 0, 1, 0},
    {kRecordFile, 0, 1, 0},
};

const RecordLayout* FindRecordLayout(unsigned char type) {
    for (const RecordLayout& layout : kRecordLayouts)
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
    if (!block || length < kHeaderSize) return kScriptHeaderShort;
    ScriptHeader header;
    memcpy(&header, block, sizeof header);
    if (header.dataLength >= kMaxDataLength) return kScriptDataTooLong;
    if (length - kHeaderSize < header.dataLength) return kScriptDataShort;
    if (!memchr(header.installDir, 0, sizeof header.installDir)) return kScriptInstallDirOpen;

    const char* data = block + kHeaderSize;
    const char* end = data + header.dataLength;
    const char* record = NthStringIn(data, end, kHeaderStrings);
    if (!record) return kScriptHeaderStringsOpen;
    int deferred = 0;
    for (;;) {
        if (record >= end) return kScriptNoEndRecord;
        unsigned char type = (unsigned char)*record;
        if (type == kRecordEnd) return kScriptSound;
        const RecordLayout* layout = FindRecordLayout(type);
        if (!layout) return kScriptSound;
        if ((size_t)(end - record) < 1u + layout->fixedBytes) return kScriptRecordOpen;
        record = NthStringIn(RecordStrings(record, layout), end, layout->stringCount);
        if (!record) return kScriptRecordOpen;
        if ((type == kRecordMenuFolder || type == kRecordShortcut) && ++deferred > kDeferredMax)
            return kScriptTooManyDeferred;
    }
}

const char* DescribeScriptFault(ScriptFault fault) {
    switch (fault) {
    case kScriptSound: return "sound";
    case kScriptHeaderShort: return "the header is shorter than 276 bytes";
    case kScriptDataTooLong: return "dataLength is 120000 or more";
    case kScriptDataShort: return "the data is shorter than dataLength";
    case kScriptInstallDirOpen: return "installDir has no terminating NUL";
    case kScriptHeaderStringsOpen: return "a header string runs off the end of the data";
    case kScriptRecordOpen: return "a record runs off the end of the data";
    case kScriptNoEndRecord: return "the data holds no end record";
    case kScriptTooManyDeferred: return "more than 300 shortcut and menu folder records";
    }
    return "unknown fault";
}

}  // namespace uninstal
