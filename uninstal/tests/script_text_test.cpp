#include "tools/uninstal-script/script_text.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "test_scripts.h"
#include "uninstal/core/script_format.h"

using namespace uninstal;
using uninstal_script::DumpDescription;
using uninstal_script::ParseDescription;
using uninstal_script::ScriptImage;

namespace {

std::string ReadExample(const char* name) {
    std::string path = std::string(UNINSTAL_EXAMPLES_DIR) + "/" + name;
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

std::string Dump(const std::string& bytes) {
    std::string text, error;
    EXPECT_TRUE(DumpDescription(bytes, &text, &error)) << error;
    return text;
}

class ReferenceScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        description_ = ReadExample("bravik.uninstall.txt");
        ASSERT_FALSE(description_.empty());
        std::string error, warnings;
        ASSERT_TRUE(ParseDescription(description_, nullptr, &image_, &error, &warnings)) << error;
        EXPECT_EQ(warnings, "");
        bytes_ = image_.Bytes();
    }
    std::string description_;
    ScriptImage image_;
    std::string bytes_;
};

TEST_F(ReferenceScriptTest, HeaderAndLength) {
    ASSERT_EQ(bytes_.size(), 276u + 740u);
    EXPECT_EQ(kScriptOffset + bytes_.size(), 50168u);
    ScriptHeader header;
    memcpy(&header, bytes_.data(), sizeof header);
    EXPECT_EQ(header.uninstallFlags, 0x100E0u);
    EXPECT_EQ(header.wordAt4, 3u);
    EXPECT_EQ(header.scriptEnd, 0xC2E4u);
    EXPECT_EQ(header.dataLength, 740u);
    EXPECT_EQ(std::string(header.installDir, sizeof header.installDir), std::string(260, '\0'));
    EXPECT_EQ(CheckScript(bytes_.data(), bytes_.size()), kScriptSound);
}

TEST_F(ReferenceScriptTest, StringsAndRecords) {
    const char* data = bytes_.data() + kHeaderSize;
    EXPECT_STREQ(NthString(data, 0), "Bravik");
    EXPECT_STREQ(NthString(data, 1), "Bravikのｱﾝｲﾝｽﾄｰﾙ");
    std::string message = NthString(data, 2);
    EXPECT_EQ(message.find("Bravikのｱﾝｲﾝｽﾄｰﾙを行ないます。"), 0u);
    EXPECT_NE(message.find("。\r\n\r\nBravik for Windows Version 1.43\r\n"), std::string::npos);
    EXPECT_STREQ(NthString(data, 3), "%p\\Quibrel\\Bravik");

    // Type bytes in order, and the strings the uninstaller reads.
    const unsigned char types[] = {7, 7, 7, 7, 7, 7, 6, 2, 2, 2, 3, 4, 4, 4, 5, 0};
    const char* record = NthString(data, 4);
    for (size_t i = 0; i < sizeof types; ++i) {
        ASSERT_EQ((unsigned char)*record, types[i]) << "record " << i + 1;
        if (!types[i]) break;
        const RecordLayout* layout = FindRecordLayout(types[i]);
        const char* strings = RecordStrings(record, layout);
        switch (i) {
        case 0: EXPECT_STREQ(strings, "%i\\Bravik.cnt"); break;
        case 8:
            EXPECT_STREQ(NthString(strings, 2), "\"%i\\Bravik.exe\" /A %1");
            EXPECT_STREQ(NthString(strings, 4), "MAKE実行(&X)");
            break;
        case 10: EXPECT_EQ((unsigned char)record[1], 0x41); break;
        case 12:
            EXPECT_EQ((unsigned char)record[1], 0xC3);
            EXPECT_STREQ(strings, "Bravik ﾒｲｸﾂｰﾙ");
            break;
        default: break;
        }
        record = NthString(strings, layout->stringCount);
    }
    EXPECT_EQ(record + 1, bytes_.data() + bytes_.size());
}

TEST_F(ReferenceScriptTest, DumpGivesTheDescriptionBackByteForByte) {
    std::string text = Dump(bytes_);
    EXPECT_EQ(text, description_);
    ScriptImage again;
    std::string error, warnings;
    ASSERT_TRUE(ParseDescription(text, nullptr, &again, &error, &warnings)) << error;
    EXPECT_EQ(again.Bytes(), bytes_);
}

