#include "cad/automation.h"

#include "common/number_text.h"
#include "common/program_texts.h"
#include "support/text.h"

namespace velu::cad {

ObjectRef Variant::object() const {
    if (const auto* object = std::get_if<ObjectRef>(&value_)) return *object;
    return nullptr;
}

bool Variant::toBool() const {
    if (const auto* b = std::get_if<bool>(&value_)) return *b;
    if (const auto* i = std::get_if<std::int32_t>(&value_)) return *i != 0;
    if (const auto* d = std::get_if<double>(&value_)) return *d != 0;
    if (isEmpty()) return false;
    throw typeMismatch();
}

double Variant::toDouble() const {
    if (const auto* d = std::get_if<double>(&value_)) return *d;
    if (const auto* i = std::get_if<std::int32_t>(&value_)) return *i;
    if (const auto* b = std::get_if<bool>(&value_)) return *b ? -1.0 : 0.0;
    if (isEmpty()) return 0.0;
    throw typeMismatch();
}

std::wstring Variant::toText() const {
    if (const auto* text = std::get_if<std::wstring>(&value_)) return *text;
    if (isEmpty()) return {};
    throw typeMismatch();
}

std::optional<double> Variant::number() const {
    if (const auto* d = std::get_if<double>(&value_)) return *d;
    if (const auto* i = std::get_if<std::int32_t>(&value_)) return *i;
    if (const auto* t = std::get_if<std::wstring>(&value_)) return parseNumber(*t, L'.');
    return std::nullopt;
}

std::optional<std::wstring> Variant::text() const {
    if (const auto* t = std::get_if<std::wstring>(&value_)) return *t;
    return std::nullopt;
}

Elements Variant::elements() const {
    if (const auto* elements = std::get_if<Elements>(&value_)) return *elements;
    if (isEmpty()) return {};
    throw typeMismatch();
}

AutomationError typeMismatch() {
    return AutomationError(kTypeMismatch, L"", L"", std::wstring(texts::kTypeMismatch));
}

AutomationError::AutomationError(std::int32_t code, std::wstring member, std::wstring object,
                                 std::wstring systemText)
    : std::runtime_error("automation call " + text::toUtf8(member) + " failed"),
      code_(code),
      member_(std::move(member)),
      object_(std::move(object)),
      systemText_(std::move(systemText)) {}

}  // namespace velu::cad
