// The main window at the resolution of the display: every control at its twips position scaled
// by the DPI, the dialog font and the pictures scaled with it, every caption of both windows
// within its control, the client area in twips, and a new layout when the window moves to a
// monitor of another scale (WM_DPICHANGED).
//
// scripts/test-dpi runs this program in a prefix set to 96, 120, 144 and 192 dpi and names the
// resolution in VELU_TEST_DPI; without it the program expects the platform's 96 dpi.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app_driver.h"
#include "support/text.h"
#include "win32/support/gdi.h"

namespace velu::win32 {
namespace {

// The dialog font at 96 dpi: 8 points, 11 pixels high.
constexpr int kFontHeightAt96 = 11;
// The pictures at 96 dpi: the tool 42 pixels, the faces 32.
constexpr int kToolPixelsAt96 = 42;
constexpr int kFacePixelsAt96 = 32;
// The window's client area in twips.
constexpr int kClientWidthTwips = 4575;
constexpr int kClientHeightTwips = 5055;

UINT expectedDpi() {
    const char* text = std::getenv("VELU_TEST_DPI");
    return text ? static_cast<UINT>(std::strtoul(text, nullptr, 10)) : 96u;
}

double pixels(int twips, UINT dpi) {
    return twips * static_cast<double>(dpi) / 1440.0;
}
double scaled(int pixelsAt96, UINT dpi) {
    return pixelsAt96 * static_cast<double>(dpi) / 96.0;
}

std::string narrow(std::wstring_view text) {
    return text::toUtf8(text);
}

SIZE iconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return SIZE{0, 0};
    // GetIconInfo hands out copies of the icon's bitmaps.
    const UniqueBitmap mask(info.hbmMask);
    const UniqueBitmap colour(info.hbmColor);
    BITMAP bitmap{};
    ::GetObjectW(mask.get(), sizeof bitmap, &bitmap);
    return SIZE{bitmap.bmWidth, colour ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

LOGFONTW fontOf(HWND window) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (handle) ::GetObjectW(handle, sizeof font, &font);
    return font;
}

// What a caption draws: "&&" is one ampersand, a single one marks the access key, and blanks
// at the end (" Dichtewert setzen ") draw nothing.
std::wstring drawnText(std::wstring_view caption) {
    std::wstring shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    while (!shown.empty() && shown.back() == L' ') shown.pop_back();
    return shown;
}

// The width a control gives its caption, as the platform's controls draw it: a push button
// keeps 2 pixels clear of its frame on each side, a frame indents its caption by 7 on each side,
// a check box draws its box (13 pixels at 96 dpi) and half a digit's width before it, a label
// has its whole width.
int captionWidth(forms::Kind kind, HWND control, HDC dc) {
    RECT client{};
    ::GetClientRect(control, &client);
    INT digit = 0;
    switch (kind) {
        case forms::Kind::CommandButton:
            return client.right - 2 * 2;
        case forms::Kind::Frame:
            return client.right - 2 * 7;
        case forms::Kind::CheckBox:
            ::GetCharWidth32W(dc, L'0', L'0', &digit);
            return client.right - ::MulDiv(12, static_cast<int>(::GetDpiForWindow(control)), 96) -
                   1 - digit / 2;
        default:
            return client.right;
    }
}

// Every caption of a window fits its control, measured with the control's own font: on one
// line, but for a label high enough for more, whose words wrap within its height. Returns how
// many captions were measured.
int checkCaptionsFit(const FormWindow& window, const forms::Form& form) {
    int measured = 0;
    for (const auto& control : form.controls()) {
        const HWND hwnd = window.controlWindow(*control);
        const auto kind = control->kind();
        if (!hwnd || (kind != forms::Kind::Label && kind != forms::Kind::CommandButton &&
                      kind != forms::Kind::CheckBox && kind != forms::Kind::Frame)) {
            continue;
        }
        const std::wstring caption = drawnText(testing::windowText(hwnd));
        if (caption.empty()) continue;
        const WindowDc dc(hwnd);
        const SelectedObject font(dc.get(),
                                  reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.get(), &metrics);
        RECT client{};
        ::GetClientRect(hwnd, &client);
        const int width = captionWidth(kind, hwnd, dc.get());
        const std::string what = narrow(control->name()) + " \"" + narrow(caption) + "\"";
        if (kind == forms::Kind::Label && client.bottom >= 2 * metrics.tmHeight) {
            RECT needed{0, 0, width, 0};
            ::DrawTextW(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &needed,
                        DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            EXPECT_LE(needed.right, width) << what;
            EXPECT_LE(needed.bottom, client.bottom) << what << " in " << width << " pixels";
        } else {
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()),
                                    &extent);
            EXPECT_LE(extent.cx, width) << what << " on one line";
        }
        ++measured;
    }
    return measured;
}

class DpiGui : public testing::AppDriver {
  protected:
    FormWindow& formWindow() { return application->mainFormWindow(); }

