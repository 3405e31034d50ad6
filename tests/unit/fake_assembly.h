#pragma once
// SolidWorks with an assembly active, as the assembly window talks to it: the application,
// the assembly with its mass properties, its components at every level and the documents they
// use. Records each call as "kind.Member" and counts the objects handed out and not yet let go.

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/automation.h"
#include "common/services.h"
#include "support/text.h"

namespace velu::testing {

// File names compared as Windows does, for the letters the tests use: ASCII, Latin-1, Greek
// and Cyrillic in either case are one.
class FoldingFileNames final : public FileNames {
  public:
    int compare(std::wstring_view a, std::wstring_view b) const override {
        const std::wstring x = folded(a);
        const std::wstring y = folded(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }

  private:
    static std::wstring folded(std::wstring_view text) {
        std::wstring out(text);
        for (wchar_t& c : out) {
            if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
                (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
                c = static_cast<wchar_t>(c - 0x20);
            }
        }
        return out;
    }
};

class FakeAssembly final : public cad::Automation {
  public:
    struct Part {
        std::map<std::wstring, std::wstring> materials;  // configuration -> material
        double density = 1000;
        double materialDensity = 7900;  // of whichever material it has
        bool writable = true;
        bool isVirtual = false;
        bool hasBody = true;
        double volume = 0.001;                 // m³
        std::optional<double> overriddenMass;  // kg, set by hand
        std::wstring active = L"Standard";     // the configuration the mass properties are of
    };
    // IdMismatch: SolidWorks reports an internal id mismatch (5) and gives no document.
    enum class State { Resolved, Lightweight, Suppressed, IdMismatch };
    struct Component {
        std::wstring path;
        std::wstring configuration = L"Standard";
        State state = State::Resolved;
        std::wstring name;
    };

    std::map<std::wstring, Part> parts;  // by path as the components name it
    std::vector<std::wstring> subAssemblies;
    std::vector<Component> components;
    // After the components, GetComponents answers these elements too.
    std::vector<cad::Variant> otherElements;
    // "kind.Member" fails for every object of the kind, "part[<path>].Member" for one part.
    std::map<std::wstring, std::int32_t> failures;
    // What a server without OverrideMass answers for it; 0: it knows the member.
    std::int32_t unknownOverride = 0;
    std::vector<std::wstring> calls;      // "kind.Member", in order
    std::vector<bool> commandInProgress;  // the values put, in order
    int liveObjects = 0;
    int objectsHandedOut = 0;

    cad::ObjectRef connect(std::wstring_view) override { return make(L"app", L""); }

    // What the mass of a part is computed with: the mass set by hand over the volume, the
    // material's density when its active configuration has a material, else the density
    // setting.
    double massDensity(const Part& part) const {
        if (part.overriddenMass) return *part.overriddenMass / part.volume;
        const auto material = part.materials.find(part.active);
        return material != part.materials.end() && !material->second.empty() ? part.materialDensity
                                                                             : part.density;
    }
    double mass(const Part& part) const {
        return part.overriddenMass.value_or(massDensity(part) * part.volume);
    }
    // The sum over the components that are not suppressed.
    double assemblyMass() const {
        double sum = 0;
        for (const auto& c : components) {
            const auto part = parts.find(c.path);
            if (c.state != State::Suppressed && part != parts.end() && part->second.hasBody) {
                sum += mass(part->second);
            }
        }
        return sum;
    }
    std::size_t count(const std::wstring& call) const {
        return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
    }

  private:
    class Fake final : public cad::Object {
      public:
        Fake(FakeAssembly& cad, std::wstring kind, std::wstring key)
            : cad_(cad), kind_(std::move(kind)), key_(std::move(key)) {
            ++cad_.liveObjects;
            ++cad_.objectsHandedOut;
        }
        ~Fake() override { --cad_.liveObjects; }

