#pragma once
// Message pumping for tests that drive real windows in-process.

#include <windows.h>

#include <chrono>
#include <functional>

namespace velu::testing {

// Handles the messages that are waiting, then returns.
void pumpMessages();

// Pumps messages until the condition holds or the time is up; returns the condition.
bool pumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace velu::testing
