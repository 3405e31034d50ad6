// Tests of the CAD stand-in: the scenario and log text, and cadsim.exe itself, driven the way
// the program drives the CAD program: plain IDispatch late binding across processes.
//
// The end-to-end tests register a ProgID of their own (pointing at a temporary state file and
// log), start the server through COM, and unregister it at the end.

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cadsim_state.h"
#include "registration.h"
#include "stand_in.h"
#include "support/text.h"
#include "testing/files.h"
#include "win32/support/com_apartment.h"
#include "win32/support/com_object.h"
#include "win32/support/com_values.h"
#include "win32/support/handles.h"
#include "win32/support/user.h"

namespace cadsim {
namespace {

using velu::text::toUtf8;
using velu::win32::ComPtr;
using velu::win32::UniqueVariant;

// ---------------------------------------------------------------------------------------------
// The state file

TEST(StateText, MissingKeysKeepTheirDefaults) {
    std::vector<std::string> problems;
    const State state = parse("[cadsim]\nActiveDoc=drawing\n", &problems);
    EXPECT_TRUE(problems.empty());
    State expected;
    expected.activeDoc = DocKind::drawing;
    EXPECT_EQ(state, expected);
    EXPECT_EQ(expected.activeDoc, DocKind::drawing);
    EXPECT_EQ(State{}.systemDensity, 1000.0);
    EXPECT_EQ(State{}.activeDoc, DocKind::part);
}

TEST(StateText, ReadsEveryKeyWithCommentsCrlfAndBom) {
    const std::string text =
        "\xEF\xBB\xBF; scenario\r\n"
        "[cadsim]\r\n"
        "ActiveDoc = Assembly   ; none | part | assembly | drawing\r\n"
        "SystemDensity=1000.5\r\n"
        "DocumentDensity=7850\r\n"
        "SystemWriteResult=0\r\n"
        "DocumentWriteResult=true\r\n"
        "Fail.Visible=0x80004005\r\n"
        "Fail.ActiveDoc=-2147467259\r\n"
        "Fail.GetType=2147500037\r\n"
        "fail.app.setuserpreferencedoublevalue=0x8001010A\r\n"
        "Fail.App.GetUserPreferenceDoubleValue=0x80020009\r\n"
        "Fail.Doc.SetUserPreferenceDoubleValue=0X80070005\r\n"
        "Fail.Doc.GetUserPreferenceDoubleValue=0\r\n"
        "RetryLater=3\r\n"
        "CreateDelayMs=2500\r\n"
        "DieInMember=Doc.GetType\r\n";
    std::vector<std::string> problems;
    const State s = parse(text, &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(s.activeDoc, DocKind::assembly);
    EXPECT_EQ(s.systemDensity, 1000.5);
    EXPECT_EQ(s.documentDensity, 7850.0);
    EXPECT_FALSE(s.systemWriteResult);
    EXPECT_TRUE(s.documentWriteResult);
    EXPECT_EQ(s.fail.visible, static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.fail.activeDoc, static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.fail.getType, static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.fail.appSetPref, static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(s.fail.appGetPref, static_cast<std::int32_t>(0x80020009u));
    EXPECT_EQ(s.fail.docSetPref, static_cast<std::int32_t>(0x80070005u));
    EXPECT_EQ(s.fail.docGetPref, 0);
    EXPECT_EQ(s.retryLater, 3u);
    EXPECT_EQ(s.createDelayMs, 2500u);
    EXPECT_EQ(s.dieInMember, "Doc.GetType");
}

TEST(StateText, ReportsBadValuesUnknownKeysAndKeepsDefaults) {
    std::vector<std::string> problems;
    const State s = parse(
        "[other]\nSystemDensity=5\n[cadsim]\nSystemDensity=1,5\nActiveDoc=sketch\nRetryLater=-1\n"
        "Fail.GetType=0xZZ\nNoSuchKey=1\njust text\nDocumentDensity=nan\n",
        &problems);
    EXPECT_EQ(s, State{});
    ASSERT_EQ(problems.size(), 7u);
    EXPECT_NE(problems[0].find("line 4"), std::string::npos);
    EXPECT_NE(problems[0].find("SystemDensity"), std::string::npos);
    EXPECT_NE(problems[4].find("NoSuchKey"), std::string::npos);
}

TEST(StateText, RoundTripsExactly) {
    State s;
    s.activeDoc = DocKind::none;
    s.systemDensity = 0.1;
    s.documentDensity = 7850.000000000001;
    s.systemWriteResult = false;
    s.fail.visible = static_cast<std::int32_t>(0x80010108u);
    s.fail.docGetPref = 5;
    s.retryLater = 2;
    s.createDelayMs = 40;
    s.dieInMember = "App.Visible";
    s.textAnswer = "Doc.GetType";
    std::vector<std::string> problems;
    const State back = parse(toText(s), &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back, s);
    EXPECT_NE(toText(s).find("SystemDensity=0.10000000000000001\n"), std::string::npos);
    EXPECT_NE(toText(s).find("Fail.Visible=0x80010108\n"), std::string::npos);
    EXPECT_NE(toText(s).find("DocumentDensity=7850.0000000000009\n"), std::string::npos);

    for (double d : {1000.0, 7850.0, 1e-300, 2.5e300, -0.0, 123456.78901234567}) {
        s.systemDensity = d;
        EXPECT_EQ(parse(toText(s)).systemDensity, d) << formatDouble(d);
    }
}

TEST(StateText, DoublesUseADecimalPointInAnyLocale) {
    const char* german = std::setlocale(LC_ALL, "German_Germany.1252");
    if (german == nullptr) german = std::setlocale(LC_ALL, "de-DE");
    if (german == nullptr) GTEST_SKIP() << "no German locale to switch to";
    State s;
    s.systemDensity = 2.5;
    const std::string text = toText(s);
    const State back = parse("[cadsim]\nDocumentDensity=7.25\n");
    std::setlocale(LC_ALL, "C");
    EXPECT_NE(text.find("SystemDensity=2.5\n"), std::string::npos);
    EXPECT_EQ(back.documentDensity, 7.25);
}

TEST(StateText, FailuresAndDieInMemberAreLookedUpByObjectAndMember) {
    State s;
    s.fail.visible = 1;
    s.fail.activeDoc = 2;
    s.fail.getType = 3;
    s.fail.appSetPref = 4;
    s.fail.appGetPref = 5;
    s.fail.docSetPref = 6;
    s.fail.docGetPref = 7;
    EXPECT_EQ(s.failureFor("app", "Visible"), 1);
    EXPECT_EQ(s.failureFor("app", "activedoc"), 2);
    EXPECT_EQ(s.failureFor("doc", "GetType"), 3);
    EXPECT_EQ(s.failureFor("app", "GetType"), 0);
    EXPECT_EQ(s.failureFor("app", "SetUserPreferenceDoubleValue"), 4);
    EXPECT_EQ(s.failureFor("app", "GetUserPreferenceDoubleValue"), 5);
    EXPECT_EQ(s.failureFor("doc", "SetUserPreferenceDoubleValue"), 6);
    EXPECT_EQ(s.failureFor("doc", "GetUserPreferenceDoubleValue"), 7);
    EXPECT_EQ(s.failureFor("doc", "Visible"), 0);

    s.dieInMember = "GetUserPreferenceDoubleValue";
    EXPECT_TRUE(s.diesIn("app", "GetUserPreferenceDoubleValue"));
    EXPECT_TRUE(s.diesIn("doc", "getuserpreferencedoublevalue"));
    EXPECT_FALSE(s.diesIn("doc", "SetUserPreferenceDoubleValue"));
    s.dieInMember = "Doc.GetUserPreferenceDoubleValue";
    EXPECT_FALSE(s.diesIn("app", "GetUserPreferenceDoubleValue"));
    EXPECT_TRUE(s.diesIn("doc", "GetUserPreferenceDoubleValue"));
    s.dieInMember.clear();
    EXPECT_FALSE(s.diesIn("app", "Visible"));

    s.textAnswer = "Doc.GetType";
    EXPECT_TRUE(s.answersWithText("doc", "gettype"));
    EXPECT_FALSE(s.answersWithText("app", "GetType"));
}

TEST(StateText, HresultsParseInEveryNotation) {
    EXPECT_EQ(parseHresult("0x8001010A"), static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(parseHresult("2147549450"), static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(parseHresult("-2147417846"), static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(parseHresult("1"), 1);
    EXPECT_FALSE(parseHresult("4294967296"));
    EXPECT_FALSE(parseHresult("-2147483649"));
    EXPECT_FALSE(parseHresult("0x"));
    EXPECT_FALSE(parseHresult("12abc"));
    EXPECT_EQ(formatHresult(static_cast<std::int32_t>(0x8001010Au)), "0x8001010A");
    EXPECT_EQ(formatHresult(5), "0x00000005");
}

TEST(ClassIds, SldWorksGetsTheFixedIdAndOthersAStableOwnOne) {
    EXPECT_EQ(clsidForProgId("SldWorks.Application"), kBaseClsid);
    EXPECT_EQ(clsidForProgId("sldworks.APPLICATION"), kBaseClsid);
    const std::string test = clsidForProgId("VelumarTest.CadSim");
    EXPECT_NE(test, kBaseClsid);
    EXPECT_EQ(test, clsidForProgId("velumartest.cadsim"));
    EXPECT_NE(test, clsidForProgId("VelumarTest.CadSim2"));
    ASSERT_EQ(test.size(), 38u);
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(velu::text::fromUtf8(test).c_str(), &parsed), NOERROR);
    EXPECT_EQ(test[15], '4');  // still a version-4 id
}

// ---------------------------------------------------------------------------------------------
// The log

TEST(LogText, FormatsAndParsesEveryOutcome) {
    LogEntry ok{12,
                "app",
                "SetUserPreferenceDoubleValue",
                "call",
                {{"VT_I4", "7"}, {"VT_BYREF|VT_R8", "7850"}},
                Outcome::ok,
                {"VT_BOOL", "true"},
                0};
    EXPECT_EQ(formatLogLine(ok),
              "12\tapp\tSetUserPreferenceDoubleValue\tcall\tVT_I4:7,VT_BYREF|VT_R8:7850\tok:VT_"
              "BOOL:true");
    EXPECT_EQ(parseLogLine(formatLogLine(ok)), ok);

    LogEntry fail{13, "doc",         "GetType", "get",
                  {}, Outcome::fail, {},        static_cast<std::int32_t>(0x80004005u)};
    EXPECT_EQ(formatLogLine(fail), "13\tdoc\tGetType\tget\t\tfail:0x80004005");
    EXPECT_EQ(parseLogLine(formatLogLine(fail)), fail);

    LogEntry retry{14, "app", "Visible", "put", {{"VT_BOOL", "true"}}, Outcome::retryLater, {}, 0};
    EXPECT_EQ(formatLogLine(retry), "14\tapp\tVisible\tput\tVT_BOOL:true\tretrylater");
    EXPECT_EQ(parseLogLine(formatLogLine(retry)), retry);

    LogEntry died{15, "doc", "GetType", "call", {}, Outcome::died, {}, 0};
    EXPECT_EQ(formatLogLine(died), "15\tdoc\tGetType\tcall\t\tdied");
    EXPECT_EQ(parseLogLine(formatLogLine(died)), died);

    LogEntry put{16, "app", "Visible", "put", {{"VT_BOOL", "false"}}, Outcome::ok, {"VT_EMPTY", ""},
                 0};
    EXPECT_EQ(formatLogLine(put), "16\tapp\tVisible\tput\tVT_BOOL:false\tok:VT_EMPTY:");
    EXPECT_EQ(parseLogLine(formatLogLine(put)), put);
}

TEST(LogText, EscapesSeparatorsInsideValues) {
    LogEntry e{1,
               "app",
               "#99",
               "call",
               {{"VT_BSTR", "a,b\tc\\d\ne"}, {"VT_BSTR", ""}},
               Outcome::ok,
               {"VT_BSTR", "x,y"},
               0};
    const std::string line = formatLogLine(e);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5);
    EXPECT_NE(line.find("VT_BSTR:a\\,b\\tc\\\\d\\ne,VT_BSTR:"), std::string::npos);
    EXPECT_EQ(parseLogLine(line), e);
}

TEST(LogText, RejectsMalformedLinesAndSkipsThemInALog) {
    EXPECT_FALSE(parseLogLine(""));
    EXPECT_FALSE(parseLogLine("x\tapp\tVisible\tget\t\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tfetch\t\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\t\tgood"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\tnocolon\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\tVT_BSTR:a\\\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\t\tfail:nothex"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\t\tok:VT_BOOL:true\textra"));
    EXPECT_TRUE(parseLogLine("1\tapp\tVisible\tget\t\tok:VT_BOOL:true\r"));

    std::vector<std::string> problems;
    const auto entries = parseLog(
        "1\tapp\tVisible\tget\t\tok:VT_BOOL:false\n\ngarbage\n2\tapp\tActiveDoc\tget\t\tok:VT_"
        "DISPATCH:doc\n",
        &problems);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sequence, 1u);
    EXPECT_EQ(entries[1].member, "ActiveDoc");
    EXPECT_EQ(entries[1].result, (LogValue{"VT_DISPATCH", "doc"}));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("line 3"), std::string::npos);
}

TEST(LogText, NamesVarTypes) {
    EXPECT_EQ(varTypeName(VT_R8), "VT_R8");
    EXPECT_EQ(varTypeName(VT_BYREF | VT_R8), "VT_BYREF|VT_R8");
    EXPECT_EQ(varTypeName(VT_I4), "VT_I4");
    EXPECT_EQ(varTypeName(VT_BOOL), "VT_BOOL");
    EXPECT_EQ(varTypeName(VT_DISPATCH), "VT_DISPATCH");
    EXPECT_EQ(varTypeName(VT_EMPTY), "VT_EMPTY");
    EXPECT_EQ(varTypeName(VT_ARRAY | VT_VARIANT), "VT_ARRAY|VT_VARIANT");
    EXPECT_EQ(varTypeName(VT_BYREF | VT_VARIANT), "VT_BYREF|VT_VARIANT");
    EXPECT_EQ(varTypeName(0x0FFE), "VT_4094");
}

// ---------------------------------------------------------------------------------------------
// Helpers for the end-to-end tests

std::wstring cadsimExe() {
    return velu::testing::windowsPath(VELU_CADSIM_EXE);
}

// Runs cadsim.exe with the arguments and returns its exit code (-1 if it did not run or end).
int runCadsim(const std::wstring& arguments) {
    return velu::testing::StandIn(cadsimExe()).run(arguments);
}

// Calls a member by name through IDispatch; `args` in parameter order.
HRESULT call(IDispatch* target, const wchar_t* name, WORD flags, std::vector<UniqueVariant> args,
             UniqueVariant* result = nullptr, EXCEPINFO* exception = nullptr,
             UINT* argError = nullptr) {
    if (target == nullptr) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    UniqueVariant ignored;
    UINT ignoredArg = 0;
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                          result != nullptr ? result->put() : ignored.put(), exception,
                          argError != nullptr ? argError : &ignoredArg);
}

// What a client sees when the server process has ended under it.
bool serverIsGone(HRESULT hr) {
    for (HRESULT gone :
         {RPC_E_DISCONNECTED, RPC_E_SERVER_DIED, RPC_E_SERVER_DIED_DNE,
          HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), HRESULT_FROM_WIN32(RPC_S_CALL_FAILED),
          HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE)}) {
        if (hr == gone) return true;
    }
    return false;
}

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kVbStyle = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
constexpr LONG kDensity = 7;

