#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace velu {
namespace {

struct Formatted {
    double value;
    const wchar_t* comma;
};

class GeneralFormat : public ::testing::TestWithParam<Formatted> {};

TEST_P(GeneralFormat, ShowsAtMostFifteenDigitsAndSwitchesToScientificOnlyWhenNeeded) {
    EXPECT_EQ(formatGeneral(GetParam().value, L','), GetParam().comma);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GeneralFormat,
    ::testing::Values(
        Formatted{7850, L"7850"}, Formatted{0.001, L"0,001"}, Formatted{1.25, L"1,25"},
        Formatted{2700.5, L"2700,5"}, Formatted{0, L"0"}, Formatted{-5.5, L"-5,5"},
        Formatted{1e15, L"1E+15"}, Formatted{999999999999999, L"999999999999999"},
        Formatted{5.6789e-11, L"0,000000000056789"}, Formatted{5.6789e-12, L"5,6789E-12"},
        Formatted{0.1 + 0.2, L"0,3"}, Formatted{1.0 / 3.0, L"0,333333333333333"},
        Formatted{123456789012345678.0, L"1,23456789012346E+17"}, Formatted{1e100, L"1E+100"},
        Formatted{1.5e-5, L"0,000015"}, Formatted{1.23456789012345e-5, L"1,23456789012345E-05"},
        Formatted{9.999999999999999e14, L"1E+15"}, Formatted{1e10, L"10000000000"},
        Formatted{2.5e-10, L"0,00000000025"}));

TEST(GeneralFormat, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(formatGeneral(1.25, L'.'), L"1.25");
    EXPECT_EQ(formatGeneral(5.6789e-12, L'.'), L"5.6789E-12");
}

TEST(GeneralFormat, EveryShownValueReadsBackToTheSameFifteenDigitValue) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 2000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const auto shown = formatGeneral(value, L',');
        const auto back = parseNumber(shown, L',');
        ASSERT_TRUE(back.has_value()) << "not readable: " << value;
        EXPECT_NEAR(*back, value, std::fabs(value) * 1e-14) << value;
    }
}

// Masses: three decimals, rounded; a value too large for them is shown as in general.
TEST(FixedFormat, ShowsTheDecimalsAskedForWithTheUsersSeparator) {
    EXPECT_EQ(formatFixed(12.3454, 3, L','), L"12,345");
    EXPECT_EQ(formatFixed(12.3456, 3, L'.'), L"12.346");
    EXPECT_EQ(formatFixed(2, 3, L','), L"2,000");
    EXPECT_EQ(formatFixed(-0.0001, 3, L','), L"0,000");
    EXPECT_EQ(formatFixed(-1.5, 3, L','), L"-1,500");
    EXPECT_EQ(formatFixed(1e10, 3, L','), L"10000000000,000");
    EXPECT_EQ(formatFixed(1e-10, 3, L','), L"0,000");
    EXPECT_EQ(formatFixed(1e15, 3, L','), L"1E+15");
}

TEST(ParseNumber, ReadsTheUserFormatOnly) {
    EXPECT_EQ(parseNumber(L"2,7", L','), 2.7);
    EXPECT_EQ(parseNumber(L"2.7", L'.'), 2.7);
    EXPECT_EQ(parseNumber(L" 7850 ", L','), 7850.0);
    EXPECT_EQ(parseNumber(L"-1,5", L','), -1.5);
    EXPECT_EQ(parseNumber(L"+3", L','), 3.0);
    EXPECT_EQ(parseNumber(L"1,5E3", L','), 1500.0);
    EXPECT_EQ(parseNumber(L"2,5E+10", L','), 2.5e10);
    EXPECT_EQ(parseNumber(L"2,5E-10", L','), 2.5e-10);
    EXPECT_EQ(parseNumber(L",5", L','), 0.5);
    EXPECT_EQ(parseNumber(L"7850", L','), 7850.0);
}

TEST(ParseNumber, RefusesWhatIsNotANumberInsteadOfGuessing) {
    for (const wchar_t* text : {L"2.7", L"1.000,5", L"", L"  ", L"abc", L"7850 kg", L"1,2,3", L"1E",
                                L"E5", L"-", L",", L"0x10", L"1 000"}) {
        EXPECT_FALSE(parseNumber(text, L',').has_value()) << text;
    }
    EXPECT_FALSE(parseNumber(L"2,7", L'.').has_value());
    EXPECT_FALSE(parseNumber(L"1E999", L',').has_value());
}

TEST(ParseNumber, KeepsTheExactDoubleOfTheText) {
    EXPECT_EQ(parseNumber(L"7850", L','), 7850.0);
    EXPECT_EQ(parseNumber(L"0,1", L','), 0.1);
    EXPECT_EQ(parseNumber(L"8,96", L','), 8.96);
}

TEST(ParseWholeNumber, AcceptsSignedDecimalsThatFitThirtyTwoBits) {
    EXPECT_EQ(parseWholeNumber(L"12"), 12);
    EXPECT_EQ(parseWholeNumber(L" -5 "), -5);
    EXPECT_EQ(parseWholeNumber(L"+3"), 3);
    EXPECT_EQ(parseWholeNumber(L"-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(parseWholeNumber(L"2147483647"), std::numeric_limits<std::int32_t>::max());
    for (const wchar_t* text : {L"", L"abc", L"1.5", L"12abc", L"2147483648", L"-", L"1 2"}) {
        EXPECT_FALSE(parseWholeNumber(text).has_value()) << text;
    }
}

}  // namespace
}  // namespace velu
