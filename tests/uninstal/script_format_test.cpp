#include "uninstal/core/script_format.h"

#include <gtest/gtest.h>

#include "test_scripts.h"

namespace {

std::string SmallScript() {
    return BuildScript(ScriptTop() + "file \"%i\\\\a.txt\"\nmenu-folder 0x41 \"Soft\"\n"
                                     "shortcut 0x20 0 \"Tool\" \"%i\\\\t.exe\" \"\" \"%i\" \"\"\nend\n");
}

TEST(NthStringTest, WalksPastNulsAndStopsAtTheBound) {
    static const char text[] = "ab\0\0cde\0f";  // the NUL after "f" lies at the bound text + 9
    EXPECT_EQ(NthString(text, 0), text);
    EXPECT_EQ(NthString(text, 1), text + 3);
    EXPECT_EQ(NthString(text, 2), text + 4);
    EXPECT_STREQ(NthString(text, 3), "f");
    EXPECT_EQ(NthString(nullptr, 2), nullptr);
    EXPECT_EQ(NthStringIn(text, text + 9, 3), text + 8);
    EXPECT_EQ(NthStringIn(text, text + 9, 4), nullptr);
    EXPECT_EQ(NthStringIn(text, text + 2, 1), nullptr);
    EXPECT_EQ(NthStringIn(text, text, 0), text);
    EXPECT_EQ(NthStringIn(nullptr, text + 9, 0), nullptr);
}

TEST(CheckScriptTest, EveryTruncationIsRefused) {
    std::string full = SmallScript();
    ASSERT_EQ(CheckScript(full.data(), full.size()), SCRIPT_SOUND);
    EXPECT_EQ(CheckScript(full.data(), SCRIPT_HEADER_SIZE - 1), SCRIPT_HEADER_SHORT);
    for (uint32_t k = 0; k < full.size() - SCRIPT_HEADER_SIZE; ++k) {
        std::string block = full.substr(0, SCRIPT_HEADER_SIZE + k);
        EXPECT_EQ(CheckScript(block.data(), block.size()), SCRIPT_DATA_SHORT) << k;
        SetDataLength(&block, k);
        EXPECT_NE(CheckScript(block.data(), block.size()), SCRIPT_SOUND) << "data cut to " << k << " bytes";
    }
}

TEST(CheckScriptTest, CorruptedScripts) {
    const std::string top = "unchecked\n" + ScriptTop(), strings = "product \"P\"\ntitle \"T\"\nmessage \"M\"\n";
    const std::string shortcut = "shortcut 0x20 0 \"T\" \"x\" \"\" \"\" \"\"\n";
    const std::string shortcuts = top + "menu-folder 0x41 \"S\"\n" + Repeat(shortcut, 299);
    const struct { const char* name; std::string description; ScriptFault fault; } cases[] = {
        {"no end record", top + "file \"a\"\n", SCRIPT_NO_END_RECORD},
        {"string runs off", top + "bytes 07 41 42\n", SCRIPT_RECORD_OPEN},
        {"fixed bytes run off", top + "bytes 04 20\n", SCRIPT_RECORD_OPEN},
        {"header string runs off", "unchecked\nproduct \"P\"\nbytes 41 42", SCRIPT_HEADER_STRINGS_OPEN},
        {"three header strings only", "unchecked\n" + strings, SCRIPT_HEADER_STRINGS_OPEN},
        {"unknown type stops the walk", top + "bytes 09 41 42\n", SCRIPT_SOUND},
        {"bytes after the end record", top + "end\nbytes 07 41\n", SCRIPT_SOUND},
        {"open install directory", "unchecked\ninstall-dir-bytes " + Repeat("41 ", 260) + "\n" + strings +
         "default-dir \"\"\nend\n", SCRIPT_INSTALL_DIR_OPEN},
        {"dataLength 120000", "unchecked\ndata-length 120000\n" + ScriptTop() + "end\n", SCRIPT_DATA_TOO_LONG},
        {"dataLength 0xFFFFFFFF", "unchecked\ndata-length 0xFFFFFFFF\n" + ScriptTop() + "end\n", SCRIPT_DATA_TOO_LONG},
        {"300 shortcut and folder records", shortcuts + "file \"x\"\nend\n", SCRIPT_SOUND},
        {"301 shortcut and folder records", shortcuts + "menu-folder 0x41 \"S\"\nend\n", SCRIPT_TOO_MANY_DEFERRED},
    };
    for (const auto& c : cases) {
        std::string error, block = BuildScript(c.description, nullptr, &error);
        ASSERT_FALSE(block.empty()) << c.name << ": " << error;
        EXPECT_EQ(CheckScript(block.data(), block.size()), c.fault) << c.name;
    }
}

// Whatever single byte is corrupted, a script taken as sound must be walkable
// with the unbounded NthString inside its data.
TEST(CheckScriptTest, NoByteFlipLeadsTheWalkOutside) {
    std::string full = SmallScript();
    for (size_t i = SCRIPT_HEADER_SIZE; i < full.size(); ++i) {
        for (int value : {0x00, 0x02, 0x04, 0x07, 0x41, 0xFF}) {
            std::string block = full;
            block[i] = (char)value;
            if (CheckScript(block.data(), block.size()) != SCRIPT_SOUND) continue;
            const char* end = block.data() + block.size();
            const char* record = NthString(block.data() + SCRIPT_HEADER_SIZE, SCRIPT_HEADER_STRINGS);
            const RecordLayout* layout;
            while (record < end && *record && (layout = FindRecordLayout((unsigned char)*record)))
                record = NthString(RecordStrings(record, layout), layout->stringCount);
            EXPECT_LT(record, end) << "byte " << i << " set to " << value;
        }
    }
}

}  // namespace