class CadSimServer : public ::testing::Test {
  protected:
    static constexpr const wchar_t* kProgId = L"VelumarTest.CadSim";

    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"cadsim-test-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
        server_ = std::make_unique<velu::testing::StandIn>(
            cadsimExe(), kProgId, dir_ + L"\\state.ini", dir_ + L"\\calls.log");
        // A server left over from an interrupted run would serve other files.
        server_->shutDown();
        registered_ = server_->registerServer();
        if (registered_) registered_ = SUCCEEDED(CLSIDFromProgID(kProgId, &clsid_));
    }

    static void TearDownTestSuite() {
        server_->remove();
        server_.reset();
        RemoveDirectoryW(dir_.c_str());
    }

    void SetUp() override {
        ASSERT_TRUE(registered_) << "registering " << toUtf8(kProgId) << " failed";
        State initial;
        initial.activeDoc = DocKind::part;
        writeState(initial);
        server_->forgetCalls();
    }

    static void writeState(const State& state) { ASSERT_TRUE(server_->write(state)); }
    static State readState() { return server_->scenario(); }
    static std::vector<LogEntry> readLog() { return server_->calls(); }

    static ComPtr<IDispatch> connect() {
        ComPtr<IDispatch> app;
        const HRESULT hr =
            CoCreateInstance(clsid_, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.putVoid());
        EXPECT_EQ(hr, S_OK) << "CoCreateInstance of " << toUtf8(kProgId);
        return app;
    }

    static ComPtr<IDispatch> activeDoc(IDispatch* app) {
        UniqueVariant doc;
        EXPECT_EQ(call(app, L"ActiveDoc", kGet, {}, &doc), S_OK);
        EXPECT_EQ(doc->vt, VT_DISPATCH);
        return doc->vt == VT_DISPATCH ? ComPtr<IDispatch>(doc->pdispVal) : ComPtr<IDispatch>();
    }

    // Ends the running server (if any) the way a user would, and waits until it is gone.
    static void stopServer() { EXPECT_EQ(server_->shutDown(), 0); }

    static std::wstring dir_;
    static std::unique_ptr<velu::testing::StandIn> server_;
    static CLSID clsid_;
    static bool registered_;
};

