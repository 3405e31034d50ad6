#include "cad/density_link.h"

#include "cad/document_calls.h"
#include "cad/mass_density.h"
#include "cad/member_call.h"

#include "common/number_text.h"
#include "common/program_texts.h"
#include "config/message_table.h"

namespace velu::cad {
namespace {

using config::MessageRole;

// No entry of the material list is selected: nothing can be written.
struct NoMaterialSelected {};

// The active document, or nothing. Anything but an object or nothing is no usable answer.
ObjectRef activeDocument(Object& application) {
    return on(texts::kSolidWorks, L"ActiveDoc",
              [&] { return objectIn(application.get(L"ActiveDoc")); });
}

}  // namespace

std::wstring describeFailure(const AutomationError& error) {
    if (error.member().empty()) {
        return texts::cadUnreachable(kProgId, error.code(), error.systemText());
    }
    return texts::cadCallFailed(error.member(),
                                error.object().empty() ? texts::kSolidWorks : error.object(),
                                error.code(), error.systemText());
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
        boxes_.show(describeFailure(error), std::wstring(texts::kApplicationTitle), BoxStyle::Stop);
    }
}

ObjectRef DensityLink::connect() {
    ObjectRef application = automation_.connect(kProgId);
    on(texts::kSolidWorks, L"Visible", [&] { application->put(L"Visible", Variant(true)); });
    return application;
}

std::int32_t DensityLink::documentType(Object& document) {
    return on(texts::kActiveDocument, L"Gettype",
              [&] { return static_cast<std::int32_t>(document.call(L"Gettype", {}).toDouble()); });
}

bool DensityLink::isPart(Object& document) {
    return documentType(document) == PartDocumentType;
}

const double& DensityLink::selectedDensity() const {
    const int index = window_.materialIndex();
    if (index < 0 || index >= static_cast<int>(densities_.size())) throw NoMaterialSelected{};
    return densities_[static_cast<std::size_t>(index)];
}

bool DensityLink::write(Object& target, std::wstring_view targetName, double& written) {
    const double& density = selectedDensity();
    written = density;
    return setDensityPreference(target, targetName, density);
}

double DensityLink::readPreference(Object& source, std::wstring_view sourceName) {
    return on(sourceName, L"GetUserPreferenceDoubleValue", [&] {
        return source.call(L"GetUserPreferenceDoubleValue", {Variant(DensityPreference)})
            .toDouble();
    });
}

void DensityLink::checkMassDensity(Object& document, double expected) {
    // A warning like the others, but the status picture keeps what the click showed. When it
    // would not be shown, SolidWorks is not asked at all: each call may wait on a busy server.
    if (window_.errorsSuppressed()) return;
    const auto mass = massDensityOf(document, expected);
    if (!mass || !densitiesDiffer(mass->density, expected)) return;
    boxes_.show(massDensityWarning(*mass, messages_, locale_.decimalSeparator()),
                messages_[MessageRole::kBoxTitle], BoxStyle::Warning);
}

bool DensityLink::readDensity() {
    return readout(MassCheck::After);
}

bool DensityLink::readout(MassCheck check) {
    const std::wstring title(texts::kApplicationTitle);
    ObjectRef application;
    ObjectRef document;
    try {
        application = connect();
        double density = 0;
        if (window_.readsSystemDefault()) {
            density = readPreference(*application, texts::kSolidWorks);
        } else {
            document = activeDocument(*application);
            if (!document) {
                warn(messages_[MessageRole::kNoDocument], title);
                return true;
            }
            if (!isPart(*document)) {
                warn(messages_[MessageRole::kNotAPart], title);
                return true;
            }
            density = readPreference(*document, texts::kActiveDocument);
        }
        window_.showReadDensity(density != 0 ? formatGeneral(density, locale_.decimalSeparator())
                                             : messages_[MessageRole::kSuccess]);
        if (document && check == MassCheck::After) checkMassDensity(*document, density);
    } catch (const AutomationError& error) {
        reportFailure(error);
        return false;
    }
    return true;
}

void DensityLink::transferDensity() {
    const std::wstring& title = messages_[MessageRole::kBoxTitle];
    auto twoLines = [this](MessageRole first, MessageRole second) {
        return messages_[first] + L"\r\n" + messages_[second];
    };

    bool documentWritten = false;
    bool systemWritten = false;
    bool refreshReadout = false;
    double written = 0;
    ObjectRef application;
    ObjectRef document;
    try {
        application = connect();
        document = activeDocument(*application);
        const int mode = window_.applyToMode();
        switch (mode) {
            case 0:
                systemWritten = write(*application, texts::kSolidWorks, written);
                break;
            case 1:
            case 3: {
                if (!document) {
                    warn(twoLines(MessageRole::kNoDocument, MessageRole::kNothingWritten), title);
                    return;
                }
                const std::int32_t type = documentType(*document);
                if (type == AssemblyDocumentType && mode == 3) {
                    // Without a material there is nothing to write: the warning, no window.
                    static_cast<void>(selectedDensity());
                    window_.openAssemblyWindow(application, document);
                    return;
                }
                if (type != PartDocumentType) {
                    const MessageRole notWritable =
                        mode == 3 ? MessageRole::kNeitherPartNorAssembly : MessageRole::kNotAPart;
                    warn(twoLines(notWritable, MessageRole::kNothingWritten), title);
                    return;
                }
                documentWritten = write(*document, texts::kActiveDocument, written);
                break;
            }
            case 2:
                if (!document) {
                    warn(twoLines(MessageRole::kNoDocument, MessageRole::kSystemDefaultInstead),
                         title);
                } else if (!isPart(*document)) {
                    warn(twoLines(MessageRole::kNotAPart, MessageRole::kSystemDefaultInstead),
                         title);
                } else {
                    documentWritten = write(*document, texts::kActiveDocument, written);
                    refreshReadout = true;
                }
                systemWritten = write(*application, texts::kSolidWorks, written);
                break;
            default:
                break;
        }
    } catch (const AutomationError& error) {
        reportFailure(error);
        return;
    } catch (const NoMaterialSelected&) {
        warn(std::wstring(texts::kNoMaterialSelected), title);
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
    // The readout shows the value read back before the warning about the part's mass is on
    // screen, and does not warn about the same part again; a click whose readout failed ends
    // with that failure.
    if (refreshReadout && !readout(MassCheck::Skip)) return;
    if (documentWritten) checkMassDensity(*document, written);
    // The document and then the application are let go here.
}

}  // namespace velu::cad
