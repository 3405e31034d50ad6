#include "win32/save_dialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "win32/support/com.h"

namespace velu::win32 {
namespace {

// Long paths included; GetSaveFileName writes the chosen one into this buffer.
constexpr std::size_t kPathBuffer = 32768;

std::wstring documentsFolder() {
    UniqueCoTaskText folder;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, folder.put()))) return {};
    return folder.get();
}

// "CSV (…) (*.csv)\0*.csv\0\0": the type's name and its pattern, each ended by a zero.
std::wstring filter(const SaveRequest& request) {
    std::wstring filter = request.fileType;
    filter += L'\0';
    filter += request.pattern;
    filter += L'\0';
    return filter;
}

}  // namespace

std::optional<std::wstring> WindowsSaveDialog::chooseFile(const SaveRequest& request) {
    if (folder_.empty()) folder_ = documentsFolder();
    std::vector<wchar_t> path(kPathBuffer, L'\0');
    request.suggestedName.copy(path.data(), path.size() - 1);
    const std::wstring types = filter(request);
    // The default extension is the pattern's, without "*.".
    const std::wstring extension = request.pattern.substr(request.pattern.find(L'.') + 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = types.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder_.empty() ? nullptr : folder_.c_str();
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameW(&dialog)) return std::nullopt;
    std::wstring chosen(path.data());
    // The folder with its backslash, so that a drive's root stays "C:\", never "C:".
    folder_ = chosen.substr(0, dialog.nFileOffset);
    return chosen;
}

}  // namespace velu::win32