std::wstring CadSimServer::dir_;
std::unique_ptr<velu::testing::StandIn> CadSimServer::server_;
CLSID CadSimServer::clsid_{};
bool CadSimServer::registered_ = false;

// ---------------------------------------------------------------------------------------------
// End to end

TEST_F(CadSimServer, SetsTheSystemDensityByReferenceAndReadsItBackExactly) {
    auto app = connect();
    for (double wanted : {7850.0, 2699.9999999999995, 0.001}) {
        double value = wanted;
        UniqueVariant ok;
        ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}, &ok),
                  S_OK);
        EXPECT_EQ(ok->vt, VT_BOOL);
        EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
        UniqueVariant back;
        ASSERT_EQ(call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity)}, &back),
                  S_OK);
        ASSERT_EQ(back->vt, VT_R8);
        EXPECT_EQ(back->dblVal, wanted);
        EXPECT_EQ(readState().systemDensity, wanted);
        EXPECT_EQ(readState().documentDensity, 1000.0);
    }
}

TEST_F(CadSimServer, LogsEveryCallWithItsArgumentsInOrder) {
    auto app = connect();
    double value = 7850.0;
    ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}),
              S_OK);
    ASSERT_EQ(
        call(app.get(), L"GetUserPreferenceDoubleValue", kGet, {UniqueVariant::fromI4(kDensity)}),
        S_OK);
    ASSERT_EQ(call(app.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(false)}),
              S_OK);
    ASSERT_EQ(call(app.get(), L"ActiveDoc", kVbStyle, {}), S_OK);

    const auto log = readLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].object, "app");
    EXPECT_EQ(log[0].member, "SetUserPreferenceDoubleValue");
    EXPECT_EQ(log[0].kind, "call");
    EXPECT_EQ(log[0].arguments,
              (std::vector<LogValue>{{"VT_I4", "7"}, {"VT_BYREF|VT_R8", "7850"}}));
    EXPECT_EQ(log[0].outcome, Outcome::ok);
    EXPECT_EQ(log[0].result, (LogValue{"VT_BOOL", "true"}));
    EXPECT_EQ(log[1].kind, "get");
    EXPECT_EQ(log[1].result, (LogValue{"VT_R8", "7850"}));
    EXPECT_EQ(log[2].kind, "put");
    EXPECT_EQ(log[2].member, "Visible");
    EXPECT_EQ(log[2].arguments, (std::vector<LogValue>{{"VT_BOOL", "false"}}));
    EXPECT_EQ(log[3].kind, "call");
    EXPECT_EQ(log[3].result, (LogValue{"VT_DISPATCH", "doc"}));
    for (std::size_t i = 1; i < log.size(); ++i)
        EXPECT_EQ(log[i].sequence, log[i - 1].sequence + 1);
}

