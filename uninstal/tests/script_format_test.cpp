#include "uninstal/core/script_format.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "test_scripts.h"

using namespace uninstal;

namespace {

uint32_t DataLength(const std::string& block) {
    ScriptHeader header;
    memcpy(&header, block.data(), sizeof header);
    return header.dataLength;
}

void SetDataLength(std::string* block, uint32_t length) {
    for (int i = 0; i < 4; ++i) (*block)[12 + i] = (char)((length >> (8 * i)) & 0xFF);
}

std::string SmallScript() {
    return BuildScript(ScriptTop() + "file \"%i\\\\a.txt\"\nmenu-folder 0x41 \"Soft\"\nshortcut 0x20 0 \"Tool\" \"%i\\\\t.exe\" \"\" \"%i\" \"\"\nend\n");
}

TEST(ScriptHeaderTest, FieldsSitAtTheirOffsetsLittleEndian) {
    std::string block = BuildScript("flags 0x12345678\nword-at-4 3\ninstall-dir \"C:\\\\X\"\nproduct \"P\"\ntitle \"T\"\n"
                                    "message \"M\"\ndefault-dir \"\"\nend\n");
    ASSERT_EQ(block.size(), kHeaderSize + 8);  // "P", "T", "M", "" and the end byte
    EXPECT_EQ((unsigned char)block[0], 0x78);
    EXPECT_EQ((unsigned char)block[3], 0x12);
    ScriptHeader header;
    memcpy(&header, block.data(), sizeof header);
    EXPECT_EQ(header.uninstallFlags, 0x12345678u);
    EXPECT_EQ(header.wordAt4, 3u);
    EXPECT_EQ(header.dataLength, 8u);
    EXPECT_EQ(header.scriptEnd, kScriptOffset + 8);
    EXPECT_STREQ(header.installDir, "C:\\X");
    EXPECT_EQ(block.substr(16, 5), std::string("C:\\X\0", 5));
}

TEST(NthStringTest, WalksPastNuls) {
    static const char text[] = "ab\0\0cde\0f";
    EXPECT_EQ(NthString(text, 0), text);
    EXPECT_EQ(NthString(text, 1), text + 3);
    EXPECT_EQ(NthString(text, 2), text + 4);
    EXPECT_STREQ(NthString(text, 3), "f");
    EXPECT_EQ(NthString(nullptr, 2), nullptr);
}

TEST(NthStringTest, BoundedWalkStopsAtTheEnd) {
    static const char text[] = "ab\0cd";  // "cd" has its NUL only past end
    const char* end = text + 5;
    EXPECT_EQ(NthStringIn(text, end, 1), text + 3);
    EXPECT_EQ(NthStringIn(text, end, 2), nullptr);
    EXPECT_EQ(NthStringIn(text, text + 2, 1), nullptr);
    EXPECT_EQ(NthStringIn(text, text, 0), text);
    EXPECT_EQ(NthStringIn(nullptr, end, 0), nullptr);
}

TEST(CheckScriptTest, SoundScriptIsTaken) {
    std::string block = SmallScript();
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(CheckScript(block.data(), block.size()), kScriptSound);
}

TEST(CheckScriptTest, DataLengthLimit) {
    std::string top = BuildScript(ScriptTop() + "end\n");
    for (uint32_t length : {119999u, 120000u, 0xFFFFFFFFu}) {
        std::string block = top;
        block.resize(kHeaderSize + (length < 120000 ? length : DataLength(top)), '\0');
        SetDataLength(&block, length);
        EXPECT_EQ(CheckScript(block.data(), block.size()), length < 120000 ? kScriptSound : kScriptDataTooLong)
            << length;
    }
}

TEST(CheckScriptTest, EveryTruncationIsRefused) {
    std::string full = SmallScript();
    uint32_t length = DataLength(full);
    for (uint32_t k = 0; k < length; ++k) {
        std::string block = full.substr(0, kHeaderSize + k);
        EXPECT_EQ(CheckScript(block.data(), block.size()), kScriptDataShort) << k;
        SetDataLength(&block, k);
        ScriptFault fault = CheckScript(block.data(), block.size());
        EXPECT_NE(fault, kScriptSound) << "data cut to " << k << " bytes";
    }
    EXPECT_EQ(CheckScript(full.data(), kHeaderSize - 1), kScriptHeaderShort);
}

TEST(CheckScriptTest, CorruptedScripts) {
    const std::string top = ScriptTop();
    struct Case {
        const char* name;
        std::string description;
        ScriptFault fault;
    } cases[] = {
        {"no end record", "unchecked\n" + top + "file \"a\"\n", kScriptNoEndRecord},
        {"string runs off", "unchecked\n" + top + "bytes 07 41 42\n", kScriptRecordOpen},
        {"fixed bytes run off", "unchecked\n" + top + "bytes 04 20\n", kScriptRecordOpen},
        {"header string runs off", "unchecked\nproduct \"P\"\nbytes 41 42", kScriptHeaderStringsOpen},
        {"three header strings only", "unchecked\nproduct \"P\"\ntitle \"T\"\nmessage \"M\"\n",
         kScriptHeaderStringsOpen},
        {"unknown type stops the walk", "unchecked\n" + top + "bytes 09 41 42\n", kScriptSound},
        {"bytes after the end record", "unchecked\n" + top + "end\nbytes 07 41\n", kScriptSound},
        {"open install directory", "unchecked\ninstall-dir-bytes " + [] {
             std::string hex;
             for (int i = 0; i < 260; ++i) hex += "41 ";
             return hex;
         }() + "\nproduct \"P\"\ntitle \"T\"\nmessage \"M\"\ndefault-dir \"\"\nend\n",
         kScriptInstallDirOpen},
    };
    for (const Case& c : cases) {
        std::string error;
        std::string block = BuildScript(c.description, &error);
        ASSERT_FALSE(block.empty()) << c.name << ": " << error;
        EXPECT_EQ(CheckScript(block.data(), block.size()), c.fault) << c.name;
    }
}

TEST(CheckScriptTest, AtMostThreeHundredShortcutAndFolderRecords) {
    for (int count : {300, 301}) {
        std::string description = "unchecked\n" + ScriptTop() + "menu-folder 0x41 \"Soft\"\n";
        for (int i = 1; i < count; ++i) description += "shortcut 0x20 0 \"T\" \"x\" \"\" \"\" \"\"\n";
        description += "file \"x\"\nend\n";
        std::string block = BuildScript(description);
        EXPECT_EQ(CheckScript(block.data(), block.size()), count <= kDeferredMax ? kScriptSound : kScriptTooManyDeferred)
            << count;
    }
}

TEST(CheckScriptTest, NoByteFlipLeadsTheWalkOutside) {
    // Whatever single byte is corrupted, a script taken as sound must be
    // walkable with the unbounded NthString inside its data.
    std::string full = SmallScript();
    for (size_t i = kHeaderSize; i < full.size(); ++i) {
        for (int value : {0x00, 0x02, 0x04, 0x07, 0x41, 0xFF}) {
            std::string block = full;
            block[i] = (char)value;
            if (CheckScript(block.data(), block.size()) != kScriptSound) continue;
            const char* data = block.data() + kHeaderSize;
            const char* end = data + DataLength(block);
            const char* record = NthString(data, kHeaderStrings);
            while (record < end && *record != 0) {
                const RecordLayout* layout = FindRecordLayout((unsigned char)*record);
                if (!layout) break;
                record = NthString(RecordStrings(record, layout), layout->stringCount);
            }
            EXPECT_LT(record, end) << "byte " << i << " set to " << value;
        }
    }
}

TEST(RecordLayoutTest, TypesAndGates) {
    struct Row {
        unsigned char type, fixed, strings, gate;
    } rows[] = {{2, 0, 7, kGateAssociations}, {3, 1, 1, kGateShortcuts}, {4, 2, 5, kGateShortcuts},
                {5, 0, 2, kGateAddRemove},    {6, 0, 1, 0},              {7, 0, 1, 0}};
    for (const Row& row : rows) {
        const RecordLayout* layout = FindRecordLayout(row.type);
        ASSERT_NE(layout, nullptr) << (int)row.type;
        EXPECT_EQ(layout->fixedBytes, row.fixed);
        EXPECT_EQ(layout->stringCount, row.strings);
        EXPECT_EQ(layout->gate, row.gate);
    }
    for (int type : {0, 1, 8, 0x41, 0xFF}) EXPECT_EQ(FindRecordLayout((unsigned char)type), nullptr) << type;
}

}  // namespace