    // A control's window in client coordinates of the main window.
    RECT placeOf(HWND control) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, main(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // The whole layout at one DPI; returns how many control windows were checked.
    int checkLayout(UINT dpi) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
        EXPECT_EQ(formWindow().dpi(), dpi);
        checkClientArea(dpi);
        int checked = 0;
        for (const auto& control : form().controls()) {
            const HWND hwnd = formWindow().controlWindow(*control);
            if (!hwnd) continue;
            ++checked;
            const std::string name = narrow(control->name());
            const auto twips = formWindow().absoluteTwips(*control);
            const RECT rect = placeOf(hwnd);
            EXPECT_NEAR(rect.left, pixels(twips.left, dpi), 1.0) << name;
            EXPECT_NEAR(rect.top, pixels(twips.top, dpi), 1.0) << name;
            const bool ownSize =
                control->definition().autoSize || control->kind() == forms::Kind::Image;
            if (!ownSize) {
                EXPECT_NEAR(rect.right - rect.left, pixels(twips.width, dpi), 1.0) << name;
                EXPECT_NEAR(rect.bottom - rect.top, pixels(twips.height, dpi), 1.0) << name;
            }
            if (control->kind() != forms::Kind::Image) {
                const LOGFONTW font = fontOf(hwnd);
                EXPECT_NEAR(std::abs(font.lfHeight), scaled(kFontHeightAt96, dpi), 1.0) << name;
            }
        }
        checkPicture(dpi);
        checkAutoSizedLabels();
        checkMenuBarIsOneLine();
        return checked;
    }

    void checkClientArea(UINT dpi) {
        RECT client{};
        ::GetClientRect(main(), &client);
        EXPECT_NEAR(client.right, pixels(kClientWidthTwips, dpi), 1.0);
        EXPECT_NEAR(client.bottom, pixels(kClientHeightTwips, dpi), 1.0);
    }

    // The status picture's static shows the whole icon, which has its size at this DPI.
    void checkPicture(UINT dpi) {
        const HWND picture = window(form().imgVis);
        ASSERT_NE(picture, nullptr);
        const auto shown = reinterpret_cast<HICON>(::SendMessageW(picture, STM_GETICON, 0, 0));
        ASSERT_NE(shown, nullptr);
        const SIZE icon = iconSize(shown);
        const bool tool = shown == formWindow().iconOf(forms::Picture::Tool);
        const double expected = scaled(tool ? kToolPixelsAt96 : kFacePixelsAt96, dpi);
        EXPECT_NEAR(icon.cx, expected, 1.0);
        EXPECT_NEAR(icon.cy, expected, 1.0);
        const RECT rect = placeOf(picture);
        EXPECT_GE(rect.right - rect.left, icon.cx);
        EXPECT_GE(rect.bottom - rect.top, icon.cy);
        RECT client{};
        ::GetClientRect(main(), &client);
        EXPECT_LE(rect.right, client.right);
        EXPECT_LE(rect.bottom, client.bottom);
    }

