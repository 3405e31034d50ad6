#pragma once
// The assembly window with its services and its task faked: SolidWorks with an assembly
// active, boxes, files and the user's number format; the unit tests drive it directly, the
// Windows tests show it in a real window.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assembly/assembly_window.h"
#include "config/message_table.h"
#include "fake_assembly.h"
#include "fakes.h"

namespace velu::testing {

// The Save As dialog answers with a path or as cancelled; the files written and the texts put
// on the clipboard are kept; either fails with a reason when told to.
class FakeSaving final : public SaveDialog, public FileWriter, public Clipboard {
  public:
    std::optional<std::wstring> chooseFile(const SaveRequest& request) override {
        requests.push_back(request);
        return chosen;
    }
    std::optional<std::wstring> replaceWhole(const std::wstring& path,
                                             std::string_view bytes) override {
        if (failure) return failure;
        written[path] = std::string(bytes);
        return std::nullopt;
    }
    std::optional<std::wstring> putText(const std::wstring& text) override {
        if (failure) return failure;
        clipboard = text;
        return std::nullopt;
    }

    std::optional<std::wstring> chosen;  // what the dialog answers
    std::optional<std::wstring> failure;
    std::vector<SaveRequest> requests;
    std::map<std::wstring, std::string> written;
    std::wstring clipboard;
};

class FakedAssemblyWindow {
  protected:
    // The window for the active assembly, with "Stahl" chosen; `unload` closes it.
    std::unique_ptr<assembly::AssemblyWindow> openWindow(std::function<void()> unload,
                                                         std::chrono::milliseconds slice) {
        application = cad.connect(L"SldWorks.Application");
        return std::make_unique<assembly::AssemblyWindow>(
            assembly::AssemblyServices{boxes, locale, fileNames, saving, saving, saving, profiles,
                                       files, std::move(unload), slice},
            assembly::AssemblyTask{application, application->get(L"ActiveDoc").object(), L"Stahl",
                                   density, messages, [this] { return suppressed; },
                                   [this](cad::Status status) { statuses.push_back(status); }});
    }

    FakeAssembly cad;
    FoldingFileNames fileNames;
    FakeSaving saving;
    RecordingBoxes boxes;
    MemoryFiles files;
    Windows1252 ansi;
    config::ProfileReader profiles{files, ansi};
    FixedLocale locale{L','};
    double density = 7850.5;
    std::vector<std::wstring> messages{config::builtInMessages().begin(),
                                       config::builtInMessages().end()};
    bool suppressed = false;
    std::vector<cad::Status> statuses;
    cad::ObjectRef application;
};

}  // namespace velu::testing
