// cadsim.exe: a stand-in for the CAD program's automation server, for tests and demos.
//
//   cadsim.exe /regserver --progid <ProgID> --state <file> --log <file>
//   cadsim.exe /unregserver --progid <ProgID>
//   cadsim.exe /shutdown [--progid <ProgID>]
//   cadsim.exe /live --progid <ProgID>
//   cadsim.exe /counts --progid <ProgID> [--reset]
//   cadsim.exe [--progid <ProgID>] --state <file> --log <file> [-Embedding]
//
// Without -Embedding (started by hand) the window is shown at once; started by COM it stays
// hidden until a client sets Visible. /live prints how many objects the running instance has
// handed to clients that they have not released yet; /counts how many calls it received
// (name look-ups and invocations) and how long it spent inside them, and --reset sets them
// to 0 after printing them.

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "cadsim_state.h"
#include "instances.h"
#include "registration.h"
#include "sim_server.h"
#include "status_window.h"
#include "support/text.h"
#include "win32/support/com_apartment.h"
#include "win32/support/handles.h"
#include "win32/support/paths.h"

namespace cadsim::win {
namespace {

using velu::text::fromUtf8;

enum ExitCode : int {
    kOk = 0,
    kFailed = 1,
    kUsage = 2,
    kRefused = 3,
};

// A registration with COM that holds a cookie and is revoked with it when the server ends:
// the class object (CoRegisterClassObject) and the entry in the running object table.
class CookieRegistration {
  public:
    template <typename Register>
    CookieRegistration(Register registerWith, void (*revoke)(DWORD cookie))
        : result_(registerWith(&cookie_)), revoke_(revoke) {}
    ~CookieRegistration() {
        if (SUCCEEDED(result_)) revoke_(cookie_);
    }
    CookieRegistration(const CookieRegistration&) = delete;
    CookieRegistration& operator=(const CookieRegistration&) = delete;
    HRESULT result() const { return result_; }

  private:
    DWORD cookie_ = 0;
    HRESULT result_;
    void (*revoke_)(DWORD cookie);
};

// Cuts every client off from an object when the server ends, so calls fail instead of hanging.
class DisconnectOnExit {
  public:
    explicit DisconnectOnExit(IUnknown* object) : object_(object) {}
    ~DisconnectOnExit() { CoDisconnectObject(object_, 0); }
    DisconnectOnExit(const DisconnectOnExit&) = delete;
    DisconnectOnExit& operator=(const DisconnectOnExit&) = delete;

