#include "platform/form.h"

#include <algorithm>

#include "platform/application.h"
#include "platform/controls.h"

namespace platform {

namespace {

DWORD StyleOf(const FormDescription& d) {
    DWORD style = WS_CAPTION | WS_CLIPCHILDREN;
    if (d.borderIcons & kSystemMenu) style |= WS_SYSMENU;
    return style;
}

DWORD ExStyleOf(const FormDescription& d) {
    DWORD ex = 0;
    if (d.border == BorderStyle::ToolWindow) ex |= WS_EX_TOOLWINDOW;
    if (d.stayOnTop) ex |= WS_EX_TOPMOST;
    return ex;
}

void RegisterFormClass(const char* name, WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (GetClassInfoA(instance, name, &existing)) return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = Application::Instance().Icon();
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

}  // namespace

UniqueFont MakeFont(const Font& font) {
    return UniqueFont(CreateFontA(font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, font.charset,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, font.face));
}

Form::~Form() {
    DestroyHandle();
}

HWND Form::Handle() {
    if (!hwnd_) CreateHandle();
    return hwnd_;
}

void Form::CreateHandle() {
    const FormDescription& d = description_;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterFormClass(d.className, WindowProc);

    const DWORD style = StyleOf(d);
    const DWORD exStyle = ExStyleOf(d);
    RECT frame{0, 0, d.clientWidth, d.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (d.position == Position::ScreenCenter) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    font_ = MakeFont(d.font);
    hwnd_ = CreateWindowExA(exStyle, d.className, d.caption, style, x, y, width, height,
                            Application::Instance().Handle(), nullptr, instance, this);
    if (!hwnd_) throw Exception("Error creating window");
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    // Controls that take focus first, in tab order; then the others.
    std::vector<Control*> ordered = controls_;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Control* a, const Control* b) {
        const unsigned ta = static_cast<unsigned>(a->TabOrder());  // -1 sorts last
        const unsigned tb = static_cast<unsigned>(b->TabOrder());
        return ta < tb;
    });
    for (Control* control : ordered) control->CreateHandle(hwnd_, font_.get());
}

void Form::DestroyHandle() {
    if (!hwnd_) return;
    for (Control* control : controls_) control->DestroyHandle();
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void Form::AfterConstruction() {
    if (OnCreate) {
        try {
            OnCreate();
        } catch (...) {
            HandleException();
        }
    }
    Handle();  // every form has its native window from its creation on
    if (description_.visible) Show();
}

void Form::BeforeDestruction() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    if (OnDestroy) {
        try {
            OnDestroy();
        } catch (...) {
            HandleException();
        }
    }
    DestroyHandle();
}

void Form::Show() {
    if (!Visible()) shownSinceActivation_ = true;
    ShowWindow(Handle(), SW_SHOW);
    BringToFront();
}

void Form::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool Form::Visible() const {
    return hwnd_ && IsWindowVisible(hwnd_);
}

void Form::BringToFront() {
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::SetEnabled(bool enabled) {
    EnableWindow(Handle(), enabled ? TRUE : FALSE);
}

bool Form::Enabled() const {
    return !hwnd_ || IsWindowEnabled(hwnd_);
}

void Form::SetCaption(const std::string& caption) {
    SetWindowTextA(Handle(), caption.c_str());
}

std::string Form::Caption() const {
    if (!hwnd_) return description_.caption;
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

int Form::Left() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.left;
}

int Form::Top() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.top;
}

void Form::SetLeft(int left) {
    SetWindowPos(Handle(), nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(int top) {
    SetWindowPos(Handle(), nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Close() {
    Application& app = Application::Instance();
    const bool isMain = app.MainForm() == this;
    CloseAction action = CloseAction::Hide;
    if (OnClose) OnClose(action);
    if (action == CloseAction::None) return;
    if (isMain) {
        app.Terminate();
    } else {
        Hide();
    }
}

Control* Form::FindControl(HWND child) const {
    for (Control* control : controls_) {
        if (control->Handle() == child) return control;
    }
    return nullptr;
}

LRESULT Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: WmPaint(); return 0;
    case WM_COMMAND: WmCommand(wParam, lParam); return 0;
    case WM_ACTIVATE: WmActivate(wParam, lParam); return 0;
    case WM_LBUTTONUP: WmMouseUp(MouseButton::Left); return 0;
    case WM_RBUTTONUP: WmMouseUp(MouseButton::Right); return 0;
    case WM_MBUTTONUP: WmMouseUp(MouseButton::Middle); return 0;
    case WM_CLOSE: WmClose(); return 0;
    default: return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
}

void Form::WmPaint() {
    PAINTSTRUCT ps;
    BeginPaint(hwnd_, &ps);
    EndPaint(hwnd_, &ps);
    if (OnPaint) OnPaint();
}

void Form::WmCommand(WPARAM wParam, LPARAM lParam) {
    Control* control = FindControl(reinterpret_cast<HWND>(lParam));
    if (control && HIWORD(wParam) == BN_CLICKED && control->OnClick) control->OnClick();
}

void Form::WmActivate(WPARAM wParam, LPARAM lParam) {
    HWND self = hwnd_;
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(self, focus)) lastFocus_ = focus;
        return;
    }
    // Focus goes back to the control that had it, or to the first in tab order.
    HWND focus = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : nullptr;
    if (!focus) focus = GetNextDlgTabItem(self, nullptr, FALSE);
    if (focus) SetFocus(focus);

    // The form becomes active: after being shown, or coming from another form of
    // the program (not from a system dialog or another program).
    HWND previous = reinterpret_cast<HWND>(lParam);
    const Application& app = Application::Instance();
    const bool fromForm = previous != self && previous != app.Handle() && app.IsProgramWindow(previous);
    const bool fire = shownSinceActivation_ || fromForm;
    shownSinceActivation_ = false;
    if (fire && OnActivate) OnActivate();
}

void Form::WmMouseUp(MouseButton button) {
    if (OnMouseUp) OnMouseUp(button);
}

void Form::WmClose() {
    Close();
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* form = static_cast<Form*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        if (form) form->hwnd_ = hwnd;
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        return form->Dispatch(message, wParam, lParam);
    } catch (...) {
        HandleException();
        return 0;
    }
}

}  // namespace platform
