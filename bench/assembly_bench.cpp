// The assembly window against the CAD stand-in playing a generated assembly of 5 000
// components over 1 000 part documents in three levels: how many calls listing and writing
// need (counted by the stand-in, name look-ups and invocations apart), how long they take,
// how soon the window shows its first progress and how soon it stops after "Abbrechen".
//
// Runs the program in-process from a directory of its own (build/win64/bench/), registers
// the stand-in there for SldWorks.Application and removes it at the end. Measures and
// prints, with the targets beside the figures; only a run that cannot be made fails.

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "clock.h"
#include "stand_in.h"
#include "testing/files.h"
#include "testing/messages.h"
#include "win32/application.h"
#include "win32/platform_services.h"

namespace {

constexpr std::size_t kComponents = 5000;
constexpr std::size_t kParts = 1000;
constexpr std::size_t kLevels = 3;
// What listing may cost, by the stand-in's count: per component, and per part document with
// one configuration (one more for each further configuration used).
constexpr std::size_t kPerComponent = 4;
constexpr std::size_t kPerDocument = 10;
constexpr double kFirstProgressMs = 500;
constexpr double kCancelMs = 500;

class StaysOpen final : public velu::Process {
  public:
    void endNow() override {}
};

struct Figures {
    double firstProgressMs = 0;
    double countedMs = 0;
    double listMs = 0;
    double writeMs = 0;
    double cancelMs = 0;
    std::optional<cadsim::CallCounts> listed;
    std::optional<cadsim::CallCounts> written;
    std::size_t rows = 0;
    std::size_t documents = 0;  // rows of loaded parts
    std::size_t furtherConfigurations = 0;
    std::size_t partsWritten = 0;
};

bool waitUntil(const std::function<bool()>& done) {
    return velu::testing::pumpUntil(done, std::chrono::minutes(10));
}

// Lists the assembly, writes every part that can be, then starts writing again and cancels.
void drive(velu::win32::Application& application, const velu::testing::StandIn& cad, double clicked,
           Figures& figures) {
    // The window is on screen, saying that it reads, its bar moving.
    figures.firstProgressMs = nowMs() - clicked;
    auto& window = *application.assemblyWindow();
    auto& form = window.form();
    waitUntil([&] { return form.prgFortschritt.progressMaximum() > 0; });
    figures.countedMs = nowMs() - clicked;
    waitUntil([&] { return !form.working(); });
    figures.listMs = nowMs() - clicked;
    figures.listed = cad.callCounts();
    for (const auto& row : window.rows()) {
        if (!row.part.loaded()) continue;
        ++figures.documents;
        figures.furtherConfigurations += row.part.configurations.size() - 1;
    }
    figures.rows = window.rows().size();

    cad.resetCallCounts();
    for (std::size_t i = 0; i < form.lvwTeile.rows().size(); ++i)
        form.lvwTeile.setRowChecked(i, true);
    double start = nowMs();
    form.click(form.cmdUebertragen);
    waitUntil([&] { return !form.working(); });
    figures.writeMs = nowMs() - start;
    figures.written = cad.callCounts();
    for (const auto& row : window.rows()) figures.partsWritten += row.outcome.has_value();

    form.click(form.cmdUebertragen);
    waitUntil([&] { return form.prgFortschritt.progress() > 0; });
    start = nowMs();
    form.click(form.cmdSchliessen);
    waitUntil([&] { return !form.working(); });
    figures.cancelMs = nowMs() - start;
    form.click(form.cmdSchliessen);
}

void report(const char* what, double value, const char* unit, double target) {
    std::printf("  %-58s %10.0f %-3s (target %s %.0f)\n", what, value, unit,
                value <= target ? "met:" : "MISSED:", target);
}

}  // namespace

int main() {
    const velu::testing::StandIn cad(velu::testing::windowsPath(VELU_CADSIM_EXE),
                                     L"SldWorks.Application",
                                     velu::testing::besideProgram(L"assembly-bench-state.ini"),
                                     velu::testing::besideProgram(L"assembly-bench-calls.log"));
    if (!cad.registerServer()) {
        std::fprintf(stderr, "assembly_bench: the stand-in could not be registered\n");
        return 1;
    }
    cadsim::State scenario;
    scenario.activeDoc = cadsim::DocKind::Assembly;
    scenario.generate = {kComponents, kParts, kLevels};
    cad.write(scenario);

    Figures figures;
    {
        StaysOpen process;
        velu::win32::Application application(::GetModuleHandleW(nullptr), process);
        application.start(SW_SHOWNORMAL);
        auto& main = application.mainWindow().form();
        // SolidWorks runs before the user writes: the readout of the system default starts it.
        main.chkSWXSystemStandard.setValue(1);
        main.cmbAnwendenAuf.setListIndex(3);
        double clicked = 0;
        application.whenAssemblyOpens([&] { drive(application, cad, clicked, figures); });
        cad.resetCallCounts();
        clicked = nowMs();
        main.click(main.cmdSetDensity);
    }
    cad.remove();
    if (!figures.listed || !figures.written) {
        std::fprintf(stderr, "assembly_bench: the stand-in did not tell its call counts\n");
        return 1;
    }

    std::printf("assembly of %zu components over %zu part documents in %zu levels:\n", kComponents,
                kParts, kLevels);
    std::printf("  %zu rows, %zu loaded part documents, %zu further configurations used\n",
                figures.rows, figures.documents, figures.furtherConfigurations);
    const double allowed =
        static_cast<double>(kPerComponent * kComponents + kPerDocument * figures.documents +
                            figures.furtherConfigurations);
    report("listing: invocations", static_cast<double>(figures.listed->invocations), "", allowed);
    report("listing: name look-ups", static_cast<double>(figures.listed->nameLookups), "", 40);
    std::printf("  %-58s %10.0f ms\n", "listing: time from the click to the last row",
                figures.listMs);
    report("listing: first progress after the click", figures.firstProgressMs, "ms",
           kFirstProgressMs);
    std::printf("  %-58s %10.0f ms\n", "listing: the count of components shown, after the click",
                figures.countedMs);
    std::printf("  %-58s %10.0f ms\n", "listing: time the stand-in spent in the calls",
                static_cast<double>(figures.listed->microseconds) / 1000.0);
    std::printf("  %-58s %10zu\n", "writing: parts written", figures.partsWritten);
    std::printf("  %-58s %10llu\n", "writing: invocations",
                static_cast<unsigned long long>(figures.written->invocations));
    report("writing: name look-ups", static_cast<double>(figures.written->nameLookups), "", 40);
    std::printf("  %-58s %10.0f ms\n", "writing: time", figures.writeMs);
    report("writing: from \"Abbrechen\" to the stop", figures.cancelMs, "ms", kCancelMs);
    return 0;
}
