#include "sim_server.h"

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
// What a member named in TextAnswer answers.
constexpr std::wstring_view kWrongTypeText = L"kein Wert";

// Whether a VARIANT is a text the callee may replace: a BSTR by reference, or a VARIANT by
// reference (as VBScript passes a variable).
bool isTextReference(const VARIANT& value) {
    return (value.vt == (VT_BYREF | VT_BSTR) && value.pbstrVal != nullptr) ||
           (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal != nullptr);
}

// Leaves a text in a reference that isTextReference accepted; what it held is freed.
void leaveText(VARIANT& reference, std::wstring_view text) {
    if (reference.vt == (VT_BYREF | VT_BSTR)) {
        UniqueBstr previous;
        *previous.put() = *reference.pbstrVal;
        *reference.pbstrVal = UniqueBstr(text).release();
    } else {
        UniqueVariant previous;
        *previous.put() = *reference.pvarVal;
        UniqueVariant::fromString(text).moveTo(reference.pvarVal);
    }
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
// ExternalConnections

HRESULT STDMETHODCALLTYPE ExternalConnections::QueryInterface(REFIID iid, void** out) {
    return owner_.QueryInterface(iid, out);
}

ULONG STDMETHODCALLTYPE ExternalConnections::AddRef() {
    return owner_.AddRef();
}

ULONG STDMETHODCALLTYPE ExternalConnections::Release() {
    return owner_.Release();
}

DWORD STDMETHODCALLTYPE ExternalConnections::AddConnection(DWORD type, DWORD) {
    if (!(type & EXTCONN_STRONG)) return static_cast<DWORD>(strong_);
    ++strong_;
    owner_.clientsChanged();
    return static_cast<DWORD>(strong_);
}

// A last release that "closes" would have the object disconnect itself; the application stays
// registered for the next client instead, as the CAD program does.
DWORD STDMETHODCALLTYPE ExternalConnections::ReleaseConnection(DWORD type, DWORD, BOOL) {
    if (!(type & EXTCONN_STRONG) || strong_ == 0) return static_cast<DWORD>(strong_);
    --strong_;
    owner_.clientsChanged();
    return static_cast<DWORD>(strong_);
}

// ---------------------------------------------------------------------------------------------
// SimObject

SimObject::SimObject(SimServer& server, ObjectKind kind) : server_(server), kind_(kind) {
    if (kind_ != ObjectKind::app) server_.madeObject(this);
}

HRESULT STDMETHODCALLTYPE SimObject::QueryInterface(REFIID iid, void** out) {
    if (kind_ == ObjectKind::app && out != nullptr && IsEqualIID(iid, IID_IExternalConnection)) {
        *out = static_cast<IExternalConnection*>(&connections_);
        AddRef();
        return S_OK;
    }
    return ComObject::QueryInterface(iid, out);
}

void SimObject::clientsChanged() {
    server_.appConnectionsChanged();
}

SimObject::~SimObject() {
    if (kind_ != ObjectKind::app) server_.lostObject(this);
}

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
    // The sequence goes on from the last line an earlier run left in the log.
    if (auto text = readFile(logPath_)) {
        for (const LogEntry& entry : parseLog(*text)) {
            if (entry.sequence >= nextSequence_) nextSequence_ = entry.sequence + 1;
        }
    }
    refreshWindow();
}

SimServer::~SimServer() {
    // Disconnecting lets go of the references the clients' stubs hold, which may end the
    // objects and change the list: hold each one while it is cut off.
    std::vector<ComPtr<IDispatch>> handedOut;
    for (SimObject* object : live_) handedOut.emplace_back(object);
    for (const auto& object : handedOut) CoDisconnectObject(object.get(), 0);
}

long SimServer::liveObjects() const {
    return static_cast<long>(live_.size()) + (app_->heldByClients() ? 1 : 0);
}

void SimServer::lostObject(SimObject* object) {
    std::erase(live_, object);
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
    std::vector<std::wstring> lines;
    for (const std::string& line : describeScenario(loadState())) lines.push_back(fromUtf8(line));
    lines.push_back(L"Objects handed out and not released: " + std::to_wstring(liveObjects()));
    lines.push_back(L"Last call: " + lastCall_.first);
    lines.push_back(lastCall_.second.empty() ? std::wstring()
                                             : L"      \u2192 " + lastCall_.second);
    window_->setLines(std::move(lines));
}

