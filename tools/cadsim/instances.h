// Reaching a running stand-in from outside: every instance has one status window whose class
// names the class id it serves, so that /shutdown, /live and the tests' fixture find the
// instance of one ProgID through it.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cadsim_state.h"

namespace cadsim::win {

// Every instance's window class starts with this; the rest is the class id it serves.
inline constexpr std::wstring_view kWindowClassPrefix = L"CadSimWindow";

// The class of the status window of the instance that serves the ProgID; an empty ProgID
// stands for the stand-in's own class id (a server started without --progid serves that).
std::wstring windowClassFor(std::wstring_view progId);

// The status windows of the running instances: of the one that serves the ProgID, or of
// every instance when it is empty. An instance without a display has a message-only window;
// it is found as well.
std::vector<HWND> instanceWindows(std::wstring_view progId);

// The message a status window answers with the number of live objects: objects its server
// handed to clients that they have not released yet, and the application while a client
// holds it. It is answered on the server's own
// thread, between two calls, so the number is exact when it is given.
UINT liveObjectsMessage();

// The live objects of the instance that serves the ProgID; nothing when none runs or it does
// not answer within the limit.
std::optional<long> liveObjectsOf(std::wstring_view progId,
                                  std::chrono::milliseconds limit = std::chrono::seconds(5));

// The message a status window answers with its server's call counts (CallCounts), also on
// the server's own thread; wParam says what to answer.
UINT callCountsMessage();
enum class CallCountsQuery : WPARAM {
    NameLookups = 0,   // answers the GetIDsOfNames calls received
    Invocations = 1,   // answers the Invoke calls received
    Reset = 2,         // sets the counts and the time to 0 and answers 1
    Microseconds = 3,  // answers the time spent inside the calls
    Objects = 4,       // answers the objects handed out
};

// The call counts of the instance that serves the ProgID; nothing when none runs or it does
// not answer within the limit.
std::optional<CallCounts> callCountsOf(std::wstring_view progId,
                                       std::chrono::milliseconds limit = std::chrono::seconds(5));
// Sets them to 0; false when no instance answered.
bool resetCallCountsOf(std::wstring_view progId,
                       std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace cadsim::win
