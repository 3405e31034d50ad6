#include "cad/density_link.h"

#include <cstdio>

#include "common/number_text.h"
#include "config/message_table.h"

namespace velu::cad {
namespace {

using config::MessageRole;

constexpr const wchar_t* kApplicationName = L"SolidWorks";
constexpr const wchar_t* kDocumentName = L"das aktive Dokument";

// No entry of the material list is selected: nothing can be written.
struct NoMaterialSelected {};

// Runs one member call together with the conversion of its result, and names the object and
// the member in the error either may raise: a result of the wrong type is that call's failure.
template <typename Call>
auto on(const wchar_t* objectName, const wchar_t* member, Call call) {
    try {
        return call();
    } catch (const AutomationError& error) {
        throw AutomationError(error.code(), member, objectName, error.systemText());
    }
}

// The active document, or nothing. Anything but an object or nothing is no usable answer.
ObjectRef activeDocument(Object& application) {
    return on(kApplicationName, L"ActiveDoc", [&] {
        const Variant document = application.get(L"ActiveDoc");
        if (!document.isEmpty() && !document.isObject()) {
            throw AutomationError(kTypeMismatch, L"", L"", L"Type mismatch");
        }
        return document.object();
    });
}

}  // namespace

std::wstring describeFailure(const AutomationError& error) {
    std::wstring text;
    if (error.member().empty()) {
        text = L"SolidWorks konnte nicht gestartet oder erreicht werden (" + std::wstring(kProgId) +
               L").";
    } else {
        text = L"Der Aufruf \"" + error.member() + L"\" an " +
               (error.object().empty() ? std::wstring(kApplicationName) : error.object()) +
               L" ist fehlgeschlagen.";
    }
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08X", static_cast<unsigned>(error.code()));
    text += L"\r\nFehler " + std::wstring(code);
    if (!error.systemText().empty()) text += L": " + error.systemText();
    return text;
}

DensityLink::DensityLink(LinkWindow& window, Automation& automation, MessageBoxes& boxes,
                         const Locale& locale, const std::vector<std::wstring>& messages,
                         const std::vector<double>& densities)
    : window_(window),
      automation_(automation),
      boxes_(boxes),
      locale_(locale),
      messages_(messages),
      densities_(densities) {}

void DensityLink::warn(const std::wstring& prompt, const std::wstring& title) {
    window_.showStatus(Status::Error);
    if (!window_.errorsSuppressed()) boxes_.show(prompt, title, BoxStyle::Warning);
}

void DensityLink::reportFailure(const AutomationError& error) {
    window_.showStatus(Status::Error);
    if (!window_.errorsSuppressed()) {
        boxes_.show(describeFailure(error), kApplicationTitle, BoxStyle::Stop);
    }
}

ObjectRef DensityLink::connect() {
    ObjectRef application = automation_.connect(kProgId, kApplicationName);
    on(kApplicationName, L"Visible", [&] { application->put(L"Visible", Variant(true)); });
    return application;
}

bool DensityLink::isPart(Object& document) {
    return on(kDocumentName, L"Gettype",
              [&] { return document.call(L"Gettype", {}).toDouble(); }) == PartDocumentType;
}

bool DensityLink::write(Object& target, const wchar_t* targetName) {
    const int index = window_.materialIndex();
    if (index < 0 || index >= static_cast<int>(densities_.size())) throw NoMaterialSelected{};
    const double& density = densities_[static_cast<std::size_t>(index)];
    return on(targetName, L"SetUserPreferenceDoubleValue", [&] {
        return target
            .call(L"SetUserPreferenceDoubleValue",
                  {Variant(DensityPreference), DoubleRef{&density}})
            .toBool();
    });
}

double DensityLink::readPreference(Object& source, const wchar_t* sourceName) {
    return on(sourceName, L"GetUserPreferenceDoubleValue", [&] {
        return source.call(L"GetUserPreferenceDoubleValue", {Variant(DensityPreference)})
            .toDouble();
    });
}

bool DensityLink::readDensity() {
    ObjectRef application;
    ObjectRef document;
    try {
        application = connect();
        double density = 0;
        if (window_.readsSystemDefault()) {
            density = readPreference(*application, kApplicationName);
        } else {
            document = activeDocument(*application);
            if (!document) {
                warn(messages_[MessageRole::kNoDocument], kApplicationTitle);
                return true;
            }
            if (!isPart(*document)) {
                warn(messages_[MessageRole::kNotAPart], kApplicationTitle);
                return true;
            }
            density = readPreference(*document, kDocumentName);
        }
        window_.showReadDensity(density != 0 ? formatGeneral(density, locale_.decimalSeparator())
                                             : messages_[MessageRole::kSuccess]);
    } catch (const AutomationError& error) {
        reportFailure(error);
        return false;
    }
    return true;
}

void DensityLink::transferDensity(const std::function<void()>& readout) {
    const std::wstring& title = messages_[MessageRole::kBoxTitle];
    auto twoLines = [this](MessageRole first, MessageRole second) {
        return messages_[first] + L"\r\n" + messages_[second];
    };

    ObjectRef application;
    ObjectRef document;
    bool documentWritten = false;
    bool systemWritten = false;
    bool refreshReadout = false;
    try {
        application = connect();
        document = activeDocument(*application);
        switch (window_.applyToMode()) {
            case 0:
                systemWritten = write(*application, kApplicationName);
                break;
            case 1:
                if (!document) {
                    warn(twoLines(MessageRole::kNoDocument, MessageRole::kNothingWritten), title);
                    return;
                }
                if (!isPart(*document)) {
                    warn(twoLines(MessageRole::kNotAPart, MessageRole::kNothingWritten), title);
                    return;
                }
                documentWritten = write(*document, kDocumentName);
                break;
            case 2:
                if (!document) {
                    warn(twoLines(MessageRole::kNoDocument, MessageRole::kSystemDefaultInstead),
                         title);
                } else if (!isPart(*document)) {
                    warn(twoLines(MessageRole::kNotAPart, MessageRole::kSystemDefaultInstead),
                         title);
                } else {
                    documentWritten = write(*document, kDocumentName);
                    refreshReadout = true;
                }
                systemWritten = write(*application, kApplicationName);
                break;
            default:
                break;
        }
    } catch (const AutomationError& error) {
        reportFailure(error);
        return;
    } catch (const NoMaterialSelected&) {
        warn(L"Es ist kein Material ausgewählt; es wurde nichts geschrieben.", title);
        return;
    }

    if (documentWritten || systemWritten) {
        window_.showStatus(Status::Success);
        if (!window_.successSuppressed()) {
            boxes_.show(messages_[MessageRole::kSuccess], title, BoxStyle::Information);
        }
    } else {
        window_.showStatus(Status::Error);
        if (!window_.errorsSuppressed()) {
            boxes_.show(messages_[MessageRole::kFailure], title, BoxStyle::Stop);
        }
    }
    if (refreshReadout) readout();
}

}  // namespace velu::cad
