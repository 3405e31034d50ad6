// What loading the density catalogue and reading a profile value cost, measured on velu.ini
// files held in memory. Loading should grow linearly with the number of materials; a single
// lookup should cost the same in a small and in a huge file.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue_text.h"
#include "common/services.h"
#include "config/density_catalogue.h"
#include "config/ini_file.h"
#include "windows1252.h"

namespace {

const std::wstring kPath = L"C:\\Programme\\Velumar\\velu.ini";

// One file in memory: velu.ini beside the program.
class OneFile final : public velu::FileSystem {
  public:
    explicit OneFile(std::string bytes) : bytes_(std::move(bytes)) {}

    std::wstring executableDirectory() const override { return L"C:\\Programme\\Velumar"; }
    std::optional<velu::FileStamp> stamp(const std::wstring& path) const override {
        if (path != kPath) return std::nullopt;
        return velu::FileStamp{bytes_.size(), 1};
    }
    std::optional<std::string> readAll(const std::wstring& path) const override {
        if (path != kPath) return std::nullopt;
        return bytes_;
    }
    bool isOrdinaryFile(const std::wstring& path) const override { return path == kPath; }

  private:
    std::string bytes_;
};

// Load = a fresh reader (so the file is parsed every time) plus all the lookups of one start.
void BM_LoadCatalogue(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    const OneFile files(bench::catalogueText(count));
    const velu::Windows1252 ansi;
    {
        velu::config::ProfileReader ini(files, ansi);
        const auto catalogue = velu::config::loadDensityCatalogue(ini.open(kPath), L',');
        if (static_cast<std::int64_t>(catalogue.names.size()) != count ||
            !catalogue.notices.empty()) {
            state.SkipWithError("the generated catalogue was not read as written");
            return;
        }
    }
    for (auto _ : state) {
        velu::config::ProfileReader ini(files, ansi);
        auto catalogue = velu::config::loadDensityCatalogue(ini.open(kPath), L',');
        benchmark::DoNotOptimize(catalogue);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
    state.counters["bytes"] = static_cast<double>(files.readAll(kPath)->size());
}
BENCHMARK(BM_LoadCatalogue)
    ->Arg(1000)
    ->Arg(8000)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// One INIGetSettingString on a file already parsed: the cost must not depend on its size.
void BM_LookupString(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    const OneFile files(bench::catalogueText(count));
    const velu::Windows1252 ansi;
    velu::config::ProfileReader ini(files, ansi);
    const std::wstring key = L"Name" + std::to_wstring(count - 1);  // the last key of the file
    if (ini.open(kPath).INIGetSettingString(L"Dichtewerte", key, L"") !=
        L"Material " + std::to_wstring(count - 1)) {
        state.SkipWithError("the generated file was not read as written");
        return;
    }
    for (auto _ : state) {
        auto value = ini.open(kPath).INIGetSettingString(L"Dichtewerte", key, L"");
        benchmark::DoNotOptimize(value);
    }
    state.SetComplexityN(count);
    state.counters["parses"] = static_cast<double>(ini.parseCount());
}
BENCHMARK(BM_LookupString)->Arg(10)->Arg(32767)->Complexity(benchmark::o1);

}  // namespace

BENCHMARK_MAIN();
