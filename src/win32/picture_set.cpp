#include "win32/picture_set.h"

#include "win32/resource_ids.h"

namespace velu::win32 {
namespace {

// Pictures at their own size at 96 dpi: the tool 42 pixels, the faces 32.
constexpr int kToolPixels = 42;
constexpr int kFacePixels = 32;

}  // namespace

HICON loadIcon(HINSTANCE instance, int id, int pixels) {
    return static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, pixels, pixels, 0));
}

PictureSet::PictureSet(HINSTANCE instance, UINT dpi)
    : tool_(loadIcon(instance, VELU_ICON_TOOL, ::MulDiv(kToolPixels, dpi, 96))),
      success_(loadIcon(instance, VELU_ICON_SUCCESS, ::MulDiv(kFacePixels, dpi, 96))),
      error_(loadIcon(instance, VELU_ICON_ERROR, ::MulDiv(kFacePixels, dpi, 96))) {}

HICON PictureSet::icon(forms::Picture picture) const {
    switch (picture) {
        case forms::Picture::Tool:
            return tool_.get();
        case forms::Picture::Success:
            return success_.get();
        case forms::Picture::Error:
            return error_.get();
        case forms::Picture::None:
            break;
    }
    return nullptr;
}

}  // namespace velu::win32
