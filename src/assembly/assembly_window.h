#pragma once
// frmBaugruppe: every part of the active assembly in one list, and the selected density
// written into the ticked ones in one go. Listing and writing advance a slice at a time
// between the user's input, so the window shows its progress and can be cancelled; both tell
// SolidWorks that a sequence of calls is under way (CommandInProgress) while they run.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "assembly/assembly_layout.h"
#include "assembly/part_table.h"
#include "cad/assembly_parts.h"
#include "cad/link_window.h"
#include "common/services.h"
#include "config/ini_file.h"
#include "config/message_table.h"

namespace velu::assembly {

struct AssemblyServices {
    MessageBoxes& boxes;  // boxes that belong to this window
    const Locale& locale;
    config::ProfileReader& profiles;
    const FileSystem& files;
    std::function<void()> unload;  // closes the window
    // How long one slice of the work may run before the window takes the user's input again;
    // zero: one component or part a slice.
    std::chrono::milliseconds slice{50};
};

// What the main window hands over: SolidWorks, the active assembly, the material chosen and
// how the main window reports.
struct AssemblyTask {
    cad::ObjectRef application;
    cad::ObjectRef assembly;
    std::wstring material;
    const double& density;  // the catalogue's own element, written exactly as it is stored
    const std::vector<std::wstring>& messages;
    std::function<bool()> errorsSuppressed;
    std::function<void(cad::Status)> showStatus;
};

class AssemblyWindow {
  public:
    AssemblyWindow(AssemblyServices services, AssemblyTask task);
    AssemblyWindow(const AssemblyWindow&) = delete;
    AssemblyWindow& operator=(const AssemblyWindow&) = delete;

    AssemblyForm& form() { return form_; }
    const std::vector<PartRow>& rows() const { return rows_; }

    // Puts the texts on the window and starts listing the parts.
    void Form_Load();
    void cmdUebertragen_Click();
    void cmdOhneMaterial_Click();
    // Closes the window, or while it works, stops after the component or part at hand.
    void cmdSchliessen_Click();
    // The user ticked or cleared a row.
    void lvwTeile_Click();
    void lvwTeile_ColumnClick();

  private:
    enum class Run { None, Listing, Writing };

    // How far a run has come: done of total.
    struct Position {
        std::size_t done;
        std::size_t total;
    };
    // One slice of a run: `next` does the next component or part while there are more, until
    // the slice is over or the user cancelled. Then the progress shows, or the run ends
    // (`finish`): complete, stopped by the user, or stopped by a failed call, which is
    // reported. True while there is more to do.
    bool runSlice(const std::function<Position()>& position, const std::function<void()>& next,
                  config::MessageRole progress, void (AssemblyWindow::*finish)(bool complete));
    bool listStep();
    // The first step of the listing: the title and the count of the components.
    bool beginListing();
    bool writeStep();
    void writeNextPart();
    // A run starts: the buttons wait, the close button cancels.
    void beginRun(Run run);
    // The first step of a run tells SolidWorks that a sequence of calls follows.
    void announceRun();
    // A run ends, whichever way: SolidWorks hears of it on every path.
    void endRun();
    void finishListing(bool complete);
    void finishWriting(bool complete);
    void reportFailure(const cad::AutomationError& error);
    bool sliceOver(std::chrono::steady_clock::time_point start) const;
    void showRows();
    void takeTicks();
    void enableButtons();
    void showProgress(std::size_t done, std::size_t total, config::MessageRole role);

    AssemblyServices services_;
    AssemblyTask task_;
    AssemblyForm form_;
    PartTable table_;

    Run run_ = Run::None;
    bool cancel_ = false;
    bool announced_ = false;
    std::wstring closeCaption_;
    cad::AssemblyReader reader_;
    std::vector<PartRow> rows_;
    std::size_t sortColumn_ = kColumns;
    bool descending_ = false;
    std::vector<std::size_t> toWrite_;  // rows, in the order they are written
    std::size_t writeNext_ = 0;
    WriteCounts counts_;
};

}  // namespace velu::assembly
