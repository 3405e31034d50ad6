#include "win32/com_automation.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "support/text.h"

#include "win32/support/com_object.h"
#include "win32/support/com_values.h"
#include "win32/support/handles.h"

namespace velu::win32 {
namespace {

using cad::AutomationError;
using cad::ObjectRef;
using Clock = std::chrono::steady_clock;

constexpr DWORD kRetryDelayMilliseconds = 100;

// What a call on an object answers when the server's process is no longer there.
bool serverIsGone(HRESULT result) {
    for (const HRESULT gone :
         {RPC_E_DISCONNECTED, RPC_E_SERVER_DIED, RPC_E_SERVER_DIED_DNE, CO_E_OBJNOTCONNECTED,
          HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), HRESULT_FROM_WIN32(RPC_S_CALL_FAILED),
          HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE)}) {
        if (result == gone) return true;
    }
    return false;
}

bool rejectedAsBusy(HRESULT result) {
    return result == RPC_E_SERVERCALL_RETRYLATER || result == RPC_E_CALL_REJECTED;
}

// Shows the wait cursor while an automation call runs.
class WaitCursor {
  public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { ::SetCursor(previous_); }

  private:
    HCURSOR previous_;
};

// Lets the windows repaint while a rejected call waits for its next attempt.
void waitBeforeRetry() {
    const auto end = ::GetTickCount64() + kRetryDelayMilliseconds;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_PAINT);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
}

// Runs a COM call again while the server rejects it as busy, until the limit is reached.
template <typename Call>
HRESULT withRetries(std::chrono::milliseconds limit, Call call) {
    const auto end = Clock::now() + limit;
    HRESULT result = call();
    while (rejectedAsBusy(result) && Clock::now() < end) {
        waitBeforeRetry();
        result = call();
    }
    return result;
}

// Asks COM to retry calls that a busy server rejects, for as long as the limit allows.
class RetryingMessageFilter final : public ComObject<IMessageFilter, IID_IMessageFilter> {
  public:
    explicit RetryingMessageFilter(std::chrono::milliseconds limit) : limit_(limit) {}

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejectType) override {
        if (rejectType == SERVERCALL_RETRYLATER && elapsed < limit_.count()) {
            return kRetryDelayMilliseconds;
        }
        return static_cast<DWORD>(-1);  // give up: the call fails
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }

  private:
    std::chrono::milliseconds limit_;
};

ComPtr<IMessageFilter> retryingFilter(std::chrono::milliseconds limit) {
    ComPtr<IMessageFilter> filter;
    filter.attach(new RetryingMessageFilter(limit));
    return filter;
}

[[noreturn]] void fail(HRESULT result, std::wstring_view member, const EXCEPINFO* exception) {
    HRESULT code = result;
    std::wstring text;
    if (result == DISP_E_EXCEPTION && exception) {
        if (exception->scode != 0) code = exception->scode;
        if (exception->bstrDescription) text = exception->bstrDescription;
    }
    if (text.empty()) text = systemErrorText(code);
    throw AutomationError(static_cast<std::int32_t>(code), std::wstring(member), L"", text);
}

// The dispatch ids of one kind of object, learnt once per connection and shared by every
// object of that kind. Objects handed out by the same member of the same kind of object are
// taken to be of one kind (the components of an assembly, the documents of its components).
class MemberIds {
  public:
    std::optional<DISPID> find(std::wstring_view member) const {
        const auto found = ids_.find(text::asciiUppercase(member));
        if (found == ids_.end()) return std::nullopt;
        return found->second;
    }
    void learn(std::wstring_view member, DISPID id) { ids_[text::asciiUppercase(member)] = id; }
    void forget(std::wstring_view member) { ids_.erase(text::asciiUppercase(member)); }
    // The kind of the objects this member hands out.
    std::shared_ptr<MemberIds> handedOutBy(std::wstring_view member) {
        auto& kind = handedOut_[text::asciiUppercase(member)];
        if (!kind) kind = std::make_shared<MemberIds>();
        return kind;
    }

  private:
    std::unordered_map<std::wstring, DISPID> ids_;
    std::unordered_map<std::wstring, std::shared_ptr<MemberIds>> handedOut_;
};

