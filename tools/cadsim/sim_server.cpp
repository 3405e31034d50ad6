#include "sim_server.h"

#include <utility>
#include <vector>

#include "files.h"
#include "status_window.h"
#include "support/text.h"
#include "win32/support/com_values.h"

namespace cadsim::win {

namespace {

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

// Adds the time from its making to its end to a total, in microseconds.
class Stopwatch {
  public:
    explicit Stopwatch(std::uint64_t& total) : total_(total) { QueryPerformanceCounter(&start_); }
    ~Stopwatch() {
        static const LONGLONG frequency = [] {
            LARGE_INTEGER f{};
            QueryPerformanceFrequency(&f);
            return f.QuadPart;
        }();
        LARGE_INTEGER end{};
        QueryPerformanceCounter(&end);
        total_ +=
            static_cast<std::uint64_t>((end.QuadPart - start_.QuadPart) * 1'000'000 / frequency);
    }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

  private:
    std::uint64_t& total_;
    LARGE_INTEGER start_{};
};

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

SimObject::SimObject(SimServer& server, ObjectKind kind, Target target)
    : server_(server), kind_(kind), target_(std::move(target)) {
    if (kind_ != ObjectKind::App) server_.madeObject(this);
}

HRESULT STDMETHODCALLTYPE SimObject::QueryInterface(REFIID iid, void** out) {
    if (kind_ == ObjectKind::App && out != nullptr && IsEqualIID(iid, IID_IExternalConnection)) {
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
    if (kind_ != ObjectKind::App) server_.lostObject(this);
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
    return server_.invoke(*this, id, lcid, flags, params, result, exception, argError);
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

SimServer::SimServer(std::wstring statePath, std::wstring logPath, StatusWindow* window)
    : store_(std::move(statePath)), logPath_(std::move(logPath)), log_(logPath_), window_(window) {
    app_.attach(new SimObject(*this, ObjectKind::App));
    // The sequence goes on from the last line an earlier run left in the log.
    if (auto text = readFileBytes(logPath_)) {
        for (const LogEntry& entry : parseLog(*text)) {
            if (entry.sequence >= nextSequence_) nextSequence_ = entry.sequence + 1;
        }
    }
    refreshWindow();
}

SimServer::~SimServer() {
    // Disconnecting lets go of the references the clients' stubs hold, which may end the
    // objects and change the set: hold each one while it is cut off.
    std::vector<ComPtr<IDispatch>> handedOut;
    for (SimObject* object : live_) handedOut.emplace_back(object);
    for (const auto& object : handedOut) CoDisconnectObject(object.get(), 0);
}

long SimServer::liveObjects() const {
    return static_cast<long>(live_.size()) + (app_->heldByClients() ? 1 : 0);
}

void SimServer::resetCallCounts() {
    counts_ = CallCounts{};
    showState();
}

const State& SimServer::state() {
    const State& state = store_.current();
    if (store_.readings() != playedReading_) playAssembly();
    return state;
}

void SimServer::playAssembly() {
    const State& state = store_.last();
    played_ = playedAssembly(state.assembly, state.generate, state.writtenDensities);
    partsByPath_.clear();
    subAssemblies_.clear();
    for (std::size_t i = 0; i < played_.parts.size(); ++i) {
        partsByPath_.emplace(pathKey(played_.parts[i].path), i);
    }
    for (const std::string& path : played_.subAssemblies) {
        subAssemblies_.insert(pathKey(path));
    }
    assemblyLine_ = describeAssembly(played_);
    playedReading_ = store_.readings();
}

void SimServer::setVisible(bool visible) {
    visible_ = visible;
    if (window_ != nullptr) window_->show(visible);
    refreshWindow();
}

void SimServer::refreshWindow() {
    state();
    showState();
}

void SimServer::showState() {
    if (window_ == nullptr) return;
    if (scenarioVersion_ != store_.version() || scenarioLines_.empty()) {
        const State& state = store_.last();
        scenarioLines_.clear();
        for (const std::string& line : describeScenario(state)) {
            scenarioLines_.push_back(fromUtf8(line));
        }
        if (state.activeDoc == DocKind::Assembly) scenarioLines_.push_back(fromUtf8(assemblyLine_));
        scenarioLines_.push_back(std::wstring(L"Command in progress: ") +
                                 (state.commandInProgress ? L"yes" : L"no"));
        scenarioVersion_ = store_.version();
    }
    std::vector<std::wstring> lines = scenarioLines_;
    lines.push_back(L"Calls received: " + std::to_wstring(counts_.nameLookups) +
                    L" name look-ups, " + std::to_wstring(counts_.invocations) +
                    L" invocations, served in " + std::to_wstring(counts_.microseconds / 1000) +
                    L" ms; " + std::to_wstring(counts_.objects) + L" objects handed out");
    lines.push_back(L"Objects handed out and not released: " + std::to_wstring(liveObjects()));
    lines.push_back(L"Last call: " + lastCall_.first);
    lines.push_back(lastCall_.second.empty() ? std::wstring()
                                             : L"      \u2192 " + lastCall_.second);
    window_->setLines(std::move(lines));
}

HRESULT SimServer::getIdsOfNames(ObjectKind kind, LPOLESTR* names, UINT count, DISPID* ids) {
    const Stopwatch serving(counts_.microseconds);
    ++counts_.nameLookups;
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
        state();
        State& state = store_.edit();
        if (state.retryLater > 0) {
            --state.retryLater;
            store_.save();
        }
        const LogEntry entry{
            nextSequence_++, *filterRejected_, "*", "call", {}, Outcome::RetryLater, {}, 0};
        filterRejected_.reset();
        finish(entry);
    }
    if (!IsEqualIID(iid, IID_IDispatch) || method != kInvokeMethodIndex) return false;
    if (state().retryLater == 0) return false;
    filterRejected_ = objectName(target);
    return true;
}

HRESULT SimServer::invoke(const SimObject& object, DISPID id, LCID lcid, WORD flags,
                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                          UINT* argError) {
    const Stopwatch serving(counts_.microseconds);
    ++counts_.invocations;
    // When the filter's "retry later" was ignored, the call arrives here and is rejected below.
    filterRejected_.reset();

    Call call;
    call.member = findMember(object.kind(), static_cast<std::int32_t>(id));
    call.entry.sequence = nextSequence_++;
    call.entry.object = logObjectName(object.kind());
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

    // The state file is looked at once a call.
    const State& current = state();
    if (current.callDelayMs > 0) Sleep(current.callDelayMs);
    if (current.retryLater > 0) {
        --store_.edit().retryLater;
        store_.save();
        call.entry.outcome = Outcome::RetryLater;
        finish(call.entry);
        return RPC_E_SERVERCALL_RETRYLATER;
    }
    if (call.member != nullptr && current.diesIn(call.entry.object, call.entry.member)) {
        store_.edit().dieInMember.clear();
        store_.save();
        call.entry.outcome = Outcome::Died;
        appendToFile(logPath_, formatLogLine(call.entry) + "\n");
        ExitProcess(kDiedExitCode);
    }

    UniqueVariant value;
    HRESULT hr = perform(call, object, lcid, flags, params, value.put(), argError);
    if (SUCCEEDED(hr)) {
        call.entry.outcome = Outcome::Ok;
        call.entry.result = describe(*value);
        if (result != nullptr) value.moveTo(result);
    } else {
        call.entry.outcome = Outcome::Fail;
        call.entry.hresult = hr;
        if (hr == DISP_E_EXCEPTION && exception != nullptr)
            fillException(exception, call.entry.member);
    }
    finish(call.entry);
    return hr;
}

HRESULT SimServer::perform(Call& call, const SimObject& object, LCID lcid, WORD flags,
                           DISPPARAMS* params, VARIANT* result, UINT* argError) {
    const Member* member = call.member;
    if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
    Document document;
    if (HRESULT hr = resolve(call, object, document); FAILED(hr)) return hr;
    const UINT count = params != nullptr ? params->cArgs : 0;
    const UINT named = params != nullptr ? params->cNamedArgs : 0;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!acceptsPut(member->id) || !(flags & DISPATCH_PROPERTYPUT)) {
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

    Arguments arguments;
    switch (member->id) {
        case MemberId::Visible:
        case MemberId::CommandInProgress:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (HRESULT hr = argument(0, VT_BOOL, arguments.first); FAILED(hr)) return hr;
            }
            break;
        case MemberId::SetPreference:
            if (HRESULT hr = argument(0, VT_I4, arguments.first); FAILED(hr)) return hr;
            if (HRESULT hr = argument(1, VT_R8, arguments.second); FAILED(hr)) return hr;
            break;
        case MemberId::GetPreference:
            if (HRESULT hr = argument(0, VT_I4, arguments.first); FAILED(hr)) return hr;
            break;
        case MemberId::GetMaterialPropertyName2:
            if (HRESULT hr = argument(0, VT_BSTR, arguments.first); FAILED(hr)) return hr;
            // The database comes back through the second argument, so it must be a reference.
            if (!isTextReference(params->rgvarg[indexOf(1)])) return mismatch(1);
            arguments.textReference = &params->rgvarg[indexOf(1)];
            break;
        case MemberId::GetComponents:
            if (HRESULT hr = argument(0, VT_BOOL, arguments.first); FAILED(hr)) return hr;
            break;
        default:
            break;
    }

    const State& state = store_.last();
    if (const std::int32_t failure = state.fail.of(member->object, member->name)) {
        return static_cast<HRESULT>(failure);
    }
    if (member->id == MemberId::SetPreference && document.part != nullptr &&
        document.part->failWrite != 0) {
        return static_cast<HRESULT>(document.part->failWrite);
    }
    if (document.part != nullptr &&
        velu::text::equalsIgnoringAsciiCase(document.part->failMember, member->name)) {
        return E_FAIL;
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
    return work(call, object, document, flags, arguments, result);
}

HRESULT SimServer::resolve(const Call& call, const SimObject& object, Document& document) {
    const MemberId id = call.member->id;
    const Target& target = object.target();
    switch (object.kind()) {
        case ObjectKind::Doc:
            // Only an assembly lists components.
            if (id == MemberId::GetComponents && store_.last().activeDoc != DocKind::Assembly) {
                return DISP_E_MEMBERNOTFOUND;
            }
            return S_OK;
        case ObjectKind::Component:
            return target.component >= 0 &&
                           static_cast<std::size_t>(target.component) < played_.components.size()
                       ? S_OK
                       : RPC_E_DISCONNECTED;
        case ObjectKind::PartDoc:
        case ObjectKind::Config:
        case ObjectKind::Extension:
        case ObjectKind::MassProperty: {
            if (target.document.empty()) return S_OK;  // the active document's
            const std::string key = pathKey(target.document);
            if (const auto found = partsByPath_.find(key); found != partsByPath_.end()) {
                document.part = &played_.parts[found->second];
            } else if (subAssemblies_.contains(key)) {
                document.subAssembly = true;
            } else {
                return RPC_E_DISCONNECTED;
            }
            if (object.kind() != ObjectKind::PartDoc) return S_OK;
            const bool everyDocument = id == MemberId::GetType || id == MemberId::GetTitle;
            if (document.subAssembly) {
                return everyDocument || id == MemberId::GetComponents ? S_OK
                                                                      : DISP_E_MEMBERNOTFOUND;
            }
            return id == MemberId::GetComponents ? DISP_E_MEMBERNOTFOUND : S_OK;
        }
        case ObjectKind::App:
            return S_OK;
    }
    return S_OK;
}

void SimServer::handOut(ObjectKind kind, Target target, VARIANT* result) {
    ++counts_.objects;
    ComPtr<IDispatch> object;
    object.attach(new SimObject(*this, kind, std::move(target)));
    UniqueVariant::fromDispatch(object.get()).moveTo(result);
}

void SimServer::finish(const LogEntry& entry) {
    log_.append(formatLogLine(entry) + "\n");
    lastCall_ = describeCall(entry);
    showState();
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
        // An array by value tells how many elements it has: "array[12]".
        const SAFEARRAY* array = (value.vt & VT_BYREF) == 0 ? value.parray : nullptr;
        out.text = array != nullptr && array->cDims == 1
                       ? "array[" + std::to_string(array->rgsabound[0].cElements) + "]"
                       : "array";
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
