#pragma once
// One call on a SolidWorks object as the program makes it: the member, the conversion of its
// answer, and the names that a failure of either carries to the user.

#include <cmath>
#include <string>
#include <string_view>

#include "cad/automation.h"

namespace velu::cad {

// Runs one member call together with the conversion of its result, and names the object and
// the member in the error either may raise: a result of the wrong type is that call's failure.
template <typename Call>
auto on(std::wstring_view objectName, std::wstring_view member, Call call) {
    try {
        return call();
    } catch (const AutomationError& error) {
        throw AutomationError(error.code(), std::wstring(member), std::wstring(objectName),
                              error.systemText());
    }
}

// An answer that must be a number, one that must be a text: anything else is the
// type-mismatch error.
inline double numberIn(const Variant& answer) {
    if (const auto value = answer.number()) return *value;
    throw typeMismatch();
}

// A number that is a quantity: infinite or not a number is no usable answer either.
inline double finiteNumberIn(const Variant& answer) {
    const double value = numberIn(answer);
    if (!std::isfinite(value)) throw typeMismatch();
    return value;
}

inline std::wstring textIn(const Variant& answer) {
    if (auto value = answer.text()) return std::move(*value);
    throw typeMismatch();
}

// An answer that must be an object or nothing.
inline ObjectRef objectIn(const Variant& answer) {
    if (!answer.isEmpty() && !answer.isObject()) throw typeMismatch();
    return answer.object();
}

}  // namespace velu::cad
