#pragma once
// Owners of kernel objects, file searches, registry keys and memory the system hands out.

#include <windows.h>

#include "win32/support/owner.h"

namespace velu::win32 {

// Processes, threads, events and files. The functions that open them answer failure with
// null (CreateEvent, OpenProcess) or with INVALID_HANDLE_VALUE (CreateFile), so both mean
// that there is no handle to close.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle none() { return nullptr; }
    static bool isNone(Handle handle) {
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    }
    static void close(Handle handle) { ::CloseHandle(handle); }
};
using UniqueKernelHandle = Owner<KernelHandleTraits>;

// A search of FindFirstFile: failure is INVALID_HANDLE_VALUE too, but FindClose ends it.
struct FindHandleTraits : KernelHandleTraits {
    static void close(Handle handle) { ::FindClose(handle); }
};
using UniqueFind = Owner<FindHandleTraits>;

// A key opened or created below a root key (the predefined root keys are never closed).
using UniqueKey = UniqueHandle<HKEY, &::RegCloseKey>;

// Memory the system allocated for the caller with LocalAlloc: CommandLineToArgvW's array,
// FormatMessage's text with FORMAT_MESSAGE_ALLOCATE_BUFFER.
using UniqueLocal = UniqueHandle<HLOCAL, &::LocalFree>;

}  // namespace velu::win32