        cad::Variant get(std::wstring_view member) override { return call(member, {}); }
        void put(std::wstring_view member, const cad::Variant& value) override {
            record(member);
            if (member == L"CommandInProgress") cad_.commandInProgress.push_back(value.toBool());
        }
        cad::Variant call(std::wstring_view member,
                          const std::vector<cad::Argument>& arguments) override {
            record(member);
            const std::wstring m(member);
            if (kind_ == L"app" && m == L"ActiveDoc") return cad_.make(L"assembly", L"");
            if (kind_ == L"assembly") return assembly(m);
            if (kind_ == L"subAssembly") return std::int32_t{2};
            if (kind_ == L"component") return component(m);
            if (kind_ == L"part") return part(m, arguments);
            if (kind_ == L"extension") return cad_.make(L"massProperty", key_);
            if (kind_ == L"massProperty") return massProperty(m);
            return {};
        }

      private:
        void record(std::wstring_view member) {
            const std::wstring call = kind_ + L"." + std::wstring(member);
            cad_.calls.push_back(call);
            for (const auto& failing : {call, kind_ + L"[" + key_ + L"]." + std::wstring(member)}) {
                if (const auto failure = cad_.failures.find(failing);
                    failure != cad_.failures.end()) {
                    throw cad::AutomationError(failure->second, std::wstring(member), L"",
                                               L"Fehler");
                }
            }
        }
        cad::Variant assembly(const std::wstring& member) {
            if (member == L"Gettype") return std::int32_t{2};
            if (member == L"GetTitle") return std::wstring(L"Getriebe.SLDASM");
            if (member == L"Extension") return cad_.make(L"extension", L"");
            cad::Elements elements;
            for (std::size_t i = 0; i < cad_.components.size(); ++i) {
                elements.emplace_back(cad_.make(L"component", std::to_wstring(i)));
            }
            elements.insert(elements.end(), cad_.otherElements.begin(), cad_.otherElements.end());
            return elements;
        }
        cad::Variant component(const std::wstring& member) {
            const Component& c = cad_.components.at(std::stoul(key_));
            if (member == L"GetPathName") return c.path;
            if (member == L"ReferencedConfiguration") return c.configuration;
            if (member == L"Name2") return c.name;
            if (member == L"GetSuppression2") {
                return std::int32_t{c.state == State::Suppressed    ? 0
                                    : c.state == State::Lightweight ? 1
                                    : c.state == State::IdMismatch  ? 5
                                                                    : 3};
            }
            const bool sub =
                std::count(cad_.subAssemblies.begin(), cad_.subAssemblies.end(), c.path);
            if (member == L"IsVirtual") return !sub && cad_.parts.at(c.path).isVirtual;
            if (c.state != State::Resolved) return cad::ObjectRef();
            return cad_.make(sub ? L"subAssembly" : L"part", c.path);
        }
        cad::Variant part(const std::wstring& member, const std::vector<cad::Argument>& arguments) {
            Part& p = cad_.parts.at(key_);
            if (member == L"Gettype") return std::int32_t{1};
            if (member == L"GetUserPreferenceDoubleValue") return p.density;
            if (member == L"Extension") return cad_.make(L"extension", key_);
            if (member == L"GetMaterialPropertyName2") {
                const auto configuration = std::get<cad::Variant>(arguments.at(0)).toText();
                const auto material = p.materials.find(configuration);
                return material == p.materials.end() ? std::wstring() : material->second;
            }
            if (member == L"SetUserPreferenceDoubleValue") {
                if (p.writable) p.density = *std::get<cad::DoubleRef>(arguments.at(1)).target;
                return p.writable;
            }
            return {};
        }
        cad::Variant massProperty(const std::wstring& member) {
            if (key_.empty()) return cad_.assemblyMass();  // the assembly's own
            const Part& p = cad_.parts.at(key_);
            if (member == L"Density") return cad_.massDensity(p);
            if (member == L"Mass") return cad_.mass(p);
            if (cad_.unknownOverride != 0) {
                throw cad::AutomationError(cad_.unknownOverride, member, L"", L"Unknown.");
            }
            return p.overriddenMass.has_value();
        }

        FakeAssembly& cad_;
        std::wstring kind_;
        std::wstring key_;  // the component's index, or the part's path; empty: the assembly
    };

    cad::ObjectRef make(const std::wstring& kind, const std::wstring& key) {
        if (kind == L"massProperty" && !key.empty() && !parts.at(key).hasBody) return nullptr;
        return std::make_shared<Fake>(*this, kind, key);
    }
};

}  // namespace velu::testing
