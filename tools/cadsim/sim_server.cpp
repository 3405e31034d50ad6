#include "sim_server.h"

#include <array>
#include <cmath>
#include <vector>

#include "files.h"
#include "status_window.h"
#include "support/text.h"
#include "win32/support/com_values.h"

namespace cadsim::win {

namespace {

using velu::text::fromUtf8;
using velu::win32::UniqueBstr;
using velu::win32::UniqueVariant;

// The preference id of the material density (swMaterialPropertyDensity).
constexpr LONG kDensityPreference = 7;
// IDispatch's vtable slot of Invoke, as the message filter sees it.
constexpr WORD kInvokeMethodIndex = 6;
// Exit code of a server that DieInMember ended.
constexpr UINT kDiedExitCode = 3;

enum : DISPID {
    kVisible = 1,
    kActiveDoc = 2,
    kSetPreference = 3,
    kGetPreference = 4,
    kGetType = 5,
};

struct Member {
    DISPID id;
    std::wstring_view name;
    bool onApp;
    bool onDoc;
    UINT argumentCount;  // for a get or call
};

constexpr std::array<Member, 5> kMembers{{
    {kVisible, L"Visible", true, false, 0},
    {kActiveDoc, L"ActiveDoc", true, false, 0},
    {kSetPreference, L"SetUserPreferenceDoubleValue", true, true, 2},
    {kGetPreference, L"GetUserPreferenceDoubleValue", true, true, 1},
    {kGetType, L"GetType", false, true, 0},
}};

const Member* findMember(ObjectKind kind, DISPID id) {
    for (const Member& m : kMembers) {
        if (m.id == id && (kind == ObjectKind::app ? m.onApp : m.onDoc)) return &m;
    }
    return nullptr;
}

const Member* findMember(ObjectKind kind, std::wstring_view name) {
    for (const Member& m : kMembers) {
        if (velu::text::equalsIgnoringAsciiCase(m.name, name) &&
            (kind == ObjectKind::app ? m.onApp : m.onDoc))
            return &m;
    }
    return nullptr;
}

std::string_view objectLabel(ObjectKind kind) {
    return kind == ObjectKind::app ? "app" : "doc";
}

// Fills an EXCEPINFO for an injected DISP_E_EXCEPTION.
void fillException(EXCEPINFO* exception, std::string_view member) {
    *exception = EXCEPINFO{};
    exception->scode = E_FAIL;
    exception->bstrSource = UniqueBstr(L"cadsim").release();
    exception->bstrDescription =
        UniqueBstr(fromUtf8(member) + L" failed (injected by the CAD stand-in)").release();
}

// {"#7 doc.SetUserPreferenceDoubleValue(VT_BYREF|VT_R8:7850)", "ok:VT_BOOL:true"}
std::pair<std::wstring, std::wstring> describeCall(const LogEntry& entry) {
    // Appended piece by piece: GCC 12 warns falsely about a chain of string operator+.
    std::string call = "#";
    for (const std::string& piece :
         {std::to_string(entry.sequence), std::string(" "), entry.object, std::string("."),
          entry.member, std::string("("), formatArguments(entry.arguments), std::string(")")}) {
        call += piece;
    }
    return {fromUtf8(call), fromUtf8(formatOutcome(entry))};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// SimObject

HRESULT STDMETHODCALLTYPE SimObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SimObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE SimObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                   DISPID* ids) {
    return server_.getIdsOfNames(kind_, names, count, ids);
}

HRESULT STDMETHODCALLTYPE SimObject::Invoke(DISPID id, REFIID, LCID lcid, WORD flags,
                                            DISPPARAMS* params, VARIANT* result,
                                            EXCEPINFO* exception, UINT* argError) {
    return server_.invoke(kind_, id, lcid, flags, params, result, exception, argError);
}

// ---------------------------------------------------------------------------------------------
// ClassFactory

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return app_->QueryInterface(iid, out);
}

// The server ends only when its window closes, so there is nothing to lock.
HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL) {
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// MessageFilter

DWORD STDMETHODCALLTYPE MessageFilter::HandleInComingCall(DWORD, HTASK, DWORD,
                                                          LPINTERFACEINFO info) {
    if (info == nullptr) return SERVERCALL_ISHANDLED;
    return server_.rejectIncoming(info->pUnk, info->iid, info->wMethod) ? SERVERCALL_RETRYLATER
                                                                        : SERVERCALL_ISHANDLED;
}

// The server makes no outgoing calls; should one be rejected, give up at once.
DWORD STDMETHODCALLTYPE MessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD) {
    return static_cast<DWORD>(-1);
}

