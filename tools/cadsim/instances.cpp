#include "instances.h"

#include "cadsim_state.h"
#include "support/text.h"

namespace cadsim::win {

std::wstring windowClassFor(std::wstring_view progId) {
    const std::string clsid = clsidForProgId(velu::text::toUtf8(progId));
    return std::wstring(kWindowClassPrefix) + velu::text::fromUtf8(clsid);
}

std::vector<HWND> instanceWindows(std::wstring_view progId) {
    struct Search {
        std::wstring exactClass;  // empty: every instance
        std::vector<HWND> windows;

        void consider(HWND hwnd) {
            wchar_t name[256];
            const int n = GetClassNameW(hwnd, name, 256);
            const std::wstring_view cls(name, n > 0 ? static_cast<std::size_t>(n) : 0);
            if (exactClass.empty() ? cls.starts_with(kWindowClassPrefix) : cls == exactClass) {
                windows.push_back(hwnd);
            }
        }
    } search{progId.empty() ? std::wstring() : windowClassFor(progId), {}};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            reinterpret_cast<Search*>(param)->consider(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    // An instance without a display has a message-only window instead.
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr));) {
        search.consider(hwnd);
    }
    return search.windows;
}

UINT liveObjectsMessage() {
    static const UINT message = RegisterWindowMessageW(L"VelumarCadSimLiveObjects");
    return message;
}

namespace {

// What the instance of the ProgID answers to the message; nothing when none runs or it does
// not answer within the limit.
std::optional<DWORD_PTR> ask(std::wstring_view progId, UINT message, WPARAM wParam,
                             std::chrono::milliseconds limit) {
    const std::vector<HWND> windows = instanceWindows(progId);
    if (windows.empty()) return std::nullopt;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(windows.front(), message, wParam, 0, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(limit.count()), &answer)) {
        return std::nullopt;
    }
    return answer;
}

}  // namespace

std::optional<long> liveObjectsOf(std::wstring_view progId, std::chrono::milliseconds limit) {
    const auto answer = ask(progId, liveObjectsMessage(), 0, limit);
    return answer ? std::optional<long>(static_cast<long>(*answer)) : std::nullopt;
}

UINT callCountsMessage() {
    static const UINT message = RegisterWindowMessageW(L"VelumarCadSimCallCounts");
    return message;
}

std::optional<CallCounts> callCountsOf(std::wstring_view progId, std::chrono::milliseconds limit) {
    auto answer = [&](CallCountsQuery query) {
        return ask(progId, callCountsMessage(), static_cast<WPARAM>(query), limit);
    };
    const auto names = answer(CallCountsQuery::NameLookups);
    const auto invocations = answer(CallCountsQuery::Invocations);
    const auto microseconds = answer(CallCountsQuery::Microseconds);
    const auto objects = answer(CallCountsQuery::Objects);
    if (!names || !invocations || !microseconds || !objects) return std::nullopt;
    return CallCounts{*names, *invocations, *microseconds, *objects};
}

bool resetCallCountsOf(std::wstring_view progId, std::chrono::milliseconds limit) {
    return ask(progId, callCountsMessage(), static_cast<WPARAM>(CallCountsQuery::Reset), limit) ==
           1u;
}

}  // namespace cadsim::win
