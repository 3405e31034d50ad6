#include "win32/application.h"

#include "common/program_texts.h"
#include "win32/creation_error.h"

namespace velu::win32 {

Application::Application(HINSTANCE instance, Process& process) : instance_(instance) {
    mainWindow_ = std::make_unique<app::MainWindow>(
        app::AppServices{boxes_, files_, locale_, process, automation_, profiles_});
    mainWindow_->setAboutOpener([this] { openAbout(); });
    mainWindow_->setAssemblyOpener(
        [this](assembly::AssemblyTask task) { openAssembly(std::move(task)); });
}

Application::~Application() {
    closedAbout_.clear();
    about_.reset();
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
    if (about_ && ::IsWindow(about_->window->handle())) {
        ::ShowWindow(about_->window->handle(), SW_SHOWNORMAL);
        ::SetForegroundWindow(about_->window->handle());
        return;
    }
    try {
        openNewAbout();
    } catch (const CreationError& error) {
        boxes_.show(error.text(), std::wstring(texts::kApplicationTitle), BoxStyle::Stop);
    }
}

void Application::openNewAbout() {
    auto opening = std::make_unique<AboutInstance>();
    AboutInstance& instance = *opening;
    instance.box = std::make_unique<about::AboutBox>(about::AboutServices{
        .boxes = instance.boxes,
        .files = files_,
        .ansi = ansi_,
        .profiles = profiles_,
        .registry = registry_,
        .programs = programs_,
        .show = [&instance] { instance.window->show(SW_SHOWNORMAL); },
        .unload = [&instance] { ::DestroyWindow(instance.window->handle()); },
    });
    instance.window = std::make_unique<FormWindow>(
        instance.box->form(), instance_,
        FormWindow::Style{.resizable = false, .onDestroyed = [this] { aboutClosed(); }});
    instance.boxes.setOwner(instance.window->handle());
    about_ = std::move(opening);
    ++openWindows_;
    about_->box->Form_Load();
}

void Application::openAssembly(assembly::AssemblyTask task) {
    const HWND owner = mainFormWindow_->handle();
    WindowsMessageBoxes boxes;
    HWND shown = nullptr;
    const auto close = [&] {
        // The owner takes the activation back, not another program's window.
        ::EnableWindow(owner, TRUE);
        ::DestroyWindow(shown);
    };
    assembly::AssemblyWindow box(assembly::AssemblyServices{.boxes = boxes,
                                                            .locale = locale_,
                                                            .fileNames = fileNames_,
                                                            .saveDialog = saveDialog_,
                                                            .fileWriter = fileWriter_,
                                                            .clipboard = clipboard_,
                                                            .profiles = profiles_,
                                                            .files = files_,
                                                            .unload = close},
                                 std::move(task));
    // The window goes before its form.
    std::unique_ptr<FormWindow> window;
    try {
        window = std::make_unique<FormWindow>(box.form(), instance_,
                                              FormWindow::Style{.resizable = true, .owner = owner});
    } catch (const CreationError& error) {
        boxes_.show(error.text(), std::wstring(texts::kApplicationTitle), BoxStyle::Stop);
        return;
    }
    shown = window->handle();
    boxes.setOwner(shown);
    saveDialog_.setOwner(shown);
    clipboard_.setOwner(shown);
    assembly_ = OpenAssembly{&box, window.get()};
    ::EnableWindow(owner, FALSE);
    box.Form_Load();
    window->show(SW_SHOWNORMAL);
    if (assemblyOpened_) assemblyOpened_();
    MSG message{};
    while (::IsWindow(shown)) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The loop of the program ends too.
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        dispatch(message);
    }
    ::EnableWindow(owner, TRUE);
    assembly_.reset();
}

void Application::aboutClosed() {
    // A handler of the box may still be on the stack (its own message box was open when the
    // window went): the box is discarded once its handlers have returned.
    if (about_) closedAbout_.push_back(std::move(about_));
    if (mainFormWindow_ && ::IsWindow(mainFormWindow_->handle())) {
        mainFormWindow_->defer([this] { discardClosedAbout(); });
    }
    windowClosed();
}

void Application::discardClosedAbout() {
    std::erase_if(closedAbout_, [](const auto& closed) { return !closed->window->handling(); });
    for (const auto& closed : closedAbout_) {
        closed->window->whenHandlersReturn([this] {
            if (mainFormWindow_ && ::IsWindow(mainFormWindow_->handle())) {
                mainFormWindow_->defer([this] { discardClosedAbout(); });
            }
        });
    }
}

void Application::windowClosed() {
    if (--openWindows_ == 0) ::PostQuitMessage(0);
}

bool Application::dispatch(MSG& message) {
    if (message.message == WM_QUIT) return false;
    if (assembly_ && assembly_->window->preTranslate(message)) return true;
    if (mainFormWindow_ && mainFormWindow_->preTranslate(message)) return true;
    if (about_ && about_->window->preTranslate(message)) return true;
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