HRESULT SimServer::getIdsOfNames(ObjectKind kind, LPOLESTR* names, UINT count, DISPID* ids) const {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    if (count == 0) return S_OK;
    HRESULT hr = S_OK;
    const Member* member =
        names[0] != nullptr ? findMember(kind, velu::text::toUtf8(names[0])) : nullptr;
    ids[0] = member != nullptr ? static_cast<DISPID>(member->id) : DISPID_UNKNOWN;
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
    call.member = findMember(kind, static_cast<std::int32_t>(id));
    call.entry.sequence = nextSequence_++;
    call.entry.object = logObjectName(kind);
    if (call.member != nullptr) {
        call.entry.member = call.member->name;
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
        if (member->id != MemberId::visible || !(flags & DISPATCH_PROPERTYPUT)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        if (named != 1 || params->rgdispidNamedArgs == nullptr ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
    } else {
        // A getter or method may be invoked as either; VB-style late binding sends both bits.
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (named != 0) return DISP_E_NONAMEDARGS;
        if (count != member->arguments) return DISP_E_BADPARAMCOUNT;
    }

    // The index in rgvarg of the argument at parameter position `position`.
    auto indexOf = [count](UINT position) { return count - 1 - position; };
    auto mismatch = [&](UINT position) {
        if (argError != nullptr) *argError = indexOf(position);
        return DISP_E_TYPEMISMATCH;
    };
    // The argument at parameter position `position`, converted to `type`.
    auto argument = [&](UINT position, VARTYPE type, UniqueVariant& out) -> HRESULT {
        UniqueVariant direct;
        HRESULT hr = VariantCopyInd(direct.put(), &params->rgvarg[indexOf(position)]);
        if (SUCCEEDED(hr)) hr = VariantChangeTypeEx(out.put(), direct.get(), lcid, 0, type);
        return FAILED(hr) ? mismatch(position) : S_OK;
    };

    const bool onApp = call.member->object == ObjectKind::app;
    UniqueVariant first;
    UniqueVariant second;
    switch (member->id) {
        case MemberId::visible:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (HRESULT hr = argument(0, VT_BOOL, first); FAILED(hr)) return hr;
            }
            break;
        case MemberId::setPreference:
            if (HRESULT hr = argument(0, VT_I4, first); FAILED(hr)) return hr;
            if (HRESULT hr = argument(1, VT_R8, second); FAILED(hr)) return hr;
            break;
        case MemberId::getPreference:
            if (HRESULT hr = argument(0, VT_I4, first); FAILED(hr)) return hr;
            break;
        case MemberId::getMaterialPropertyName2:
            if (HRESULT hr = argument(0, VT_BSTR, first); FAILED(hr)) return hr;
            // The database comes back through the second argument, so it must be a reference.
            if (!isTextReference(params->rgvarg[indexOf(1)])) return mismatch(1);
            break;
        default:
            break;
    }

    if (const std::int32_t failure = state.fail.of(member->object, member->name)) {
        return static_cast<HRESULT>(failure);
    }
    if (state.answersWithText(call.entry.object, call.entry.member)) {
        // A value of the wrong type: a text, or a number where the answer is a text.
        if (member->answersText) {
            UniqueVariant::fromI4(0).moveTo(result);
        } else {
            UniqueVariant::fromString(kWrongTypeText).moveTo(result);
        }
        return S_OK;
    }

    switch (member->id) {
        case MemberId::visible:
            if (flags & DISPATCH_PROPERTYPUT) {
                setVisible(first->boolVal != VARIANT_FALSE);
                result->vt = VT_EMPTY;
            } else {
                UniqueVariant::fromBool(visible_).moveTo(result);
            }
            return S_OK;
        case MemberId::activeDoc:
            if (state.activeDoc != DocKind::none) {
                handOut(ObjectKind::doc, result);
            } else {
                UniqueVariant::fromDispatch(nullptr).moveTo(result);
            }
            return S_OK;
        case MemberId::getType:
            UniqueVariant::fromI4(static_cast<LONG>(state.activeDoc)).moveTo(result);
            return S_OK;
        case MemberId::setPreference: {
            const bool accepted = onApp ? state.systemWriteResult : state.documentWriteResult;
            const double density = second->dblVal;
            bool written = false;
            if (accepted && first->lVal == kDensityPreference && std::isfinite(density)) {
                (onApp ? state.systemDensity : state.documentDensity) = density;
                saveState(state);
                written = true;
            }
            UniqueVariant::fromBool(accepted && (written || first->lVal != kDensityPreference))
                .moveTo(result);
            return S_OK;
        }
        case MemberId::getPreference:
            UniqueVariant::fromR8(first->lVal == kDensityPreference
                                      ? (onApp ? state.systemDensity : state.documentDensity)
                                      : 0.0)
                .moveTo(result);
            return S_OK;
        case MemberId::getActiveConfiguration:
            handOut(ObjectKind::config, result);
            return S_OK;
        case MemberId::getMaterialPropertyName2: {
            // The part has one configuration: asked for another one, it names no material.
            const std::wstring asked = first->bstrVal != nullptr ? first->bstrVal : L"";
            const bool ours = asked.empty() || velu::text::equalsIgnoringAsciiCase(
                                                   asked, fromUtf8(state.configuration));
            const bool assigned = ours && !state.material.empty();
            leaveText(params->rgvarg[indexOf(1)],
                      assigned ? fromUtf8(state.materialDatabase) : std::wstring());
            UniqueVariant::fromString(assigned ? fromUtf8(state.material) : std::wstring())
                .moveTo(result);
            return S_OK;
        }
        case MemberId::extension:
            handOut(ObjectKind::extension, result);
            return S_OK;
        case MemberId::name:
            UniqueVariant::fromString(fromUtf8(state.configuration)).moveTo(result);
            return S_OK;
        case MemberId::createMassProperty:
            // A part without a body has no mass to compute: Nothing.
            if (state.bodies > 0) {
                handOut(ObjectKind::massProperty, result);
            } else {
                UniqueVariant::fromDispatch(nullptr).moveTo(result);
            }
            return S_OK;
        case MemberId::density:
            UniqueVariant::fromR8(state.massDensity()).moveTo(result);
            return S_OK;
        case MemberId::mass:
            UniqueVariant::fromR8(state.mass()).moveTo(result);
            return S_OK;
        case MemberId::volume:
            UniqueVariant::fromR8(state.volume).moveTo(result);
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

void SimServer::handOut(ObjectKind kind, VARIANT* result) {
    ComPtr<IDispatch> object;
    object.attach(new SimObject(*this, kind));
    UniqueVariant::fromDispatch(object.get()).moveTo(result);
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
    for (SimObject* object : live_) {
        if (identity.get() == static_cast<IUnknown*>(object)) return logObjectName(object->kind());
    }
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