struct Binding {
    std::chrono::milliseconds retryLimit;
    std::shared_ptr<MemberIds> ids;  // of the object's kind
};

ObjectRef wrap(ComPtr<IDispatch> dispatch, Binding binding);

cad::Variant fromVariant(VARIANT& value, std::wstring_view member, const Binding& handedOut);

// Whether an array holds what the answer's tag says it holds, so that reading an element
// copies exactly the bytes of one element of that type: one dimension, bounds that fit its
// count, the element size of an object pointer or a VARIANT, no features of another element
// type, and the type the array carries where it carries one. A sound array of objects crosses
// processes under Wine 8 without the flag that says it carries its type, so the element size
// decides there.
bool holdsWhatItsTagSays(SAFEARRAY& array, VARTYPE tag) {
    if (::SafeArrayGetDim(&array) != 1) return false;
    const bool objects = tag == VT_DISPATCH || tag == VT_UNKNOWN;
    if (!objects && tag != VT_VARIANT) return false;
    if (::SafeArrayGetElemsize(&array) != (objects ? sizeof(IUnknown*) : sizeof(VARIANT))) {
        return false;
    }
    const USHORT otherKinds = objects ? FADF_VARIANT | FADF_BSTR | FADF_RECORD
                                      : FADF_DISPATCH | FADF_UNKNOWN | FADF_BSTR | FADF_RECORD;
    if (array.fFeatures & otherKinds) return false;
    VARTYPE carried = VT_EMPTY;
    if (SUCCEEDED(::SafeArrayGetVartype(&array, &carried))) {
        const bool carriedObjects = carried == VT_DISPATCH || carried == VT_UNKNOWN;
        if (objects ? !carriedObjects : carried != VT_VARIANT) return false;
    }
    return true;
}

// The elements of a one-dimensional array, each a value of its own. An array that does not
// hold what its tag says is no usable answer, and none of its elements is read.
cad::Variant fromArray(const VARIANT& value, std::wstring_view member, const Binding& handedOut) {
    // Far more than any assembly has; a count beyond it is no sound answer.
    constexpr LONG kMostElements = 1 << 24;
    SAFEARRAY* array =
        (value.vt & VT_BYREF) ? (value.pparray ? *value.pparray : nullptr) : value.parray;
    const VARTYPE type = value.vt & VT_TYPEMASK;
    if (!array || !holdsWhatItsTagSays(*array, type)) fail(DISP_E_TYPEMISMATCH, member, nullptr);
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(::SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(::SafeArrayGetUBound(array, 1, &upper))) {
        fail(DISP_E_TYPEMISMATCH, member, nullptr);
    }
    const long long count = static_cast<long long>(upper) - lower + 1;
    if (count < 0 || count > kMostElements) fail(DISP_E_TYPEMISMATCH, member, nullptr);
    cad::Elements elements;
    elements.reserve(static_cast<std::size_t>(count));
    for (LONG i = lower; i <= upper; ++i) {
        UniqueVariant element;
        HRESULT result = S_OK;
        if (type == VT_VARIANT) {
            result = ::SafeArrayGetElement(array, &i, element.get());
        } else {
            // The array keeps its own reference; the element's owner takes another one.
            IUnknown* object = nullptr;
            result = ::SafeArrayGetElement(array, &i, &object);
            element.get()->vt = type;
            element.get()->punkVal = object;
        }
        if (FAILED(result)) fail(result, member, nullptr);
        elements.push_back(fromVariant(*element.get(), member, handedOut));
    }
    return elements;
}

cad::Variant fromVariant(VARIANT& value, std::wstring_view member, const Binding& handedOut) {
    if (value.vt & VT_ARRAY) return fromArray(value, member, handedOut);
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_BOOL:
            return value.boolVal != VARIANT_FALSE;
        case VT_R4:
        case VT_R8:
        case VT_DATE:
        case VT_CY:
        case VT_DECIMAL: {
            UniqueVariant converted;
            const HRESULT result = ::VariantChangeType(converted.get(), &value, 0, VT_R8);
            if (FAILED(result)) fail(result, member, nullptr);
            return converted->dblVal;
        }
        case VT_BSTR:
            return std::wstring(value.bstrVal ? value.bstrVal : L"");
        case VT_DISPATCH:
            return wrap(ComPtr<IDispatch>(value.pdispVal), handedOut);
        case VT_UNKNOWN:
            return wrap(ComPtr<IUnknown>(value.punkVal).query<IDispatch>(IID_IDispatch), handedOut);
        default: {
            UniqueVariant converted;
            const HRESULT result = ::VariantChangeType(converted.get(), &value, 0, VT_I4);
            if (FAILED(result)) fail(result, member, nullptr);
            return static_cast<std::int32_t>(converted->lVal);
        }
    }
}