TEST_F(CadSimServer, DocumentReportsItsTypeAndKeepsItsOwnDensity) {
    auto app = connect();
    for (DocKind kind : {DocKind::part, DocKind::assembly, DocKind::drawing}) {
        State s;
        s.activeDoc = kind;
        s.documentDensity = 2700.0;
        writeState(s);
        auto doc = activeDoc(app.get());
        ASSERT_TRUE(doc);
        for (WORD flags : {kMethod, kGet, kVbStyle}) {
            UniqueVariant type;
            ASSERT_EQ(call(doc.get(), L"GetType", flags, {}, &type), S_OK);
            EXPECT_EQ(type->vt, VT_I4);
            EXPECT_EQ(type->lVal, static_cast<LONG>(kind)) << docKindName(kind);
        }
        double value = 7850.5;
        UniqueVariant ok;
        ASSERT_EQ(call(doc.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}, &ok),
                  S_OK);
        EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
        UniqueVariant back;
        ASSERT_EQ(call(doc.get(), L"GetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity)}, &back),
                  S_OK);
        EXPECT_EQ(back->dblVal, 7850.5);
        EXPECT_EQ(readState().documentDensity, 7850.5);
        EXPECT_EQ(readState().systemDensity, 1000.0);
    }
    const auto log = readLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().object, "doc");
}

