#include "cad/document_calls.h"

#include "cad/member_call.h"

namespace velu::cad {

bool setDensityPreference(Object& target, std::wstring_view targetName, const double& density) {
    return on(targetName, L"SetUserPreferenceDoubleValue", [&] {
        return target
            .call(L"SetUserPreferenceDoubleValue",
                  {Variant(DensityPreference), DoubleRef{&density}})
            .toBool();
    });
}

std::wstring configurationMaterial(Object& document, std::wstring_view documentName,
                                   const std::wstring& configuration) {
    return on(documentName, L"GetMaterialPropertyName2", [&] {
        std::wstring database;
        return textIn(document.call(L"GetMaterialPropertyName2",
                                    {Variant(configuration), TextRef{&database}}));
    });
}

}  // namespace velu::cad
