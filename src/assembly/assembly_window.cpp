#include "assembly/assembly_window.h"

#include <algorithm>

#include "assembly/part_list_text.h"
#include "cad/density_link.h"
#include "cad/member_call.h"
#include "common/program_texts.h"
#include "config/form_texts.h"
#include "config/message_table.h"
#include "forms/bindings.h"

namespace velu::assembly {
namespace {

using config::fillIn;
using config::MessageRole;
using forms::Event;
using Clock = std::chrono::steady_clock;

}  // namespace

AssemblyWindow::AssemblyWindow(AssemblyServices services, AssemblyTask task)
    : services_(std::move(services)),
      task_(std::move(task)),
      table_(task_.messages, services_.locale.decimalSeparator()),
      reader_(*task_.assembly, services_.fileNames) {
    const forms::Binding<AssemblyWindow> bindings[] = {
        {form_.cmdUebertragen, Event::Click, &AssemblyWindow::cmdUebertragen_Click},
        {form_.cmdOhneMaterial, Event::Click, &AssemblyWindow::cmdOhneMaterial_Click},
        {form_.cmdRueckgaengig, Event::Click, &AssemblyWindow::cmdRueckgaengig_Click},
        {form_.cmdSpeichern, Event::Click, &AssemblyWindow::cmdSpeichern_Click},
        {form_.cmdSchliessen, Event::Click, &AssemblyWindow::cmdSchliessen_Click},
        {form_.lvwTeile, Event::Click, &AssemblyWindow::lvwTeile_Click},
        {form_.lvwTeile, Event::ColumnClick, &AssemblyWindow::lvwTeile_ColumnClick},
        {form_.mnuKopieren, Event::Click, &AssemblyWindow::mnuKopieren_Click},
        {form_.mnuAlleAuswaehlen, Event::Click, &AssemblyWindow::mnuAlleAuswaehlen_Click},
    };
    forms::bind(form_, *this, bindings);
}

AssemblyWindow::~AssemblyWindow() {
    if (run_ != Run::None) endRun();
}

void AssemblyWindow::Form_Load() {
    config::LoadFormTexts(form_, services_.profiles, services_.files);
    form_.setCaption(task_.messages[MessageRole::kAssemblyCaption]);
    form_.lblMaterial.setCaption(fillIn(task_.messages[MessageRole::kAssemblyMaterial],
                                        {task_.material, table_.number(task_.density)}));
    // The window shows at once that it reads, before SolidWorks has told how much there is.
    form_.prgFortschritt.setProgressUnknown();
    form_.lblStatus.setCaption(
        fillIn(task_.messages[MessageRole::kReadingParts], {L"0", L"\u2026"}));
    beginRun(Run::Listing);
    form_.startWork([this] { return listStep(); });
}

void AssemblyWindow::beginRun(Run run) {
    run_ = run;
    // The mass is read anew at the end of the run; until then, and after a failure, it is
    // not known.
    massBeforeRun_ = assemblyMass_;
    assemblyMass_.reset();
    cancel_ = false;
    announced_ = false;
    form_.lvwTeile.lockTicks(true);
    enableButtons();
    closeCaption_ = form_.cmdSchliessen.caption();
    form_.cmdSchliessen.setCaption(task_.messages[MessageRole::kCancelCaption]);
}

void AssemblyWindow::announceRun() {
    if (announced_) return;
    announced_ = true;
    cad::on(texts::kSolidWorks, L"CommandInProgress",
            [&] { task_.application->put(L"CommandInProgress", cad::Variant(true)); });
}

void AssemblyWindow::endRun() {
    run_ = Run::None;
    form_.stopWork();
    // SolidWorks goes back to its usual updates even when the run ended in a failure; a
    // failure of this call would only repeat the one already reported.
    if (announced_) {
        try {
            task_.application->put(L"CommandInProgress", cad::Variant(false));
        } catch (const cad::AutomationError&) {
        }
    }
    form_.lvwTeile.lockTicks(false);
    form_.cmdSchliessen.setCaption(closeCaption_);
    enableButtons();
}

bool AssemblyWindow::sliceOver(Clock::time_point start) const {
    return Clock::now() - start >= services_.slice;
}

void AssemblyWindow::showProgress(std::size_t done, std::size_t total, MessageRole role) {
    form_.prgFortschritt.setProgress(done, total);
    form_.lblStatus.setCaption(
        fillIn(task_.messages[role], {std::to_wstring(done), std::to_wstring(total)}));
}

bool AssemblyWindow::runSlice(const Steps& steps) {
    const auto start = Clock::now();
    bool complete = true;
    try {
        announceRun();
        while (steps.done() < steps.total) {
            if (cancel_) {
                complete = false;
                break;
            }
            steps.next();
            if (!sliceOver(start) || steps.done() == steps.total) continue;
            showProgress(steps.done(), steps.total, steps.progress);
            return true;
        }
        steps.last();
    } catch (const cad::AutomationError& error) {
        (this->*steps.finish)(false);
        reportFailure(error);
        return false;
    }
    (this->*steps.finish)(complete);
    return false;
}

void AssemblyWindow::readAssemblyMass() {
    assemblyMass_ = cad::assemblyMass(*task_.assembly);
}

bool AssemblyWindow::listStep() {
    if (!announced_) return beginListing();
    return runSlice({.done = [this] { return reader_.read(); },
                     .total = reader_.components(),
                     .next = [this] { reader_.readNext(); },
                     .last = [this] { readAssemblyMass(); },
                     .progress = MessageRole::kReadingParts,
                     .finish = &AssemblyWindow::finishListing});
}

bool AssemblyWindow::beginListing() {
    try {
        announceRun();
        title_ = cad::on(texts::kAssembly, L"GetTitle",
                         [&] { return cad::textIn(task_.assembly->call(L"GetTitle", {})); });
        form_.setCaption(task_.messages[MessageRole::kAssemblyCaption] + L" \u2013 " + title_);
        reader_.begin();
        // The window shows the count before the first component is read.
        showProgress(0, reader_.components(), MessageRole::kReadingParts);
        return true;
    } catch (const cad::AutomationError& error) {
        finishListing(false);
        reportFailure(error);
    }
    return false;
}

void AssemblyWindow::finishListing(bool complete) {
    const std::size_t read = reader_.read();
    const std::size_t total = reader_.components();
    reader_.forgetComponents();
    for (auto& part : reader_.parts()) {
        const bool ticked = part.lacksMaterial();
        const double density = part.density;
        rows_.push_back({.part = std::move(part), .ticked = ticked, .listedDensity = density});
    }
    reader_.parts().clear();
    showRows();
    endRun();
    form_.prgFortschritt.setProgress(read, total);
    showOutcome(complete, read, total,
                table_.listingSummary(countListing(rows_), reader_.suppressed()));
}

void AssemblyWindow::showOutcome(bool complete, std::size_t done, std::size_t total,
                                 const std::wstring& summary) {
    std::wstring status = complete ? summary : table_.stopped(done, total, summary);
    const std::wstring mass = table_.assemblyMass(massBeforeRun_, assemblyMass_);
    if (!mass.empty()) status += L" " + mass;
    form_.lblStatus.setCaption(std::move(status));
}

void AssemblyWindow::cmdUebertragen_Click() {
    if (run_ != Run::None) return;
    takeTicks();
    std::vector<std::size_t> ticked;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].ticked && rows_[i].part.loaded()) ticked.push_back(i);
    }
    startPartRun(Run::Writing, std::move(ticked), MessageRole::kWritingParts);
}