TEST_F(CadSimServer, ActiveDocIsNothingWithoutADocument) {
    State s;
    s.activeDoc = DocKind::none;
    writeState(s);
    auto app = connect();
    UniqueVariant doc;
    ASSERT_EQ(call(app.get(), L"ActiveDoc", kVbStyle, {}, &doc), S_OK);
    EXPECT_EQ(doc->vt, VT_DISPATCH);
    EXPECT_EQ(doc->pdispVal, nullptr);
    const auto log = readLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].result, (LogValue{"VT_DISPATCH", "null"}));
}

TEST_F(CadSimServer, NamesAreCaseInsensitiveAndArgumentsAreCoerced) {
    auto app = connect();
    DISPID upper = 0, lower = 0;
    LPOLESTR a[] = {const_cast<LPOLESTR>(L"SETUSERPREFERENCEDOUBLEVALUE")};
    LPOLESTR b[] = {const_cast<LPOLESTR>(L"setuserpreferencedoublevalue")};
    ASSERT_EQ(app->GetIDsOfNames(IID_NULL, a, 1, LOCALE_USER_DEFAULT, &upper), S_OK);
    ASSERT_EQ(app->GetIDsOfNames(IID_NULL, b, 1, LOCALE_USER_DEFAULT, &lower), S_OK);
    EXPECT_EQ(upper, lower);
    DISPID unknown = 0;
    LPOLESTR c[] = {const_cast<LPOLESTR>(L"GetType")};  // a document member, not the application's
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, c, 1, LOCALE_USER_DEFAULT, &unknown),
              DISP_E_UNKNOWNNAME);
    EXPECT_EQ(unknown, DISPID_UNKNOWN);

    // A short for the id, a float for the value: both converted.
    UniqueVariant shortId;
    shortId.get()->vt = VT_I2;
    shortId.get()->iVal = 7;
    UniqueVariant floatValue;
    floatValue.get()->vt = VT_R4;
    floatValue.get()->fltVal = 2.5f;
    UniqueVariant ok;
    ASSERT_EQ(
        call(app.get(), L"setuserpreferencedoublevalue", kVbStyle, {shortId, floatValue}, &ok),
        S_OK);
    EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
    EXPECT_EQ(readState().systemDensity, 2.5);
    UniqueVariant back;
    ASSERT_EQ(call(app.get(), L"GETUSERPREFERENCEDOUBLEVALUE", kGet,
                   {UniqueVariant::fromString(L"7")}, &back),
              S_OK);
    EXPECT_EQ(back->dblVal, 2.5);
}

