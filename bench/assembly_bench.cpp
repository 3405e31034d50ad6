// The assembly window against the CAD stand-in playing a generated assembly of 5 000
// components over 1 000 part documents in three levels: how many calls and objects listing
// and writing need (counted by the stand-in), how long they take, how soon the window shows
// its first progress and how soon it stops after "Abbrechen"; and, in the same run against the
// same stand-in, what one invocation and one object handed out cost alone, so that the
// listing's time can be set against what its calls would cost by themselves.
//
// Runs the program in-process from a directory of its own (build/win64/bench/), registers
// the stand-in there for SldWorks.Application and removes it at the end. Measures and
// prints, with the targets beside the figures; only a run that cannot be made fails.

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "cad/automation.h"
#include "clock.h"
#include "stand_in.h"
#include "testing/files.h"
#include "testing/messages.h"
#include "win32/application.h"
#include "win32/com_automation.h"
#include "win32/platform_services.h"

namespace {

constexpr std::size_t kComponents = 5000;
constexpr std::size_t kParts = 1000;
constexpr std::size_t kLevels = 3;
// What listing may cost, by the stand-in's count: per component, and per part document with
// one configuration (one more invocation for each further configuration used).
constexpr std::size_t kInvocationsPerComponent = 3;
constexpr std::size_t kInvocationsPerDocument = 10;
constexpr std::size_t kObjectsPerComponent = 1;
constexpr std::size_t kObjectsPerDocument = 4;
// What writing a part may cost.
constexpr std::size_t kInvocationsPerWrite = 6;
constexpr std::size_t kObjectsPerWrite = 2;
// The listing's time over what its calls cost alone.
constexpr double kMostOverhead = 1.3;
constexpr double kFirstProgressMs = 500;
constexpr double kCancelMs = 500;
// Calls made to learn what one costs alone.
constexpr int kSamples = 2000;

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

// What one call costs alone, in milliseconds: an invocation that hands out nothing, and what
// handing out an object and releasing it adds to an invocation.
struct UnitCosts {
    double invocationMs = 0;
    double objectMs = 0;
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
    for (const auto& row : window.rows()) figures.partsWritten += row.result.has_value();

    form.click(form.cmdUebertragen);
    waitUntil([&] { return form.prgFortschritt.progress() > 0; });
    start = nowMs();
    form.click(form.cmdSchliessen);
    waitUntil([&] { return !form.working(); });
    figures.cancelMs = nowMs() - start;
    form.click(form.cmdSchliessen);
}

// Times calls on the running stand-in through the program's own automation client: Visible
// hands out nothing, ActiveDoc a document that is released at once.
UnitCosts measureUnitCosts() {
    velu::win32::ComAutomation automation;
    const velu::cad::ObjectRef application = automation.connect(L"SldWorks.Application");
    auto timed = [&](const wchar_t* member) {
        static_cast<void>(application->get(member));  // the member's id is learnt first
        const double start = nowMs();
        for (int i = 0; i < kSamples; ++i) static_cast<void>(application->get(member));
        return (nowMs() - start) / kSamples;
    };
    UnitCosts costs;
    costs.invocationMs = timed(L"Visible");
    costs.objectMs = std::max(0.0, timed(L"ActiveDoc") - costs.invocationMs);
    return costs;
}

void report(const char* what, double value, const char* unit, double target) {
    std::printf("  %-58s %10.2f %-3s (target %s %.2f)\n", what, value, unit,
                value <= target ? "met:" : "MISSED:", target);
}

void reportCount(const char* what, std::uint64_t value, double target) {
    report(what, static_cast<double>(value), "", target);
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
    UnitCosts costs;
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
        costs = measureUnitCosts();
    }
    cad.remove();
    if (!figures.listed || !figures.written) {
        std::fprintf(stderr, "assembly_bench: the stand-in did not tell its call counts\n");
        return 1;
    }

    const auto& listed = *figures.listed;
    const auto& written = *figures.written;
    std::printf("assembly of %zu components over %zu part documents in %zu levels:\n", kComponents,
                kParts, kLevels);
    std::printf("  %zu rows, %zu loaded part documents, %zu further configurations used\n",
                figures.rows, figures.documents, figures.furtherConfigurations);
    reportCount("listing: invocations", listed.invocations,
                static_cast<double>(kInvocationsPerComponent * kComponents +
                                    kInvocationsPerDocument * figures.documents +
                                    figures.furtherConfigurations));
    reportCount("listing: objects handed out", listed.objects,
                static_cast<double>(kObjectsPerComponent * kComponents +
                                    kObjectsPerDocument * figures.documents));
    reportCount("listing: name look-ups", listed.nameLookups, 40);
    std::printf("  %-58s %10.0f ms\n", "listing: time from the click to the last row",
                figures.listMs);
    report("listing: first progress after the click", figures.firstProgressMs, "ms",
           kFirstProgressMs);
    std::printf("  %-58s %10.0f ms\n", "listing: the count of components shown, after the click",
                figures.countedMs);
    std::printf("  %-58s %10.0f ms\n", "listing: time the stand-in spent in the calls",
                static_cast<double>(listed.microseconds) / 1000.0);
    std::printf("  %-58s %10.3f ms\n", "one invocation alone", costs.invocationMs);
    std::printf("  %-58s %10.3f ms\n", "one object handed out and released, beyond that",
                costs.objectMs);
    const double alone = static_cast<double>(listed.invocations) * costs.invocationMs +
                         static_cast<double>(listed.objects) * costs.objectMs;
    std::printf("  %-58s %10.0f ms\n", "listing: what its calls and objects cost alone", alone);
    report("listing: its time over that", figures.listMs / alone, "", kMostOverhead);

    std::printf("  %-58s %10zu\n", "writing: parts written", figures.partsWritten);
    const double parts = static_cast<double>(std::max<std::size_t>(figures.partsWritten, 1));
    report("writing: invocations per part", static_cast<double>(written.invocations) / parts, "",
           kInvocationsPerWrite);
    report("writing: objects per part", static_cast<double>(written.objects) / parts, "",
           kObjectsPerWrite);
    reportCount("writing: name look-ups", written.nameLookups, 40);
    std::printf("  %-58s %10.0f ms\n", "writing: time", figures.writeMs);
    report("writing: from \"Abbrechen\" to the stop", figures.cancelMs, "ms", kCancelMs);
    return 0;
}
