#pragma once
// Reading windows from outside their code, in this process or another: their text and class,
// the visible windows of a process, the child windows of a class.

#include <windows.h>

#include <string>
#include <vector>

namespace velu::testing {

std::wstring windowText(HWND window);
std::wstring windowClass(HWND window);

// The visible top-level windows of a process, in the order EnumWindows gives them (the
// topmost first).
std::vector<HWND> visibleWindowsOf(DWORD processId);

// The child windows of a window class ("ComboBox", "Button"; any case), at every depth.
std::vector<HWND> childrenOfClass(HWND parent, const std::wstring& className);

// The class of the dialog that MessageBox shows.
inline constexpr wchar_t kMessageBoxClass[] = L"#32770";
// The id of the static control that holds a message box's prompt.
inline constexpr int kMessageBoxPromptId = 0xFFFF;

}  // namespace velu::testing