void AssemblyWindow::cmdRueckgaengig_Click() {
    if (run_ != Run::None) return;
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].changed) changed.push_back(i);
    }
    startPartRun(Run::Resetting, std::move(changed), MessageRole::kResettingParts);
}

void AssemblyWindow::startPartRun(Run run, std::vector<std::size_t> rows, MessageRole progress) {
    if (rows.empty()) return;
    toWrite_ = std::move(rows);
    writeNext_ = 0;
    counts_ = {};
    beginRun(run);
    showProgress(0, toWrite_.size(), progress);
    form_.startWork([this, progress] {
        return runSlice({.done = [this] { return writeNext_; },
                         .total = toWrite_.size(),
                         .next = [this] { writeNextPart(); },
                         .last = [this] { readAssemblyMass(); },
                         .progress = progress,
                         .finish = &AssemblyWindow::finishPartRun});
    });
}

void AssemblyWindow::writeNextPart() {
    const std::size_t index = toWrite_[writeNext_];
    PartRow& row = rows_[index];
    row.result.reset();
    try {
        if (run_ == Run::Resetting) {
            resetPart(row);
        } else {
            writePart(row);
        }
    } catch (const cad::AutomationError&) {
        // A part that took the density counts as written, whatever failed after the write.
        if (row.result) {
            count(counts_, *row.result);
            ++writeNext_;
        }
        showRow(index);
        throw;
    }
    count(counts_, *row.result);
    showRow(index);
    ++writeNext_;
}

