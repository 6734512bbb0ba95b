#include "tools/uninstal-script/script_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

// Bravik's shipped script, record by record (its header, the dump and the
// --install-dir build are checked end to end by tests/e2e/uninstal_builder.sh).
TEST(ReferenceScriptTest, StringsAndRecords) {
    std::ifstream file(UNINSTAL_EXAMPLES_DIR "/bravik.uninstall.txt", std::ios::binary);
    std::string description{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::string bytes = BuildScript(description), tooLong(260, 'x');
    ASSERT_EQ(bytes.size(), 276u + 740u);
    const char* data = bytes.data() + SCRIPT_HEADER_SIZE;
    EXPECT_STREQ(NthString(data, 0), "Bravik");
    EXPECT_STREQ(NthString(data, 1), "Bravikのｱﾝｲﾝｽﾄｰﾙ");
    std::string message = NthString(data, 2);
    EXPECT_EQ(message.find("Bravikのｱﾝｲﾝｽﾄｰﾙを行ないます。"), 0u);
    EXPECT_NE(message.find("。\r\n\r\nBravik for Windows Version 1.43\r\n"), std::string::npos);
    EXPECT_STREQ(NthString(data, 3), "%p\\Quibrel\\Bravik");
    const char* tool = "Bravik ﾒｲｸﾂｰﾙ";
    // location: types 3 and 4 only; fifth string: types 2 and 4 only
    const struct { unsigned char type, location; const char *first, *fifth; } records[] = {
        {7, 0, "%i\\Bravik.cnt", ""}, {7, 0, "%i\\Bravik.exe", ""}, {7, 0, "%i\\Bravik.hlp", ""},
        {7, 0, "%i\\Bravik.mak", ""}, {7, 0, "%i\\Readme.txt", ""}, {7, 0, "%i\\UnInstal.exe", ""}, {6, 0, "%i", ""},
        {2, 0, ".mak", "open"}, {2, 0, ".mak", "MAKE実行(&X)"}, {2, 0, ".makx", "open"},
        {3, 0x41, "Quibrel Software", ""}, {4, 0x20, tool, "%i\\Bravik.exe"}, {4, 0xC3, tool, "%i\\Bravik.exe"},
        {4, 0xC4, tool, "%i\\Bravik.exe"}, {5, 0, "Bravik for Windows(Remove Only)", ""}, {0, 0, "", ""}};
    const char* record = NthString(data, 4);
    for (const auto& r : records) {
        ASSERT_EQ((unsigned char)*record, r.type) << r.first;
        if (!r.type) break;
        const RecordLayout* layout = FindRecordLayout(r.type);
        const char* strings = RecordStrings(record, layout);
        EXPECT_STREQ(strings, r.first);
        if (r.type == 3 || r.type == 4) { EXPECT_EQ((unsigned char)record[1], r.location) << r.first; }
        if (r.type == 2 || r.type == 4) { EXPECT_STREQ(NthString(strings, 4), r.fifth); }
        record = NthString(strings, layout->stringCount);
    }
    EXPECT_EQ(record + 1, bytes.data() + bytes.size());
    EXPECT_EQ(BuildScript(description, &tooLong), "") << "an install directory of 260 bytes";
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
