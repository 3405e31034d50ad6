#include "stand_in.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <utility>

#include "files.h"
#include "instances.h"
#include "registration.h"
#include "testing/messages.h"
#include "testing/process.h"

namespace velu::testing {

using cadsim::win::quoteArgument;

StandIn::StandIn(std::wstring program, std::wstring progId, std::wstring statePath,
                 std::wstring logPath)
    : program_(std::move(program)),
      progId_(std::move(progId)),
      statePath_(std::move(statePath)),
      logPath_(std::move(logPath)) {}

int StandIn::run(const std::wstring& arguments) const {
    // Wine has, rarely, failed to start cadsim.exe right after the previous test's server
    // went away. A start that fails says nothing about the stand-in, so it is tried once
    // more; either way the reason is written to the test's log.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const StartedProgram started = startProgram(program_, arguments);
        if (!started) {
            std::fwprintf(stderr, L"stand-in: cannot start %ls %ls (error %lu, attempt %d)\n",
                          program_.c_str(), arguments.c_str(), started.error, attempt);
            ::Sleep(200);
            continue;
        }
        const auto code = waitForExit(started, std::chrono::minutes(1));
        if (!code) {
            std::fwprintf(stderr, L"stand-in: %ls %ls did not end within a minute\n",
                          program_.c_str(), arguments.c_str());
            return -1;
        }
        return static_cast<int>(*code);
    }
    return -1;
}

std::optional<std::string> StandIn::output(const std::wstring& arguments) const {
    const auto run = runProgramForOutput(program_, arguments, std::chrono::minutes(1));
    if (!run) return std::nullopt;
    return run->text;
}

bool StandIn::registerServer() const {
    return run(L"/regserver --progid " + quoteArgument(progId_) + L" --state " +
               quoteArgument(statePath_) + L" --log " + quoteArgument(logPath_)) == 0;
}

int StandIn::shutDown() const {
    return run(L"/shutdown --progid " + quoteArgument(progId_));
}

void StandIn::remove() const {
    shutDown();
    run(L"/unregserver --progid " + quoteArgument(progId_));
    ::DeleteFileW(statePath_.c_str());
    ::DeleteFileW(logPath_.c_str());
}

bool StandIn::write(const cadsim::State& scenario) const {
    return cadsim::win::writeFileReplacing(statePath_, cadsim::toText(scenario));
}

cadsim::State StandIn::scenario() const {
    const auto text = cadsim::win::readFileBytes(statePath_);
    return text ? cadsim::parse(*text) : cadsim::State{};
}

std::optional<double> StandIn::partDensity(std::string_view path) const {
    const cadsim::State state = scenario();
    const cadsim::Assembly played =
        cadsim::playedAssembly(state.assembly, state.generate, state.writtenDensities);
    for (const cadsim::AssemblyPart& part : played.parts) {
        if (cadsim::samePath(part.path, path)) return part.density;
    }
    return std::nullopt;
}

std::vector<cadsim::LogEntry> StandIn::calls() const {
    const auto text = cadsim::win::readFileBytes(logPath_);
    return text ? cadsim::parseLog(*text) : std::vector<cadsim::LogEntry>{};
}

void StandIn::forgetCalls() const {
    // Emptied, not deleted: a running server keeps the log open.
    cadsim::win::emptyFile(logPath_);
}

std::optional<long> StandIn::liveObjects() const {
    return cadsim::win::liveObjectsOf(progId_);
}

std::optional<cadsim::CallCounts> StandIn::callCounts() const {
    return cadsim::win::callCountsOf(progId_);
}

bool StandIn::resetCallCounts() const {
    return cadsim::win::resetCallCountsOf(progId_);
}

std::optional<long> StandIn::liveObjectsOnceReleased() const {
    std::optional<long> live;
    pumpUntil(
        [&] {
            live = liveObjects();
            return live == 0;
        },
        std::chrono::seconds(1));
    return live;
}

}  // namespace velu::testing
