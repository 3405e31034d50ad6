// The state file as the server keeps it: parsed once and read again only when the file has
// changed, so that a call costs one look at the file's size and time, not a parse of a large
// assembly.
#pragma once

#include <cstdint>
#include <string>

#include "cadsim_state.h"

namespace cadsim::win {

class StateStore {
  public:
    explicit StateStore(std::wstring path);

    // The state as the file has it now (all defaults when there is none). The file is read
    // again when its size or write time differs from the last look, or when it was written so
    // shortly before that look that a change in the same tick of the file system's clock
    // would not show in them; it is parsed again only when its text changed.
    const State& current();
    // How many times the state was read anew from a changed file; what is made from the
    // state must be made again when this changes.
    std::uint64_t readings() const { return readings_; }
    // Changes whenever the state does: read anew, saved or a density appended.
    std::uint64_t version() const { return version_; }

    // The state as last read or changed, without a look at the file.
    const State& last() const { return state_; }
    // The state to change before save() or appendDensity().
    State& edit() { return state_; }
    // Writes the whole state (through a temporary file, so a reader never sees half of it).
    void save();
    // Adds a density written into a generated part: appended to the file's [densities] section,
    // which toText writes last, so the rest is not written again.
    void appendDensity(WrittenDensity written);

  private:
    struct Stamp {
        bool exists = false;
        std::uint64_t size = 0;
        std::uint64_t writeTime = 0;  // FILETIME units
        bool operator==(const Stamp&) const = default;
    };
    Stamp stampNow() const;
    void remember(std::string text, std::uint64_t checkedAt);

    std::wstring path_;
    State state_;
    std::string text_;  // the file's text when it was last read or written
    Stamp stamp_;
    std::uint64_t checkedAt_ = 0;   // system time just before text_ was known to be the file's
    bool endsInDensities_ = false;  // so a density can be appended to it
    std::uint64_t readings_ = 0;
    std::uint64_t version_ = 0;
};

}  // namespace cadsim::win