TEST_F(CadSimServer, RejectsWrongArgumentsAndInvokeKinds) {
    auto app = connect();
    EXPECT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}),
              DISP_E_BADPARAMCOUNT);
    UINT argError = 99;
    EXPECT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity), UniqueVariant::fromString(L"heavy")}, nullptr,
                   nullptr, &argError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u);  // rgvarg[0] is the last parameter
    EXPECT_EQ(
        call(app.get(), L"ActiveDoc", DISPATCH_PROPERTYPUT, {UniqueVariant::fromDispatch(nullptr)}),
        DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(readState().systemDensity, 1000.0);

    const auto log = readLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].outcome, Outcome::fail);
    EXPECT_EQ(log[0].hresult, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(log[1].arguments[1], (LogValue{"VT_BSTR", "heavy"}));
    EXPECT_EQ(log[1].hresult, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(log[2].kind, "put");
    EXPECT_EQ(log[2].hresult, DISP_E_MEMBERNOTFOUND);
}

TEST_F(CadSimServer, WriteResultFalseLeavesTheDensityAlone) {
    State s;
    s.systemWriteResult = false;
    s.documentWriteResult = false;
    s.documentDensity = 1200.0;
    writeState(s);
    auto app = connect();
    auto doc = activeDoc(app.get());
    for (IDispatch* target : {app.get(), doc.get()}) {
        double value = 7850.0;
        UniqueVariant ok;
        ASSERT_EQ(call(target, L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}, &ok),
                  S_OK);
        EXPECT_EQ(ok->vt, VT_BOOL);
        EXPECT_EQ(ok->boolVal, VARIANT_FALSE);
    }
    EXPECT_EQ(readState().systemDensity, 1000.0);
    EXPECT_EQ(readState().documentDensity, 1200.0);
}

TEST_F(CadSimServer, InjectedFailuresReachTheClientWithTheirCode) {
    auto app = connect();
    auto doc = activeDoc(app.get());
    ASSERT_TRUE(doc);
    struct Case {
        std::int32_t Failures::*field;
        IDispatch* target;
        const wchar_t* member;
        WORD flags;
        std::vector<UniqueVariant> args;
        double State::*written;  // the density a working call changes, if any
    };
    double value = 7850.0;
    const std::vector<UniqueVariant> none;
    const std::vector<UniqueVariant> hide{UniqueVariant::fromBool(false)};
    const std::vector<UniqueVariant> density{UniqueVariant::fromI4(kDensity)};
    const std::vector<UniqueVariant> write{UniqueVariant::fromI4(kDensity),
                                           UniqueVariant::refR8(&value)};
    const wchar_t* const set = L"SetUserPreferenceDoubleValue";
    const wchar_t* const get = L"GetUserPreferenceDoubleValue";
    const std::vector<Case> cases{
        {&Failures::visible, app.get(), L"Visible", kGet, none, nullptr},
        {&Failures::visible, app.get(), L"Visible", DISPATCH_PROPERTYPUT, hide, nullptr},
        {&Failures::activeDoc, app.get(), L"ActiveDoc", kGet, none, nullptr},
        {&Failures::getType, doc.get(), L"GetType", kMethod, none, nullptr},
        {&Failures::appSetPref, app.get(), set, kMethod, write, &State::systemDensity},
        {&Failures::appGetPref, app.get(), get, kMethod, density, nullptr},
        {&Failures::docSetPref, doc.get(), set, kMethod, write, &State::documentDensity},
        {&Failures::docGetPref, doc.get(), get, kMethod, density, nullptr},
    };
    std::int32_t code = static_cast<std::int32_t>(0x80040201u);
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.member));
        ++code;  // a different code for every member, so that a mix-up shows
        State failing;
        failing.fail.*c.field = code;
        writeState(failing);
        UniqueVariant result;
        EXPECT_EQ(call(c.target, c.member, c.flags, c.args, &result), code);
        EXPECT_EQ(readState(), failing);  // a failing call changes nothing
        writeState(State{});
        EXPECT_EQ(call(c.target, c.member, c.flags, c.args, &result), S_OK);
        if (c.written != nullptr) {
            EXPECT_EQ(readState().*c.written, 7850.0);
        }
    }
    auto log = readLog();
    ASSERT_EQ(log.size(), 1 + 2 * cases.size());  // ActiveDoc first
    log.erase(log.begin());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(log[2 * i].member, toUtf8(cases[i].member));
        EXPECT_EQ(log[2 * i].outcome, Outcome::fail);
        EXPECT_EQ(log[2 * i].hresult, static_cast<std::int32_t>(0x80040202u + i));
        EXPECT_EQ(log[2 * i + 1].outcome, Outcome::ok);
    }
}

TEST_F(CadSimServer, FailureWithDispExceptionDescribesTheMember) {
    State s;
    s.fail.getType = DISP_E_EXCEPTION;
    writeState(s);
    auto app = connect();
    auto doc = activeDoc(app.get());
    velu::win32::UniqueExcepInfo exception;
    EXPECT_EQ(call(doc.get(), L"GetType", kMethod, {}, nullptr, exception.get()), DISP_E_EXCEPTION);
    EXPECT_EQ(exception->scode, E_FAIL);
    ASSERT_NE(exception->bstrDescription, nullptr);
    EXPECT_NE(std::wstring(exception->bstrDescription).find(L"GetType"), std::wstring::npos);
}

// Counts what the COM runtime asks the client's message filter.
class CountingFilter final : public velu::win32::ComObject<IMessageFilter, IID_IMessageFilter> {
  public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        ++retries;
        return 0;  // retry at once
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
    int retries = 0;
};

