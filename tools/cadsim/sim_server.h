// The automation objects of the CAD stand-in: the application and the objects it hands out
// (the active document, its configuration, its extension and mass properties, an assembly's
// components and the documents they use), the class factory and the message filter, and the
// server state they share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cadsim_state.h"
#include "files.h"
#include "state_store.h"
#include "support/text.h"
#include "win32/support/com.h"
#include "win32/support/com_object.h"
#include "win32/support/com_values.h"

namespace cadsim::win {

using velu::text::fromUtf8;
using velu::win32::ComObject;
using velu::win32::ComPtr;
using velu::win32::UniqueBstr;
using velu::win32::UniqueVariant;

class StatusWindow;
class SimServer;
class SimObject;

// What an object the stand-in handed out stands for, besides its kind.
struct Target {
    // A document reached through a component, and its configuration, extension and mass
    // properties: the path of the part or sub-assembly. Empty: the active document.
    std::string document;
    // A component: its index in the assembly played. A sub-assembly's document: the component
    // it was reached through, whose children it lists.
    int component = -1;
    // A component: the sub-assembly component it was listed from (-1: the assembly), which
    // its Name2 starts below.
    int root = -1;
};

// Whether clients hold the application. The running object table and the class factory hold
// the application for as long as the server runs, so its reference count cannot tell; COM
// tells an object that implements IExternalConnection when the first reference of a client
// arrives and when the last one is gone (Wine calls AddConnection when its stub manager's
// external references go from none to some and ReleaseConnection when they drop to none;
// Windows calls them for every strong connection; either way the count is positive exactly
// while a client holds the object). A part of the application object, sharing its identity.
class ExternalConnections final : public IExternalConnection {
  public:
    explicit ExternalConnections(SimObject& owner) : owner_(owner) {}
    bool held() const { return strong_ > 0; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD reserved) override;
    DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD reserved,
                                              BOOL lastReleaseCloses) override;

  private:
    SimObject& owner_;
    LONG strong_ = 0;
};

// The IDispatch of every object the stand-in serves; each hands its calls to SimServer.
// Every object but the application is made for the call that hands it out and counts as
// live until its last reference is gone; the application counts while a client holds it.
class SimObject final : public ComObject<IDispatch, IID_IDispatch> {
  public:
    SimObject(SimServer& server, ObjectKind kind, Target target = {});
    ObjectKind kind() const { return kind_; }
    const Target& target() const { return target_; }
    // Only the application answers: whether a client holds it.
    bool heldByClients() const { return connections_.held(); }
    // From its external connections: a client took the application or let go of it.
    void clientsChanged();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

  private:
    ~SimObject() override;

    SimServer& server_;
    ObjectKind kind_;
    Target target_;
    ExternalConnections connections_{*this};
};

// Hands the one application object to every CreateInstance (REGCLS_MULTIPLEUSE).
class ClassFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
  public:
    explicit ClassFactory(IDispatch* app) : app_(app) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  private:
    ComPtr<IDispatch> app_;
};

// Asks callers to retry later while RetryLater is positive. Whether the COM runtime honours
// that answer differs (see README.md); SimServer counts each rejected call once either way.
class MessageFilter final : public ComObject<IMessageFilter, IID_IMessageFilter> {
  public:
    explicit MessageFilter(SimServer& server) : server_(server) {}
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) override;
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount,
                                              DWORD rejectType) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount,
                                           DWORD pendingType) override;

  private:
    SimServer& server_;
};

class SimServer {
  public:
    SimServer(std::wstring statePath, std::wstring logPath, StatusWindow* window);
    // Cuts every client off from the objects it still holds, so that its calls fail instead
    // of hanging.
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    IDispatch* app() const { return app_.get(); }
    // From the application: a client took it or let go of it.
    void appConnectionsChanged() { refreshWindow(); }

    // The objects handed to clients and not released yet, the application among them while a
    // client holds it.
    long liveObjects() const;
    // From SimObject: an object other than the application was made or is gone.
    void madeObject(SimObject* object) { live_.insert(object); }
    void lostObject(SimObject* object) { live_.erase(object); }

