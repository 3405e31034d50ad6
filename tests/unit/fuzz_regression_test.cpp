// Inputs the fuzz targets (fuzz/) led to, kept as ordinary tests of the public interface. The
// raw inputs are in fuzz/regressions/<target>/.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "common/number_text.h"
#include "main_window_fixture.h"
#include "support/text.h"

namespace velu {
namespace {

// fuzz/regressions/startup/density_near_largest_double: a density just below the largest
// double rounded up to 15 digits beyond it, and the window showed "1,79769313486232E+308",
// a text that reads back as no number.
TEST(FuzzRegression, LargestDoubleIsShownAsATextThatReadsBack) {
    const double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(formatGeneral(largest, L','), L"1,79769313486231E+308");
    EXPECT_EQ(formatGeneral(-largest, L'.'), L"-1.79769313486231E+308");
    for (const double value : {largest, std::nextafter(largest, 0.0), 1.797693134862315e308,
                               1.7976931348623149e308, 1.79769313486231e308}) {
        for (const wchar_t separator : {L',', L'.'}) {
            const std::wstring shown = formatGeneral(value, separator);
            const std::optional<double> back = parseNumber(shown, separator);
            ASSERT_TRUE(back.has_value()) << text::toUtf8(shown);
            EXPECT_EQ(formatGeneral(*back, separator), shown);
            EXPECT_LE(*back, value);
        }
    }
}

TEST(FuzzRegression, RoundingUpStaysCorrectBelowTheLargestDouble) {
    // Only a value that rounds up beyond the range is cut; all others keep the correct rounding.
    EXPECT_EQ(formatGeneral(1.797693134862314e308, L','), L"1,79769313486231E+308");
    EXPECT_EQ(formatGeneral(9.999999999999999e307, L','), L"1E+308");
    EXPECT_EQ(formatGeneral(1.2345678901234567e300, L','), L"1,23456789012346E+300");
}

using FuzzRegressionStart = testing::MainWindowFixture;

TEST_F(FuzzRegressionStart, DensityNearTheLargestDoubleIsShownReadably) {
    files.writeBeside(L"velu.ini",
                      "[Dichtewerte]\nAnzahl=0\nName0=X\nWert0=1,7976931348623157E308\n");
    start();
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(window->materialDensities().size(), 1u);
    EXPECT_EQ(window->materialDensities()[0], std::numeric_limits<double>::max());
    const std::wstring& shown = control(L"lblAuswahlWert").caption();
    EXPECT_EQ(shown, L"1,79769313486231E+308");
    EXPECT_TRUE(parseNumber(shown, L',').has_value());
}

}  // namespace
}  // namespace velu
