#include "registration.h"

#include <windows.h>

#include <vector>

#include "cadsim_state.h"
#include "support/text.h"
#include "win32/support/handles.h"

namespace cadsim::win {

namespace {

using velu::text::equalsIgnoringAsciiCase;
using velu::text::fromUtf8;
using velu::text::toUtf8;

const std::wstring kClassesRoot = L"Software\\Classes\\";
constexpr std::wstring_view kDescription = L"CAD stand-in (cadsim)";

LSTATUS setDefaultValue(HKEY root, const std::wstring& subKey, std::wstring_view value) {
    velu::win32::UniqueKey key;
    LSTATUS status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     key.put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    const std::wstring text(value);
    return RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The default value of <root>\<subKey>; empty if there is none.
std::wstring defaultValue(HKEY root, const std::wstring& subKey) {
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    if (RegGetValueW(root, subKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return buffer;
}

// Where the registration goes: the user's classes, and under Wine the machine's as well, since
// Wine's COM looks up ProgIDs and class ids in HKLM\Software\Classes only.
struct Root {
    HKEY key;
    const wchar_t* name;
};
std::vector<Root> registrationRoots() {
    std::vector<Root> roots{{HKEY_CURRENT_USER, L"HKCU"}};
    if (runningUnderWine()) roots.push_back({HKEY_LOCAL_MACHINE, L"HKLM"});
    return roots;
}

bool validProgId(std::wstring_view progId) {
    if (progId.empty() || progId.size() > 39) return false;
    for (wchar_t c : progId) {
        if (c == L'\\' || c == L'/' || c == L' ' || c < 0x20) return false;
    }
    return true;
}

}  // namespace

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring quoteArgument(std::wstring_view argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
        return std::wstring(argument);
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, the quote escaped; elsewhere they stay as they
        // are.
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring serverCommandLine(std::wstring_view exePath, std::wstring_view progId,
                               std::wstring_view statePath, std::wstring_view logPath) {
    return L"\"" + std::wstring(exePath) + L"\" --progid " + quoteArgument(progId) + L" --state " +
           quoteArgument(statePath) + L" --log " + quoteArgument(logPath);
}

RegistrationResult registerServer(std::wstring_view progId, std::wstring_view exePath,
                                  std::wstring_view statePath, std::wstring_view logPath) {
    using Status = RegistrationResult::Status;
    if (!validProgId(progId)) return {Status::Failed, L"not a valid ProgID"};
    if (equalsIgnoringAsciiCase(progId, fromUtf8(kCadProgId)) && !runningUnderWine()) {
        return {Status::Refused, L"refusing to register " + std::wstring(progId) +
                                     L" outside Wine: it would shadow a real CAD installation"};
    }
    const std::wstring clsid = fromUtf8(clsidForProgId(toUtf8(progId)));
    const std::wstring progKey = kClassesRoot + std::wstring(progId);
    const std::wstring clsidKey = kClassesRoot + L"CLSID\\" + clsid;
    const std::wstring command = serverCommandLine(exePath, progId, statePath, logPath);
    for (const Root& root : registrationRoots()) {
        for (const auto& [key, value] :
             {std::pair<std::wstring, std::wstring_view>{progKey, kDescription},
              {progKey + L"\\CLSID", clsid},
              {clsidKey, kDescription},
              {clsidKey + L"\\LocalServer32", command},
              {clsidKey + L"\\ProgID", progId}}) {
            LSTATUS status = setDefaultValue(root.key, key, value);
            if (status != ERROR_SUCCESS) {
                return {Status::Failed, L"cannot write " + std::wstring(root.name) + L"\\" + key +
                                            L" (error " + std::to_wstring(status) + L")"};
            }
        }
    }
    return {Status::Ok, L"registered " + std::wstring(progId) + L" as " + clsid + L": " + command};
}

RegistrationResult unregisterServer(std::wstring_view progId) {
    using Status = RegistrationResult::Status;
    if (!validProgId(progId)) return {Status::Failed, L"not a valid ProgID"};
    const std::wstring clsid = fromUtf8(clsidForProgId(toUtf8(progId)));
    const std::wstring progKey = kClassesRoot + std::wstring(progId);
    const std::wstring clsidKey = kClassesRoot + L"CLSID\\" + clsid;
    std::wstring removed;
    for (const Root& root : registrationRoots()) {
        // Only keys that name this stand-in's class id are ours.
        if (equalsIgnoringAsciiCase(defaultValue(root.key, progKey + L"\\CLSID"), clsid)) {
            RegDeleteTreeW(root.key, progKey.c_str());
            removed += L" " + std::wstring(root.name) + L"\\" + progKey;
        }
        if (equalsIgnoringAsciiCase(defaultValue(root.key, clsidKey + L"\\ProgID"), progId)) {
            RegDeleteTreeW(root.key, clsidKey.c_str());
            removed += L" " + std::wstring(root.name) + L"\\" + clsidKey;
        }
    }
    return {Status::Ok, removed.empty() ? L"nothing registered for " + std::wstring(progId)
                                        : L"removed" + removed};
}

}  // namespace cadsim::win
