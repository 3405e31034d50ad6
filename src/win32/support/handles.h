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

// Memory for the clipboard, until SetClipboardData takes it over (then released, not freed).
using UniqueGlobal = UniqueHandle<HGLOBAL, &::GlobalFree>;

// The memory of a global handle, locked while the guard lives.
class LockedGlobal {
  public:
    explicit LockedGlobal(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (data_) ::GlobalUnlock(memory_);
    }
    void* data() const { return data_; }

  private:
    HGLOBAL memory_;
    void* data_;
};

// The clipboard, opened by this thread until the guard goes.
class OpenClipboard {
  public:
    explicit OpenClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    OpenClipboard(const OpenClipboard&) = delete;
    OpenClipboard& operator=(const OpenClipboard&) = delete;
    ~OpenClipboard() {
        if (open_) ::CloseClipboard();
    }
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

}  // namespace velu::win32
