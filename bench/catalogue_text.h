#pragma once
// The velu.ini the benchmarks read: a density catalogue of `count` materials ("Material 0"
// and so on) as a user would write it, Anzahl the highest index, the middle one selected,
// densities with one decimal after the given separator.

#include <cstdint>
#include <string>

namespace bench {

inline std::string catalogueText(std::int64_t count, char decimalSeparator = ',') {
    std::string text = "[Dichtewerte]\r\nAnzahl=" + std::to_string(count - 1) +
                       "\r\ndefault=" + std::to_string(count / 2) + "\r\n";
    text.reserve(static_cast<std::size_t>(count) * 40 + text.size());
    for (std::int64_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        text += "Name" + n + "=Material " + n + "\r\n";
        text += "Wert" + n + "=" + std::to_string(1000 + i % 9000) + decimalSeparator +
                std::to_string(i % 10) + "\r\n";
    }
    return text;
}

}  // namespace bench
