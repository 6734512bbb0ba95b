// The script's check, and the builder's description text: refusals and the dump round trip.
#include "uninstal/core/script_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_scripts.h"

namespace {

const std::string Top = "flags 0xE0\ninstall-dir \"C:\\\\App\"\nproduct \"Tool\"\ntitle \"Tool\"\nmessage \"Remove Tool\"\ndefault-dir \"\"\n";

TEST(CheckScriptTest, CorruptedScripts) {
    const std::string top = "unchecked\n" + Top, strings = "product \"P\"\ntitle \"T\"\nmessage \"M\"\n";
    const std::string shortcuts = top + "menu-folder 0x41 \"S\"\n" + Repeat("shortcut 0x20 0 \"T\" \"x\" \"\" \"\" \"\"\n", 299);
    const struct { std::string description; ScriptFault fault; } cases[] = {
        {top + "file \"a\"\n", SCRIPT_NO_END_RECORD}, {top + "bytes 07 41 42\n", SCRIPT_RECORD_OPEN},
        {top + "bytes 04 20\n", SCRIPT_RECORD_OPEN},  // the fixed bytes run off
        {"unchecked\nproduct \"P\"\nbytes 41 42", SCRIPT_HEADER_STRINGS_OPEN}, {"unchecked\n" + strings, SCRIPT_HEADER_STRINGS_OPEN},
        {top + "bytes 09 41 42\n", SCRIPT_SOUND},  // an unknown type stops the walk
        {"unchecked\ninstall-dir-bytes " + Repeat("41 ", 260) + "\n" + strings + "default-dir \"\"\nend\n", SCRIPT_INSTALL_DIR_OPEN},
        {"unchecked\ndata-length 120000\n" + Top + "end\n", SCRIPT_DATA_TOO_LONG},
        {"unchecked\ndata-length 1000\n" + Top + "end\n", SCRIPT_DATA_SHORT},
        {shortcuts + "file \"x\"\nend\n", SCRIPT_SOUND}, {shortcuts + "menu-folder 0x41 \"S\"\nend\n", SCRIPT_TOO_MANY_DEFERRED},
        {std::string(SCRIPT_HEADER_SIZE - 1, '\0'), SCRIPT_HEADER_SHORT},  // taken as the block itself
    };
    for (const auto& c : cases) {
        std::string error, block = c.description[0] ? BuildScript(c.description, nullptr, &error) : c.description;
        ASSERT_FALSE(block.empty()) << error;
        EXPECT_EQ(CheckScript(block.data(), block.size()), c.fault) << c.description.substr(0, 200);
    }
}

TEST(ParseDescriptionTest, RefusedDescriptionsNameTheirLine) {
    const struct { std::string description, error; } cases[] = {
        {Top + "frobnicate 1\nend\n", "line 7: unknown keyword frobnicate"}, {Top + "file \"x\"\n", "the description has no end"},
        {"product \"P\"\nfile \"x\"\n", "line 2: a record before the four header strings"},
        {"product \"P\"\nmessage \"M\"\n", "line 2: header strings come in the order"}, {Top + "end\nfile \"x\"\n", "line 8: a record after end"},
        {Top + "file \"a\\qb\"\nend\n", "line 7: unknown escape \\q"}, {Top + "file \"a\\x4\"\nend\n", "line 7: \\x needs two hexadecimal digits"},
        {Top + "file \"a\\x00b\"\nend\n", "line 7: a string cannot hold a NUL byte"}, {Top + "file \"a\nend\n", "line 7: string without its closing quote"},
        {Top + "file \"\xF0\x9F\x98\x80\"\nend\n", "line 7: text has no code page 932 form"},
        {Top + "menu-folder 0x141 \"x\"\nend\n", "line 7: menu-folder needs a byte value"},
        {Top + "shortcut 0x20 \"x\"\nend\n", "line 7: shortcut takes 2 number(s) and 5 string(s)"},
        {Top + "bytes 00\n", "line 7: bytes needs unchecked"}, {"flags 1\nflags 2\n", "line 2: flags given twice"},
        {"product \"P\"\ntitle \"" + std::string(80, 'T') + "\"\n", "line 2: the title is longer than 79 bytes"},
        {"install-dir \"" + std::string(260, 'd') + "\"\n", "line 1: install-dir is longer than 259 bytes"},
        {"product \"P\"\nunchecked\n", "line 2: unchecked stands alone"},
        {Top + Repeat("menu-folder 0x41 \"S\"\n", 301) + "end\n", "the uninstaller would refuse this script: more than 300"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(BuildScript(c.description, nullptr, &error), "") << c.description.substr(0, 200);
        EXPECT_EQ(error.compare(0, c.error.size(), c.error), 0) << error;
    }
}

TEST(DumpDescriptionTest, BrokenScriptsRoundTrip) {
    std::string full = BuildScript(u8"install-dir \"C:\\\\ｱﾌﾟﾘ\"\nproduct \"P\"\ntitle \"T\"\nmessage \"M\"\ndefault-dir \"%p\"\n"
                                   u8"file \"%i\\\\a.hlp\"\nshortcut 0xC3 0 \"表\" \"%i\" \"\" \"\" \"\"\nend\n");
    std::string unknown = full, trailing = full + "\x01\x02", oddDir = full, duplicate = full, text, error;
    unknown[full.size() - 20] = 9;
    oddDir[16 + 200] = 'x';  // a byte after the directory's NUL
    duplicate.replace(duplicate.find("\x95\x5C"), 2, "\x87\x90");  // a code that Unicode maps to another
    std::vector<std::string> variants = {unknown, trailing, oddDir, duplicate,
                                         BuildScript("product \"a\\x01b\\x7F\\t\\\"\"\ntitle \"\"\nmessage \"\"\ndefault-dir \"\"\nend\n")};
    for (size_t k = 0; k <= full.size(); k += 7) variants.push_back(full.substr(0, k < 276 ? 276 : k));
    for (const std::string& bytes : variants) {
        ASSERT_TRUE(uninstal_script::DumpDescription(bytes, &text, &error)) << error;
        EXPECT_EQ(BuildScript(text, nullptr, &error), bytes) << error << "\n" << text;
    }
    ASSERT_TRUE(uninstal_script::DumpDescription(full, &text, &error) && text.find("unchecked") == std::string::npos);
    ASSERT_TRUE(uninstal_script::DumpDescription(trailing, &text, &error) && text.find("trailing 01 02") != std::string::npos);
    EXPECT_FALSE(uninstal_script::DumpDescription(std::string(275, '\0'), &text, &error));
}

}  // namespace
