#pragma once
// IUnknown for an object of ours that implements one COM interface (a message filter, a
// class factory, an automation object). Its count starts at one, the reference of whoever
// made it with new, who hands it to ComPtr::attach; at zero the object deletes itself.

#include <windows.h>

#include <unknwn.h>

namespace velu::win32 {

template <typename Interface, const IID& InterfaceId>
class ComObject : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, InterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // COM may call from other threads (a proxy's release, the runtime's own references).
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

  protected:
    ComObject() = default;
    // Only Release deletes: the object lives on the heap and as long as it is referenced.
    virtual ~ComObject() = default;

  private:
    LONG references_ = 1;
};

}  // namespace velu::win32
