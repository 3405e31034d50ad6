#pragma once
// The CAD stand-in (cadsim.exe) as the tests drive it: registered as the local server of a
// ProgID with a scenario file and a call log, given a scenario, its calls read back, and
// shut down and unregistered at the end. Used by the stand-in's own tests and by the tests of
// the program against it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cadsim_state.h"

namespace velu::testing {

class StandIn {
  public:
    // Without a ProgID and files it only runs cadsim.exe.
    explicit StandIn(std::wstring program, std::wstring progId = {}, std::wstring statePath = {},
                     std::wstring logPath = {});

    // Runs cadsim.exe with these arguments and waits for it: its exit code, -1 when it did
    // not start or did not end within a minute.
    int run(const std::wstring& arguments) const;
    // The same, with what cadsim.exe wrote to its standard output; nothing when it did not
    // start or end.
    std::optional<std::string> output(const std::wstring& arguments) const;

    // Registers cadsim.exe as the local server of the ProgID, serving the scenario file and
    // writing the call log; true when that worked.
    bool registerServer() const;
    // Closes the running instance of the ProgID, if any, and waits until it has ended.
    int shutDown() const;
    // Ends the running instance, removes the registration and the scenario and log files.
    void remove() const;

    bool write(const cadsim::State& scenario) const;
    // The scenario as the server left it (densities it wrote, failures it used up).
    cadsim::State scenario() const;
    // The density setting of the part with this path (any case) in the assembly the scenario
    // plays, as the server left it: also a density written into a generated part. Nothing if
    // there is no such part.
    std::optional<double> partDensity(std::string_view path) const;
    // Every call the server logged, in order.
    std::vector<cadsim::LogEntry> calls() const;
    void forgetCalls() const;

    // How many objects the running instance has handed out that its clients have not released
    // yet, the application among them while a client holds it; nothing when no instance runs.
    // Asked of the instance directly, so the answer is exact at the moment it is given.
    std::optional<long> liveObjects() const;
    // The same once the releases of a click have reached the instance: a release may arrive
    // a moment after the client let go, so it is waited for up to a second.
    std::optional<long> liveObjectsOnceReleased() const;

    // The calls the running instance received since it started or they were reset, name
    // look-ups and invocations apart; nothing when no instance runs.
    std::optional<cadsim::CallCounts> callCounts() const;
    // Sets the running instance's call counts to 0; false when no instance runs.
    bool resetCallCounts() const;

    const std::wstring& logPath() const { return logPath_; }

  private:
    std::wstring program_;
    std::wstring progId_;
    std::wstring statePath_;
    std::wstring logPath_;
};

}  // namespace velu::testing
