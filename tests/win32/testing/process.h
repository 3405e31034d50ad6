#pragma once
// Starting other programs from the Windows tests, the benchmarks and the demo's driver.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "win32/support/handles.h"

namespace velu::testing {

struct StartedProgram {
    win32::UniqueKernelHandle process;
    win32::UniqueKernelHandle thread;
    DWORD id = 0;
    DWORD error = 0;  // why CreateProcess failed; 0 when the program runs
    explicit operator bool() const { return static_cast<bool>(process); }
};

// Starts the program without waiting for it. The arguments are given as its command line
// wants them (already quoted where needed); the program runs in `directory`, or in the
// current folder when that is empty. Given an inheritable handle, the program writes its
// standard output there.
StartedProgram startProgram(const std::wstring& program, const std::wstring& arguments = L"",
                            const std::wstring& directory = L"", HANDLE standardOutput = nullptr);

// Waits for a started program to end: its exit code, or nothing when it could not be started
// or did not end within the limit.
std::optional<DWORD> waitForExit(const StartedProgram& started, std::chrono::milliseconds limit);

// Starts the program and waits for it to end: its exit code, or nothing when it could not
// be started or did not end within the limit.
std::optional<DWORD> runProgram(const std::wstring& program, const std::wstring& arguments,
                                std::chrono::milliseconds limit);

struct ProgramOutput {
    DWORD exitCode = 0;
    std::string text;  // what it wrote to its standard output
};

// Like runProgram, and gives back what the program wrote to its standard output as well.
std::optional<ProgramOutput> runProgramForOutput(const std::wstring& program,
                                                 const std::wstring& arguments,
                                                 std::chrono::milliseconds limit);

}  // namespace velu::testing
