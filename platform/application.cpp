#include "platform/application.h"

#include <cstdlib>

namespace platform {

namespace {

constexpr char kWindowClass[] = "TApplication";

}  // namespace

Application& Application::Instance() {
    static Application application;
    return application;
}

Application::Application() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    icon_ = LoadIconA(instance, "MAINICON");
    if (!icon_) icon_ = LoadIconA(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    // A zero-sized pop-up with a caption: when shown it carries the task-bar button.
    handle_ = CreateWindowExA(0, kWindowClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

Application::~Application() {
    DestroyForms();
    if (handle_) DestroyWindow(handle_);
}

void Application::Initialize() {
    terminated_ = false;
}

void Application::HideWindow() {
    if (handle_) ShowWindow(handle_, SW_HIDE);
}

void Application::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextA(handle_, title.c_str());
}

bool Application::IsProgramWindow(HWND hwnd) const {
    if (!hwnd) return false;
    if (hwnd == handle_) return true;
    for (const auto& form : forms_) {
        if (form->hwnd_ == hwnd) return true;
    }
    return false;
}

void Application::Adopt(std::unique_ptr<Form> form) {
    forms_.push_back(std::move(form));
    forms_.back()->AfterConstruction();
}

void Application::Run() {
    if (Form* main = MainForm(); main && !main->Visible()) main->Show();
    MSG message;
    while (!terminated_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        DispatchOne(message);
    }
}

void Application::ProcessMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
            return;
        }
        DispatchOne(message);
    }
}

bool Application::DispatchOne(MSG& message) {
    // Tab moves between a form's controls.
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && root != handle_ && IsProgramWindow(root) && IsDialogMessageA(root, &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

void Application::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::ShowException(const std::exception& error) {
    ShowMessageBox(ReportText(error.what()), title_, MB_OK | MB_ICONSTOP);
}

int Application::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    std::vector<HWND> disabled;
    for (const auto& form : forms_) {
        if (form->hwnd_ && IsWindowEnabled(form->hwnd_)) {
            EnableWindow(form->hwnd_, FALSE);
            disabled.push_back(form->hwnd_);
        }
    }
    const int result = MessageBoxA(handle_, text.c_str(), caption.c_str(), flags);
    for (HWND hwnd : disabled) {
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    return result;
}

void Application::DestroyForms() {
    while (!forms_.empty()) {
        forms_.back()->BeforeDestruction();
        forms_.pop_back();
    }
}

void Application::EndProcess(int status) {
    DestroyForms();
    std::exit(status);
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Instance().Terminate();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void HandleException() noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        Application::Instance().ShowException(error);
    } catch (...) {
        Application::Instance().ShowException(Exception("Unknown error"));
    }
}

}  // namespace platform
