#pragma once
// A scripted stand-in for SolidWorks' automation objects that records every call in order.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/automation.h"
#include "support/text.h"

namespace velu::testing {

struct CadCall {
    std::wstring object;  // "app" or "doc"
    std::wstring member;
    std::vector<std::wstring> arguments;  // "I4:7", "R8&:7850" (by reference), "Bool:1"
};

class FakeCad final : public cad::Automation {
  public:
    enum class Document { None, Part, Assembly, Drawing };

    Document activeDocument = Document::Part;
    double systemDensity = 1000;
    double documentDensity = 1000;
    bool systemWriteResult = true;
    bool documentWriteResult = true;
    std::wstring unreachable;                       // when not empty: connect fails with this text
    std::map<std::wstring, std::int32_t> failures;  // "app.Visible", "doc.GetType" -> code
    // Answers that replace a member's own result, "doc.GetType" -> L"Teil".
    std::map<std::wstring, cad::Variant> answers;
    std::vector<CadCall> calls;
    int connects = 0;
    int liveObjects = 0;  // objects handed out and not yet released
    std::vector<std::wstring> releases;

    cad::ObjectRef connect(std::wstring_view progId) override {
        calls.push_back({L"", L"connect:" + std::wstring(progId), {}});
        if (!unreachable.empty()) {
            throw cad::AutomationError(static_cast<std::int32_t>(0x80040154), L"", L"",
                                       unreachable);
        }
        ++connects;
        return std::make_shared<FakeObject>(*this, L"app");
    }

    // The members called, as "object.member", in order (connects left out).
    std::vector<std::wstring> members() const {
        std::vector<std::wstring> result;
        for (const auto& c : calls) {
            if (!c.object.empty()) result.push_back(c.object + L"." + c.member);
        }
        return result;
    }

  private:
    class FakeObject final : public cad::Object {
      public:
        FakeObject(FakeCad& cad, std::wstring name) : cad_(cad), name_(std::move(name)) {
            ++cad_.liveObjects;
        }
        ~FakeObject() override {
            --cad_.liveObjects;
            cad_.releases.push_back(name_);
        }

        cad::Variant get(std::wstring_view member) override {
            record(member, {});
            if (const auto* answer = find(cad_.answers, member)) return *answer;
            if (same(member, L"ActiveDoc")) {
                if (cad_.activeDocument == Document::None) return cad::ObjectRef();
                return cad::ObjectRef(std::make_shared<FakeObject>(cad_, L"doc"));
            }
            return {};
        }
        void put(std::wstring_view member, const cad::Variant& value) override {
            record(member, {L"Bool:" + std::to_wstring(value.toBool())});
        }
        cad::Variant call(std::wstring_view member,
                          const std::vector<cad::Argument>& arguments) override {
            std::vector<std::wstring> shown;
            const double* byReference = nullptr;
            for (const auto& argument : arguments) {
                if (const auto* ref = std::get_if<cad::DoubleRef>(&argument)) {
                    byReference = ref->target;
                    shown.push_back(L"R8&:" + std::to_wstring(*ref->target));
                } else {
                    shown.push_back(L"I4:" + std::to_wstring(static_cast<int>(
                                                 std::get<cad::Variant>(argument).toDouble())));
                }
            }
            record(member, shown);
            if (const auto* answer = find(cad_.answers, member)) return *answer;
            const bool app = name_ == L"app";
            if (same(member, L"GetType")) {
                return static_cast<std::int32_t>(cad_.activeDocument == Document::Part       ? 1
                                                 : cad_.activeDocument == Document::Assembly ? 2
                                                                                             : 3);
            }
            if (same(member, L"SetUserPreferenceDoubleValue")) {
                cad_.lastWritten = byReference;
                (app ? cad_.systemDensity : cad_.documentDensity) = *byReference;
                return app ? cad_.systemWriteResult : cad_.documentWriteResult;
            }
            if (same(member, L"GetUserPreferenceDoubleValue")) {
                return app ? cad_.systemDensity : cad_.documentDensity;
            }
            return {};
        }

      private:
        // Members are found without regard to case, as late binding finds them.
        static bool same(std::wstring_view a, std::wstring_view b) {
            return text::equalsIgnoringAsciiCase(a, b);
        }
        template <typename Value>
        const Value* find(const std::map<std::wstring, Value>& byMember,
                          std::wstring_view member) const {
            for (const auto& [key, value] : byMember) {
                if (same(key, name_ + L"." + std::wstring(member))) return &value;
            }
            return nullptr;
        }
        void record(std::wstring_view member, std::vector<std::wstring> arguments) {
            cad_.calls.push_back({name_, std::wstring(member), std::move(arguments)});
            if (const auto* failure = find(cad_.failures, member)) {
                throw cad::AutomationError(*failure, std::wstring(member), L"",
                                           L"Unbekannter Fehler");
            }
        }

        FakeCad& cad_;
        std::wstring name_;
    };

  public:
    // The address of the double the last write was handed: the caller's own variable.
    const double* lastWritten = nullptr;
};

}  // namespace velu::testing
