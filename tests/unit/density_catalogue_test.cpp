#include "config/density_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "profile_file_fixture.h"

namespace velu::config {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class Catalogue : public testing::ProfileFileFixture {
  protected:
    Catalogue() : ProfileFileFixture(L"C:\\Velumar\\velu.ini") {}
    DensityCatalogue load(wchar_t separator = L',') {
        auto catalogue = loadDensityCatalogue(open(), separator);
        notices = catalogue.notices;
        return catalogue;
    }
};

TEST_F(Catalogue, WithoutAFileOrAnzahlTheBuiltInThreeMaterialsAreUsedWithStahlSelected) {
    for (const std::string& text :
         {std::string(), std::string("[Andere]\r\nAnzahl=2\r\n"),
          std::string("[Dichtewerte]\r\nName0=Gold\r\nWert0=19300\r\ndefault=0\r\n")}) {
        if (!text.empty()) write(text);
        const auto c = load();
        EXPECT_THAT(c.names, ElementsAre(L"Wasser", L"Aluminium", L"Stahl"));
        EXPECT_THAT(c.densities, ElementsAre(1000.0, 2700.0, 7850.0));
        EXPECT_EQ(c.defaultIndex, 2);
    }
    EXPECT_TRUE(notices.empty());
}

TEST_F(Catalogue, AnzahlIsTheHighestIndexAndKeysAboveItAreNeverRead) {
    write(
        "[Dichtewerte]\r\nAnzahl=2\r\nName0=A\r\nWert0=1\r\nName1=B\r\nWert1=2,5\r\n"
        "Name2=C\r\nWert2=3\r\nName3=D\r\nWert3=kaputt\r\n");
    const auto c = load();
    EXPECT_THAT(c.names, ElementsAre(L"A", L"B", L"C"));
    EXPECT_THAT(c.densities, ElementsAre(1.0, 2.5, 3.0));
    EXPECT_EQ(c.defaultIndex, 0);
    EXPECT_TRUE(notices.empty());
}

TEST_F(Catalogue, AnzahlZeroGivesOneMaterialAndAMissingNameGivesAnEmptyEntry) {
    write("[Dichtewerte]\r\nAnzahl=1\r\nWert0=8,96\r\nName1=Kupfer\r\nWert1=8960\r\n");
    const auto c = load();
    EXPECT_THAT(c.names, ElementsAre(L"", L"Kupfer"));
    EXPECT_THAT(c.densities, ElementsAre(8.96, 8960.0));
}

TEST_F(Catalogue, DensitiesAreReadWithTheUsersDecimalSeparator) {
    write("[Dichtewerte]\r\nAnzahl=0\r\nName0=X\r\nWert0=2.7\r\n");
    EXPECT_THAT(load(L'.').densities, ElementsAre(2.7));
    EXPECT_TRUE(notices.empty());

    write("[Dichtewerte]\r\nAnzahl=0\r\nName0=X\r\nWert0=2,7\r\n");
    EXPECT_THAT(load(L',').densities, ElementsAre(2.7));
}

TEST_F(Catalogue, ABadDensityIsReportedWithFileKeyAndTextAndTheBuiltInListIsUsed) {
    struct Case {
        std::string wert;
        const wchar_t* reported;
    };
    for (const Case& bad : {Case{"Wert1=2.7\r\n", L"\"2.7\""}, Case{"Wert1=abc\r\n", L"\"abc\""},
                            Case{"Wert1=\r\n", L"fehlt"}, Case{"", L"fehlt"}}) {
        notices.clear();
        write("[Dichtewerte]\r\nAnzahl=1\r\nName0=A\r\nWert0=1\r\nName1=B\r\n" + bad.wert);
        const auto c = load(L',');
        EXPECT_THAT(c.names, ElementsAre(L"Wasser", L"Aluminium", L"Stahl"));
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_THAT(notices[0].text, HasSubstr(path));
        EXPECT_THAT(notices[0].text, HasSubstr(L"Wert1"));
        EXPECT_THAT(notices[0].text, HasSubstr(bad.reported));
        EXPECT_EQ(notices[0].style, BoxStyle::Warning);
    }
}

TEST_F(Catalogue, AnAnzahlBelowMinusOneIsReportedAndTheBuiltInListIsUsed) {
    write("[Dichtewerte]\r\nAnzahl=-5\r\nName0=A\r\nWert0=1\r\n");
    const auto c = load();
    EXPECT_EQ(c.names.size(), 3u);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_THAT(notices[0].text, HasSubstr(L"Anzahl"));
    EXPECT_THAT(notices[0].text, HasSubstr(L"\"-5\""));
}

TEST_F(Catalogue, AnAnzahlOutsideSixteenBitsReadsAsZeroAfterTheOverflowBox) {
    write("[Dichtewerte]\r\nAnzahl=40000\r\nName0=A\r\nWert0=1\r\nName1=B\r\nWert1=2\r\n");
    const auto c = load();
    EXPECT_THAT(c.names, ElementsAre(L"A"));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, L"Error: 6. Overflow");
    EXPECT_EQ(notices[0].title, L"INIGetSettingInteger");
    EXPECT_EQ(notices[0].style, BoxStyle::Plain);
}