TEST_F(ReferenceScriptTest, InstallDirectoryFromTheCommandLine) {
    ScriptImage image;
    std::string error, warnings, dir = "C:\\Program Files\\Quibrel\\Bravik";
    ASSERT_TRUE(ParseDescription(description_, &dir, &image, &error, &warnings)) << error;
    EXPECT_EQ(image.data, image_.data);
    EXPECT_STREQ(image.header.c_str() + 16, dir.c_str());
    std::string tooLong(260, 'x');
    EXPECT_FALSE(ParseDescription(description_, &tooLong, &image, &error, &warnings));
}

TEST(ParseDescriptionTest, RefusedDescriptionsNameTheirLine) {
    const std::string top = ScriptTop();
    struct Case {
        std::string description;
        const char* error;
    } cases[] = {
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
    };
    for (const Case& c : cases) {
        ScriptImage image;
        std::string error, warnings;
        EXPECT_FALSE(ParseDescription(c.description, nullptr, &image, &error, &warnings)) << c.description;
        EXPECT_EQ(error.compare(0, strlen(c.error), c.error), 0) << error;
    }
}

TEST(ParseDescriptionTest, ScriptTheUninstallerWouldRefuseNeedsUnchecked) {
    std::string records;
    for (int i = 0; i < 301; ++i) records += "shortcut 0x03 0 \"T\" \"x\" \"\" \"\" \"\"\n";
    ScriptImage image;
    std::string error, warnings;
    EXPECT_FALSE(ParseDescription(ScriptTop() + records + "end\n", nullptr, &image, &error, &warnings));
    EXPECT_EQ(error, "the uninstaller would refuse this script: more than 300 shortcut and menu folder records");
    ASSERT_TRUE(ParseDescription("unchecked\n" + ScriptTop() + records + "end\n", nullptr, &image, &error, &warnings));
    EXPECT_NE(warnings.find("more than 300"), std::string::npos);
}

TEST(DumpDescriptionTest, BrokenScriptsRoundTrip) {
    std::string full = BuildScript(ScriptTop(u8"C:\\\\ｱﾌﾟﾘ") +
                                   u8"file \"%i\\\\a.hlp\"\nshortcut 0xC3 0 \"表\" \"%i\" \"\" \"\" \"\"\nend\n");
    ASSERT_FALSE(full.empty());
    std::vector<std::string> variants;
    for (size_t k = 0; k <= full.size(); k += 7) variants.push_back(full.substr(0, k < 276 ? 276 : k));
    std::string unknown = full;
    unknown[full.size() - 20] = 9;
    variants.push_back(unknown);
    std::string trailing = full + std::string("\x01\x02", 2);
    variants.push_back(trailing);
    std::string oddDir = full;
    oddDir[16 + 200] = 'x';  // a byte after the directory's NUL
    variants.push_back(oddDir);
    std::string duplicate = full;
    duplicate.replace(duplicate.find("\x95\x5C"), 2, "\x87\x90");  // a code that Unicode maps to another
    variants.push_back(duplicate);
    for (const std::string& bytes : variants) {
        std::string text = Dump(bytes);
        ScriptImage image;
        std::string error, warnings;
        ASSERT_TRUE(ParseDescription(text, nullptr, &image, &error, &warnings)) << error << "\n" << text;
        EXPECT_EQ(image.Bytes(), bytes) << text;
    }
    EXPECT_NE(Dump(duplicate).find("\\x87\\x90"), std::string::npos);
    EXPECT_EQ(Dump(full).find("unchecked"), std::string::npos);
    EXPECT_NE(Dump(trailing).find("trailing 01 02"), std::string::npos);
}

TEST(DumpDescriptionTest, ControlCharactersAreEscaped) {
    std::string bytes = BuildScript("product \"a\\x01b\\x7F\\t\\\"\"\ntitle \"\"\nmessage \"\"\ndefault-dir \"\"\nend\n");
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(Dump(bytes).find("product \"a\\x01b\\x7F\\t\\\"\"\n"), std::string::npos);
    std::string text, error;
    EXPECT_FALSE(DumpDescription(std::string(275, '\0'), &text, &error));
}

}  // namespace
