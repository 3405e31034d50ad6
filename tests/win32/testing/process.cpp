#include "testing/process.h"

namespace velu::testing {

StartedProgram startProgram(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& directory, HANDLE standardOutput) {
    // The program's own path is its first argument, quoted, as a shell would give it.
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (standardOutput != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = standardOutput;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION info{};
    StartedProgram started;
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                          standardOutput != nullptr, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        started.error = ::GetLastError();
        return started;
    }
    started.process.reset(info.hProcess);
    started.thread.reset(info.hThread);
    started.id = info.dwProcessId;
    return started;
}

std::optional<DWORD> waitForExit(const StartedProgram& started, std::chrono::milliseconds limit) {
    if (!started || ::WaitForSingleObject(started.process.get(),
                                          static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(started.process.get(), &code);
    return code;
}

std::optional<DWORD> runProgram(const std::wstring& program, const std::wstring& arguments,
                                std::chrono::milliseconds limit) {
    return waitForExit(startProgram(program, arguments), limit);
}

std::optional<ProgramOutput> runProgramForOutput(const std::wstring& program,
                                                 const std::wstring& arguments,
                                                 std::chrono::milliseconds limit) {
    // A file rather than a pipe: the program never waits for a reader, whatever it writes.
    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    if (::GetTempPathW(MAX_PATH, folder) == 0 || ::GetTempFileNameW(folder, L"out", 0, path) == 0) {
        return std::nullopt;
    }
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const win32::UniqueKernelHandle file(::CreateFileW(
        path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
        nullptr));
    if (!file) return std::nullopt;
    const auto code = waitForExit(startProgram(program, arguments, L"", file.get()), limit);
    if (!code) return std::nullopt;
    ProgramOutput output{*code, {}};
    ::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        output.text.append(buffer, got);
    }
    return output;
}

}  // namespace velu::testing
