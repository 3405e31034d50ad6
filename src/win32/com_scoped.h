#pragma once
// Owning wrappers for COM interface pointers, BSTRs and VARIANTs.

#include <windows.h>

#include <oleauto.h>

#include <utility>

namespace velu::win32 {

template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already owns.
    explicit ComPtr(Interface* owned) : pointer_(owned) {}
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }
    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For functions that hand out a new reference through an out parameter.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

  private:
    Interface* pointer_ = nullptr;
};

class UniqueBstr {
  public:
    explicit UniqueBstr(const wchar_t* text = nullptr)
        : bstr_(text ? ::SysAllocString(text) : nullptr) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { ::SysFreeString(bstr_); }
    BSTR get() const { return bstr_; }
    BSTR* put() {
        ::SysFreeString(bstr_);
        bstr_ = nullptr;
        return &bstr_;
    }

  private:
    BSTR bstr_;
};

class UniqueVariant {
  public:
    UniqueVariant() { ::VariantInit(&variant_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { ::VariantClear(&variant_); }
    VARIANT* get() { return &variant_; }
    const VARIANT* get() const { return &variant_; }
    VARIANT* operator->() { return &variant_; }

  private:
    VARIANT variant_;
};

// The exception information an IDispatch call may fill; its strings are freed here.
class UniqueExcepInfo {
  public:
    UniqueExcepInfo() : info_{} {}
    UniqueExcepInfo(const UniqueExcepInfo&) = delete;
    UniqueExcepInfo& operator=(const UniqueExcepInfo&) = delete;
    ~UniqueExcepInfo() {
        ::SysFreeString(info_.bstrSource);
        ::SysFreeString(info_.bstrDescription);
        ::SysFreeString(info_.bstrHelpFile);
    }
    EXCEPINFO* get() { return &info_; }
    const EXCEPINFO& operator*() const { return info_; }

  private:
    EXCEPINFO info_;
};

}  // namespace velu::win32
