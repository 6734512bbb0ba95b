#include "uninstal/core/script_format.h"

#include <gtest/gtest.h>

#include "test_scripts.h"

namespace {

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
        {"data shorter than dataLength", "unchecked\ndata-length 1000\n" + ScriptTop() + "end\n", SCRIPT_DATA_SHORT},
        {"300 shortcut and folder records", shortcuts + "file \"x\"\nend\n", SCRIPT_SOUND},
        {"301 shortcut and folder records", shortcuts + "menu-folder 0x41 \"S\"\nend\n", SCRIPT_TOO_MANY_DEFERRED},
    };
    for (const auto& c : cases) {
        std::string error, block = BuildScript(c.description, nullptr, &error);
        ASSERT_FALSE(block.empty()) << c.name << ": " << error;
        EXPECT_EQ(CheckScript(block.data(), block.size()), c.fault) << c.name;
    }
    std::string shortHeader(SCRIPT_HEADER_SIZE - 1, '\0');
    EXPECT_EQ(CheckScript(shortHeader.data(), shortHeader.size()), SCRIPT_HEADER_SHORT);
}

}  // namespace
