// Small owners for Win32 handles, COM pointers, VARIANTs and BSTRs (MinGW has no WIL or ATL).
#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace cadsim::win {

// Owns one value of a handle-like type; Traits gives invalid() and close(value).
template <typename Traits>
class Unique {
  public:
    using Value = typename Traits::Value;

    Unique() = default;
    explicit Unique(Value value) : value_(value) {}
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Value get() const { return value_; }
    explicit operator bool() const { return !Traits::invalid(value_); }
    Value release() { return std::exchange(value_, Traits::empty()); }
    void reset(Value value = Traits::empty()) {
        if (!Traits::invalid(value_)) Traits::close(value_);
        value_ = value;
    }
    // For out-parameters: frees the current value first.
    Value* put() {
        reset();
        return &value_;
    }

  private:
    Value value_ = Traits::empty();
};

struct HandleTraits {
    using Value = HANDLE;
    static Value empty() { return nullptr; }
    static bool invalid(Value v) { return v == nullptr || v == INVALID_HANDLE_VALUE; }
    static void close(Value v) { CloseHandle(v); }
};
using UniqueHandle = Unique<HandleTraits>;

struct LocalMemoryTraits {
    using Value = HLOCAL;
    static Value empty() { return nullptr; }
    static bool invalid(Value v) { return v == nullptr; }
    static void close(Value v) { LocalFree(v); }
};
// Memory that the system allocated with LocalAlloc (e.g. CommandLineToArgvW's).
using UniqueLocal = Unique<LocalMemoryTraits>;

struct RegKeyTraits {
    using Value = HKEY;
    static Value empty() { return nullptr; }
    static bool invalid(Value v) { return v == nullptr; }
    static void close(Value v) { RegCloseKey(v); }
};
using UniqueRegKey = Unique<RegKeyTraits>;

struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value empty() { return nullptr; }
    static bool invalid(Value v) { return v == nullptr; }
    static void close(Value v) { DeleteObject(v); }
};
using UniqueGdiObject = Unique<GdiObjectTraits>;

struct WindowTraits {
    using Value = HWND;
    static Value empty() { return nullptr; }
    static bool invalid(Value v) { return v == nullptr || !IsWindow(v); }
    static void close(Value v) { DestroyWindow(v); }
};
using UniqueWindow = Unique<WindowTraits>;

// A counted COM pointer.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr& operator=(const ComPtr& other) {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr moved(std::move(other));
        swap(moved);
        return *this;
    }

    // Adopts a reference the caller already owns.
    static ComPtr adopt(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* detach() { return std::exchange(p_, nullptr); }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }
    // For out-parameters: releases the current pointer first.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    template <typename U>
    ComPtr<U> as(REFIID iid) const {
        ComPtr<U> result;
        if (p_) p_->QueryInterface(iid, result.putVoid());
        return result;
    }

  private:
    T* p_ = nullptr;
};

// An owned VARIANT; cleared with VariantClear.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant& other) : Variant() { VariantCopy(&v_, const_cast<VARIANT*>(&other.v_)); }
    Variant& operator=(const Variant& other) {
        if (this != &other) {
            VariantClear(&v_);
            VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        }
        return *this;
    }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }

    static Variant fromBool(bool b) {
        Variant v;
        v.v_.vt = VT_BOOL;
        v.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static Variant fromI4(LONG i) {
        Variant v;
        v.v_.vt = VT_I4;
        v.v_.lVal = i;
        return v;
    }
    static Variant fromR8(double d) {
        Variant v;
        v.v_.vt = VT_R8;
        v.v_.dblVal = d;
        return v;
    }
    // A VT_BYREF|VT_R8 that points at *d; *d must outlive the use.
    static Variant refR8(double* d) {
        Variant v;
        v.v_.vt = VT_BYREF | VT_R8;
        v.v_.pdblVal = d;
        return v;
    }
    static Variant fromString(std::wstring_view s) {
        Variant v;
        v.v_.vt = VT_BSTR;
        v.v_.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        return v;
    }
    // Takes a new reference on p (which may be null).
    static Variant fromDispatch(IDispatch* p) {
        Variant v;
        v.v_.vt = VT_DISPATCH;
        v.v_.pdispVal = p;
        if (p) p->AddRef();
        return v;
    }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    const VARIANT& operator*() const { return v_; }
    const VARIANT* operator->() const { return &v_; }
    // For out-parameters: clears the current value first.
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }
    // Hands the value to a caller-owned VARIANT (which must be empty or uninitialised).
    void moveTo(VARIANT* out) {
        *out = v_;
        VariantInit(&v_);
    }

  private:
    VARIANT v_;
};

// An owned BSTR.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::wstring_view s)
        : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(b_);
            b_ = std::exchange(other.b_, nullptr);
        }
        return *this;
    }
    BSTR get() const { return b_; }
    BSTR release() { return std::exchange(b_, nullptr); }
    BSTR* put() {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    std::wstring_view view() const { return b_ ? std::wstring_view(b_, SysStringLen(b_)) : L""; }

  private:
    BSTR b_ = nullptr;
};

// COM for the current thread, for the lifetime of the object.
class ComApartment {
  public:
    explicit ComApartment(DWORD model) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const { return hr_; }

  private:
    HRESULT hr_;
};

// UTF-16 <-> UTF-8.
inline std::string toUtf8(std::wstring_view s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

inline std::wstring toWide(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

}  // namespace cadsim::win
