// The script reader on real files: the UnInstal image as built, scripts
// appended to it, and truncated or corrupted ones.
#include "uninstal/script_reader.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "uninstal/core/script_format.h"
#include "wine_test_util.h"

using namespace uninstal;

namespace {

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

class ScriptReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        image_ = ReadAll(ProgramFolder() + "UnInstal.exe");
        ASSERT_EQ(image_.size(), (size_t)kScriptOffset) << "UnInstal.exe beside the tests, padded to 0xC000";
    }
    // Writes the image with bytes appended and reads it back.
    int Read(const std::string& appended, UninstallScript* script) {
        std::string path = scratch_ / "UnInstal.exe";
        EXPECT_TRUE(WriteBytes(path, image_ + appended));
        return ReadScriptFile(path.c_str(), script);
    }
    ScratchFolder scratch_{"bvu_reader_test"};
    std::string image_;
};

TEST_F(ScriptReaderTest, ImageAloneHoldsNoScript) {
    UninstallScript script;
    EXPECT_EQ(Read("", &script), 0);
    EXPECT_EQ(script.block, nullptr);
    EXPECT_EQ(script.handle, nullptr);
    EXPECT_EQ(ReadScriptFile((scratch_ / "missing.exe").c_str(), &script), 0);
}

TEST_F(ScriptReaderTest, AppendedScriptIsReadWhole) {
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\n", "C:\\App", 0x100E0);
    ASSERT_FALSE(block.empty());
    UninstallScript script;
    ASSERT_EQ(Read(block, &script), 1);
    EXPECT_EQ(std::string(script.block, block.size()), block);
    EXPECT_EQ(script.data, script.block + kHeaderSize);
    EXPECT_STREQ(NthString(script.data, 0), "BvuWineTest");
    EXPECT_EQ(GlobalSize(script.handle), block.size());
    FreeUninstallScript(&script);
    EXPECT_EQ(script.block, nullptr);
}

TEST_F(ScriptReaderTest, TruncatedScriptsAreRefused) {
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\ndirectory \"%i\"\n", "C:\\App");
    ASSERT_FALSE(block.empty());
    for (size_t k = 0; k < block.size(); k += (k < kHeaderSize ? 69 : 3)) {
        UninstallScript script;
        EXPECT_EQ(Read(block.substr(0, k), &script), 0) << "cut to " << k << " bytes";
        EXPECT_EQ(script.block, nullptr);
    }
}

TEST_F(ScriptReaderTest, CorruptedScriptsAreRefused) {
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\n", "C:\\App");
    ASSERT_FALSE(block.empty());
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no end record", block.substr(0, block.size() - 1)},
        {"string runs off the end", block.substr(0, block.size() - 2) + "x"},
        {"installDir without a NUL", block.substr(0, 16) + std::string(260, 'D') + block.substr(276)},
    };
    // Those above also carry a dataLength that no longer matches; fix it so
    // that only the walk can refuse them.
    for (Case& c : cases) {
        uint32_t length = (uint32_t)(c.bytes.size() - kHeaderSize);
        memcpy(&c.bytes[12], &length, 4);
        UninstallScript script;
        EXPECT_EQ(Read(c.bytes, &script), 0) << c.name;
    }
}

TEST_F(ScriptReaderTest, DataLengthBelow120000) {
    std::string block = ScriptBlock("", "C:\\App");
    for (uint32_t length : {119999u, 120000u}) {
        std::string bytes = block;
        bytes.resize(kHeaderSize + length, '\0');
        memcpy(&bytes[12], &length, 4);
        UninstallScript script;
        EXPECT_EQ(Read(bytes, &script), length < 120000 ? 1 : 0) << length;
        FreeUninstallScript(&script);
    }
}

TEST_F(ScriptReaderTest, ShortDataReadIsRefused) {
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\n", "C:\\App");
    uint32_t length = (uint32_t)(block.size() - kHeaderSize) + 100;  // claims more than the file holds
    memcpy(&block[12], &length, 4);
    UninstallScript script;
    EXPECT_EQ(Read(block, &script), 0);
}

}  // namespace
