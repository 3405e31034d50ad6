#pragma once
// The platform's side of the services the portable core asks for.

#include <windows.h>

#include "common/services.h"

namespace velu::win32 {

class WindowsMessageBoxes final : public MessageBoxes {
  public:
    // Boxes are owned by this window while it exists (it may change during the run).
    void setOwner(HWND owner) { owner_ = owner; }
    void show(const std::wstring& text, const std::wstring& title, BoxStyle style) override;

  private:
    HWND owner_ = nullptr;
};

class WindowsFileSystem final : public FileSystem {
  public:
    std::wstring executableDirectory() const override;
    std::optional<FileStamp> stamp(const std::wstring& path) const override;
    std::optional<std::string> readAll(const std::wstring& path) const override;
    bool isOrdinaryFile(const std::wstring& path) const override;
};

class WindowsAnsiCodePage final : public AnsiCodePage {
  public:
    std::wstring decode(std::string_view bytes) const override;
};

class WindowsLocale final : public Locale {
  public:
    wchar_t decimalSeparator() const override;
};

class WindowsProcess final : public Process {
  public:
    void endNow() override;
};

}  // namespace velu::win32