DWORD STDMETHODCALLTYPE MessageFilter::MessagePending(HTASK, DWORD, DWORD) {
    return PENDINGMSG_WAITDEFPROCESS;
}

// ---------------------------------------------------------------------------------------------
// SimServer

struct SimServer::Call {
    LogEntry entry;
    const Member* member = nullptr;
};

SimServer::SimServer(std::wstring statePath, std::wstring logPath, StatusWindow* window)
    : statePath_(std::move(statePath)), logPath_(std::move(logPath)), window_(window) {
    app_.attach(new SimObject(*this, ObjectKind::app));
    doc_.attach(new SimObject(*this, ObjectKind::doc));
    // The sequence goes on from the last line an earlier run left in the log.
    if (auto text = readFile(logPath_)) {
        for (const LogEntry& entry : parseLog(*text)) {
            if (entry.sequence >= nextSequence_) nextSequence_ = entry.sequence + 1;
        }
    }
    refreshWindow();
}

State SimServer::loadState() const {
    auto text = readFile(statePath_);
    return text ? parse(*text) : State{};
}

void SimServer::saveState(const State& state) const {
    writeFileReplacing(statePath_, toText(state));
}

void SimServer::setVisible(bool visible) {
    visible_ = visible;
    if (window_ != nullptr) window_->show(visible);
    refreshWindow();
}

void SimServer::refreshWindow() {
    if (window_ == nullptr) return;
    const State state = loadState();
    const std::wstring doc = fromUtf8(docKindName(state.activeDoc));
    window_->setLines({
        L"Active document: " + doc,
        L"System density: " + fromUtf8(formatDouble(state.systemDensity)) + L" kg/m\u00B3",
        L"Document density: " + fromUtf8(formatDouble(state.documentDensity)) + L" kg/m\u00B3",
        L"Last call: " + lastCall_.first,
        lastCall_.second.empty() ? std::wstring() : L"      \u2192 " + lastCall_.second,
    });
}

HRESULT SimServer::getIdsOfNames(ObjectKind kind, LPOLESTR* names, UINT count, DISPID* ids) const {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    if (count == 0) return S_OK;
    HRESULT hr = S_OK;
    const Member* member = names[0] != nullptr ? findMember(kind, names[0]) : nullptr;
    ids[0] = member != nullptr ? member->id : DISPID_UNKNOWN;
    if (member == nullptr) hr = DISP_E_UNKNOWNNAME;
    // None of the members has named parameters.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

bool SimServer::rejectIncoming(IUnknown* target, REFIID iid, WORD method) {
    if (filterRejected_) {
        // The runtime honoured the last "retry later": that call never reached Invoke, so it is
        // counted and logged here (its member is not known at this level).
        State state = loadState();
        if (state.retryLater > 0) {
            --state.retryLater;
            saveState(state);
        }
        const LogEntry entry{
            nextSequence_++, *filterRejected_, "*", "call", {}, Outcome::retryLater, {}, 0};
        filterRejected_.reset();
        finish(entry);
    }
    if (!IsEqualIID(iid, IID_IDispatch) || method != kInvokeMethodIndex) return false;
    if (loadState().retryLater == 0) return false;
    filterRejected_ = objectName(target);
    return true;
}

HRESULT SimServer::invoke(ObjectKind kind, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                          VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    // When the filter's "retry later" was ignored, the call arrives here and is rejected below.
    filterRejected_.reset();

    Call call;
    call.member = findMember(kind, id);
    call.entry.sequence = nextSequence_++;
    call.entry.object = objectLabel(kind);
    if (call.member != nullptr) {
        call.entry.member = velu::text::toUtf8(call.member->name);
    } else {
        call.entry.member.assign(1, '#').append(std::to_string(id));
    }
    call.entry.kind = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) ? "put"
                      : (flags & DISPATCH_METHOD)                                ? "call"
                                                                                 : "get";
    if (params != nullptr && params->rgvarg != nullptr) {
        // COM passes the arguments last to first.
        for (UINT i = params->cArgs; i-- > 0;)
            call.entry.arguments.push_back(describe(params->rgvarg[i]));
    }

    State state = loadState();
    if (state.retryLater > 0) {
        --state.retryLater;
        saveState(state);
        call.entry.outcome = Outcome::retryLater;
        finish(call.entry);
        return RPC_E_SERVERCALL_RETRYLATER;
    }
    if (call.member != nullptr && state.diesIn(call.entry.object, call.entry.member)) {
        state.dieInMember.clear();
        saveState(state);
        call.entry.outcome = Outcome::died;
        appendToFile(logPath_, formatLogLine(call.entry) + "\n");
        ExitProcess(kDiedExitCode);
    }

    UniqueVariant value;
    HRESULT hr = perform(call, state, lcid, flags, params, value.put(), argError);
    if (SUCCEEDED(hr)) {
        call.entry.outcome = Outcome::ok;
        call.entry.result = describe(*value);
        if (result != nullptr) value.moveTo(result);
    } else {
        call.entry.outcome = Outcome::fail;
        call.entry.hresult = hr;
        if (hr == DISP_E_EXCEPTION && exception != nullptr)
            fillException(exception, call.entry.member);
    }
    finish(call.entry);
    return hr;
}

