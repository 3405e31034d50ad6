#pragma once
// One profile file in memory, for the tests of a loader: written, opened through the
// program's reader, with what the loader reported kept in `notices`.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ini_file.h"
#include "fakes.h"

namespace velu::testing {

class ProfileFileFixture : public ::testing::Test {
  protected:
    explicit ProfileFileFixture(std::wstring path) : path(std::move(path)) {}

    void write(const std::string& text) { files.write(path, text); }
    config::ProfileFile open() { return ini.open(path); }

    MemoryFiles files;
    Windows1252 ansi;
    config::ProfileReader ini{files, ansi};
    std::vector<Notice> notices;
    std::wstring path;
};

}  // namespace velu::testing
