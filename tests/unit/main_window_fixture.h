#pragma once
// A main window with every platform service faked, started as the program starts it.

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "fake_cad.h"
#include "fakes.h"

namespace velu::testing {

class MainWindowFixture : public ::testing::Test {
  protected:
    app::MainWindow& create() {
        window = std::make_unique<app::MainWindow>(
            app::AppServices{boxes, files, ansi, locale, process, cad, layer});
        return *window;
    }
    app::MainWindow& start() {
        create().Form_Load();
        return *window;
    }
    forms::Control& control(const wchar_t* name) { return window->form().control(name); }
    void click(const wchar_t* name) { window->form().click(name); }

    RecordingBoxes boxes;
    MemoryFiles files;
    Windows1252 ansi;
    FixedLocale locale{L','};
    RecordingProcess process;
    FakeCad cad;
    RecordingLayer layer;
    std::unique_ptr<app::MainWindow> window;
};

}  // namespace velu::testing
