#pragma once
// Owners of the values that late-bound COM calls pass: BSTR, VARIANT and the EXCEPINFO an
// IDispatch call may fill. Each frees what it holds once.

#include <windows.h>

#include <oleauto.h>

#include <string_view>
#include <utility>

namespace velu::win32 {

class UniqueBstr {
  public:
    UniqueBstr() = default;
    explicit UniqueBstr(std::wstring_view text)
        : bstr_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : bstr_(other.release()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) ::SysFreeString(std::exchange(bstr_, other.release()));
        return *this;
    }
    ~UniqueBstr() { ::SysFreeString(bstr_); }

    BSTR get() const { return bstr_; }
    // Hands the string to a callee that frees it (an EXCEPINFO, a VARIANT given out).
    BSTR release() { return std::exchange(bstr_, nullptr); }
    BSTR* put() {
        ::SysFreeString(release());
        return &bstr_;
    }
    // For a string passed by reference: the callee may free it and leave another in its place.
    BSTR* inOut() { return &bstr_; }
    std::wstring_view view() const {
        return bstr_ ? std::wstring_view(bstr_, ::SysStringLen(bstr_)) : std::wstring_view();
    }

  private:
    BSTR bstr_ = nullptr;
};

// A VARIANT cleared with VariantClear. Copies are deep (VariantCopy), so that a list of
// arguments can be built from values.
class UniqueVariant {
  public:
    UniqueVariant() { ::VariantInit(&variant_); }
    // VariantCopy does not change its source, though the SDK declares it without const.
    UniqueVariant(const UniqueVariant& other) : UniqueVariant() {
        ::VariantCopy(&variant_, const_cast<VARIANT*>(&other.variant_));
    }
    UniqueVariant& operator=(const UniqueVariant& other) {
        if (this != &other) ::VariantCopy(put(), const_cast<VARIANT*>(&other.variant_));
        return *this;
    }
    UniqueVariant(UniqueVariant&& other) noexcept : variant_(other.variant_) {
        ::VariantInit(&other.variant_);
    }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            ::VariantClear(&variant_);
            variant_ = other.variant_;
            ::VariantInit(&other.variant_);
        }
        return *this;
    }
    ~UniqueVariant() { ::VariantClear(&variant_); }

    static UniqueVariant fromBool(bool value) {
        UniqueVariant v;
        v.variant_.vt = VT_BOOL;
        v.variant_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static UniqueVariant fromI4(LONG value) {
        UniqueVariant v;
        v.variant_.vt = VT_I4;
        v.variant_.lVal = value;
        return v;
    }
    static UniqueVariant fromR8(double value) {
        UniqueVariant v;
        v.variant_.vt = VT_R8;
        v.variant_.dblVal = value;
        return v;
    }
    // A double passed by reference: points at *value, which must outlive every use.
    static UniqueVariant refR8(double* value) {
        UniqueVariant v;
        v.variant_.vt = VT_BYREF | VT_R8;
        v.variant_.pdblVal = value;
        return v;
    }
    static UniqueVariant fromString(std::wstring_view text) {
        UniqueVariant v;
        v.variant_.vt = VT_BSTR;
        v.variant_.bstrVal = UniqueBstr(text).release();
        return v;
    }
    // Holds a reference of its own on the object (which may be null).
    static UniqueVariant fromDispatch(IDispatch* object) {
        UniqueVariant v;
        v.variant_.vt = VT_DISPATCH;
        v.variant_.pdispVal = object;
        if (object) object->AddRef();
        return v;
    }

    VARIANT* get() { return &variant_; }
    const VARIANT* get() const { return &variant_; }
    VARIANT& operator*() { return variant_; }
    const VARIANT& operator*() const { return variant_; }
    VARIANT* operator->() { return &variant_; }
    const VARIANT* operator->() const { return &variant_; }
    // For out-parameters: clears the current value first.
    VARIANT* put() {
        ::VariantClear(&variant_);
        return &variant_;
    }
    // Hands the value to a VARIANT of the caller's, which must hold nothing.
    void moveTo(VARIANT* out) {
        *out = variant_;
        ::VariantInit(&variant_);
    }

  private:
    VARIANT variant_;
};

// The exception information an IDispatch::Invoke may fill; its strings are freed here.
class UniqueExcepInfo {
  public:
    UniqueExcepInfo() = default;
    UniqueExcepInfo(const UniqueExcepInfo&) = delete;
    UniqueExcepInfo& operator=(const UniqueExcepInfo&) = delete;
    ~UniqueExcepInfo() {
        ::SysFreeString(info_.bstrSource);
        ::SysFreeString(info_.bstrDescription);
        ::SysFreeString(info_.bstrHelpFile);
    }
    EXCEPINFO* get() { return &info_; }
    const EXCEPINFO& operator*() const { return info_; }
    const EXCEPINFO* operator->() const { return &info_; }

  private:
    EXCEPINFO info_{};
};

}  // namespace velu::win32
