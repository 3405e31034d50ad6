#include "about/about_box.h"

#include <stdexcept>

#include "common/program_texts.h"
#include "config/form_texts.h"
#include "forms/bindings.h"

namespace velu::about {
namespace {

constexpr std::size_t kValueBuffer = 1024;
constexpr std::uint32_t kText = 1;    // REG_SZ
constexpr std::uint32_t kNumber = 4;  // REG_DWORD

}  // namespace

AboutBox::AboutBox(AboutServices services) : services_(std::move(services)) {
    const forms::Binding<AboutBox> bindings[] = {
        {form_.cmdOK, forms::Event::Click, &AboutBox::cmdOK_Click},
        {form_.cmdSysInfo, forms::Event::Click, &AboutBox::cmdSysInfo_Click},
    };
    forms::bind(form_, *this, bindings);
}

void AboutBox::Form_Load() {
    const std::wstring title(texts::kApplicationTitle);
    form_.setCaption(texts::aboutCaption());
    form_.lblTitle.setCaption(title);
    form_.lblVersion.setCaption(texts::versionLine());
    form_.lblDescription.setCaption(std::wstring(texts::kDescription) + L" " +
                                    std::wstring(texts::kDisclaimer));
    form_.lblDisclaimer.setCaption(std::wstring(texts::kContact));
    if (services_.show) services_.show();
    config::LoadFormTexts(form_, services_.profiles, services_.files);
}

void AboutBox::cmdOK_Click() {
    if (services_.unload) services_.unload();
}

void AboutBox::cmdSysInfo_Click() {
    StartSysInfo();
}

void AboutBox::StartSysInfo() {
    // A value that cannot be read, even one that raises an error, leads on to the next place.
    auto registryValue = [this](const wchar_t* key, const wchar_t* name, std::wstring& value) {
        try {
            return GetKeyValue(kLocalMachine, key, name, value);
        } catch (const std::exception&) {
            return false;
        }
    };
    auto startExisting = [this](const std::wstring& program) {
        return FileExists(services_.files, program) && services_.programs.start(program);
    };

    // The registry may still name the program of an older installation that is gone; what it
    // names counts only when it starts. The first value is started without an existence check.
    std::wstring path;
    if (registryValue(L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", path) &&
        services_.programs.start(path)) {
        return;
    }
    if (registryValue(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", path) &&
        startExisting(path + L"\\MSINFO32.EXE")) {
        return;
    }
    // Current Windows keeps the program in the system directory and no longer names it in the
    // registry.
    if (startExisting(services_.programs.systemDirectory() + L"\\msinfo32.exe")) return;
    services_.boxes.report(texts::systemInformationNotAvailable());
}

bool AboutBox::GetKeyValue(std::uint32_t keyRoot, const std::wstring& keyName,
                           const std::wstring& subKeyRef, std::wstring& keyValue) {
    Registry::Value delivered;
    const auto status =
        services_.registry.read(keyRoot, keyName, subKeyRef, kValueBuffer, delivered);
    if (status != Registry::Status::Read) {
        keyValue.clear();
        return false;
    }
    if (delivered.bytes.empty()) {
        throw std::runtime_error("a registry value of zero bytes has no last character");
    }
    // One terminating zero is dropped, and at most one.
    std::string bytes = delivered.bytes;
    if (bytes.back() == '\0') bytes.pop_back();
    if (delivered.type == kText) {
        keyValue = services_.ansi.decode(bytes);
    } else if (delivered.type == kNumber && delivered.bytes.size() >= 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(delivered.bytes.data());
        keyValue =
            std::to_wstring(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
    }
    return true;
}

}  // namespace velu::about
