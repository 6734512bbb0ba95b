// The script reader on real files: the UnInstal image as built with scripts,
// truncated or corrupted ones appended.
#include "uninstal/ui/script_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "wine_test_util.h"

namespace {

class ScriptReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::ifstream file(UnInstalPath().c_str(), std::ios::binary);
        image_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        ASSERT_EQ(image_.size(), (size_t)SCRIPT_OFFSET) << "UnInstal.exe beside the tests, padded to 0xC000";
    }
    int Read(const std::string& appended, UninstallScript* script) {
        EXPECT_TRUE(WriteBytes(scratch_ / "UnInstal.exe", image_ + appended));
        return ReadScriptFile((scratch_ / "UnInstal.exe").c_str(), script);
    }
    ScratchFolder scratch_{"bvu_reader_test"};
    std::string image_;
};

TEST_F(ScriptReaderTest, AppendedScriptIsReadWhole) {
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\n", "C:\\App", 0x100E0);
    ASSERT_FALSE(block.empty());
    UninstallScript script;
    ASSERT_EQ(Read(block, &script), 1);
    EXPECT_EQ(std::string(script.block, block.size()), block);
    EXPECT_EQ(script.data, script.block + SCRIPT_HEADER_SIZE);
    EXPECT_EQ(GlobalSize(script.handle), block.size());
    FreeUninstallScript(&script);
    EXPECT_EQ(script.block, nullptr);
    EXPECT_EQ(ReadScriptFile((scratch_ / "missing.exe").c_str(), &script), 0);
}

// The image alone is refused end to end (tests/e2e/uninstal_sandbox.sh):
// the dialog stays empty.
TEST_F(ScriptReaderTest, OnlyWholeSoundScriptsBelow120000BytesAreTaken) {
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\ndirectory \"%i\"\n", "C:\\App");
    std::string openDir = block, longest = block, tooLong = block;
    openDir.replace(16, 260, std::string(260, 'D'));
    longest.resize(SCRIPT_HEADER_SIZE + 119999, '\0');
    tooLong.resize(SCRIPT_HEADER_SIZE + 120000, '\0');
    std::vector<std::pair<std::string, int>> cases = {{openDir, 0}, {longest, 1}, {tooLong, 0}};
    for (std::pair<std::string, int>& c : cases) FitDataLength(&c.first);
    // Cut anywhere, the data is shorter than dataLength says.
    for (size_t k = 0; k < block.size(); k += (k < SCRIPT_HEADER_SIZE ? 69 : 3))
        cases.push_back({block.substr(0, k), 0});
    for (const auto& c : cases) {
        UninstallScript script;
        EXPECT_EQ(Read(c.first, &script), c.second) << c.first.size() << " bytes";
        EXPECT_EQ(script.block == nullptr, !c.second) << c.first.size() << " bytes";
        FreeUninstallScript(&script);
    }
}

}  // namespace
