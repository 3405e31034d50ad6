// A stand-in for the system information program: proves that it was started by leaving a
// file "<its own path>.started" behind, then ends.

#include <windows.h>

#include <string>

#include "win32/support/handles.h"
#include "win32/support/paths.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring marker = velu::win32::executablePath() + L".started";
    // The file's being there is the whole message; it is closed again at once.
    const velu::win32::UniqueKernelHandle file(::CreateFileW(
        marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return 0;
}
