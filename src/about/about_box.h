#pragma once
// frmAbout: title, version, description and the start of the system information program.

#include <string>

#include "about/about_layout.h"
#include "about/about_services.h"

namespace velu::about {

class AboutBox {
  public:
    explicit AboutBox(AboutServices services);

    AboutForm& form() { return form_; }

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
    AboutForm form_;
};

}  // namespace velu::about
