#include "win32/application.h"

namespace velu::win32 {

Application::Application(HINSTANCE instance, Process& process)
    : instance_(instance),
      layer_([this](const forms::Form&) { return mainFormWindow_->handle(); }) {
    mainWindow_ = std::make_unique<app::MainWindow>(
        app::AppServices{boxes_, files_, ansi_, locale_, process, automation_, layer_});
    mainWindow_->setAboutOpener([this] { openAbout(); });
}

Application::~Application() {
    aboutWindow_.reset();
    aboutBox_.reset();
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

void Application::openAbout() {
    if (aboutWindow_ && ::IsWindow(aboutWindow_->handle())) {
        ::ShowWindow(aboutWindow_->handle(), SW_SHOWNORMAL);
        ::SetForegroundWindow(aboutWindow_->handle());
        return;
    }
    // A box closed a moment ago may still wait for its deferred release: the window goes
    // before the model it shows.
    aboutWindow_.reset();
    aboutBox_.reset();
    ++aboutGeneration_;
    aboutBox_ = std::make_unique<about::AboutBox>(about::AboutServices{
        .boxes = boxes_,
        .files = files_,
        .ansi = ansi_,
        .ini = mainWindow_->profileReader(),
        .registry = registry_,
        .programs = programs_,
        .show = [this] { aboutWindow_->show(SW_SHOWNORMAL); },
        .unload = [this] { ::DestroyWindow(aboutWindow_->handle()); },
    });
    aboutWindow_ = std::make_unique<FormWindow>(
        aboutBox_->form(), instance_,
        FormWindow::Style{.resizable = false, .onDestroyed = [this] { aboutClosed(); }});
    ++openWindows_;
    aboutBox_->Form_Load();
}

void Application::aboutClosed() {
    // The box is discarded once its own handlers have returned.
    if (mainFormWindow_ && ::IsWindow(mainFormWindow_->handle())) {
        mainFormWindow_->defer([this, closed = aboutGeneration_] {
            if (aboutGeneration_ != closed) return;
            aboutWindow_.reset();
            aboutBox_.reset();
        });
    }
    windowClosed();
}

void Application::windowClosed() {
    if (--openWindows_ == 0) ::PostQuitMessage(0);
}

bool Application::dispatch(MSG& message) {
    if (message.message == WM_QUIT) return false;
    if (mainFormWindow_ && mainFormWindow_->preTranslate(message)) return true;
    if (aboutWindow_ && aboutWindow_->preTranslate(message)) return true;
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