// An argument passed by value; objects are not passed by this program.
UniqueVariant toVariant(const cad::Variant& value) {
    return std::visit(
        [](const auto& held) {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, bool>) {
                return UniqueVariant::fromBool(held);
            } else if constexpr (std::is_same_v<Held, std::int32_t>) {
                return UniqueVariant::fromI4(held);
            } else if constexpr (std::is_same_v<Held, double>) {
                return UniqueVariant::fromR8(held);
            } else if constexpr (std::is_same_v<Held, std::wstring>) {
                return UniqueVariant::fromString(held);
            } else {
                return UniqueVariant();
            }
        },
        value.raw());
}

class DispatchObject final : public cad::Object {
  public:
    DispatchObject(ComPtr<IDispatch> dispatch, Binding binding)
        : dispatch_(std::move(dispatch)), binding_(std::move(binding)) {}

    cad::Variant get(std::wstring_view member) override {
        return invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, false);
    }

    void put(std::wstring_view member, const cad::Variant& value) override {
        const UniqueVariant argument = toVariant(value);
        invoke(member, DISPATCH_PROPERTYPUT, {*argument.get()}, true);
    }

    cad::Variant call(std::wstring_view member,
                      const std::vector<cad::Argument>& arguments) override {
        // By-reference doubles point at copies, so that the server cannot change the
        // caller's value; the copies hold the same bits. By-reference texts are strings of
        // their own that the server may replace; what they hold afterwards goes back.
        std::vector<double> copies;
        copies.reserve(arguments.size());
        std::vector<UniqueBstr> texts;
        texts.reserve(arguments.size());
        std::vector<UniqueVariant> byValue;
        byValue.reserve(arguments.size());
        std::vector<VARIANT> values;
        for (const auto& argument : arguments) {
            VARIANT v;
            ::VariantInit(&v);
            if (const auto* number = std::get_if<cad::DoubleRef>(&argument)) {
                copies.push_back(*number->target);
                v.vt = VT_BYREF | VT_R8;
                v.pdblVal = &copies.back();
            } else if (const auto* text = std::get_if<cad::TextRef>(&argument)) {
                texts.emplace_back(*text->target);
                v.vt = VT_BYREF | VT_BSTR;
                v.pbstrVal = texts.back().inOut();
            } else {
                byValue.push_back(toVariant(std::get<cad::Variant>(argument)));
                v = *byValue.back().get();
            }
            values.push_back(v);
        }
        cad::Variant result =
            invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(values), false);
        auto text = texts.begin();
        for (const auto& argument : arguments) {
            if (const auto* reference = std::get_if<cad::TextRef>(&argument)) {
                *reference->target = std::wstring((text++)->view());
            }
        }
        return result;
    }

  private:
    DISPID lookUp(std::wstring_view member) {
        std::wstring name(member);
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        const HRESULT result = withRetries(binding_.retryLimit, [&] {
            return dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        });
        if (FAILED(result)) fail(result, member, nullptr);
        binding_.ids->learn(member, id);
        return id;
    }

    cad::Variant invoke(std::wstring_view member, WORD flags, std::vector<VARIANT> arguments,
                        bool propertyPut) {
        WaitCursor waitCursor;
        // IDispatch takes the arguments in reverse order.
        std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{reversed.data(), propertyPut ? &putId : nullptr,
                              static_cast<UINT>(reversed.size()), propertyPut ? 1u : 0u};
        UniqueVariant result;
        UniqueExcepInfo exception;
        auto attempt = [&](DISPID id) {
            UINT wrongArgument = 0;
            return withRetries(binding_.retryLimit, [&] {
                return dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                         propertyPut ? nullptr : result.get(), exception.get(),
                                         &wrongArgument);
            });
        };
        const std::optional<DISPID> known = binding_.ids->find(member);
        HRESULT status = attempt(known ? *known : lookUp(member));
        // An id learnt from another object of the kind that this one does not know: its own.
        if (known && status == DISP_E_MEMBERNOTFOUND) {
            binding_.ids->forget(member);
            status = attempt(lookUp(member));
        }
        if (FAILED(status)) fail(status, member, &*exception);
        return fromVariant(*result.get(), member,
                           {binding_.retryLimit, binding_.ids->handedOutBy(member)});
    }

    ComPtr<IDispatch> dispatch_;
    Binding binding_;
};

