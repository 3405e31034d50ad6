#pragma once
// The rows of the assembly window's parts list: what each column shows of a part, in the
// user's number format and the words of the message table, the order a column sorts by, and
// the status line's summaries.

#include <optional>
#include <string>
#include <vector>

#include "assembly/assembly_layout.h"
#include "cad/assembly_parts.h"
#include "forms/control.h"

namespace velu::assembly {

// What writing a part came to: the part took the density and its mass follows it; it refused
// it; or it took it and its mass is computed with another density, for the reason named. Or
// what undoing came to: the part took its density setting as listed back.
enum class Result { Written, Refused, MaterialDecides, MassOverridden, OtherDensity, Reset };

struct PartRow {
    cad::AssemblyPart part;
    std::optional<Result> result;  // none until the part was written
    bool ticked = false;
    double listedDensity = 0;  // the density setting the part had when it was listed
    bool changed = false;      // a write was accepted that has not been undone
};

// What a listing or a write came to.
struct ListingCounts {
    std::size_t parts = 0;
    std::size_t withoutMaterial = 0;  // loaded parts with a used configuration without material
    std::size_t notLoaded = 0;
};
struct WriteCounts {
    std::size_t written = 0;
    std::size_t materialDecides = 0;
    std::size_t massOverridden = 0;
    std::size_t otherDensity = 0;
    std::size_t refused = 0;
    std::size_t reset = 0;
};

class PartTable {
  public:
    PartTable(const std::vector<std::wstring>& messages, wchar_t decimalSeparator);

    std::wstring cell(const PartRow& row, Column column) const;
    forms::ListRow listRow(const PartRow& row) const;

    // Stable: rows that compare equal keep their order. Numbers sort by value, with the rows
    // that have none last; texts without regard to case.
    void sort(std::vector<PartRow>& rows, Column column, bool descending) const;

    std::wstring number(double value) const;
    // A mass in kg, with three decimals.
    std::wstring mass(double kilograms) const;
    std::wstring listingSummary(const ListingCounts& counts, std::size_t suppressed) const;
    std::wstring writeSummary(const WriteCounts& counts) const;
    std::wstring resetSummary(const WriteCounts& counts) const;
    // "Stopped after 3 of 12." followed by the summary.
    std::wstring stopped(std::size_t done, std::size_t total, const std::wstring& summary) const;
    // The assembly's mass now, after the one before a run where that is known; empty when
    // the mass now is not known.
    std::wstring assemblyMass(std::optional<double> before, std::optional<double> now) const;

  private:
    std::wstring result(const PartRow& row) const;

    const std::vector<std::wstring>& messages_;
    wchar_t separator_;
};

ListingCounts countListing(const std::vector<PartRow>& rows);
void count(WriteCounts& counts, Result result);

}  // namespace velu::assembly
