#pragma once
// The one COM interface pointer of the tree, with the meaning Windows engineers know from
// WIL's com_ptr and ATL's CComPtr: made from a raw pointer it ADDS a reference of its own;
// attach() adopts the reference the caller holds (an object just made with new, whose count
// starts at one) and detach() hands its reference out again.

#include <windows.h>

#include <objbase.h>
#include <unknwn.h>

#include <cstddef>
#include <utility>

#include "win32/support/owner.h"

namespace velu::win32 {

// Text COM allocated for the caller (SHGetKnownFolderPath's folder).
using UniqueCoTaskText = UniqueHandle<PWSTR, &::CoTaskMemFree>;

template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(Interface* pointer) : pointer_(pointer) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(other.detach()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        swap(other);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller owns, without adding one.
    void attach(Interface* owned) {
        reset();
        pointer_ = owned;
    }
    // Gives the reference up to the caller, without releasing it.
    Interface* detach() { return std::exchange(pointer_, nullptr); }
    void reset() {
        if (pointer_) detach()->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For functions that hand out a new reference through an out-parameter.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Another interface of the same object; empty when it has none.
    template <typename Other>
    ComPtr<Other> query(REFIID iid) const {
        ComPtr<Other> other;
        if (pointer_) pointer_->QueryInterface(iid, other.putVoid());
        return other;
    }

  private:
    Interface* pointer_ = nullptr;
};

}  // namespace velu::win32
