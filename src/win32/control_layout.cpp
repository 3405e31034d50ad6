#include "win32/control_layout.h"

#include <algorithm>
#include <string>

#include "win32/support/gdi.h"

namespace velu::win32 {
namespace {

using forms::Kind;

constexpr int kComboListHeight = 240;  // pixels of the opened list at 96 dpi
constexpr unsigned kFixed = forms::AnchorLeft | forms::AnchorTop;

// The closed list is as high as the layout says; the opened list hangs below it. The closed
// height follows the height of the selection field. The value asked back need not be the one
// given (Wine adds two pixels to it), so each step corrects the value last given rather than
// the one reported.
void placeComboBox(HWND window, RECT rect, int listHeight) {
    const int height = rect.bottom - rect.top;
    ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                   height + listHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    int item =
        static_cast<int>(::SendMessageW(window, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT closed{};
        ::GetWindowRect(window, &closed);
        const int difference = height - (closed.bottom - closed.top);
        if (difference == 0) break;
        item = std::max(1, item + difference);
        ::SendMessageW(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
    }
}

}  // namespace

std::wstring withoutAccessMarks(const std::wstring& caption) {
    std::wstring plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

forms::TwipsRect ControlLayout::absoluteTwips(const forms::Control& control) const {
    forms::TwipsRect rect = control.definition().rect;
    for (const forms::Control* container = control.container(); container;
         container = container->container()) {
        rect.left += container->definition().rect.left;
        rect.top += container->definition().rect.top;
    }
    return rect;
}

SIZE ControlLayout::clientSize() const {
    const auto& area = form_.clientArea();
    return {toPixels(area.width), toPixels(area.height)};
}

SIZE ControlLayout::windowSize(HWND window, bool menuBar) const {
    const SIZE client = clientSize();
    RECT rect{0, 0, client.cx, client.cy};
    ::AdjustWindowRectExForDpi(&rect, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
                               menuBar,
                               static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi_);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void ControlLayout::paintLines(HDC dc) const {
    for (const auto& owned : form_.controls()) {
        if (owned->kind() != Kind::Line) continue;
        const auto rect = absoluteTwips(*owned);
        const auto& d = owned->definition();
        const int thickness = std::max(1, ::MulDiv(d.lineWidth, static_cast<int>(dpi_), 96));
        const UniquePen pen(::CreatePen(PS_SOLID, thickness, static_cast<COLORREF>(d.lineColour)));
        const SelectedObject selected(dc, pen.get());
        const int y = toPixels(rect.top);
        ::MoveToEx(dc, toPixels(rect.left), y, nullptr);
        ::LineTo(dc, toPixels(rect.left + rect.width), y);
    }
}

bool ControlLayout::followsFrame() const {
    return std::any_of(form_.controls().begin(), form_.controls().end(),
                       [](const auto& control) { return control->definition().anchors != kFixed; });
}

void ControlLayout::place(const forms::Control& control, HWND window, HFONT font,
                          SIZE client) const {
    const auto twips = absoluteTwips(control);
    RECT rect{toPixels(twips.left), toPixels(twips.top), toPixels(twips.left + twips.width),
              toPixels(twips.top + twips.height)};
    // What the window has grown by goes to the edges the control is anchored to.
    const SIZE designed = clientSize();
    const int wider = std::max(0L, client.cx - designed.cx);
    const int higher = std::max(0L, client.cy - designed.cy);
    const unsigned anchors = control.definition().anchors;
    if (anchors & forms::AnchorRight) {
        rect.right += wider;
        if (!(anchors & forms::AnchorLeft)) rect.left += wider;
    }
    if (anchors & forms::AnchorBottom) {
        rect.bottom += higher;
        if (!(anchors & forms::AnchorTop)) rect.top += higher;
    }

    switch (control.kind()) {
        case Kind::ComboBox:
            placeComboBox(window, rect, toPixels(kComboListHeight * 15));
            return;
        case Kind::Image:
        case Kind::PictureBox:
            // A picture shows at its own size with its top-left corner fixed.
            ::SetWindowPos(window, nullptr, rect.left, rect.top, 0, 0,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
            return;
        case Kind::Label:
            if (control.definition().autoSize) {
                const SIZE size =
                    TextMeasure(window, font).extent(withoutAccessMarks(control.caption()));
                rect.right = rect.left + size.cx;
                rect.bottom = rect.top + size.cy;
            }
            break;
        default:
            break;
    }
    ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velu::win32
