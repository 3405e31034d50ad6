#include "about/about_layout.h"

#include <vector>

namespace velu::about {
namespace {

using forms::ControlDefinition;
using forms::Kind;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGrey = 0x808080;

// The controls with their tab order; the two lines below the text form an etched separator.
std::vector<ControlDefinition> controls() {
    return {
        {.name = L"picIcon",
         .kind = Kind::PictureBox,
         .rect = {240, 240, 690, 690},
         .tabIndex = 1,
         .picture = forms::Picture::Tool},
        {.name = L"lblTitle",
         .kind = Kind::Label,
         .rect = {1050, 240, 4365, 480},
         .tabIndex = 5,
         .blackText = true},
        {.name = L"lblVersion", .kind = Kind::Label, .rect = {1050, 780, 4485, 225}, .tabIndex = 6},
        {.name = L"lblDescription",
         .kind = Kind::Label,
         .rect = {1050, 1125, 4365, 1290},
         .tabIndex = 3,
         .wordWrap = true,
         .blackText = true},
        {.name = L"lblDisclaimer",
         .kind = Kind::Label,
         .rect = {255, 2745, 3870, 825},
         .tabIndex = 4,
         .wordWrap = true,
         .blackText = true},
        {.name = L"cmdOK",
         .kind = Kind::CommandButton,
         .rect = {4245, 2745, 1260, 345},
         .tabIndex = 0,
         .caption = L"&OK",
         .defaultButton = true,
         .cancelButton = true},
        {.name = L"cmdSysInfo",
         .kind = Kind::CommandButton,
         .rect = {4260, 3195, 1245, 345},
         .tabIndex = 2,
         .caption = L"&System-Info..."},
        {.name = L"Line1(0)",
         .kind = Kind::Line,
         .rect = {105, 2640, 5654 - 105, 0},
         .lineColour = kWhite,
         .lineWidth = 2},
        {.name = L"Line1(1)",
         .kind = Kind::Line,
         .rect = {120, 2640, 5684 - 120, 0},
         .lineColour = kGrey,
         .lineWidth = 1},
    };
}

}  // namespace

std::unique_ptr<forms::Form> makeAboutForm() {
    auto form = std::make_unique<forms::Form>(L"frmAbout", L"", kAboutClientArea);
    form->addAll(controls());
    return form;
}

}  // namespace velu::about
