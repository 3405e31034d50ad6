#include "assembly/part_table.h"

#include <algorithm>

#include "common/number_text.h"
#include "config/message_table.h"
#include "support/text.h"

namespace velu::assembly {
namespace {

using config::fillIn;
using config::MessageRole;

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
        default:
            return std::nullopt;
    }
}

bool isNumeric(Column column) {
    return column == kInstances || column == kDensity || column == kMassDensity;
}

}  // namespace

PartTable::PartTable(const std::vector<std::wstring>& messages, wchar_t decimalSeparator)
    : messages_(messages), separator_(decimalSeparator) {}

std::wstring PartTable::number(double value) const {
    return formatGeneral(value, separator_);
}

std::wstring PartTable::cell(const PartRow& row, Column column) const {
    const cad::AssemblyPart& part = row.part;
    switch (column) {
        case kPart:
            return part.name;
        case kInstances:
            return std::to_wstring(part.instances);
        case kConfigurations:
            return joined(part.configurations);
        case kMaterials:
            return part.materialList();
        case kDensity:
            return part.loaded() ? number(part.density) : L"";
        case kMassDensity:
            return part.massDensity ? number(*part.massDensity) : L"";
        case kResult:
            if (!part.loaded()) return messages_[MessageRole::kResultNotLoaded];
            if (!row.outcome) return L"";
            switch (*row.outcome) {
                case cad::WriteOutcome::Written:
                    return messages_[MessageRole::kResultWritten];
                case cad::WriteOutcome::Refused:
                    return messages_[MessageRole::kResultRefused];
                case cad::WriteOutcome::MaterialDecides:
                    return fillIn(messages_[MessageRole::kResultMaterialDecides],
                                  {part.massDensity ? number(*part.massDensity) : L""});
            }
            return L"";
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
                  {std::to_wstring(counts.parts), std::to_wstring(counts.withoutMaterial),
                   std::to_wstring(counts.notLoaded), std::to_wstring(suppressed)});
}

std::wstring PartTable::writeSummary(const WriteCounts& counts) const {
    return fillIn(messages_[MessageRole::kPartsWritten],
                  {std::to_wstring(counts.written), std::to_wstring(counts.materialDecides),
                   std::to_wstring(counts.refused)});
}

std::wstring PartTable::stopped(std::size_t done, std::size_t total,
                                const std::wstring& summary) const {
    return fillIn(messages_[MessageRole::kStoppedAfter],
                  {std::to_wstring(done), std::to_wstring(total)}) +
           L" " + summary;
}

ListingCounts countListing(const std::vector<PartRow>& rows) {
    ListingCounts counts{.parts = rows.size()};
    for (const auto& row : rows) {
        if (!row.part.loaded()) {
            ++counts.notLoaded;
        } else if (!row.part.hasMaterial()) {
            ++counts.withoutMaterial;
        }
    }
    return counts;
}

void count(WriteCounts& counts, cad::WriteOutcome outcome) {
    switch (outcome) {
        case cad::WriteOutcome::Written:
            ++counts.written;
            break;
        case cad::WriteOutcome::MaterialDecides:
            ++counts.materialDecides;
            break;
        case cad::WriteOutcome::Refused:
            ++counts.refused;
            break;
    }
}

}  // namespace velu::assembly
