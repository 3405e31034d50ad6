#include "assembly/part_table.h"

#include <algorithm>

#include "common/number_text.h"
#include "config/message_table.h"
#include "support/text.h"

namespace velu::assembly {
namespace {

using config::fillIn;
using config::MessageRole;

constexpr int kMassDecimals = 3;

std::wstring joined(const std::vector<std::wstring>& texts) {
    std::wstring list;
    for (const auto& text : texts) list += (list.empty() ? L"" : L", ") + text;
    return list;
}

// The value a numeric column sorts by; none for a row that shows no number there.
std::optional<double> sortValue(const PartRow& row, Column column) {
    switch (column) {
        case kInstances:
            return static_cast<double>(row.part.instances);
        case kDensity:
            return row.part.loaded() ? std::optional(row.part.density) : std::nullopt;
        case kMassDensity:
            return row.part.massDensity;
        case kMass:
            return row.part.mass;
        default:
            return std::nullopt;
    }
}

bool isNumeric(Column column) {
    return column == kInstances || column == kDensity || column == kMassDensity || column == kMass;
}

std::wstring figure(std::size_t n) {
    return std::to_wstring(n);
}

}  // namespace

PartTable::PartTable(const std::vector<std::wstring>& messages, wchar_t decimalSeparator)
    : messages_(messages), separator_(decimalSeparator) {}

std::wstring PartTable::number(double value) const {
    return formatGeneral(value, separator_);
}

std::wstring PartTable::mass(double kilograms) const {
    return formatFixed(kilograms, kMassDecimals, separator_);
}

std::wstring PartTable::result(const PartRow& row) const {
    const cad::AssemblyPart& part = row.part;
    if (!part.loaded()) return messages_[MessageRole::kResultNotLoaded];
    if (!row.result) return L"";
    const std::wstring massDensity = part.massDensity ? number(*part.massDensity) : L"";
    switch (*row.result) {
        case Result::Written:
            return messages_[MessageRole::kResultWritten];
        case Result::Refused:
            return messages_[MessageRole::kResultRefused];
        case Result::MaterialDecides:
            return fillIn(messages_[MessageRole::kResultMaterialDecides], {massDensity});
        case Result::MassOverridden:
            return messages_[MessageRole::kResultMassOverridden];
        case Result::OtherDensity:
            return fillIn(messages_[MessageRole::kResultMassComputedWith], {massDensity});
        case Result::Reset:
            return messages_[MessageRole::kResultReset];
    }
    return L"";
}

std::wstring PartTable::cell(const PartRow& row, Column column) const {
    const cad::AssemblyPart& part = row.part;
    switch (column) {
        case kPart:
            return part.name;
        case kInstances:
            return figure(part.instances);
        case kConfigurations:
            return joined(part.configurations);
        case kMaterials:
            return part.materialList();
        case kDensity:
            return part.loaded() ? number(part.density) : L"";
        case kMassDensity:
            return part.massDensity ? number(*part.massDensity) : L"";
        case kMass:
            return part.mass ? mass(*part.mass) : L"";
        case kResult:
            return result(row);
        case kColumns:
            break;
    }
    return L"";
}

forms::ListRow PartTable::listRow(const PartRow& row) const {
    forms::ListRow shown{.checked = row.ticked, .checkable = row.part.loaded()};
    for (std::size_t column = 0; column < kColumns; ++column) {
        shown.cells.push_back(cell(row, static_cast<Column>(column)));
    }
    return shown;
}

void PartTable::sort(std::vector<PartRow>& rows, Column column, bool descending) const {
    auto before = [&](const PartRow& a, const PartRow& b) {
        if (isNumeric(column)) {
            const auto x = sortValue(a, column);
            const auto y = sortValue(b, column);
            // Rows without a number come last either way.
            if (!x || !y) return x.has_value() && !y.has_value();
            return descending ? *y < *x : *x < *y;
        }
        const std::wstring x = text::asciiUppercase(std::wstring_view(cell(a, column)));
        const std::wstring y = text::asciiUppercase(std::wstring_view(cell(b, column)));
        return descending ? y < x : x < y;
    };
    std::stable_sort(rows.begin(), rows.end(), before);
}

std::wstring PartTable::listingSummary(const ListingCounts& counts, std::size_t suppressed) const {
    return fillIn(messages_[MessageRole::kPartsListed],
                  {figure(counts.parts), figure(counts.withoutMaterial), figure(counts.notLoaded),
                   figure(suppressed)});
}

std::wstring PartTable::writeSummary(const WriteCounts& counts) const {
    return fillIn(messages_[MessageRole::kPartsWritten],
                  {figure(counts.written), figure(counts.materialDecides), figure(counts.refused),
                   figure(counts.massOverridden), figure(counts.otherDensity)});
}

std::wstring PartTable::resetSummary(const WriteCounts& counts) const {
    return fillIn(messages_[MessageRole::kPartsReset],
                  {figure(counts.reset), figure(counts.refused)});
}

std::wstring PartTable::stopped(std::size_t done, std::size_t total,
                                const std::wstring& summary) const {
    return fillIn(messages_[MessageRole::kStoppedAfter], {figure(done), figure(total)}) + L" " +
           summary;
}

std::wstring PartTable::assemblyMass(std::optional<double> before,
                                     std::optional<double> now) const {
    if (!now) return L"";
    if (!before) return fillIn(messages_[MessageRole::kAssemblyMass], {mass(*now)});
    return fillIn(messages_[MessageRole::kAssemblyMassChanged], {mass(*before), mass(*now)});
}

ListingCounts countListing(const std::vector<PartRow>& rows) {
    ListingCounts counts{.parts = rows.size()};
    for (const auto& row : rows) {
        if (!row.part.loaded()) {
            ++counts.notLoaded;
        } else if (row.part.lacksMaterial()) {
            ++counts.withoutMaterial;
        }
    }
    return counts;
}

void count(WriteCounts& counts, Result result) {
    switch (result) {
        case Result::Written:
            ++counts.written;
            break;
        case Result::MaterialDecides:
            ++counts.materialDecides;
            break;
        case Result::MassOverridden:
            ++counts.massOverridden;
            break;
        case Result::OtherDensity:
            ++counts.otherDensity;
            break;
        case Result::Refused:
            ++counts.refused;
            break;
        case Result::Reset:
            ++counts.reset;
            break;
    }
}

}  // namespace velu::assembly
