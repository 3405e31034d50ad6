#include "about/about_layout.h"

namespace velu::about {
namespace {

using forms::Kind;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGrey = 0x808080;

}  // namespace

// The controls with their tab order; the two lines below the text form an etched separator.
AboutForm::AboutForm()
    : Form(L"frmAbout", L"", kAboutClientArea),
      picIcon(add({.name = L"picIcon",
                   .kind = Kind::PictureBox,
                   .rect = {240, 240, 690, 690},
                   .tabIndex = 1,
                   .picture = forms::Picture::Tool})),
      lblTitle(add({.name = L"lblTitle",
                    .kind = Kind::Label,
                    .rect = {1050, 240, 4365, 480},
                    .tabIndex = 5,
                    .blackText = true})),
      lblVersion(add({.name = L"lblVersion",
                      .kind = Kind::Label,
                      .rect = {1050, 780, 4485, 225},
                      .tabIndex = 6})),
      lblDescription(add({.name = L"lblDescription",
                          .kind = Kind::Label,
                          .rect = {1050, 1125, 4365, 1290},
                          .tabIndex = 3,
                          .wordWrap = true,
                          .blackText = true})),
      lblDisclaimer(add({.name = L"lblDisclaimer",
                         .kind = Kind::Label,
                         .rect = {255, 2745, 3870, 825},
                         .tabIndex = 4,
                         .wordWrap = true,
                         .blackText = true})),
      cmdOK(add({.name = L"cmdOK",
                 .kind = Kind::CommandButton,
                 .rect = {4245, 2745, 1260, 345},
                 .tabIndex = 0,
                 .caption = L"&OK",
                 .defaultButton = true,
                 .cancelButton = true})),
      cmdSysInfo(add({.name = L"cmdSysInfo",
                      .kind = Kind::CommandButton,
                      .rect = {4260, 3195, 1245, 345},
                      .tabIndex = 2,
                      .caption = L"&System-Info..."})),
      Line1_0(add({.name = L"Line1(0)",
                   .kind = Kind::Line,
                   .rect = {105, 2640, 5654 - 105, 0},
                   .lineColour = kWhite,
                   .lineWidth = 2})),
      Line1_1(add({.name = L"Line1(1)",
                   .kind = Kind::Line,
                   .rect = {120, 2640, 5684 - 120, 0},
                   .lineColour = kGrey,
                   .lineWidth = 1})) {}

}  // namespace velu::about
