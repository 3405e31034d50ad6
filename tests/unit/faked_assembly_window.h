#pragma once
// The assembly window with its services and its task faked: SolidWorks with an assembly
// active, boxes, files and the user's number format; the unit tests drive it directly, the
// Windows tests show it in a real window.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assembly/assembly_window.h"
#include "config/message_table.h"
#include "fake_assembly.h"
#include "fakes.h"

namespace velu::testing {

class FakedAssemblyWindow {
  protected:
    // The window for the active assembly, with "Stahl" chosen; `unload` closes it.
    std::unique_ptr<assembly::AssemblyWindow> openWindow(std::function<void()> unload,
                                                         std::chrono::milliseconds slice) {
        application = cad.connect(L"SldWorks.Application");
        return std::make_unique<assembly::AssemblyWindow>(
            assembly::AssemblyServices{boxes, locale, fileNames, profiles, files, std::move(unload),
                                       slice},
            assembly::AssemblyTask{application, application->get(L"ActiveDoc").object(), L"Stahl",
                                   density, messages, [this] { return suppressed; },
                                   [this](cad::Status status) { statuses.push_back(status); }});
    }

    FakeAssembly cad;
    FoldingFileNames fileNames;
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