TEST_F(CadSimServer, RetryLaterRejectsTheNextCallsThenLetsThemThrough) {
    auto app = connect();
    State s;
    s.retryLater = 3;
    writeState(s);
    double value = 7850.0;
    const std::vector<UniqueVariant> args{UniqueVariant::fromI4(kDensity),
                                          UniqueVariant::refR8(&value)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod, args),
                  RPC_E_SERVERCALL_RETRYLATER)
            << "call " << i;
        EXPECT_EQ(readState().retryLater, static_cast<std::uint32_t>(2 - i));
        EXPECT_EQ(readState().systemDensity, 1000.0);
    }
    UniqueVariant ok;
    ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod, args, &ok), S_OK);
    EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
    EXPECT_EQ(readState().systemDensity, 7850.0);

    const auto log = readLog();
    ASSERT_EQ(log.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(log[i].outcome, Outcome::retryLater);
        // Rejected in Invoke, so the member and arguments are known.
        EXPECT_EQ(log[i].member, "SetUserPreferenceDoubleValue");
        EXPECT_EQ(log[i].arguments.size(), 2u);
    }
    EXPECT_EQ(log[3].outcome, Outcome::ok);
}

// Under Wine the server's message filter is asked about every call, but its "retry later" is
// not acted on: the call reaches Invoke, whose RPC_E_SERVERCALL_RETRYLATER is what the client
// gets, as the return value of Invoke; the client's own message filter is not consulted.
TEST_F(CadSimServer, UnderWineRetryLaterArrivesAsInvokesResultNotThroughTheMessageFilter) {
    if (!win::runningUnderWine()) GTEST_SKIP() << "describes Wine's COM";
    auto app = connect();
    ComPtr<CountingFilter> filter;
    filter.attach(new CountingFilter);
    HRESULT first = E_FAIL;
    HRESULT second = E_FAIL;
    {
        const velu::win32::MessageFilterRegistration registration(
            ComPtr<IMessageFilter>(filter.get()));
        ASSERT_EQ(registration.result(), S_OK);
        State s;
        s.retryLater = 1;
        writeState(s);
        first = call(app.get(), L"Visible", kGet, {});
        second = call(app.get(), L"Visible", kGet, {});
    }
    EXPECT_EQ(first, RPC_E_SERVERCALL_RETRYLATER);
    EXPECT_EQ(second, S_OK);
    EXPECT_EQ(filter->retries, 0);
    const auto log = readLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].member, "Visible");
    EXPECT_EQ(log[0].outcome, Outcome::retryLater);
}

TEST_F(CadSimServer, GetActiveObjectAttachesToTheRunningInstance) {
    auto first = connect();
    ASSERT_TRUE(first);
    ASSERT_EQ(call(first.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(true)}),
              S_OK);

    ComPtr<IUnknown> running;
    ASSERT_EQ(GetActiveObject(clsid_, nullptr, running.put()), S_OK);
    auto firstIdentity = first.query<IUnknown>(IID_IUnknown);
    EXPECT_EQ(running.get(), firstIdentity.get());
    auto second = connect();
    EXPECT_EQ(second.query<IUnknown>(IID_IUnknown).get(), firstIdentity.get());

    // A client in another apartment gets its own proxy and sees the state held in the server.
    HRESULT otherHr = E_FAIL;
    bool otherSeesVisible = false;
    std::thread other([&] {
        velu::win32::ComApartment com(COINIT_MULTITHREADED);
        ComPtr<IUnknown> unknown;
        otherHr = GetActiveObject(clsid_, nullptr, unknown.put());
        auto app = unknown.query<IDispatch>(IID_IDispatch);
        UniqueVariant visible;
        if (SUCCEEDED(otherHr)) otherHr = call(app.get(), L"Visible", kGet, {}, &visible);
        otherSeesVisible = visible->vt == VT_BOOL && visible->boolVal == VARIANT_TRUE;
    });
    other.join();
    EXPECT_EQ(otherHr, S_OK);
    EXPECT_TRUE(otherSeesVisible);

    EXPECT_EQ(call(first.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(false)}),
              S_OK);
}

// Whether windows can be shown here (under Wine that needs an X display, e.g. Xvfb).
bool haveDisplay() {
    velu::win32::UniqueWindow probe(CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 10,
                                                    10, nullptr, nullptr, GetModuleHandleW(nullptr),
                                                    nullptr));
    return static_cast<bool>(probe);
}

