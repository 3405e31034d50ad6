#include "state_store.h"

#include <windows.h>

#include <utility>

#include "files.h"

namespace cadsim::win {

namespace {

// How long after a file was written its size and time may still miss a change: a file
// system's clock advances in ticks (Linux: a few milliseconds; the time Wine reports comes
// from it), so a second write in the same tick with the same length looks like the first.
constexpr std::uint64_t kSettledAfter = std::uint64_t{200} * 10'000;  // 200 ms in FILETIME units

std::uint64_t ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::uint64_t systemTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return ticks(now);
}

// Whether the last section of a text is [densities] and the text ends with a whole line.
bool endsInDensities(const std::string& text) {
    if (text.empty() || text.back() != '\n') return false;
    const auto header = text.rfind("\n[");
    return header != std::string::npos && text.compare(header, 13, "\n[densities]\n") == 0;
}

}  // namespace

StateStore::StateStore(std::wstring path) : path_(std::move(path)) {}

StateStore::Stamp StateStore::stampNow() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return {};
    return {true, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            ticks(data.ftLastWriteTime)};
}

const State& StateStore::current() {
    const std::uint64_t now = systemTimeNow();
    const Stamp stamp = stampNow();
    if (stamp == stamp_ && readings_ > 0 && stamp.writeTime + kSettledAfter < checkedAt_) {
        return state_;
    }
    std::string text = stamp.exists ? readFileBytes(path_).value_or(std::string()) : std::string();
    if (text != text_ || readings_ == 0) {
        state_ = parse(text);
        ++readings_;
        ++version_;
    }
    // The stamp from before the reading: a change between the two shows at the next look.
    stamp_ = stamp;
    remember(std::move(text), now);
    return state_;
}

void StateStore::remember(std::string text, std::uint64_t checkedAt) {
    text_ = std::move(text);
    endsInDensities_ = endsInDensities(text_);
    checkedAt_ = checkedAt;
}

void StateStore::save() {
    const std::uint64_t now = systemTimeNow();
    std::string text = toText(state_);
    writeFileReplacing(path_, text);
    ++version_;
    stamp_ = stampNow();
    remember(std::move(text), now);
}

void StateStore::appendDensity(WrittenDensity written) {
    state_.writtenDensities.push_back(std::move(written));
    if (!endsInDensities_) {
        save();
        return;
    }
    const WrittenDensity& w = state_.writtenDensities.back();
    const std::string line = w.path + "=" + formatDouble(w.density) + "\n";
    const std::uint64_t now = systemTimeNow();
    appendToFile(path_, line);
    ++version_;
    stamp_ = stampNow();
    remember(text_ + line, now);
}

}  // namespace cadsim::win
