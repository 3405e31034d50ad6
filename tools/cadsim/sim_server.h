// The automation objects of the CAD stand-in: the application and the objects it hands out
// (the active document, its configuration, its extension and mass properties), the class
// factory and the message filter, and the server state they share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cadsim_state.h"
#include "win32/support/com.h"
#include "win32/support/com_object.h"

namespace cadsim::win {

using velu::win32::ComObject;
using velu::win32::ComPtr;

class StatusWindow;
class SimServer;
class SimObject;

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
    SimObject(SimServer& server, ObjectKind kind);
    ObjectKind kind() const { return kind_; }
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
    void madeObject(SimObject* object) { live_.push_back(object); }
    void lostObject(SimObject* object);

    State loadState() const;
    void saveState(const State& state) const;

    bool visible() const { return visible_; }
    void setVisible(bool visible);
    // Re-reads the state file and shows it in the window.
    void refreshWindow();

    HRESULT getIdsOfNames(ObjectKind kind, LPOLESTR* names, UINT count, DISPID* ids) const;
    HRESULT invoke(ObjectKind kind, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError);
    // From the message filter: true to ask the caller to retry later.
    bool rejectIncoming(IUnknown* target, REFIID iid, WORD method);

  private:
    struct Call;
    HRESULT perform(Call& call, State& state, LCID lcid, WORD flags, DISPPARAMS* params,
                    VARIANT* result, UINT* argError);
    void finish(const LogEntry& entry);
    // The answer of a member that hands out an object: a new one of that kind.
    void handOut(ObjectKind kind, VARIANT* result);
    LogValue describe(const VARIANT& value) const;
    std::string objectName(IUnknown* p) const;

    std::wstring statePath_;
    std::wstring logPath_;
    StatusWindow* window_;
    ComPtr<SimObject> app_;
    std::vector<SimObject*> live_;  // in the order they were made
    std::uint64_t nextSequence_ = 1;
    bool visible_ = false;
    std::pair<std::wstring, std::wstring> lastCall_{L"none yet", L""};  // call and outcome
    // Set when the message filter answered "retry later" for an Invoke; cleared when that
    // Invoke arrives anyway (the runtime ignored the answer) or counted at the next call.
    std::optional<std::string> filterRejected_;
};

}  // namespace cadsim::win
