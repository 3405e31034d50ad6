#pragma once
// Late-bound automation: objects reached by member name with variant arguments, the way the
// program talks to SolidWorks. The platform layer implements it over IDispatch; tests fake it.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velu::cad {

inline constexpr std::int32_t DensityPreference = 7;  // preference id of the material density
inline constexpr std::int32_t PartDocumentType = 1;   // document type of a part
inline constexpr std::int32_t AssemblyDocumentType = 2;

class Object;

// Nothing, as an object reference that refers to no object.
using ObjectRef = std::shared_ptr<Object>;

class Variant;
// The elements of an array a member answers with, in order.
using Elements = std::vector<Variant>;

// A value passed to or returned from a member: empty, Boolean, 32-bit integer, double, text,
// an object reference (which may be nothing) or an array of such values.
class Variant {
  public:
    Variant() = default;
    Variant(bool value) : value_(value) {}
    Variant(std::int32_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(std::wstring value) : value_(std::move(value)) {}
    Variant(ObjectRef value) : value_(std::move(value)) {}
    Variant(Elements elements) : value_(std::move(elements)) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool isObject() const { return std::holds_alternative<ObjectRef>(value_); }
    // The object, or nothing (null) when the value is no object or refers to none.
    ObjectRef object() const;

    // Conversions as late binding makes them; a value that cannot be converted raises the
    // type-mismatch error (AutomationError with the code of DISP_E_TYPEMISMATCH).
    bool toBool() const;
    double toDouble() const;
    // Text as it is; an empty value gives the empty text.
    std::wstring toText() const;

    // An answer that must be a number: a number, or a text that reads as one (with a decimal
    // point). Nothing for an empty value, a Boolean, an object or any other text.
    std::optional<double> number() const;
    // An answer that must be a text; nothing for any other value.
    std::optional<std::wstring> text() const;
    // An answer that must be a list: the elements of an array, none for an empty value;
    // anything else raises the type-mismatch error.
    Elements elements() const;

    const auto& raw() const { return value_; }

  private:
    std::variant<std::monostate, bool, std::int32_t, double, std::wstring, ObjectRef, Elements>
        value_;
};

// A double handed to a member by reference: the member sees the caller's variable itself.
struct DoubleRef {
    const double* target;
};

// A text handed to a member by reference, for a member that answers through it as well: the
// caller's variable receives what the member leaves there.
struct TextRef {
    std::wstring* target;
};

using Argument = std::variant<Variant, DoubleRef, TextRef>;

// A failed creation or member call, with the platform's error code and text.
class AutomationError : public std::runtime_error {
  public:
    AutomationError(std::int32_t code, std::wstring member, std::wstring object,
                    std::wstring systemText);
    std::int32_t code() const { return code_; }
    // The member that failed; empty when the object could not be created or reached.
    const std::wstring& member() const { return member_; }
    // What the object is, in the words of the user interface ("SolidWorks").
    const std::wstring& object() const { return object_; }
    const std::wstring& systemText() const { return systemText_; }

  private:
    std::int32_t code_;
    std::wstring member_;
    std::wstring object_;
    std::wstring systemText_;
};

inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005);

// The error of an answer that has not the type the caller needs; the caller names the call.
AutomationError typeMismatch();

class Object {
  public:
    virtual ~Object() = default;
    // Reads a property (or calls a member without arguments that returns a value).
    virtual Variant get(std::wstring_view member) = 0;
    virtual void put(std::wstring_view member, const Variant& value) = 0;
    virtual Variant call(std::wstring_view member, const std::vector<Argument>& arguments) = 0;
};

class Automation {
  public:
    virtual ~Automation() = default;
    // The application object of the running instance of a program, started when none runs.
    // Raises AutomationError when it fails.
    virtual ObjectRef connect(std::wstring_view progId) = 0;
};

}  // namespace velu::cad