  private:
    IUnknown* object_;
};

struct Options {
    enum class Mode { Serve, RegServer, UnregServer, Shutdown, Live, Counts } mode = Mode::Serve;
    bool embedding = false;
    bool reset = false;  // /counts --reset
    std::wstring progId;
    std::wstring statePath;
    std::wstring logPath;
};

// Messages go to the standard error the process was given (e.g. by wine from a shell).
void writeTo(DWORD standardHandle, const std::string& text) {
    HANDLE handle = GetStdHandle(standardHandle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void report(const std::wstring& message) {
    writeTo(STD_ERROR_HANDLE, "cadsim: " + velu::text::toUtf8(message) + "\n");
}

bool isSwitch(std::wstring_view arg, std::wstring_view name) {
    return (arg.starts_with(L'/') || arg.starts_with(L'-')) &&
           velu::text::equalsIgnoringAsciiCase(arg.substr(1), name);
}

bool parseOptions(const std::vector<std::wstring>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        auto value = [&](std::wstring& out) {
            if (i + 1 >= args.size()) {
                report(arg + L" needs a value");
                return false;
            }
            out = args[++i];
            return true;
        };
        if (isSwitch(arg, L"regserver")) {
            options.mode = Options::Mode::RegServer;
        } else if (isSwitch(arg, L"unregserver")) {
            options.mode = Options::Mode::UnregServer;
        } else if (isSwitch(arg, L"shutdown")) {
            options.mode = Options::Mode::Shutdown;
        } else if (isSwitch(arg, L"live")) {
            options.mode = Options::Mode::Live;
        } else if (isSwitch(arg, L"counts")) {
            options.mode = Options::Mode::Counts;
        } else if (arg == L"--reset") {
            options.reset = true;
        } else if (isSwitch(arg, L"Embedding") || isSwitch(arg, L"Automation")) {
            options.embedding = true;
        } else if (arg == L"--progid") {
            if (!value(options.progId)) return false;
        } else if (arg == L"--state") {
            if (!value(options.statePath)) return false;
        } else if (arg == L"--log") {
            if (!value(options.logPath)) return false;
        } else {
            report(L"unknown argument " + arg);
            return false;
        }
    }
    options.statePath = velu::win32::fullPath(options.statePath);
    options.logPath = velu::win32::fullPath(options.logPath);
    return true;
}

LRESULT answerCallCounts(SimServer& server, WPARAM query) {
    switch (static_cast<CallCountsQuery>(query)) {
        case CallCountsQuery::NameLookups:
            return static_cast<LRESULT>(server.callCounts().nameLookups);
        case CallCountsQuery::Invocations:
            return static_cast<LRESULT>(server.callCounts().invocations);
        case CallCountsQuery::Microseconds:
            return static_cast<LRESULT>(server.callCounts().microseconds);
        case CallCountsQuery::Objects:
            return static_cast<LRESULT>(server.callCounts().objects);
        case CallCountsQuery::Reset:
            server.resetCallCounts();
            return 1;
    }
    return 0;
}

int serve(const Options& options) {
    if (options.statePath.empty() || options.logPath.empty()) {
        report(L"the server needs --state <file> and --log <file>");
        return kUsage;
    }
    velu::win32::ComApartment com(COINIT_APARTMENTTHREADED);
    if (FAILED(com.result())) return kFailed;

    const std::string clsidText = clsidForProgId(velu::text::toUtf8(options.progId));
    CLSID clsid{};
    if (FAILED(CLSIDFromString(fromUtf8(clsidText).c_str(), &clsid))) return kFailed;
    const std::wstring className = windowClassFor(options.progId);
    if (!options.embedding && FindWindowW(className.c_str(), nullptr) != nullptr) {
        report(L"already running for " + fromUtf8(clsidText));
        return kFailed;
    }

    SimServer* serverForWindow = nullptr;
    StatusWindow window(
        className,
        [&serverForWindow] {
            if (serverForWindow != nullptr) serverForWindow->refreshWindow();
        },
        {[&serverForWindow] {
             return serverForWindow != nullptr ? serverForWindow->liveObjects() : 0L;
         },
         [&serverForWindow](WPARAM query) {
             return serverForWindow != nullptr ? answerCallCounts(*serverForWindow, query)
                                               : LRESULT{0};
         }});
    if (!window.valid()) {
        report(L"no window to serve from: " + window.failure());
        return kFailed;
    }
    if (!window.canShow()) report(L"no display: the window cannot be shown");
    SimServer server(options.statePath, options.logPath, &window);
    serverForWindow = &server;

    // A slow start: the client waits for the class object while this sleeps.
    if (const std::uint32_t delay = server.state().createDelayMs; delay > 0) Sleep(delay);

    ComPtr<IMessageFilter> filter;
    filter.attach(new MessageFilter(server));
    const velu::win32::MessageFilterRegistration filterRegistration(filter);
    DisconnectOnExit disconnectApp(server.app());
    // A weak entry, so that only clients' references count as connections of the application
    // (a strong one would be a connection of its own, and the application would always look
    // held). COM keeps a weakly registered object reachable after its last client let go
    // because the object has external connections; without them GetActiveObject would fail
    // from then on.
    const CookieRegistration running(
        [&](DWORD* cookie) {
            return RegisterActiveObject(server.app(), clsid, ACTIVEOBJECT_WEAK, cookie);
        },
        [](DWORD cookie) { RevokeActiveObject(cookie, nullptr); });
    if (FAILED(running.result())) {
        report(L"RegisterActiveObject failed: " + fromUtf8(formatHresult(running.result())));
    }
    ComPtr<IClassFactory> factory;
    factory.attach(new ClassFactory(server.app()));
    const CookieRegistration classObject(
        [&](DWORD* cookie) {
            return CoRegisterClassObject(clsid, factory.get(), CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE, cookie);
        },
        [](DWORD cookie) { CoRevokeClassObject(cookie); });
    if (FAILED(classObject.result())) {
        report(L"CoRegisterClassObject failed: " + fromUtf8(formatHresult(classObject.result())));
        return kFailed;
    }
    if (!options.embedding) server.setVisible(true);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return kOk;
}

// Closes the window of every running instance (or only the one serving progId) and waits for
// the processes to end.
int shutdown(const Options& options) {
    const std::vector<HWND> windows = instanceWindows(options.progId);
    int result = kOk;
    for (HWND hwnd : windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        velu::win32::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        if (process && WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
            report(L"process " + std::to_wstring(pid) + L" did not end");
            result = kFailed;
        }
    }
    report(L"closed " + std::to_wstring(windows.size()) + L" instance(s)");
    return result;
}

// Prints the number of live objects of the instance serving the ProgID.
int live(const Options& options) {
    const auto count = liveObjectsOf(options.progId);
    if (!count) {
        report(L"no running instance of " + options.progId + L" answered");
        return kFailed;
    }
    writeTo(STD_OUTPUT_HANDLE, std::to_string(*count) + "\n");
    return kOk;
}

// Prints the call counts of the instance serving the ProgID, then resets them if asked.
int counts(const Options& options) {
    const auto answered = callCountsOf(options.progId);
    if (!answered || (options.reset && !resetCallCountsOf(options.progId))) {
        report(L"no running instance of " + options.progId + L" answered");
        return kFailed;
    }
    writeTo(STD_OUTPUT_HANDLE, "GetIDsOfNames " + std::to_string(answered->nameLookups) +
                                   "\nInvoke " + std::to_string(answered->invocations) +
                                   "\nMicroseconds " + std::to_string(answered->microseconds) +
                                   "\nObjects " + std::to_string(answered->objects) + "\n");
    return kOk;
}

int run() {
    int argc = 0;
    velu::win32::UniqueLocal argvMemory(CommandLineToArgvW(GetCommandLineW(), &argc));
    if (!argvMemory) return kUsage;
    auto* argv = static_cast<LPWSTR*>(argvMemory.get());
    std::vector<std::wstring> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    Options options;
    if (!parseOptions(args, options)) return kUsage;
    switch (options.mode) {
        case Options::Mode::RegServer: {
            if (options.progId.empty() || options.statePath.empty() || options.logPath.empty()) {
                report(L"/regserver needs --progid <ProgID> --state <file> --log <file>");
                return kUsage;
            }
            auto r = registerServer(options.progId, velu::win32::executablePath(),
                                    options.statePath, options.logPath);
            report(r.message);
            return r.status == RegistrationResult::Status::Ok        ? kOk
                   : r.status == RegistrationResult::Status::Refused ? kRefused
                                                                     : kFailed;
        }
        case Options::Mode::UnregServer: {
            if (options.progId.empty()) {
                report(L"/unregserver needs --progid <ProgID>");
                return kUsage;
            }
            auto r = unregisterServer(options.progId);
            report(r.message);
            return r.status == RegistrationResult::Status::Ok ? kOk : kFailed;
        }
        case Options::Mode::Shutdown:
            return shutdown(options);
        case Options::Mode::Live:
            if (options.progId.empty()) {
                report(L"/live needs --progid <ProgID>");
                return kUsage;
            }
            return live(options);
        case Options::Mode::Counts:
            if (options.progId.empty()) {
                report(L"/counts needs --progid <ProgID>");
                return kUsage;
            }
            return counts(options);
        case Options::Mode::Serve:
            return serve(options);
    }
    return kUsage;
}

}  // namespace
}  // namespace cadsim::win

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return cadsim::win::run();
}
