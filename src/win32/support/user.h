#pragma once
// Owners of the window manager's objects: windows, menus, icons and hooks.

#include <windows.h>

#include "win32/support/owner.h"

namespace velu::win32 {

// A window that lives no longer than its owner. A window that destroys itself (on
// WM_CLOSE) must be released at its WM_DESTROY, so that no stale handle is destroyed later.
using UniqueWindow = UniqueHandle<HWND, &::DestroyWindow>;

// A menu that no window holds; a window's menu bar goes with the window.
using UniqueMenu = UniqueHandle<HMENU, &::DestroyMenu>;

// An icon loaded at a size of its own (LoadImage without LR_SHARED), which nobody else frees.
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;

// A hook of SetWindowsHookEx, which would otherwise stay in the thread's chain.
using UniqueHook = UniqueHandle<HHOOK, &::UnhookWindowsHookEx>;

}  // namespace velu::win32