    // The calls received since the start or the last reset.
    const CallCounts& callCounts() const { return counts_; }
    void resetCallCounts();

    // The state file as it is now, and the assembly played from it.
    const State& state();

    bool visible() const { return visible_; }
    void setVisible(bool visible);
    // Reads the state file if it changed and shows it, with the last call, in the window.
    void refreshWindow();

    HRESULT getIdsOfNames(ObjectKind kind, LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT invoke(const SimObject& object, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError);
    // From the message filter: true to ask the caller to retry later.
    bool rejectIncoming(IUnknown* target, REFIID iid, WORD method);

  private:
    // A call as it is logged, and the member it calls (null for an unknown DISPID).
    struct Call {
        LogEntry entry;
        const Member* member = nullptr;
    };
    // The arguments of a call, converted to the types the member takes.
    struct Arguments {
        velu::win32::UniqueVariant first;
        velu::win32::UniqueVariant second;
        VARIANT* textReference = nullptr;  // where GetMaterialPropertyName2 leaves the database
    };
    // The part or sub-assembly a document object stands for.
    struct Document {
        AssemblyPart* part = nullptr;  // null: a sub-assembly, or the active document
        bool subAssembly = false;
    };
    HRESULT perform(Call& call, const SimObject& object, LCID lcid, WORD flags, DISPPARAMS* params,
                    VARIANT* result, UINT* argError);
    // The member's work once its call passed every check (sim_members.cpp).
    HRESULT work(const Call& call, const SimObject& object, const Document& document, WORD flags,
                 Arguments& arguments, VARIANT* result);
    // Whether the member is one this object has; DISP_E_MEMBERNOTFOUND if not (a part's
    // document lists no components, a sub-assembly's has no density), RPC_E_DISCONNECTED if
    // what it stands for is no longer in the state.
    HRESULT resolve(const Call& call, const SimObject& object, Document& document);
    HRESULT componentMember(MemberId id, const Target& target, VARIANT* result);
    // Density, Mass, Volume and OverrideMass of the mass properties of a part of the assembly
    // (part), of the active part, or of the active assembly.
    HRESULT massPropertyMember(MemberId id, const AssemblyPart* part, VARIANT* result);
    HRESULT listComponentsInto(int root, bool topLevelOnly, VARIANT* result);
    void writePartDensity(AssemblyPart& part, double density);
    void finish(const LogEntry& entry);
    // The answer of a member that hands out an object: a new one of that kind.
    void handOut(ObjectKind kind, Target target, VARIANT* result);
    LogValue describe(const VARIANT& value) const;
    std::string objectName(IUnknown* p) const;
    void playAssembly();
    // Shows the state as last read, the counts and the last call in the window.
    void showState();

    StateStore store_;
    std::wstring logPath_;
    AppendedFile log_;
    StatusWindow* window_;
    ComPtr<SimObject> app_;
    std::unordered_set<SimObject*> live_;
    CallCounts counts_;
    // The assembly played, made again when the state was read anew, with its part documents
    // and sub-assembly documents by path (folded to upper case).
    Assembly played_;
    std::uint64_t playedReading_ = 0;
    std::unordered_map<std::string, std::size_t> partsByPath_;
    std::unordered_set<std::string> subAssemblies_;
    std::string assemblyLine_;
    std::vector<std::wstring> scenarioLines_;  // what the window shows of the state's version
    std::uint64_t scenarioVersion_ = 0;
    std::uint64_t nextSequence_ = 1;
    bool visible_ = false;
    std::pair<std::wstring, std::wstring> lastCall_{L"none yet", L""};  // call and outcome
    // Set when the message filter answered "retry later" for an Invoke; cleared when that
    // Invoke arrives anyway (the runtime ignored the answer) or counted at the next call.
    std::optional<std::string> filterRejected_;
};

}  // namespace cadsim::win
