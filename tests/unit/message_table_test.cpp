#include "config/message_table.h"

#include <gmock/gmock.h>

#include "profile_file_fixture.h"

namespace velu::config {
namespace {

using ::testing::ElementsAre;

class MessageTableLoad : public testing::ProfileFileFixture {
  protected:
    MessageTableLoad() : ProfileFileFixture(L"C:\\Velumar\\default.ini") {}
    std::vector<std::wstring> load() {
        auto table = loadMessageTable(open());
        notices = table.notices;
        return table.texts;
    }
    std::vector<std::wstring> load(const std::string& text) {
        write(text);
        return load();
    }
};

TEST_F(MessageTableLoad, WithoutAFileOrAnzahlInfoTheBuiltInTextsAreUsed) {
    const auto builtIn =
        std::vector<std::wstring>(builtInMessages().begin(), builtInMessages().end());
    EXPECT_EQ(load(), builtIn);
    EXPECT_EQ(load("[messages]\r\nInfo0=ignoriert\r\n"), builtIn);
}

TEST_F(MessageTableLoad, TheFilesTextsReplaceTheBuiltInOnesEntryByEntryAsStored) {
    const auto texts = load(
        "[messages]\r\nAnzahlInfo=8\r\nInfo0=T\r\nInfo1=  Erfolg  \r\nInfo2=\"  zwei  \"\r\n"
        "Info3=3\r\nInfo4=4\r\nInfo5=5\r\nInfo6=6\r\nInfo7=7\r\nInfo8=8\r\nInfo9=9\r\n");
    ASSERT_EQ(texts.size(), kMessageRoles);
    EXPECT_THAT(std::vector(texts.begin(), texts.begin() + 9),
                ElementsAre(L"T", L"Erfolg", L"  zwei  ", L"3", L"4", L"5", L"6", L"7", L"8"));
    // The entries the file does not give are the built-in ones, not Info9 beyond its count.
    EXPECT_EQ(texts[9], builtInMessages()[9]);
}

TEST_F(MessageTableLoad, AShortTableIsCompletedWithTheBuiltInTextsOfTheMissingRoles) {
    const auto texts = load("[messages]\r\nAnzahlInfo=1\r\nInfo0=Titel\r\n");
    ASSERT_EQ(texts.size(), kMessageRoles);
    EXPECT_EQ(texts[0], L"Titel");
    EXPECT_EQ(texts[1], L"");  // present in the table, but empty in the file
    EXPECT_EQ(texts[2], builtInMessages()[kNotAPart]);
    EXPECT_EQ(texts[6], builtInMessages()[kFailure]);
}

TEST_F(MessageTableLoad, AnOverflowingCountGivesEntryZeroFromTheFileAndTheRestBuiltIn) {
    const auto texts = load("[messages]\r\nAnzahlInfo=99999\r\nInfo0=Titel\r\nInfo1=x\r\n");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, L"Error: 6. Overflow");
    EXPECT_EQ(notices[0].title, L"INIGetSettingInteger");
    EXPECT_EQ(texts[0], L"Titel");
    EXPECT_EQ(texts[1], builtInMessages()[kSuccess]);
}

TEST_F(MessageTableLoad, ACountBelowMinusOneGivesTheBuiltInTexts) {
    const auto texts = load("[messages]\r\nAnzahlInfo=-7\r\nInfo0=Titel\r\n");
    EXPECT_EQ(texts.size(), kMessageRoles);
    EXPECT_EQ(texts[0], builtInMessages()[kBoxTitle]);
}

}  // namespace
}  // namespace velu::config