void AssemblyWindow::writePart(PartRow& row) {
    const bool accepted = cad::writeDensitySetting(row.part, task_.density);
    row.result = accepted ? Result::Written : Result::Refused;
    if (!accepted) return;
    row.changed = true;
    cad::PartMass mass(row.part);
    if (mass.follows(task_.density)) return;
    // The cause known so far stays should the question of the override fail.
    row.result = row.part.hasMaterial() ? Result::MaterialDecides : Result::OtherDensity;
    if (mass.overridden()) row.result = Result::MassOverridden;
}

void AssemblyWindow::resetPart(PartRow& row) {
    // By reference, exactly as a write: the row's own density as listed.
    const bool accepted = cad::writeDensitySetting(row.part, row.listedDensity);
    row.result = accepted ? Result::Reset : Result::Refused;
    if (!accepted) return;
    row.changed = false;
    const cad::PartMass mass(row.part);
}

void AssemblyWindow::finishPartRun(bool complete) {
    const bool resetting = run_ == Run::Resetting;
    endRun();
    form_.prgFortschritt.setProgress(writeNext_, toWrite_.size());
    showOutcome(complete, writeNext_, toWrite_.size(),
                resetting ? table_.resetSummary(counts_) : table_.writeSummary(counts_));
    const std::size_t tookIt = resetting ? counts_.reset : counts_.written;
    const bool success = tookIt > 0 && counts_.refused == 0;
    task_.showStatus(success ? cad::Status::Success : cad::Status::Error);
}

void AssemblyWindow::cmdSpeichern_Click() {
    if (run_ != Run::None) return;
    const std::wstring stem = fileStem(title_);
    const auto path = services_.saveDialog.chooseFile(
        {.fileType = task_.messages[MessageRole::kCsvFileType],
         .pattern = L"*.csv",
         .suggestedName =
             fillIn(task_.messages[MessageRole::kCsvFileName],
                    {stem.empty() ? task_.messages[MessageRole::kAssemblyCaption] : stem})});
    if (!path) return;
    TextRow headings = form_.lvwTeile.headings();
    headings.push_back(task_.messages[MessageRole::kPathHeading]);
    std::vector<TextRow> rows;
    const auto& shown = form_.lvwTeile.rows();
    for (std::size_t i = 0; i < shown.size() && i < rows_.size(); ++i) {
        rows.push_back(shown[i].cells);
        rows.back().push_back(rows_[i].part.path);
    }
    TextRow closing{title_};
    const std::wstring mass = table_.assemblyMass(massBeforeRun_, assemblyMass_);
    if (!mass.empty()) closing.push_back(mass);
    const std::string bytes = csvFile(headings, rows, closing, services_.locale.decimalSeparator());
    if (const auto failure = services_.fileWriter.replaceWhole(*path, bytes)) {
        services_.boxes.show(fillIn(task_.messages[MessageRole::kSaveFailed], {*path, *failure}),
                             std::wstring(texts::kApplicationTitle), BoxStyle::Stop);
    }
}

