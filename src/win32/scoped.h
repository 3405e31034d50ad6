#pragma once
// Owning wrappers for Win32 handles: one line per handle kind, each closes its handle once.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace velu::win32 {

template <typename Handle, auto Close>
struct HandleCloser {
    using pointer = Handle;
    void operator()(Handle handle) const noexcept {
        if (handle) Close(handle);
    }
};

template <typename Handle, auto Close>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleCloser<Handle, Close>>;

inline void closeKernelHandle(HANDLE handle) {
    ::CloseHandle(handle);
}
inline void destroyWindow(HWND window) {
    ::DestroyWindow(window);
}
inline void destroyIcon(HICON icon) {
    ::DestroyIcon(icon);
}
inline void deleteFont(HFONT font) {
    ::DeleteObject(font);
}
inline void destroyMenu(HMENU menu) {
    ::DestroyMenu(menu);
}
inline void closeKey(HKEY key) {
    ::RegCloseKey(key);
}
inline void unhook(HHOOK hook) {
    ::UnhookWindowsHookEx(hook);
}

using UniqueKernelHandle = UniqueHandle<HANDLE, closeKernelHandle>;
using UniqueWindow = UniqueHandle<HWND, destroyWindow>;
using UniqueIcon = UniqueHandle<HICON, destroyIcon>;
using UniqueFont = UniqueHandle<HFONT, deleteFont>;
using UniqueMenu = UniqueHandle<HMENU, destroyMenu>;
using UniqueKey = UniqueHandle<HKEY, closeKey>;
using UniqueHook = UniqueHandle<HHOOK, unhook>;

// A file search handle is closed with FindClose, and INVALID_HANDLE_VALUE means none.
class UniqueFind {
  public:
    explicit UniqueFind(HANDLE handle) : handle_(handle) {}
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    ~UniqueFind() {
        if (valid()) ::FindClose(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

}  // namespace velu::win32
