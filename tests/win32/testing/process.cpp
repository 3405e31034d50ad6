#include "testing/process.h"

namespace velu::testing {

StartedProgram startProgram(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& directory) {
    // The program's own path is its first argument, quoted, as a shell would give it.
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    StartedProgram started;
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        started.error = ::GetLastError();
        return started;
    }
    started.process.reset(info.hProcess);
    started.thread.reset(info.hThread);
    started.id = info.dwProcessId;
    return started;
}

std::optional<DWORD> runProgram(const std::wstring& program, const std::wstring& arguments,
                                std::chrono::milliseconds limit) {
    const StartedProgram started = startProgram(program, arguments);
    if (!started || ::WaitForSingleObject(started.process.get(),
                                          static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(started.process.get(), &code);
    return code;
}

}  // namespace velu::testing
