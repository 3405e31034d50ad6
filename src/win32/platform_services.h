#pragma once
// The platform's side of the services the portable core asks for.

#include <windows.h>

#include "about/about_services.h"
#include "common/services.h"
#include "forms/form.h"

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

class WindowsFileNames final : public FileNames {
  public:
    int compare(std::wstring_view a, std::wstring_view b) const override;
};

class WindowsFileWriter final : public FileWriter {
  public:
    std::optional<std::wstring> replaceWhole(const std::wstring& path,
                                             std::string_view bytes) override;
};

class WindowsClipboard final : public Clipboard {
  public:
    // The clipboard's data belongs to this window while it exists (it may change).
    void setOwner(HWND owner) { owner_ = owner; }
    std::optional<std::wstring> putText(const std::wstring& text) override;

  private:
    HWND owner_ = nullptr;
};

class WindowsLocale final : public Locale {
  public:
    wchar_t decimalSeparator() const override;
};

class WindowsProcess final : public Process {
  public:
    void endNow() override;
};

// The handle of a predefined root key from its 32-bit value (0x80000002: HKEY_LOCAL_MACHINE).
HKEY predefinedKey(std::uint32_t root);

class WindowsRegistry final : public about::Registry {
  public:
    Status read(std::uint32_t root, const std::wstring& key, const std::wstring& value,
                std::size_t bufferSize, Value& delivered) override;
};

class WindowsPrograms final : public about::Programs {
  public:
    bool start(const std::wstring& programFile) override;
    std::wstring systemDirectory() const override;
};

}  // namespace velu::win32
