#include "win32/form_class.h"

#include "win32/creation_error.h"
#include "win32/picture_set.h"
#include "win32/resource_ids.h"

namespace velu::win32 {

const wchar_t* formWindowClass(HINSTANCE instance, WNDPROC procedure, std::wstring_view formName) {
    static constexpr wchar_t kWindowClass[] = L"VelumarDichteForm";
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExW(instance, kWindowClass, &windowClass)) return kWindowClass;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // The class keeps its icons for the life of the process.
    windowClass.hIcon = loadIcon(instance, VELU_ICON_TOOL, ::GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = loadIcon(instance, VELU_ICON_TOOL, ::GetSystemMetrics(SM_CXSMICON));
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&windowClass)) {
        creationFailed(formName, L"die Fensterklasse", L"RegisterClassExW");
    }
    return kWindowClass;
}

}  // namespace velu::win32
