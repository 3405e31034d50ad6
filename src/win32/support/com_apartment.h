#pragma once
// COM for a thread for as long as a guard lives, and a message filter registered for as long
// as a registration lives, with the previous filter restored after it.

#include <windows.h>

#include <objbase.h>
#include <objidl.h>

#include <utility>

#include "win32/support/com.h"

namespace velu::win32 {

// CoInitializeEx and, when that worked (S_OK or S_FALSE), CoUninitialize at the end. The
// result tells a thread that already runs in an apartment of the other model
// (RPC_E_CHANGED_MODE) from one that now has COM.
class ComApartment {
  public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
        : result_(::CoInitializeEx(nullptr, model)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
};

// The message filter of the calling thread's single-threaded apartment: COM asks it about
// incoming calls (a server that is busy) and about calls the other side rejected (a client
// that retries). Both the program and the CAD stand-in have one; the filter that was there
// before comes back when the registration goes.
class MessageFilterRegistration {
  public:
    explicit MessageFilterRegistration(ComPtr<IMessageFilter> filter)
        : filter_(std::move(filter)),
          result_(::CoRegisterMessageFilter(filter_.get(), previous_.put())) {}
    MessageFilterRegistration(const MessageFilterRegistration&) = delete;
    MessageFilterRegistration& operator=(const MessageFilterRegistration&) = delete;
    ~MessageFilterRegistration() {
        if (FAILED(result_)) return;
        ComPtr<IMessageFilter> ours;
        ::CoRegisterMessageFilter(previous_.get(), ours.put());
    }
    HRESULT result() const { return result_; }

  private:
    ComPtr<IMessageFilter> filter_;
    ComPtr<IMessageFilter> previous_;
    HRESULT result_;
};

}  // namespace velu::win32