TEST_F(Catalogue, ADefaultThatNamesNoEntryIsReportedAndTheFirstEntrySelected) {
    for (const char* index : {"3", "-1", "99"}) {
        notices.clear();
        write(std::string("[Dichtewerte]\r\nAnzahl=2\r\ndefault=") + index +
              "\r\nName0=A\r\nWert0=1\r\nName1=B\r\nWert1=2\r\nName2=C\r\nWert2=3\r\n");
        const auto c = load();
        EXPECT_EQ(c.names.size(), 3u);
        EXPECT_EQ(c.defaultIndex, 0);
        ASSERT_EQ(notices.size(), 1u) << index;
        EXPECT_THAT(notices[0].text, HasSubstr(L"\"default\""));
        EXPECT_THAT(notices[0].text, HasSubstr(path));
    }
    write("[Dichtewerte]\r\nAnzahl=1\r\ndefault=1\r\nName0=A\r\nWert0=1\r\nName1=B\r\nWert1=2\r\n");
    EXPECT_EQ(load().defaultIndex, 1);
}

TEST_F(Catalogue, TheLargestCatalogueLoadsWholeAndParsesTheFileOnce) {
    std::string text = "[Dichtewerte]\r\nAnzahl=32767\r\ndefault=32767\r\n";
    for (int i = 0; i <= 32767; ++i) {
        text += "Name" + std::to_string(i) + "=Stoff " + std::to_string(i) + "\r\nWert" +
                std::to_string(i) + "=" + std::to_string(i) + ",5\r\n";
    }
    write(text);
    const auto c = load();
    ASSERT_EQ(c.names.size(), 32768u);
    ASSERT_EQ(c.densities.size(), 32768u);
    EXPECT_EQ(c.names.back(), L"Stoff 32767");
    EXPECT_EQ(c.densities.back(), 32767.5);
    EXPECT_EQ(c.defaultIndex, 32767);
    EXPECT_EQ(ini.parseCount(), 1u);
}

// Counts how often the file system is asked for a file's stamp.
class CountingFiles final : public FileSystem {
  public:
    explicit CountingFiles(const testing::MemoryFiles& files) : files_(files) {}
    std::wstring executableDirectory() const override { return files_.executableDirectory(); }
    std::optional<FileStamp> stamp(const std::wstring& path) const override {
        ++stamps;
        return files_.stamp(path);
    }
    std::optional<std::string> readAll(const std::wstring& path) const override {
        return files_.readAll(path);
    }
    bool isOrdinaryFile(const std::wstring& path) const override {
        return files_.isOrdinaryFile(path);
    }
    mutable int stamps = 0;

  private:
    const testing::MemoryFiles& files_;
};

TEST_F(Catalogue, OneLoadLooksAtTheFileOnceAndTheNextLoadSeesItsChanges) {
    write("[Dichtewerte]\r\nAnzahl=1\r\nName0=A\r\nWert0=1\r\nName1=B\r\nWert1=2\r\n");
    CountingFiles counting(files);
    ProfileReader reader(counting, ansi);
    EXPECT_EQ(loadDensityCatalogue(reader.open(path), L',').names.size(), 2u);
    EXPECT_EQ(counting.stamps, 1);

    write("[Dichtewerte]\r\nAnzahl=0\r\nName0=C\r\nWert0=3\r\n");
    EXPECT_THAT(loadDensityCatalogue(reader.open(path), L',').names, ElementsAre(L"C"));
    EXPECT_EQ(reader.parseCount(), 2u);
}

}  // namespace
}  // namespace velu::config
