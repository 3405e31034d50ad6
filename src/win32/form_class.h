#pragma once
// The one window class of every form's window, registered once per process.

#include <windows.h>

#include <string_view>

namespace velu::win32 {

// Registers the class on first use (with the program's icon, the dialog background and the
// given window procedure) and gives its name. Throws CreationError when it cannot.
const wchar_t* formWindowClass(HINSTANCE instance, WNDPROC procedure, std::wstring_view formName);

}  // namespace velu::win32
