#pragma once
// frmAbout: title, version, description and the start of the system information program.

#include <functional>
#include <memory>
#include <string>

#include "about/about_services.h"
#include "common/services.h"
#include "config/ini_file.h"
#include "forms/form.h"

namespace velu::about {

inline constexpr const wchar_t* kApplicationTitle = L"velu";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 6;

struct AboutServices {
    MessageBoxes& boxes;
    const FileSystem& files;
    const AnsiCodePage& ansi;
    config::IniFile& ini;
    Registry& registry;
    Programs& programs;
    std::function<void()> show;    // shows the box, non-modal and without owner
    std::function<void()> unload;  // closes the box and discards it
};

class AboutBox {
  public:
    explicit AboutBox(AboutServices services);

    forms::Form& form() { return *form_; }

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the system information program, or says that it is not available.
    void StartSysInfo();

    // Reads one registry value as text into keyValue; true when it could be read. A value of
    // zero bytes cannot be read and raises an error.
    bool GetKeyValue(std::uint32_t keyRoot, const std::wstring& keyName,
                     const std::wstring& subKeyRef, std::wstring& keyValue);

  private:
    AboutServices services_;
    std::unique_ptr<forms::Form> form_;
};

// "Version 1.1.6".
std::wstring versionLine();

}  // namespace velu::about
