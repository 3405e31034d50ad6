#pragma once
// The program in-process against the CAD stand-in, registered as SldWorks.Application in the
// private Wine prefix, with its scenario and call log beside the test program: what the link
// tests of the main window and of the assembly window share.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app_driver.h"
#include "cadsim_state.h"
#include "stand_in.h"

namespace velu::win32 {

// The stand-in, registered as SldWorks.Application in the private prefix, with its scenario
// and log beside this program.
inline const testing::StandIn& standIn() {
    static const testing::StandIn cad(
        testing::windowsPath(VELU_CADSIM_EXE), L"SldWorks.Application",
        testing::besideProgram(L"cadlink-state.ini"), testing::besideProgram(L"cadlink-calls.log"));
    return cad;
}

inline int runCadsim(const std::wstring& arguments) {
    return standIn().run(arguments);
}

class CadLink : public testing::AppDriver {
  protected:
    static void SetUpTestSuite() {
        logPath_ = standIn().logPath();
        registered_ = registerCad();
    }
    static bool registerCad() { return standIn().registerServer(); }
    static void TearDownTestSuite() { standIn().remove(); }

    void SetUp() override {
        ASSERT_TRUE(registered_) << "the stand-in could not be registered";
        scenario = cadsim::State{};
        scenario.systemDensity = 1000;
        scenario.documentDensity = 1000;
        apply();
        standIn().forgetCalls();
        start();
    }

    void apply() { ASSERT_TRUE(standIn().write(scenario)); }
    cadsim::State cadState() { return standIn().scenario(); }
    std::vector<cadsim::LogEntry> calls() { return standIn().calls(); }
    // The writes the stand-in saw, as "app:7850" or "doc:2700".
    std::vector<std::string> writes() {
        std::vector<std::string> result;
        for (const auto& call : calls()) {
            if (call.member != "SetUserPreferenceDoubleValue") continue;
            EXPECT_EQ(call.arguments.size(), 2u);
            if (call.arguments.size() == 2) {
                EXPECT_EQ(call.arguments[1].type, "VT_BYREF|VT_R8");
                result.push_back(call.object + ":" + call.arguments[1].text);
            }
        }
        return result;
    }
    wchar_t separator() {
        const char* given = std::getenv("VELU_TEST_DECIMAL");
        return given ? static_cast<wchar_t>(given[0]) : L',';
    }
    // Every object the stand-in handed out during the click has been released.
    void expectEverythingReleased() {
        EXPECT_EQ(standIn().liveObjectsOnceReleased(), 0) << "objects the program has not released";
    }
    void expectInStep() {
        const bool box =
            ::SendMessageW(window(form().chkSWXSystemStandard), BM_GETCHECK, 0, 0) == BST_CHECKED;
        EXPECT_EQ(ticked(form().mnuGetStandard), box);
    }

    cadsim::State scenario;
    inline static std::wstring logPath_;
    inline static bool registered_ = false;
};

}  // namespace velu::win32