TEST_F(CadSimServer, VisibleShowsTheWindow) {
    if (!haveDisplay()) GTEST_SKIP() << "no display to show a window on";
    auto app = connect();
    const std::wstring windowClass =
        L"CadSimWindow" + velu::text::fromUtf8(clsidForProgId(toUtf8(kProgId)));
    HWND window = FindWindowW(windowClass.c_str(), L"CAD stand-in");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_EQ(call(app.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(true)}),
              S_OK);
    EXPECT_TRUE(IsWindowVisible(window));
    UniqueVariant visible;
    ASSERT_EQ(call(app.get(), L"Visible", kVbStyle, {}, &visible), S_OK);
    EXPECT_EQ(visible->vt, VT_BOOL);
    EXPECT_EQ(visible->boolVal, VARIANT_TRUE);
    ASSERT_EQ(call(app.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(false)}),
              S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(CadSimServer, DensitiesSurviveARestart) {
    {
        auto app = connect();
        auto doc = activeDoc(app.get());
        double system = 7850.0, document = 2712.5;
        ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&system)}),
                  S_OK);
        ASSERT_EQ(call(doc.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&document)}),
                  S_OK);
        stopServer();
        // The old proxy is cut off (Wine: RPC_S_SERVER_UNAVAILABLE).
        const HRESULT hr = call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                                {UniqueVariant::fromI4(kDensity)});
        EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
    }
    auto app = connect();
    auto doc = activeDoc(app.get());
    UniqueVariant system, document;
    ASSERT_EQ(call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}, &system),
              S_OK);
    ASSERT_EQ(call(doc.get(), L"GetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}, &document),
              S_OK);
    EXPECT_EQ(system->dblVal, 7850.0);
    EXPECT_EQ(document->dblVal, 2712.5);
    // The new process goes on with the sequence of the old one.
    const auto log = readLog();
    ASSERT_GE(log.size(), 4u);
    for (std::size_t i = 1; i < log.size(); ++i) EXPECT_GT(log[i].sequence, log[i - 1].sequence);
}

TEST_F(CadSimServer, DieInMemberEndsTheServerAndTheNextStartWorks) {
    auto app = connect();
    State s;
    s.dieInMember = "App.GetUserPreferenceDoubleValue";
    writeState(s);
    // Wine: RPC_S_CALL_FAILED.
    const HRESULT hr = call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                            {UniqueVariant::fromI4(kDensity)});
    EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
    EXPECT_EQ(readState().dieInMember, "");
    auto log = readLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].outcome, Outcome::died);
    app.reset();

    auto again = connect();
    UniqueVariant density;
    EXPECT_EQ(call(again.get(), L"GetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}, &density),
              S_OK);
    EXPECT_EQ(density->dblVal, 1000.0);
}

TEST_F(CadSimServer, ASlowStartIsWaitedFor) {
    stopServer();
    State s;
    s.createDelayMs = 1500;
    writeState(s);
    const auto start = std::chrono::steady_clock::now();
    auto app = connect();
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(app);
    EXPECT_GE(waited, std::chrono::milliseconds(1500));
    UniqueVariant visible;
    EXPECT_EQ(call(app.get(), L"Visible", kGet, {}, &visible), S_OK);
    writeState(State{});
}

// ---------------------------------------------------------------------------------------------
// Registration

TEST(Registration, ProgIdIsRequiredAndUnregisteringRemovesIt) {
    EXPECT_EQ(runCadsim(L"/regserver --state a.ini --log a.log"), 2);
    EXPECT_EQ(runCadsim(L"/unregserver"), 2);
    EXPECT_EQ(runCadsim(L"/regserver --progid VelumarTest.CadSimReg --state --log"), 2);

    const wchar_t* progId = L"VelumarTest.CadSimReg";
    ASSERT_EQ(
        runCadsim(L"/regserver --progid VelumarTest.CadSimReg --state \"C:\\some dir\\s.ini\" "
                  L"--log C:\\l.log"),
        0);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    wchar_t command[1024];
    DWORD size = sizeof command;
    const std::wstring clsidKey = L"Software\\Classes\\CLSID\\" +
                                  velu::text::fromUtf8(clsidForProgId("VelumarTest.CadSimReg"));
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (clsidKey + L"\\LocalServer32").c_str(), nullptr,
                           RRF_RT_REG_SZ, nullptr, command, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(command),
              win::serverCommandLine(cadsimExe(), progId, L"C:\\some dir\\s.ini", L"C:\\l.log"));

    ASSERT_EQ(runCadsim(L"/unregserver --progid VelumarTest.CadSimReg"), 0);
    EXPECT_NE(CLSIDFromProgID(progId, &clsid), S_OK);
    velu::win32::UniqueKey key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, clsidKey.c_str(), 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
}

TEST(Registration, ArgumentsAreQuotedForCommandLineToArgv) {
    for (std::wstring arg : {L"plain", L"with space", L"C:\\dir with space\\", L"quote\"inside",
                             L"back\\\\\"slash", L""}) {
        const std::wstring line = L"x.exe " + win::quoteArgument(arg);
        int argc = 0;
        velu::win32::UniqueLocal memory(CommandLineToArgvW(line.c_str(), &argc));
        ASSERT_TRUE(memory);
        auto* argv = static_cast<LPWSTR*>(memory.get());
        const std::wstring back = argc == 2 ? argv[1] : L"<missing>";
        EXPECT_EQ(back, arg) << toUtf8(line);
    }
}

TEST(Registration, WineIsDetectedLikeWineItselfTellsIt) {
    // Wine keeps its own settings under HKCU\Software\Wine; Windows has no such key.
    velu::win32::UniqueKey key;
    const bool wineKey = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, KEY_READ,
                                       key.put()) == ERROR_SUCCESS;
    EXPECT_EQ(win::runningUnderWine(), wineKey);
}

}  // namespace
}  // namespace cadsim

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const velu::win32::ComApartment com(COINIT_APARTMENTTHREADED);
    if (FAILED(com.result())) return 1;
    return RUN_ALL_TESTS();
}