HRESULT SimServer::perform(Call& call, State& state, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, UINT* argError) {
    const Member* member = call.member;
    if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
    const UINT count = params != nullptr ? params->cArgs : 0;
    const UINT named = params != nullptr ? params->cNamedArgs : 0;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (member->id != kVisible || !(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        if (named != 1 || params->rgdispidNamedArgs == nullptr ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
    } else {
        // A getter or method may be invoked as either; VB-style late binding sends both bits.
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (named != 0) return DISP_E_NONAMEDARGS;
        if (count != member->argumentCount) return DISP_E_BADPARAMCOUNT;
    }

    // The argument at parameter position `position`, converted to `type`.
    auto argument = [&](UINT position, VARTYPE type, UniqueVariant& out) -> HRESULT {
        const UINT index = count - 1 - position;
        UniqueVariant direct;
        HRESULT hr = VariantCopyInd(direct.put(), &params->rgvarg[index]);
        if (SUCCEEDED(hr)) hr = VariantChangeTypeEx(out.put(), direct.get(), lcid, 0, type);
        if (FAILED(hr)) {
            if (argError != nullptr) *argError = index;
            return DISP_E_TYPEMISMATCH;
        }
        return S_OK;
    };

    const bool onApp = call.entry.object == "app";
    UniqueVariant first;
    UniqueVariant second;
    switch (member->id) {
        case kVisible:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (HRESULT hr = argument(0, VT_BOOL, first); FAILED(hr)) return hr;
            }
            break;
        case kSetPreference:
            if (HRESULT hr = argument(0, VT_I4, first); FAILED(hr)) return hr;
            if (HRESULT hr = argument(1, VT_R8, second); FAILED(hr)) return hr;
            break;
        case kGetPreference:
            if (HRESULT hr = argument(0, VT_I4, first); FAILED(hr)) return hr;
            break;
        default:
            break;
    }

    if (const std::int32_t failure = state.failureFor(call.entry.object, call.entry.member)) {
        return static_cast<HRESULT>(failure);
    }
    if (state.answersWithText(call.entry.object, call.entry.member)) {
        result->vt = VT_BSTR;
        result->bstrVal = UniqueBstr(L"kein Wert").release();
        return S_OK;
    }

    switch (member->id) {
        case kVisible:
            if (flags & DISPATCH_PROPERTYPUT) {
                setVisible(first->boolVal != VARIANT_FALSE);
                result->vt = VT_EMPTY;
            } else {
                result->vt = VT_BOOL;
                result->boolVal = visible_ ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        case kActiveDoc:
            result->vt = VT_DISPATCH;
            result->pdispVal = nullptr;
            if (state.activeDoc != DocKind::none) {
                result->pdispVal = doc_.get();
                doc_->AddRef();
            }
            return S_OK;
        case kGetType:
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(state.activeDoc);
            return S_OK;
        case kSetPreference: {
            const bool accepted = onApp ? state.systemWriteResult : state.documentWriteResult;
            const double density = second->dblVal;
            bool written = false;
            if (accepted && first->lVal == kDensityPreference && std::isfinite(density)) {
                (onApp ? state.systemDensity : state.documentDensity) = density;
                saveState(state);
                written = true;
            }
            result->vt = VT_BOOL;
            result->boolVal = (accepted && (written || first->lVal != kDensityPreference))
                                  ? VARIANT_TRUE
                                  : VARIANT_FALSE;
            return S_OK;
        }
        case kGetPreference:
            result->vt = VT_R8;
            result->dblVal = first->lVal == kDensityPreference
                                 ? (onApp ? state.systemDensity : state.documentDensity)
                                 : 0.0;
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

void SimServer::finish(const LogEntry& entry) {
    appendToFile(logPath_, formatLogLine(entry) + "\n");
    lastCall_ = describeCall(entry);
    refreshWindow();
}

std::string SimServer::objectName(IUnknown* p) const {
    if (p == nullptr) return "null";
    ComPtr<IUnknown> identity;
    if (FAILED(p->QueryInterface(IID_IUnknown, identity.putVoid()))) return "object";
    if (identity.get() == static_cast<IUnknown*>(app_.get())) return "app";
    if (identity.get() == static_cast<IUnknown*>(doc_.get())) return "doc";
    return "object";
}

LogValue SimServer::describe(const VARIANT& value) const {
    LogValue out{varTypeName(value.vt), {}};
    if (value.vt & VT_ARRAY) {
        out.text = "array";
        return out;
    }
    if (value.vt == (VT_BYREF | VT_VARIANT)) {
        if (value.pvarVal == nullptr) {
            out.text = "null";
        } else {
            LogValue inner = describe(*value.pvarVal);
            out.text = inner.type + ":" + inner.text;
        }
        return out;
    }
    const VARIANT* v = &value;
    UniqueVariant direct;
    if (value.vt & VT_BYREF) {
        if (value.byref == nullptr) {
            out.text = "null";
            return out;
        }
        if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(&value)))) {
            out.text.assign(1, '?');
            return out;
        }
        v = direct.get();
    }
    switch (v->vt) {
        case VT_EMPTY:
        case VT_NULL:
            break;
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_I8: {
            // Every signed and unsigned integer up to 32 bits fits into 64 signed bits.
            UniqueVariant wide;
            if (SUCCEEDED(VariantChangeType(wide.put(), const_cast<VARIANT*>(v), 0, VT_I8))) {
                out.text = std::to_string(wide->llVal);
            } else {
                out.text.assign(1, '?');
            }
            break;
        }
        case VT_UI8:
            out.text = std::to_string(v->ullVal);
            break;
        case VT_R4:
        case VT_R8:
            out.text = formatDouble(v->vt == VT_R4 ? v->fltVal : v->dblVal);
            break;
        case VT_BOOL:
            out.text = v->boolVal != VARIANT_FALSE ? "true" : "false";
            break;
        case VT_ERROR:
            out.text = formatHresult(v->scode);
            break;
        case VT_BSTR:
            out.text = v->bstrVal != nullptr
                           ? velu::text::toUtf8({v->bstrVal, SysStringLen(v->bstrVal)})
                           : "";
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            out.text = objectName(v->vt == VT_DISPATCH ? v->pdispVal : v->punkVal);
            break;
        default: {
            UniqueVariant text;
            if (SUCCEEDED(VariantChangeTypeEx(text.put(), const_cast<VARIANT*>(v), LOCALE_INVARIANT,
                                              0, VT_BSTR))) {
                out.text = velu::text::toUtf8({text->bstrVal, SysStringLen(text->bstrVal)});
            } else {
                out.text.assign(1, '?');
            }
        }
    }
    return out;
}

}  // namespace cadsim::win
