#pragma once
// A main window with every platform service faked, started as the program starts it.

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "fake_cad.h"
#include "fakes.h"
#include "windows1252.h"

namespace velu::testing {

// The layer changes a form asks for, in order: true for topmost.
class RecordingLayer final : public forms::FormObserver {
  public:
    void controlChanged(const forms::Control&, forms::Property) override {}
    void layerRequested(const forms::Form&, bool topmost) override { calls.push_back(topmost); }
    std::vector<bool> calls;
};

class MainWindowFixture : public ::testing::Test {
  protected:
    app::MainWindow& create() {
        window = std::make_unique<app::MainWindow>(
            app::AppServices{boxes, files, locale, process, cad, profiles});
        window->form().addObserver(&layer);
        return *window;
    }
    app::MainWindow& start() {
        create().Form_Load();
        return *window;
    }
    app::MainWindowForm& form() { return window->form(); }
    void click(forms::Control& control) { window->form().click(control); }

    RecordingBoxes boxes;
    MemoryFiles files;
    Windows1252 ansi;
    config::ProfileReader profiles{files, ansi};
    FixedLocale locale{L','};
    RecordingProcess process;
    FakeCad cad;
    RecordingLayer layer;
    std::unique_ptr<app::MainWindow> window;
};

}  // namespace velu::testing