    // A label that sizes itself is as large as its text in its own font.
    void checkAutoSizedLabels() {
        for (const auto& control : form().controls()) {
            const HWND hwnd = formWindow().controlWindow(*control);
            if (!hwnd || !control->definition().autoSize) continue;
            const std::wstring text = testing::windowText(hwnd);
            const WindowDc dc(hwnd);
            const SelectedObject font(
                dc.get(), reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
            const RECT rect = placeOf(hwnd);
            EXPECT_GE(rect.right - rect.left, extent.cx) << narrow(control->name());
            EXPECT_GE(rect.bottom - rect.top, extent.cy) << narrow(control->name());
        }
    }

    void checkMenuBarIsOneLine() {
        const HMENU bar = ::GetMenu(main());
        ASSERT_NE(bar, nullptr);
        RECT first{};
        RECT last{};
        ASSERT_TRUE(::GetMenuItemRect(main(), bar, 0, &first));
        ASSERT_TRUE(::GetMenuItemRect(main(), bar, ::GetMenuItemCount(bar) - 1, &last));
        EXPECT_EQ(first.top, last.top);
    }

    // Tells the window, as the platform does, that it is now on a monitor of this DPI.
    RECT moveToMonitorOf(UINT dpi) {
        RECT outer{};
        ::GetWindowRect(main(), &outer);
        const int width = ::MulDiv(outer.right - outer.left, static_cast<int>(dpi),
                                   static_cast<int>(formWindow().dpi()));
        const int height = ::MulDiv(outer.bottom - outer.top, static_cast<int>(dpi),
                                    static_cast<int>(formWindow().dpi()));
        RECT suggested{outer.left + 7, outer.top + 5, outer.left + 7 + width,
                       outer.top + 5 + height};
        ::SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        testing::pumpMessages();
        return suggested;
    }
};

TEST_F(DpiGui, TheWindowHasTheResolutionOfThePrefix) {
    start();
    const UINT dpi = expectedDpi();
    EXPECT_EQ(::GetDpiForSystem(), dpi);
    EXPECT_EQ(::GetDpiForWindow(main()), dpi);
    EXPECT_EQ(formWindow().dpi(), dpi);
}

TEST_F(DpiGui, EveryControlSitsAtItsTwipsPositionScaledByTheDpi) {
    start();
    ASSERT_EQ(formWindow().dpi(), expectedDpi());
    EXPECT_EQ(checkLayout(expectedDpi()), 17);  // all 22 but Frame3, the timer, the 3 holders
}

TEST_F(DpiGui, EveryControlSharesOneDialogFontThatGrowsWithTheDpi) {
    start();
    const UINT dpi = expectedDpi();
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageW(window(form().cmdSetDensity), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logical{};
    ASSERT_EQ(::GetObjectW(font, sizeof logical, &logical), int{sizeof logical});
    EXPECT_LT(logical.lfHeight, 0);  // a character height, not a cell height
    EXPECT_NEAR(-logical.lfHeight, scaled(kFontHeightAt96, dpi), 1.0);
    // The font really drawn is as large: its characters grow with the DPI too.
    TEXTMETRICW metrics{};
    {
        const WindowDc dc(main());
        const SelectedObject selected(dc.get(), font);
        ::GetTextMetricsW(dc.get(), &metrics);
    }
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, scaled(kFontHeightAt96, dpi), 1.0);
    for (const auto& control : form().controls()) {
        const HWND hwnd = formWindow().controlWindow(*control);
        if (!hwnd || control->kind() == forms::Kind::Image) continue;
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)), font)
            << narrow(control->name());
    }
}

TEST_F(DpiGui, EveryCaptionOfTheMainWindowAndTheAboutBoxFitsItsControl) {
    start();
    EXPECT_EQ(checkCaptionsFit(formWindow(), form()), 13);
    application->openAbout();
    testing::pumpMessages();
    ASSERT_NE(application->aboutWindow(), nullptr);
    EXPECT_EQ(checkCaptionsFit(*application->aboutWindow(), application->aboutBox()->form()), 6);
}

TEST_F(DpiGui, EveryPictureShowsWholeAtItsSizeForTheDpi) {
    start();
    const UINT dpi = expectedDpi();
    EXPECT_EQ(iconSize(formWindow().iconOf(forms::Picture::Tool)).cx,
              ::MulDiv(kToolPixelsAt96, static_cast<int>(dpi), 96));
    for (auto face : {forms::Picture::Success, forms::Picture::Error}) {
        const SIZE size = iconSize(formWindow().iconOf(face));
        EXPECT_EQ(size.cx, ::MulDiv(kFacePixelsAt96, static_cast<int>(dpi), 96));
        EXPECT_EQ(size.cy, ::MulDiv(kFacePixelsAt96, static_cast<int>(dpi), 96));
    }
    checkPicture(dpi);
    // The status picture changes to a face and back to the tool; each shows whole.
    auto& status = form().imgVis;
    for (auto picture : {forms::Picture::Success, forms::Picture::Error, forms::Picture::Tool}) {
        status.setPicture(picture);
        testing::pumpMessages();
        ASSERT_EQ(statusPicture(), picture);
        checkPicture(dpi);
    }
}

TEST_F(DpiGui, AMoveToAMonitorOfAnotherScaleLaysTheWindowOutAgain) {
    start();
    const UINT first = expectedDpi();
    for (UINT dpi : {96u, 120u, 144u, 192u, 120u}) {
        if (dpi == formWindow().dpi()) continue;
        SCOPED_TRACE("moved to " + std::to_string(dpi) + " dpi");
        const RECT suggested = moveToMonitorOf(dpi);
        EXPECT_EQ(checkLayout(dpi), 17);
        RECT outer{};
        ::GetWindowRect(main(), &outer);
        EXPECT_EQ(outer.left, suggested.left);
        EXPECT_EQ(outer.top, suggested.top);
    }
    // A face shown after the move has the new size too.
    form().imgVis.setPicture(forms::Picture::Error);
    testing::pumpMessages();
    checkPicture(formWindow().dpi());
    // Back on the first monitor the window is as it was made.
    moveToMonitorOf(first);
    EXPECT_EQ(checkLayout(first), 17);
}

}  // namespace
}  // namespace velu::win32
