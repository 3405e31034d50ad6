#pragma once
// The Western European ANSI code page, for the tests, fuzzers and benchmarks that have no
// platform to ask.

#include <string>
#include <string_view>

#include "common/services.h"

namespace velu {

class Windows1252 final : public AnsiCodePage {
  public:
    std::wstring decode(std::string_view bytes) const override {
        // Code points of the bytes 0x80 to 0x9F; the five undefined bytes map to themselves,
        // as the platform's conversion does.
        static constexpr char16_t kHighControls[32] = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        std::wstring text;
        text.reserve(bytes.size());
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            text += (b >= 0x80 && b < 0xA0) ? static_cast<wchar_t>(kHighControls[b - 0x80])
                                            : static_cast<wchar_t>(b);
        }
        return text;
    }
};

}  // namespace velu
