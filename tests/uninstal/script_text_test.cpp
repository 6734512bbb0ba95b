#include "tools/uninstal-script/script_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_scripts.h"

using uninstal_script::DumpDescription;
using uninstal_script::ParseDescription;
using uninstal_script::ScriptImage;

namespace {

std::string Dump(const std::string& bytes) {
    std::string text, error;
    return DumpDescription(bytes, &text, &error) ? text : "refused: " + error;
}

TEST(ParseDescriptionTest, RefusedDescriptionsNameTheirLine) {
    const std::string top = ScriptTop();
    const struct { std::string description; const char* error; } cases[] = {
        {top + "frobnicate 1\nend\n", "line 7: unknown keyword frobnicate"},
        {"product \"P\"\nfile \"x\"\n", "line 2: a record before the four header strings"},
        {"product \"P\"\nmessage \"M\"\n", "line 2: header strings come in the order"},
        {top + "end\nfile \"x\"\n", "line 8: a record after end"},
        {top + "file \"x\"\n", "the description has no end"},
        {top + "file \"a\\qb\"\nend\n", "line 7: unknown escape \\q"},
        {top + "file \"a\\x4\"\nend\n", "line 7: \\x needs two hexadecimal digits"},
        {top + "file \"a\\x00b\"\nend\n", "line 7: a string cannot hold a NUL byte"},
        {top + "file \"a\nend\n", "line 7: string without its closing quote"},
        {top + "file \"\xF0\x9F\x98\x80\"\nend\n", "line 7: text has no code page 932 form"},
        {top + "menu-folder 0x141 \"x\"\nend\n", "line 7: menu-folder needs a byte value"},
        {top + "shortcut 0x20 \"x\"\nend\n", "line 7: shortcut takes 2 number(s) and 5 string(s)"},
        {top + "bytes 00\n", "line 7: bytes needs unchecked"},
        {"title \"" + std::string(80, 'T') + "\"\n", "line 1: header strings come in the order"},
        {"product \"P\"\ntitle \"" + std::string(80, 'T') + "\"\n", "line 2: the title is longer than 79 bytes"},
        {"flags 1\nflags 2\n", "line 2: flags given twice"},
        {"install-dir \"" + std::string(260, 'd') + "\"\n", "line 1: install-dir is longer than 259 bytes"},
        {"product \"P\"\nunchecked\n", "line 2: unchecked stands alone"},
        {top + Repeat("shortcut 0x03 0 \"T\" \"x\" \"\" \"\" \"\"\n", 301) + "end\n",
         "the uninstaller would refuse this script: more than 300 shortcut and menu folder records"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(BuildScript(c.description, nullptr, &error), "") << c.description;
        EXPECT_EQ(error.compare(0, strlen(c.error), c.error), 0) << error;
    }
    ScriptImage image;
    std::string error, warnings, records = Repeat("shortcut 0x03 0 \"T\" \"x\" \"\" \"\" \"\"\n", 301);
    ASSERT_TRUE(ParseDescription("unchecked\n" + top + records + "end\n", nullptr, &image, &error, &warnings)) << error;
    EXPECT_NE(warnings.find("more than 300"), std::string::npos);
}

TEST(DumpDescriptionTest, BrokenScriptsRoundTrip) {
    std::string full = BuildScript(ScriptTop(u8"C:\\\\ｱﾌﾟﾘ") +
                                   u8"file \"%i\\\\a.hlp\"\nshortcut 0xC3 0 \"表\" \"%i\" \"\" \"\" \"\"\nend\n");
    ASSERT_FALSE(full.empty());
    std::vector<std::string> variants;
    for (size_t k = 0; k <= full.size(); k += 7) variants.push_back(full.substr(0, k < 276 ? 276 : k));
    std::string unknown = full, trailing = full + "\x01\x02", oddDir = full, duplicate = full;
    unknown[full.size() - 20] = 9;
    oddDir[16 + 200] = 'x';  // a byte after the directory's NUL
    duplicate.replace(duplicate.find("\x95\x5C"), 2, "\x87\x90");  // a code that Unicode maps to another
    std::string control = BuildScript("product \"a\\x01b\\x7F\\t\\\"\"\ntitle \"\"\nmessage \"\"\n"
                                      "default-dir \"\"\nend\n");
    variants.insert(variants.end(), {unknown, trailing, oddDir, duplicate, control});
    for (const std::string& bytes : variants) {
        std::string text = Dump(bytes), error;
        EXPECT_EQ(BuildScript(text, nullptr, &error), bytes) << error << "\n" << text;
    }
    EXPECT_NE(Dump(duplicate).find("\\x87\\x90"), std::string::npos);
    EXPECT_EQ(Dump(full).find("unchecked"), std::string::npos);
    EXPECT_NE(Dump(trailing).find("trailing 01 02"), std::string::npos);
    EXPECT_NE(Dump(control).find("product \"a\\x01b\\x7F\\t\\\"\"\n"), std::string::npos);
    EXPECT_EQ(Dump(std::string(275, '\0')).compare(0, 8, "refused:"), 0);
}

}  // namespace
