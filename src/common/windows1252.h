#pragma once
// The Western European ANSI code page, for builds and tests that have no platform to ask.

#include "common/services.h"

namespace velu {

class Windows1252 final : public AnsiCodePage {
  public:
    std::wstring decode(std::string_view bytes) const override;
};

}  // namespace velu
