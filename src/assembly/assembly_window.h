#pragma once
// frmBaugruppe: every part of the active assembly in one list, the selected density written
// into the ticked ones in one go, and undone again; the list saved as a CSV file or copied for
// Excel. Listing, writing and undoing advance a slice at a time between the user's input, so
// the window shows its progress and can be cancelled; each tells SolidWorks that a sequence of
// calls is under way (CommandInProgress) while it runs, and ends with the assembly's mass as
// SolidWorks computes it.

#include <chrono>
#include <functional>
#include <optional>
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
    const FileNames& fileNames;
    SaveDialog& saveDialog;  // owned by this window
    FileWriter& fileWriter;
    Clipboard& clipboard;
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
    // A window that goes while it works still ends its run: SolidWorks hears of it.
    ~AssemblyWindow();
    AssemblyWindow(const AssemblyWindow&) = delete;
    AssemblyWindow& operator=(const AssemblyWindow&) = delete;

    AssemblyForm& form() { return form_; }
    const std::vector<PartRow>& rows() const { return rows_; }

    // Puts the texts on the window and starts listing the parts.
    void Form_Load();
    void cmdUebertragen_Click();
    void cmdOhneMaterial_Click();
    // Writes back into each part this window changed the density setting it had when listed.
    void cmdRueckgaengig_Click();
    // Saves the list as shown into a CSV file the user chooses.
    void cmdSpeichern_Click();
    // Closes the window, or while it works, stops after the component or part at hand.
    void cmdSchliessen_Click();
    // The user ticked or cleared a row.
    void lvwTeile_Click();
    void lvwTeile_ColumnClick();
    // The selected rows, or all when none is selected, onto the clipboard for Excel.
    void mnuKopieren_Click();
    void mnuAlleAuswaehlen_Click();

  private:
    enum class Run { None, Listing, Writing, Resetting };

    // A run in steps: how many items it has done of how many, the next item, what it does
    // after its last item or a cancel (still within the run), and how it ends: complete,
    // stopped by the user, or stopped by a failed call, which is reported.
    struct Steps {
        std::function<std::size_t()> done;
        std::size_t total = 0;
        std::function<void()> next;
        std::function<void()> last;
        config::MessageRole progress;
        void (AssemblyWindow::*finish)(bool complete);
    };
    // One slice of a run; true while there is more to do.
    bool runSlice(const Steps& steps);
    bool listStep();
    // The first step of the listing: the title and the count of the components.
    bool beginListing();
    // Writing and undoing: the rows in order, each part written one at a time.
    void startPartRun(Run run, std::vector<std::size_t> rows, config::MessageRole progress);
    void writeNextPart();
    // The density into one part, and what it came to; a part that took it counts as written
    // whatever fails after the write.
    void writePart(PartRow& row);
    void resetPart(PartRow& row);
    // A run starts: the buttons wait, the ticks stay, the close button cancels.
    void beginRun(Run run);
    // The first step of a run tells SolidWorks that a sequence of calls follows.
    void announceRun();
    // A run ends, whichever way: SolidWorks hears of it on every path.
    void endRun();
    void finishListing(bool complete);
    void finishPartRun(bool complete);
    void reportFailure(const cad::AutomationError& error);
    void readAssemblyMass();
    bool sliceOver(std::chrono::steady_clock::time_point start) const;
    void showRows();
    void showRow(std::size_t index);
    void takeTicks();
    void enableButtons();
    void showProgress(std::size_t done, std::size_t total, config::MessageRole role);
    // The status line: the summary, after "Stopped after" when the run did not end, and the
    // assembly's mass before and after the run, as far as it is known.
    void showOutcome(bool complete, std::size_t done, std::size_t total,
                     const std::wstring& summary);

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
    std::wstring title_;                // the assembly's, as SolidWorks gives it
    std::vector<std::size_t> toWrite_;  // rows, in the order they are written
    std::size_t writeNext_ = 0;
    WriteCounts counts_;
    // The assembly's mass as the last run ended and as the one before ended; none where it
    // was not read or the run failed.
    std::optional<double> assemblyMass_;
    std::optional<double> massBeforeRun_;
};

}  // namespace velu::assembly
