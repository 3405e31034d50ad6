// Registering the stand-in as a COM local server under HKCU\Software\Classes.
#pragma once

#include <string>
#include <string_view>

namespace cadsim::win {

// True when this process runs under Wine (ntdll exports wine_get_version).
bool runningUnderWine();

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring quoteArgument(std::wstring_view argument);

// The command line COM starts the server with (COM appends -Embedding).
std::wstring serverCommandLine(std::wstring_view exePath, std::wstring_view progId,
                               std::wstring_view statePath, std::wstring_view logPath);

struct RegistrationResult {
    enum class Status { Ok, Refused, Failed } status = Status::Ok;
    std::wstring message;
};

// Writes <ProgID>\CLSID and CLSID\{...}\LocalServer32 and \ProgID under HKCU\Software\Classes
// (and, under Wine, the same under HKLM\Software\Classes, the only place Wine's COM reads). Refuses
// SldWorks.Application unless the process runs under Wine, so that a real CAD installation is never
// shadowed.
RegistrationResult registerServer(std::wstring_view progId, std::wstring_view exePath,
                                  std::wstring_view statePath, std::wstring_view logPath);

// Removes what registerServer wrote; keys that belong to another server are left alone.
RegistrationResult unregisterServer(std::wstring_view progId);

}  // namespace cadsim::win
