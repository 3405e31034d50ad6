#include "config/message_table.h"

#include <gmock/gmock.h>

#include "fakes.h"

namespace velu::config {
namespace {

using ::testing::ElementsAre;

class MessageTable : public ::testing::Test {
  protected:
    std::vector<std::wstring> load(const std::string& text) {
        files.write(path, text);
        return loadMessageTable(ini, path);
    }
    testing::MemoryFiles files;
    Windows1252 ansi;
    testing::RecordingBoxes boxes;
    IniFile ini{files, ansi, boxes};
    std::wstring path = L"C:\\Velumar\\default.ini";
};

TEST_F(MessageTable, WithoutAFileOrAnzahlInfoTheSevenBuiltInTextsAreUsed) {
    const auto builtIn =
        std::vector<std::wstring>(builtInMessages().begin(), builtInMessages().end());
    EXPECT_EQ(loadMessageTable(ini, path), builtIn);
    EXPECT_EQ(load("[messages]\r\nInfo0=ignoriert\r\n"), builtIn);
    EXPECT_EQ(builtIn[0], L"Velumar Density Info");
    EXPECT_EQ(builtIn[6], L"*** Couldn't set the density values ***");
}

TEST_F(MessageTable, TheFilesTextsReplaceTheBuiltInOnesEntryByEntryAsStored) {
    const auto texts = load(
        "[messages]\r\nAnzahlInfo=8\r\nInfo0=T\r\nInfo1=  Erfolg  \r\nInfo2=\"  zwei  \"\r\n"
        "Info3=3\r\nInfo4=4\r\nInfo5=5\r\nInfo6=6\r\nInfo7=7\r\nInfo8=8\r\nInfo9=9\r\n");
    EXPECT_THAT(texts,
                ElementsAre(L"T", L"Erfolg", L"  zwei  ", L"3", L"4", L"5", L"6", L"7", L"8"));
}

TEST_F(MessageTable, AShortTableIsCompletedWithTheBuiltInTextsOfTheMissingRoles) {
    const auto texts = load("[messages]\r\nAnzahlInfo=1\r\nInfo0=Titel\r\n");
    ASSERT_EQ(texts.size(), kMessageRoles);
    EXPECT_EQ(texts[0], L"Titel");
    EXPECT_EQ(texts[1], L"");  // present in the table, but empty in the file
    EXPECT_EQ(texts[2], L"*** Active document is not a part ***");
    EXPECT_EQ(texts[6], L"*** Couldn't set the density values ***");
}

TEST_F(MessageTable, AnOverflowingCountGivesEntryZeroFromTheFileAndTheRestBuiltIn) {
    const auto texts = load("[messages]\r\nAnzahlInfo=99999\r\nInfo0=Titel\r\nInfo1=x\r\n");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"Error: 6. Overflow");
    EXPECT_EQ(texts[0], L"Titel");
    EXPECT_EQ(texts[1], L"Success to set the values");
}

TEST_F(MessageTable, ACountBelowMinusOneGivesTheBuiltInTexts) {
    const auto texts = load("[messages]\r\nAnzahlInfo=-7\r\nInfo0=Titel\r\n");
    EXPECT_EQ(texts.size(), kMessageRoles);
    EXPECT_EQ(texts[0], L"Velumar Density Info");
}

}  // namespace
}  // namespace velu::config