void AssemblyWindow::mnuKopieren_Click() {
    const auto& shown = form_.lvwTeile.rows();
    bool anySelected = false;
    for (std::size_t i = 0; i < shown.size(); ++i) anySelected |= form_.lvwTeile.rowSelected(i);
    std::vector<TextRow> rows;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (!anySelected || form_.lvwTeile.rowSelected(i)) rows.push_back(shown[i].cells);
    }
    const auto failure =
        services_.clipboard.putText(clipboardText(form_.lvwTeile.headings(), rows));
    if (failure) {
        services_.boxes.show(fillIn(task_.messages[MessageRole::kCopyFailed], {*failure}),
                             std::wstring(texts::kApplicationTitle), BoxStyle::Stop);
    }
}

void AssemblyWindow::mnuAlleAuswaehlen_Click() {
    form_.lvwTeile.selectAllRows();
}

void AssemblyWindow::reportFailure(const cad::AutomationError& error) {
    task_.showStatus(cad::Status::Error);
    if (task_.errorsSuppressed()) return;
    services_.boxes.show(cad::describeFailure(error), std::wstring(texts::kApplicationTitle),
                         BoxStyle::Stop);
}

void AssemblyWindow::cmdOhneMaterial_Click() {
    if (run_ != Run::None) return;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].ticked = rows_[i].part.lacksMaterial();
        form_.lvwTeile.setRowChecked(i, rows_[i].ticked);
    }
    enableButtons();
}

void AssemblyWindow::cmdSchliessen_Click() {
    if (run_ != Run::None) {
        cancel_ = true;
        return;
    }
    if (services_.unload) services_.unload();
}

void AssemblyWindow::lvwTeile_Click() {
    enableButtons();
}

void AssemblyWindow::lvwTeile_ColumnClick() {
    // Rows keep their places while they are read or written.
    if (run_ != Run::None) return;
    const std::size_t column = form_.lvwTeile.clickedColumn();
    if (column >= kColumns) return;
    descending_ = column == sortColumn_ && !descending_;
    sortColumn_ = column;
    takeTicks();
    table_.sort(rows_, static_cast<Column>(column), descending_);
    showRows();
}

void AssemblyWindow::takeTicks() {
    const auto& shown = form_.lvwTeile.rows();
    for (std::size_t i = 0; i < rows_.size() && i < shown.size(); ++i) {
        rows_[i].ticked = shown[i].checked;
    }
}

void AssemblyWindow::showRows() {
    std::vector<forms::ListRow> shown;
    shown.reserve(rows_.size());
    for (const auto& row : rows_) shown.push_back(table_.listRow(row));
    form_.lvwTeile.setRows(std::move(shown));
}

void AssemblyWindow::showRow(std::size_t index) {
    form_.lvwTeile.setRow(index, table_.listRow(rows_[index]));
}

void AssemblyWindow::enableButtons() {
    const bool idle = run_ == Run::None;
    const auto& shown = form_.lvwTeile.rows();
    const bool anyTicked =
        std::any_of(shown.begin(), shown.end(), [](const auto& row) { return row.checked; });
    const bool anyChanged =
        std::any_of(rows_.begin(), rows_.end(), [](const PartRow& row) { return row.changed; });
    form_.cmdUebertragen.setEnabled(idle && anyTicked);
    form_.cmdOhneMaterial.setEnabled(idle && !rows_.empty());
    form_.cmdRueckgaengig.setEnabled(idle && anyChanged);
    form_.cmdSpeichern.setEnabled(idle);
}

}  // namespace velu::assembly
