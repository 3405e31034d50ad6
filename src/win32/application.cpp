#include "win32/application.h"

namespace velu::win32 {

Application::Application(HINSTANCE instance, Process& process)
    : instance_(instance),
      layer_([this](const forms::Form&) { return mainFormWindow_->handle(); }) {
    mainWindow_ = std::make_unique<app::MainWindow>(
        app::AppServices{boxes_, files_, ansi_, locale_, process, automation_, layer_});
}

Application::~Application() {
    mainFormWindow_.reset();
    mainWindow_.reset();
}

void Application::start(int showCommand) {
    mainFormWindow_ = std::make_unique<FormWindow>(
        mainWindow_->form(), instance_,
        FormWindow::Style{.resizable = true, .onDestroyed = [this] { windowClosed(); }});
    ++openWindows_;
    boxes_.setOwner(mainFormWindow_->handle());
    mainWindow_->Form_Load();
    mainFormWindow_->show(showCommand);
}

void Application::windowClosed() {
    if (--openWindows_ == 0) ::PostQuitMessage(0);
}

bool Application::dispatch(MSG& message) {
    if (message.message == WM_QUIT) return false;
    if (mainFormWindow_ && mainFormWindow_->preTranslate(message)) return true;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
    return true;
}

int Application::run() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) dispatch(message);
    return static_cast<int>(message.wParam);
}

}  // namespace velu::win32