ObjectRef wrap(ComPtr<IDispatch> dispatch, Binding binding) {
    if (!dispatch) return nullptr;
    return std::make_shared<DispatchObject>(std::move(dispatch), std::move(binding));
}

// Creates the object on a helper thread, so that a server which takes its time to start
// does not freeze the window: meanwhile this thread repaints and answers sent messages, but
// takes no input, so no other handler can run. The interface comes back marshalled.
HRESULT createWhilePainting(const CLSID& classId, std::chrono::milliseconds retryLimit,
                            ComPtr<IDispatch>& application) {
    struct Activation {
        CLSID classId;
        std::chrono::milliseconds retryLimit;
        HRESULT result = E_FAIL;
        IStream* marshalled = nullptr;
        UniqueKernelHandle created{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        UniqueKernelHandle taken{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    } activation{classId, retryLimit};

    auto work = [](void* data) -> DWORD {
        auto& a = *static_cast<Activation*>(data);
        const ComApartment apartment(COINIT_MULTITHREADED);
        ComPtr<IDispatch> created;
        a.result = withRetries(a.retryLimit, [&] {
            return ::CoCreateInstance(a.classId, nullptr,
                                      CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                                      created.putVoid());
        });
        if (SUCCEEDED(a.result)) {
            a.result = ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, created.get(),
                                                               &a.marshalled);
        }
        ::SetEvent(a.created.get());
        // The apartment stays until the user-interface thread has the interface.
        ::WaitForSingleObject(a.taken.get(), INFINITE);
        return 0;
    };
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, work, &activation, 0, nullptr));
    if (!thread) return HRESULT_FROM_WIN32(::GetLastError());

    const HANDLE created = activation.created.get();
    while (::MsgWaitForMultipleObjects(1, &created, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG message{};
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        while (::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    HRESULT result = activation.result;
    if (SUCCEEDED(result)) {
        result = ::CoGetInterfaceAndReleaseStream(activation.marshalled, IID_IDispatch,
                                                  application.putVoid());
    }
    ::SetEvent(activation.taken.get());
    ::WaitForSingleObject(thread.get(), INFINITE);
    return result;
}

}  // namespace

std::wstring systemErrorText(HRESULT code) {
    UniqueLocal buffer;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::wstring text(buffer ? static_cast<const wchar_t*>(buffer.get()) : L"", length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

ComAutomation::ComAutomation(std::chrono::milliseconds retryLimit)
    : retryLimit_(retryLimit), filter_(retryingFilter(retryLimit)) {}

cad::ObjectRef ComAutomation::connect(std::wstring_view progId) {
    WaitCursor waitCursor;
    const std::wstring id(progId);
    CLSID classId{};
    HRESULT result = ::CLSIDFromProgID(id.c_str(), &classId);
    if (FAILED(result)) fail(result, L"", nullptr);

    ComPtr<IUnknown> running;
    ComPtr<IDispatch> application;
    if (SUCCEEDED(::GetActiveObject(classId, nullptr, running.put())) && running) {
        result = running->QueryInterface(IID_IDispatch, application.putVoid());
        // The table may still list an instance whose process has ended; a new one is made.
        UINT typeInfos = 0;
        if (SUCCEEDED(result) && serverIsGone(application->GetTypeInfoCount(&typeInfos))) {
            application.reset();
            result = E_FAIL;
        }
    }
    if (!application) result = createWhilePainting(classId, retryLimit_, application);
    if (FAILED(result) || !application) fail(FAILED(result) ? result : E_NOINTERFACE, L"", nullptr);
    // Each connection learns the members' ids afresh.
    return wrap(std::move(application), {retryLimit_, std::make_shared<MemberIds>()});
}

}  // namespace velu::win32
