#pragma once
// A scripted stand-in for SolidWorks' automation objects that records every call in order.
// It plays the same scenario as the CAD stand-in of the Windows tests (tools/cadsim): an
// active document of some kind, the density preference of the system and of the document,
// and a part's configuration, material and body.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/automation.h"
#include "support/text.h"

namespace velu::testing {

struct CadCall {
    std::wstring object;  // "app", "doc", "config", "extension" or "massProperty"
    std::wstring member;
    // "I4:7", "R8&:7850" (a double by reference), "Bool:1", "BSTR:Standard", "BSTR&:" (a text
    // by reference, as handed over)
    std::vector<std::wstring> arguments;
};

class FakeCad final : public cad::Automation {
  public:
    enum class Document { None, Part, Assembly, Drawing };
    struct Material {
        std::wstring name;
        std::wstring database;
        double density = 0;
    };

    Document activeDocument = Document::Part;
    double systemDensity = 1000;
    double documentDensity = 1000;
    bool systemWriteResult = true;
    bool documentWriteResult = true;
    std::wstring configurationName = L"Standard";
    std::optional<Material> material;  // assigned to the part; none: the part has no material
    bool hasBody = true;
    std::wstring unreachable;                       // when not empty: connect fails with this text
    std::map<std::wstring, std::int32_t> failures;  // "app.Visible", "doc.GetType" -> code
    // Answers that replace a member's own result, "doc.GetType" -> L"Teil".
    std::map<std::wstring, cad::Variant> answers;
    std::vector<CadCall> calls;
    int connects = 0;
    int liveObjects = 0;  // objects handed out and not yet released
    std::vector<std::wstring> releases;
    // The address of the double the last write was handed: the caller's own variable.
    const double* lastWritten = nullptr;

    // What SolidWorks computes the part's mass with.
    double massDensity() const { return material ? material->density : documentDensity; }

    cad::ObjectRef connect(std::wstring_view progId) override {
        calls.push_back({L"", L"connect:" + std::wstring(progId), {}});
        if (!unreachable.empty()) {
            throw cad::AutomationError(static_cast<std::int32_t>(0x80040154), L"", L"",
                                       unreachable);
        }
        ++connects;
        return object(L"app");
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
            if (is(L"app", member, L"ActiveDoc")) {
                if (cad_.activeDocument == Document::None) return cad::ObjectRef();
                return cad_.object(L"doc");
            }
            if (is(L"doc", member, L"Extension")) return cad_.object(L"extension");
            if (is(L"config", member, L"Name")) return cad_.configurationName;
            if (is(L"massProperty", member, L"Density")) return cad_.massDensity();
            return {};
        }
        void put(std::wstring_view member, const cad::Variant& value) override {
            record(member, {L"Bool:" + std::to_wstring(value.toBool())});
        }
        cad::Variant call(std::wstring_view member,
                          const std::vector<cad::Argument>& arguments) override {
            std::vector<std::wstring> shown;
            const double* byReference = nullptr;
            std::wstring* textByReference = nullptr;
            for (const auto& argument : arguments) {
                if (const auto* ref = std::get_if<cad::DoubleRef>(&argument)) {
                    byReference = ref->target;
                    shown.push_back(L"R8&:" + std::to_wstring(*ref->target));
                } else if (const auto* text = std::get_if<cad::TextRef>(&argument)) {
                    textByReference = text->target;
                    shown.push_back(L"BSTR&:" + *text->target);
                } else {
                    shown.push_back(describe(std::get<cad::Variant>(argument)));
                }
            }
            record(member, shown);
            if (const auto* answer = find(cad_.answers, member)) return *answer;
            const bool app = name_ == L"app";
            if (is(L"doc", member, L"GetType")) {
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
            if (is(L"doc", member, L"GetActiveConfiguration")) return cad_.object(L"config");
            if (is(L"doc", member, L"GetMaterialPropertyName2")) {
                if (textByReference) {
                    *textByReference = cad_.material ? cad_.material->database : L"";
                }
                return cad_.material ? cad_.material->name : std::wstring();
            }
            if (is(L"extension", member, L"CreateMassProperty")) {
                return cad_.hasBody ? cad_.object(L"massProperty") : cad::ObjectRef();
            }
            return {};
        }

      private:
        static std::wstring describe(const cad::Variant& value) {
            const auto& raw = value.raw();
            if (const auto* b = std::get_if<bool>(&raw)) return L"Bool:" + std::to_wstring(*b);
            if (const auto* i = std::get_if<std::int32_t>(&raw))
                return L"I4:" + std::to_wstring(*i);
            if (const auto* d = std::get_if<double>(&raw)) return L"R8:" + std::to_wstring(*d);
            if (const auto* t = std::get_if<std::wstring>(&raw)) return L"BSTR:" + *t;
            return L"?";
        }
        // Members are found without regard to case, as late binding finds them.
        static bool same(std::wstring_view a, std::wstring_view b) {
            return text::equalsIgnoringAsciiCase(a, b);
        }
        bool is(std::wstring_view object, std::wstring_view member,
                std::wstring_view wanted) const {
            return name_ == object && same(member, wanted);
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

    cad::ObjectRef object(const wchar_t* name) { return std::make_shared<FakeObject>(*this, name); }
};

}  // namespace velu::testing
